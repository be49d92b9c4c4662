#include "platform/win32/system_paths_win32.h"

#include <windows.h>
#include <shlobj.h>
#include <winspool.h>

#include "platform/win32/owners.h"

namespace tq {

namespace {
// A folder answer without a trailing backslash (a root such as "C:\" keeps it).
std::string Folder(const char* buffer, UINT length) {
    std::string s(buffer, length);
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}
}  // namespace

std::string Win32SystemPaths::ModuleFileName() {
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, MAX_PATH);
    // n == MAX_PATH means the path was cut.
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(buffer, n);
}

std::string Win32SystemPaths::WindowsDirectory() {
    char buffer[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::string() : Folder(buffer, n);
}

std::string Win32SystemPaths::SystemDirectory() {
    char buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::string() : Folder(buffer, n);
}

std::string Win32SystemPaths::Wow64SystemDirectory() {
    // Both looked up at run time: Windows 2000 and earlier have neither.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return {};
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, BOOL*);
    using DirectoryFn = UINT(WINAPI*)(LPSTR, UINT);
    auto isWow64 = reinterpret_cast<IsWow64Fn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    auto directory = reinterpret_cast<DirectoryFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemWow64DirectoryA")));
    BOOL wow64 = FALSE;
    if (isWow64 == nullptr || directory == nullptr || !isWow64(GetCurrentProcess(), &wow64) ||
        !wow64) {
        return {};
    }
    char buffer[MAX_PATH];
    const UINT n = directory(buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::string() : Folder(buffer, n);
}

std::string Win32SystemPaths::PrinterDriverDirectory(const char* environment) {
    char buffer[MAX_PATH] = "";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                    reinterpret_cast<BYTE*>(buffer), sizeof(buffer), &needed)) {
        return {};
    }
    buffer[MAX_PATH - 1] = '\0';
    return Folder(buffer, static_cast<UINT>(lstrlenA(buffer)));
}

std::string Win32SystemPaths::ApplicationDataFolder() {
    // Looked up at run time: Windows 95 and NT 4.0 have it only with the shell of Internet
    // Explorer 4 or later.
    LoadedLibrary shell("shell32.dll");
    auto* const folderPath =
        shell.Export<decltype(SHGetSpecialFolderPathA)>("SHGetSpecialFolderPathA");
    if (folderPath == nullptr) return {};
    char buffer[MAX_PATH] = "";
    if (!folderPath(nullptr, buffer, CSIDL_APPDATA, FALSE)) return {};
    buffer[MAX_PATH - 1] = '\0';
    return Folder(buffer, static_cast<UINT>(lstrlenA(buffer)));
}

bool Win32SystemPaths::IsLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != FALSE;
}

}  // namespace tq
