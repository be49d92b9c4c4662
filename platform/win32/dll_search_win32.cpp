#include <windows.h>

#include "platform/dll_search.h"

namespace tq {

void NarrowDllSearchPath() {
    // Both are looked up at run time: SetDefaultDllDirectories exists from Windows 7 (or with
    // KB2533623), SetDllDirectoryA from XP SP1.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    using SetDefaultFn = BOOL(WINAPI*)(DWORD);
    using SetDirFn = BOOL(WINAPI*)(LPCSTR);
    auto setDefault = reinterpret_cast<SetDefaultFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    constexpr DWORD kAppDir = 0x00000200;    // LOAD_LIBRARY_SEARCH_APPLICATION_DIR
    constexpr DWORD kSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (setDefault != nullptr && setDefault(kAppDir | kSystem32)) return;
    auto setDir = reinterpret_cast<SetDirFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDir != nullptr) setDir("");
}

}  // namespace tq
