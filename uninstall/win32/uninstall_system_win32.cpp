#include "uninstall/win32/uninstall_system_win32.h"

#include <objbase.h>

#include <climits>
#include <vector>

#include "platform/win32/owners.h"
#include "uninstall/message_ids.h"
#include "uninstall/win32/firewall_exceptions.h"

namespace tq::uninstall {

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCommonPrograms[] = "Common Programs";
constexpr DWORD kCommonProgramsBytes = 512;

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
    }
    return 0;
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
