#include "platform/win32/printer_browser_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace tq {

namespace {

// The shell allocator, released when it goes.
struct ShellMalloc {
    IMalloc* malloc = nullptr;
    ~ShellMalloc() {
        if (malloc != nullptr) malloc->Release();
    }
};

// An item list of the shell, freed with the COM task allocator.
struct ItemList {
    LPITEMIDLIST list = nullptr;
    ~ItemList() {
        if (list != nullptr) CoTaskMemFree(list);
    }
};

int CALLBACK SetCaption(HWND window, UINT message, LPARAM, LPARAM caption) {
    if (message == BFFM_INITIALIZED) SetWindowTextA(window, reinterpret_cast<const char*>(caption));
    return 0;
}

}  // namespace

std::optional<std::string> Win32PrinterBrowser::BrowseForPrinter(const std::string& title,
                                                                 const std::string& caption) {
    ShellMalloc allocator;
    ItemList root;
    if (FAILED(SHGetMalloc(&allocator.malloc)) ||
        FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &root.list))) {
        return std::nullopt;
    }
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = nullptr;
    info.pidlRoot = root.list;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_BROWSEFORPRINTER;
    info.lpfn = SetCaption;
    info.lParam = reinterpret_cast<LPARAM>(caption.c_str());

    // Only a thread that this call initialises browses; CoUninitialize balances either answer.
    if (CoInitialize(nullptr) != S_OK) {
        CoUninitialize();
        return std::nullopt;
    }
    std::optional<std::string> chosen;
    {
        ItemList item;
        item.list = SHBrowseForFolderA(&info);
        char path[MAX_PATH] = {};
        if (item.list != nullptr && SHGetPathFromIDListA(item.list, path)) {
            path[MAX_PATH - 1] = '\0';
            chosen = std::string(path);
        }
    }
    CoUninitialize();
    return chosen;
}

}  // namespace tq
