#include "tests/e2e/uninstall_package.h"

#include <memory>

#include "tests/e2e/system_state.h"

namespace tq::e2e {

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct IniKey {
    const char* section;
    const char* key;  // nullptr: a fixed name
    const char* fixed;
};

// The install folder's files in the order the uninstaller deletes them.
constexpr IniKey kFolderFiles[] = {
    {"ADMIN", "APPName", nullptr},     {"INSTALL", "Help_File", nullptr},
    {nullptr, nullptr, "TRXHELP.GID"}, {nullptr, nullptr, "VNTTrap.ini"},
    {"MORNITOR", "APPName", nullptr},  {"INSTALL", "NetPortSetup_File", nullptr},
    {nullptr, nullptr, "VNTTrap.txt"}, {nullptr, nullptr, "VNTTrapIP.ini"},
    {"ADMIN", "Main_LOGO", nullptr},
};
constexpr const char* kLinkKeys[] = {"Admin_Link_Name", "Monitor_Link_Name", "Uninstall_Link_Name",
                                     "NetPortSetup_Link_Name"};

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder + (folder.back() == '\\' ? "" : "\\") + name;
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

// Creates `folder` and every folder above it that is missing.
bool MakeFolders(const std::string& folder, std::string* error) {
    const std::wstring wide = Wide(folder);
    for (size_t at = wide.find(L'\\', 3);; at = wide.find(L'\\', at + 1)) {
        const std::wstring part = wide.substr(0, at);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return Fail(error, "cannot create " + Utf8(part));
        }
        if (at == std::wstring::npos) return true;
    }
}

bool WriteBytes(const std::string& path, std::string_view bytes, std::string* error) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot write " + path);
    DWORD written = 0;
    bool ok = false;
    {
        const UniqueHandle owner(file);
        ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size();
    }
    return ok || Fail(error, "cannot write " + path);
}

std::string ReadIni(const std::string& iniAnsiPath, const char* section, const char* key) {
    char buffer[512] = "";
    GetPrivateProfileStringA(section, key, "", buffer, sizeof(buffer), iniAnsiPath.c_str());
    return FromAnsi(buffer);
}

LRESULT CALLBACK TitledWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::optional<PackageNames> ReadPackageNames(std::string_view iniPath, std::string* error) {
    const std::string ini = ToAnsi(iniPath);
    PackageNames names;
    std::string missing;
    auto read = [&](const char* section, const char* key) {
        std::string value = ReadIni(ini, section, key);
        if (value.empty()) missing += std::string(" [") + section + "] " + key;
        return value;
    };
    names.installPath = read("INSTALL", "Install_Path");
    names.uninstallFile = read("INSTALL", "Uninstall_File");
    for (const IniKey& file : kFolderFiles) {
        names.folderFiles.push_back(file.key ? read(file.section, file.key) : file.fixed);
    }
    names.startMenuFolder = read("STARTMENU", "DIR_Name");
    for (const char* key : kLinkKeys) names.links.push_back(read("STARTMENU", key));
    if (!missing.empty()) {
        if (error) *error = std::string(iniPath) + " does not name:" + missing;
        return std::nullopt;
    }
    return names;
}

std::string CommonProgramsFolder() {
    return RegistryText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs").value_or("");
}

PackagePaths PathsOf(const PackageNames& names, std::string_view systemFolder) {
    PackagePaths paths;
    // The drive root of the Windows folder, as the uninstaller takes it.
    paths.installFolder = WindowsFolder().substr(0, 3) + names.installPath;
    paths.installedIni = Join(paths.installFolder, kCustomizeIni);
    for (const auto& file : names.folderFiles) {
        paths.folderFiles.push_back(Join(paths.installFolder, file));
    }
    paths.startMenuFolder = Join(CommonProgramsFolder(), names.startMenuFolder);
    for (const auto& link : names.links) {
        paths.links.push_back(Join(paths.startMenuFolder, link + ".lnk"));
    }
    const std::string system(systemFolder);
    paths.systemCopy = Join(system, names.uninstallFile);
    paths.systemIni = Join(system, kCustomizeIni);
    return paths;
}

