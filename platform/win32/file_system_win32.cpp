#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include "platform/win32/owners.h"
#include "platform/wininit.h"

namespace tq {

namespace {

template <typename Fn>
Fn* KernelExport(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

// The last error of a call that failed; a failure never reads as 0 (success), even where the
// system left no error behind.
std::uint32_t FailureError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? static_cast<std::uint32_t>(error) : ERROR_GEN_FAILURE;
}

}  // namespace

FolderResult Win32FileSystem::CreateFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return FolderResult::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? FolderResult::AlreadyExists
                                                  : FolderResult::Failed;
}

bool Win32FileSystem::FileExists(const std::string& path) {
    return FileSearch(path.c_str()).Found();
}

bool Win32FileSystem::FileExistsUnredirected(const std::string& path) {
    // Both looked up at run time: 32-bit Windows XP and earlier have neither. The redirection
    // is off for this thread only, and only for the one search.
    using DisableFn = BOOL WINAPI(PVOID*);
    using RevertFn = BOOL WINAPI(PVOID);
    auto* const disable = KernelExport<DisableFn>("Wow64DisableWow64FsRedirection");
    auto* const revert = KernelExport<RevertFn>("Wow64RevertWow64FsRedirection");
    PVOID previous = nullptr;
    if (disable == nullptr || revert == nullptr || !disable(&previous)) return false;
    const bool found = FileSearch(path.c_str()).Found();
    revert(previous);
    return found;
}

std::uint32_t Win32FileSystem::CopyOver(const std::string& source, const std::string& destination) {
    if (CopyFileA(source.c_str(), destination.c_str(), FALSE)) return 0;
    return FailureError();
}

std::uint32_t Win32FileSystem::ReplaceAtRestart(const std::string& from, const std::string& to) {
    // Looked up at run time: Windows 95 is not sure to export it; where it is missing the
    // record cannot be made, as where it answers ERROR_CALL_NOT_IMPLEMENTED (Windows 9x).
    using MoveFn = BOOL WINAPI(LPCSTR, LPCSTR, DWORD);
    auto* const move = KernelExport<MoveFn>("MoveFileExA");
    if (move == nullptr) return ERROR_PROC_NOT_FOUND;
    if (move(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
        return 0;
    }
    return FailureError();
}

bool Win32FileSystem::SetNormalAttributes(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool Win32FileSystem::Delete(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}

std::optional<std::uint64_t> Win32FileSystem::FileSize(const std::string& path) {
    const FileSearch search(path.c_str());
    if (!search.Found()) return std::nullopt;
    const WIN32_FIND_DATAA& found = search.Data();
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
    return (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

bool Win32FileSystem::RemoveFolder(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

std::uint32_t Win32FileSystem::DeleteAtRestart(const std::string& path) {
    using MoveFn = BOOL WINAPI(LPCSTR, LPCSTR, DWORD);
    auto* const move = KernelExport<MoveFn>("MoveFileExA");
    if (move != nullptr && move(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return 0;
    const std::uint32_t error = move != nullptr ? FailureError() : ERROR_CALL_NOT_IMPLEMENTED;
    if (error != ERROR_CALL_NOT_IMPLEMENTED) return error;
    return DeleteAtRestartByWinInit(path);
}

// Windows 9x's record: WININIT.INI in the Windows folder, which takes files (by their short
// names) and no folders.
std::uint32_t Win32FileSystem::DeleteAtRestartByWinInit(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FailureError();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_CALL_NOT_IMPLEMENTED;
    char shortPath[MAX_PATH] = "";
    const DWORD n = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return n == 0 ? FailureError() : ERROR_FILENAME_EXCED_RANGE;
    char windows[MAX_PATH] = "";
    const UINT w = GetWindowsDirectoryA(windows, MAX_PATH);
    if (w == 0 || w >= MAX_PATH - 13) return ERROR_PATH_NOT_FOUND;
    const std::string ini = std::string(windows) + (windows[w - 1] == '\\' ? "" : "\\") +
                            "WININIT.INI";

    std::string text;
    {
        KernelHandle file(CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) {
            char buffer[4096];
            DWORD read = 0;
            while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
                text.append(buffer, read);
            }
        }
    }
    text = WithWinInitDeletion(text, std::string(shortPath, n));
    KernelHandle file(CreateFileA(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return FailureError();
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        return FailureError();
    }
    return 0;
}

bool Win32FileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& out) {
    out.clear();
    const std::string pattern = folder + "\\*";
    FileSearch search(pattern.c_str());
    if (!search.Found()) return false;
    do {
        const WIN32_FIND_DATAA& data = search.Data();
        const std::string name(data.cFileName);
        if (name == "." || name == "..") continue;
        out.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (search.Next());
    return true;
}

}  // namespace tq
