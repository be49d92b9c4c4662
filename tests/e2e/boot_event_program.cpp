// tq_e2e_boot_event.exe: a bridge of the restart scenarios, started by Wine's simulated restart
// from RunServicesOnce. Wine makes every program started from outside the prefix wait until
// its start-up (wineboot) is done, and wineboot runs the machine's RunOnce programs one after
// the other and waits for each: the resumed installer, started from RunOnce, would wait for the
// robot of the scenario's second half, which could not start. Windows holds up no other program
// while a RunOnce program runs; this sets Wine's start-up event early so that the robot starts
// as it would there. It starts nothing and changes nothing of the installation.
#include <windows.h>
#include <winternl.h>

namespace {

using NtOpenEventFn = NTSTATUS(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*);
using NtSetEventFn = NTSTATUS(NTAPI*)(HANDLE, LONG*);

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr) return 2;
    auto open = reinterpret_cast<NtOpenEventFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtOpenEvent")));
    auto set = reinterpret_cast<NtSetEventFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetEvent")));
    if (open == nullptr || set == nullptr) return 2;
    wchar_t name[] = L"\\KernelObjects\\__wineboot_event";
    UNICODE_STRING nameString{static_cast<USHORT>(sizeof(name) - sizeof(wchar_t)),
                              static_cast<USHORT>(sizeof(name)), name};
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &nameString, 0, nullptr, nullptr);
    HANDLE event = nullptr;
    if (open(&event, EVENT_MODIFY_STATE, &attributes) != 0) return 1;
    const NTSTATUS status = set(event, nullptr);
    CloseHandle(event);
    return status == 0 ? 0 : 1;
}