bool PlacePackage(const PackageNames& names, const Placement& placement,
                  std::string_view systemFolder, std::string* error) {
    const PackagePaths paths = PathsOf(names, systemFolder);
    if (CommonProgramsFolder().empty()) return Fail(error, "no Common Programs folder");
    if (!MakeFolders(paths.installFolder, error)) return false;
    std::vector<std::string> files = names.folderFiles;
    files.insert(files.end(), placement.unknownFiles.begin(), placement.unknownFiles.end());
    for (const auto& name : files) {
        const std::string sample = Join(placement.sampleFolder, name);
        const std::string target = Join(paths.installFolder, name);
        if (!placement.sampleFolder.empty() && PathExists(sample)) {
            if (!CopyOneFile(sample, target, error)) return false;
        } else if (!WriteBytes(target, ToAnsi("placeholder: " + name + "\r\n"), error)) {
            return false;
        }
    }
    for (const auto& name : placement.readOnly) {
        if (!SetFileAttributesW(Wide(Join(paths.installFolder, name)).c_str(),
                                FILE_ATTRIBUTE_READONLY)) {
            return Fail(error, "cannot make " + name + " read-only");
        }
    }
    if (!WriteAnsiFile(paths.installedIni, placement.installedIni, error)) return false;

    if (!MakeFolders(paths.startMenuFolder, error)) return false;
    std::vector<std::string> links = paths.links;
    for (const auto& link : placement.unknownLinks) {
        links.push_back(Join(paths.startMenuFolder, link + ".lnk"));
    }
    // Plain files do: the uninstaller deletes shortcuts by name and never opens them.
    for (const auto& link : links) {
        if (!WriteBytes(link, "shortcut placeholder\r\n", error)) return false;
    }

    if (placement.systemCopyFrom.empty()) {
        if (!WriteBytes(paths.systemCopy, "uninstaller placeholder\r\n", error)) return false;
    } else if (!CopyFileW(placement.systemCopyFrom.c_str(), Wide(paths.systemCopy).c_str(),
                          FALSE)) {
        return Fail(error, "cannot copy the uninstaller to " + paths.systemCopy);
    }
    return WriteAnsiFile(paths.systemIni, placement.systemIni, error);
}

std::optional<std::string> PlaceUninstaller(const std::wstring& program, std::string_view folder,
                                            std::string_view name, std::string_view localIni,
                                            std::string* error) {
    const std::string target = Join(std::string(folder), std::string(name));
    if (!MakeFolders(std::string(folder), error)) return std::nullopt;
    if (!CopyFileW(program.c_str(), Wide(target).c_str(), FALSE)) {
        if (error) *error = "cannot copy " + Utf8(program) + " to " + target;
        return std::nullopt;
    }
    if (!localIni.empty() &&
        !WriteAnsiFile(Join(std::string(folder), kCustomizeIni), localIni, error)) {
        return std::nullopt;
    }
    return target;
}

bool WriteAnsiFile(std::string_view path, std::string_view utf8Text, std::string* error) {
    return WriteBytes(std::string(path), ToAnsi(utf8Text), error);
}

std::optional<std::string> ReadTextFile(std::string_view path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueHandle owner(file);
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

std::vector<std::string> Existing(const std::vector<std::string>& paths) {
    std::vector<std::string> found;
    for (const auto& path : paths) {
        if (PathExists(path)) found.push_back(path);
    }
    return found;
}

TitledWindow::TitledWindow(std::string_view title) {
    UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const std::wstring wideTitle = Wide(title);
    HANDLE readyEvent = ready.get();
    thread_ = std::thread([this, wideTitle, readyEvent] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &TitledWindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = L"TqE2eToolWindow";
        RegisterClassW(&windowClass);  // a second window finds the class there already
        // Bottom right, clear of the uninstaller's centred dialog.
        HWND window =
            CreateWindowExW(0, windowClass.lpszClassName, wideTitle.c_str(), WS_OVERLAPPEDWINDOW,
                            940, 720, 300, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
        window_ = window;
        if (window != nullptr) ShowWindow(window, SW_SHOWNOACTIVATE);
        SetEvent(readyEvent);
        if (window == nullptr) return;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    });
    WaitForSingleObject(readyEvent, 10000);
}

TitledWindow::~TitledWindow() {
    Close();
}

void TitledWindow::Close() {
    if (window_ != nullptr) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        window_ = nullptr;
    }
    if (thread_.joinable()) thread_.join();
}

bool MoveMouseTo(HWND window) {
    if (window == nullptr) return SetCursorPos(1, 1) != FALSE;
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return false;
    return SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2) != FALSE;
}

std::optional<COLORREF> ScreenPixel(HWND window, int x, int y) {
    POINT point{x, y};
    if (!ClientToScreen(window, &point)) return std::nullopt;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return std::nullopt;
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    if (colour == CLR_INVALID) return std::nullopt;
    return colour;
}

}  // namespace tq::e2e
