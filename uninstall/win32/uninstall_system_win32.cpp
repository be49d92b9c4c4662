#include "uninstall/win32/uninstall_system_win32.h"

#include <objbase.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "platform/win32/owners.h"
#include "platform/win32/process_list_win32.h"
#include "uninstall/message_ids.h"
#include "uninstall/win32/firewall_exceptions.h"

namespace tq::uninstall {

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCommonPrograms[] = "Common Programs";
constexpr DWORD kCommonProgramsBytes = 512;
constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// An open registry key, closed when the owner goes.
class OpenKey {
  public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* Receive() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

UINT StringId(UninstallText text) {
    switch (text) {
        case UninstallText::NothingToUninstall:
            return IDS_NOTHING_TO_UNINSTALL;
        case UninstallText::ToolRunning:
            return IDS_TOOL_RUNNING;
        case UninstallText::Finished:
            return IDS_UNINSTALL_FINISHED;
        case UninstallText::FolderRefused:
            return IDS_FOLDER_REFUSED;
        case UninstallText::FilesLeft:
            return IDS_FILES_LEFT;
    }
    return 0;
}

// A REG_SZ value of an open key, at most MAX_PATH bytes; empty when it cannot be read.
std::string PathValue(HKEY key, const char* name) {
    char buffer[MAX_PATH + 1] = {};
    DWORD type = 0;
    DWORD size = MAX_PATH;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    buffer[size < MAX_PATH ? size : MAX_PATH] = '\0';
    return buffer;
}

// A file or folder opened for its identity only: no access asked, every sharing allowed, a
// folder (backup semantics) or a link itself (not its target).
HANDLE OpenForIdentity(const std::string& path) {
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

Win32UninstallSystem::Win32UninstallSystem(HWND owner) : owner_(owner) {}

bool Win32UninstallSystem::FindMatch(const std::string& path) {
    return FileSearch(path.c_str()).Found();
}

bool Win32UninstallSystem::RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}

bool Win32UninstallSystem::SetNormalAttributes(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool Win32UninstallSystem::RemoveFolder(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool Win32UninstallSystem::WindowTitled(const std::string& title) {
    return FindWindowA(nullptr, title.c_str()) != nullptr;
}

std::vector<std::string> Win32UninstallSystem::RunningPrograms() {
    std::vector<std::string> names;
    Win32ProcessList processes;
    if (const auto snapshot = processes.Snapshot()) {
        for (const ProcessEntry& entry : *snapshot) names.push_back(entry.executable);
    }
    return names;
}

bool Win32UninstallSystem::IsLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != FALSE;
}

std::optional<std::uint32_t> Win32UninstallSystem::Attributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

std::optional<std::string> Win32UninstallSystem::Identity(const std::string& path) {
    // Windows 9x refuses FILE_SHARE_DELETE and folders here: no identity there.
    const HANDLE raw = OpenForIdentity(path);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    KernelHandle file(raw);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof(text), "%08lx:%08lx%08lx",
                  static_cast<unsigned long>(info.dwVolumeSerialNumber),
                  static_cast<unsigned long>(info.nFileIndexHigh),
                  static_cast<unsigned long>(info.nFileIndexLow));
    return std::string(text);
}

std::vector<std::string> Win32UninstallSystem::WindowsFolders() {
    std::vector<std::string> folders;
    char buffer[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folders.emplace_back(buffer, n);
    // Windows 2000 and later; the one folder of the system, where a Terminal Server user's
    // GetWindowsDirectoryA answers a folder of his own.
    using SystemWindowsFn = UINT WINAPI(LPSTR, UINT);
    auto* const systemWindows = reinterpret_cast<SystemWindowsFn*>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWindowsDirectoryA")));
    if (systemWindows != nullptr) {
        n = systemWindows(buffer, MAX_PATH);
        if (n > 0 && n < MAX_PATH) folders.emplace_back(buffer, n);
    }
    return folders;
}

std::vector<std::string> Win32UninstallSystem::ProgramFilesFolders() {
    std::vector<std::string> folders;
    // The program's own registry view, then the 64-bit one (refused where there is none).
    for (const REGSAM view : {REGSAM(0), static_cast<REGSAM>(KEY_WOW64_64KEY)}) {
        OpenKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_QUERY_VALUE | view,
                          key.Receive()) != ERROR_SUCCESS) {
            continue;
        }
        for (const char* name : {"ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir"}) {
            std::string folder = PathValue(key.get(), name);
            if (!folder.empty()) folders.push_back(std::move(folder));
        }
    }
    return folders;
}

std::optional<std::string> Win32UninstallSystem::ReadFileBytes(const std::string& path,
                                                               std::size_t limit) {
    const HANDLE raw = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    KernelHandle file(raw);
    DWORD high = 0;
    const DWORD low = GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
    if (high != 0 || low > limit) return std::nullopt;
    std::string bytes(low, '\0');
    DWORD done = 0;
    while (done < low) {
        DWORD read = 0;
        if (!ReadFile(file.get(), &bytes[done], low - done, &read, nullptr) || read == 0) {
            return std::nullopt;
        }
        done += read;
    }
    return bytes;
}

std::optional<std::string> Win32UninstallSystem::CommonProgramsFolder() {
    OpenKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_QUERY_VALUE, key.Receive()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // One byte more than the value may fill, so the text always ends in a NUL.
    char buffer[kCommonProgramsBytes + 1] = {};
    DWORD type = 0;
    DWORD size = kCommonProgramsBytes;
    if (RegQueryValueExA(key.get(), kCommonPrograms, nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    buffer[size < kCommonProgramsBytes ? size : kCommonProgramsBytes] = '\0';
    return std::string(buffer);
}

std::string Win32UninstallSystem::SystemFolder() {
    char buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(buffer, n);
}

bool Win32UninstallSystem::InitializeCom() {
    // S_FALSE (already initialised on this thread) is balanced by CoUninitialize as well.
    return SUCCEEDED(CoInitialize(nullptr));
}

void Win32UninstallSystem::UninitializeCom() {
    CoUninitialize();
}

std::u16string Win32UninstallSystem::SystemTextToUtf16(const std::string& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (wide <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(wide));
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, buffer.data(), wide) != wide) return {};
    return std::u16string(buffer.begin(), buffer.end());
}

std::unique_ptr<Firewall> Win32UninstallSystem::CreateFirewall() {
    return std::make_unique<FirewallExceptions>();
}

std::string Win32UninstallSystem::LoadText(UninstallText text) {
    char buffer[1024];
    const int n = LoadStringA(GetModuleHandleA(nullptr), StringId(text), buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void Win32UninstallSystem::ShowMessage(const std::string& text, const std::string& caption) {
    MessageBoxA(owner_, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace tq::uninstall
