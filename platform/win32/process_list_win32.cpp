#include "platform/win32/process_list_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/text.h"
#include "platform/win32/owners.h"

namespace tq {

// The ANSI entry; Windows 9x checks dwSize against the 32-bit layout of 296 bytes.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 of the A form");

namespace {

// The ANSI entries, as kernel32 exports them under these names.
using SnapshotFn = HANDLE WINAPI(DWORD, DWORD);
using WalkFn = BOOL WINAPI(HANDLE, PROCESSENTRY32*);

template <typename Fn>
Fn* Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::optional<std::vector<ProcessEntry>> Win32ProcessList::Snapshot() {
    // The module stays loaded for the process's life (kernel32), so no reference is taken.
    const HMODULE module = GetModuleHandleA(module_.c_str());
    if (module == nullptr) return std::nullopt;
    SnapshotFn* const createSnapshot = Export<SnapshotFn>(module, "CreateToolhelp32Snapshot");
    WalkFn* const first = Export<WalkFn>(module, "Process32First");
    WalkFn* const next = Export<WalkFn>(module, "Process32Next");
    if (createSnapshot == nullptr || first == nullptr || next == nullptr) return std::nullopt;

    const HANDLE raw = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    KernelHandle snapshot(raw);
    std::vector<ProcessEntry> processes;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
        processes.push_back({entry.th32ProcessID, std::string(FieldText(entry.szExeFile))});
        entry.dwSize = sizeof(entry);
    }
    return processes;
}

bool Win32ProcessList::TerminateWithOwnExitCode(std::uint32_t processId) {
    // Reading the exit code needs the query right besides the terminate right on the NT family
    // (and Wine); Windows 9x checks neither.
    KernelHandle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (process.get() == nullptr) return false;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) return false;
    return TerminateProcess(process.get(), exitCode) != FALSE;
}

}  // namespace tq
