#include "platform/win32/shell_links_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace tq {

namespace {

// Owns one interface pointer: released when the owner goes.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    void** Receive() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }

  private:
    T* p_ = nullptr;
};

}  // namespace

bool Win32ShellLinks::CreateFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

ShortcutOutcome Win32ShellLinks::CreateShortcut(const std::string& linkPath,
                                                const std::string& target,
                                                const std::string& description) {
    // Once per shortcut, never undone: the calling thread stays in its apartment.
    CoInitialize(nullptr);
    // Declared in this order so that the persist-file interface is released before the link.
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.Receive()))) {
        return ShortcutOutcome::NoShellLink;
    }
    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive()))) {
        return ShortcutOutcome::NoPersistFile;
    }
    wchar_t widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) == 0) {
        return ShortcutOutcome::SaveFailed;
    }
    return SUCCEEDED(file->Save(widePath, TRUE)) ? ShortcutOutcome::Saved
                                                 : ShortcutOutcome::SaveFailed;
}

}  // namespace tq
