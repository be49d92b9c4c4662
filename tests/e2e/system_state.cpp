#include "tests/e2e/system_state.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>
#include <winspool.h>

#include <algorithm>
#include <memory>

#include "tests/e2e/robot.h"

namespace tq::e2e {

namespace {

std::string Field(const char* s) {
    return s ? FromAnsi(s) : std::string();
}

struct KeyCloser {
    void operator()(HKEY key) const {
        if (key != nullptr) RegCloseKey(key);
    }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct FindCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
    }
};

template <typename T>
struct ComRelease {
    void operator()(T* p) const {
        if (p != nullptr) p->Release();
    }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;

// COM for the calling thread for as long as it lives, when it was not there already.
struct ComScope {
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
};

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool CopyTreeWide(const std::wstring& from, const std::wstring& to, const std::wstring& relative,
                  const std::vector<std::wstring>& leaveOut, std::string* error) {
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        if (error) *error = "cannot create " + Utf8(to);
        return false;
    }
    WIN32_FIND_DATAW found{};
    std::unique_ptr<void, FindCloser> search(FindFirstFileW((from + L"\\*").c_str(), &found));
    if (search.get() == INVALID_HANDLE_VALUE) {
        if (error) *error = "cannot list " + Utf8(from);
        return false;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring rel = relative.empty() ? name : relative + L"\\" + name;
        if (std::any_of(leaveOut.begin(), leaveOut.end(),
                        [&](const std::wstring& l) { return SameText(l, rel); })) {
            continue;
        }
        const std::wstring source = from + L"\\" + name;
        const std::wstring target = to + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!CopyTreeWide(source, target, rel, leaveOut, error)) return false;
        } else if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) {
            if (error)
                *error =
                    "cannot copy " + Utf8(source) + ", error " + std::to_string(GetLastError());
            return false;
        }
    } while (FindNextFileW(search.get(), &found));
    return true;
}

}  // namespace

std::string WindowsFolder() {
    wchar_t path[MAX_PATH] = L"";
    const UINT n = GetWindowsDirectoryW(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Utf8(path) : std::string();
}

std::string SystemFolder() {
    wchar_t path[MAX_PATH] = L"";
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Utf8(path) : std::string();
}

std::string Wow64SystemFolder() {
    wchar_t path[MAX_PATH] = L"";
    const UINT n = GetSystemWow64DirectoryW(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Utf8(path) : std::string();
}

ProgramView ViewOfProgram(const std::wstring& path) {
    DWORD type = 0;
    if (GetBinaryTypeW(path.c_str(), &type) && type == SCS_32BIT_BINARY) {
        return {KEY_WOW64_32KEY, Wow64SystemFolder()};
    }
    return {0, SystemFolder()};
}

std::string ProgramsFolder() {
    wchar_t path[MAX_PATH] = L"";
    return SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAMS, FALSE) ? Utf8(path)
                                                                         : std::string();
}

std::string OwnFolder() {
    wchar_t path[MAX_PATH * 2] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, n < MAX_PATH * 2 ? n : 0);
    const size_t slash = folder.find_last_of(L"\\/");
    return Utf8(slash == std::wstring::npos ? L"." : folder.substr(0, slash));
}

bool PathExists(std::string_view path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyTree(std::string_view from, std::string_view to, const std::vector<std::string>& leaveOut,
              std::string* error) {
    std::vector<std::wstring> wide;
    for (const auto& l : leaveOut) wide.push_back(Wide(l));
    return CopyTreeWide(Wide(from), Wide(to), L"", wide, error);
}

bool CopyOneFile(std::string_view from, std::string_view to, std::string* error) {
    if (CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE)) return true;
    if (error) {
        *error = "cannot copy " + std::string(from) + " to " + std::string(to) + ", error " +
                 std::to_string(GetLastError());
    }
    return false;
}

std::optional<std::uint32_t> RegistryDword(HKEY root, std::string_view key,
                                           std::string_view value, REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, ToAnsi(key).c_str(), 0, KEY_QUERY_VALUE | view, &opened) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    UniqueKey owner(opened);
    DWORD type = 0, data = 0, size = sizeof(data);
    if (RegQueryValueExA(opened, ToAnsi(value).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return data;
}

std::optional<std::string> RegistryText(HKEY root, std::string_view key, std::string_view value,
                                        REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, ToAnsi(key).c_str(), 0, KEY_QUERY_VALUE | view, &opened) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    UniqueKey owner(opened);
    DWORD type = 0;
    DWORD size = 0;
    const std::string name = ToAnsi(value);
    if (RegQueryValueExA(opened, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::string data(size + 1, '\0');
    if (RegQueryValueExA(opened, name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(std::min<size_t>(data.find('\0'), size));
    return FromAnsi(data);
}

std::optional<std::vector<std::string>> RegistryStrings(HKEY root, std::string_view key,
                                                        std::string_view value) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, Wide(key).c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    UniqueKey owner(opened);
    const std::wstring name = Wide(value);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(opened, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return std::nullopt;
    }
    std::wstring data(size / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(opened, name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size / sizeof(wchar_t));
    std::vector<std::string> strings;
    for (std::size_t at = 0; at < data.size() && data[at] != L'\0';) {
        const std::size_t end = data.find(L'\0', at);
        const std::size_t stop = end == std::wstring::npos ? data.size() : end;
        strings.push_back(Utf8(std::wstring_view(data).substr(at, stop - at)));
        at = stop + 1;
    }
    return strings;
}

bool SetRegistryText(HKEY root, std::string_view key, std::string_view value, std::string_view data,
                     REGSAM view) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, ToAnsi(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                        &opened, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    UniqueKey owner(opened);
    const std::string bytes = ToAnsi(data);
    return RegSetValueExA(opened, ToAnsi(value).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(bytes.c_str()),
                          static_cast<DWORD>(bytes.size() + 1)) == ERROR_SUCCESS;
}

std::optional<std::string> DefaultPrinter() {
    // The wide call: Wine's GetDefaultPrinterA counts the size in characters, too few bytes for
    // a name with double-byte characters.
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return std::nullopt;
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return std::nullopt;
    name.resize(name.find(L'\0'));
    return Utf8(name);
}

std::vector<DriverRecord> ListDrivers(std::string_view environment) {
    std::vector<DriverRecord> drivers;
    std::string env(environment);
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversA(nullptr, env.data(), 3, nullptr, 0, &needed, &count);
    if (needed == 0) return drivers;
    std::vector<BYTE> block(needed);
    if (!EnumPrinterDriversA(nullptr, env.data(), 3, block.data(), needed, &needed, &count)) {
        return drivers;
    }
    const auto* records = reinterpret_cast<const DRIVER_INFO_3A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        drivers.push_back({Field(records[i].pName), Field(records[i].pDriverPath),
                           Field(records[i].pMonitorName)});
    }
    return drivers;
}

std::vector<std::string> ListMonitors() {
    std::vector<std::string> monitors;
    DWORD needed = 0;
    DWORD count = 0;
    EnumMonitorsA(nullptr, 1, nullptr, 0, &needed, &count);
    if (needed == 0) return monitors;
    std::vector<BYTE> block(needed);
    if (!EnumMonitorsA(nullptr, 1, block.data(), needed, &needed, &count)) return monitors;
    const auto* records = reinterpret_cast<const MONITOR_INFO_1A*>(block.data());
    for (DWORD i = 0; i < count; ++i) monitors.push_back(Field(records[i].pName));
    return monitors;
}

std::optional<ShortcutView> LoadShortcut(std::string_view path, std::string* error) {
    auto fail = [&](const char* step, HRESULT hr) -> std::optional<ShortcutView> {
        if (error) {
            char code[16];
            wsprintfA(code, "0x%08lX", static_cast<unsigned long>(hr));
            *error = std::string(step) + " failed with " + code + " for " + std::string(path);
        }
        return std::nullopt;
    };
    ComScope com;
    IShellLinkA* rawLink = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&rawLink));
    if (FAILED(hr)) return fail("CoCreateInstance(ShellLink)", hr);
    ComPtr<IShellLinkA> link(rawLink);
    IPersistFile* rawFile = nullptr;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile));
    if (FAILED(hr)) return fail("QueryInterface(IPersistFile)", hr);
    ComPtr<IPersistFile> file(rawFile);
    hr = file->Load(Wide(path).c_str(), STGM_READ);
    if (FAILED(hr)) return fail("IPersistFile::Load", hr);

    char target[MAX_PATH * 2] = "";
    hr = link->GetPath(target, sizeof(target), nullptr, SLGP_RAWPATH);
    if (FAILED(hr)) return fail("GetPath", hr);
    char description[1024] = "";
    hr = link->GetDescription(description, sizeof(description));
    if (FAILED(hr)) return fail("GetDescription", hr);
    return ShortcutView{FromAnsi(target), FromAnsi(description)};
}

std::vector<ProcessEntry> ListProcesses() {
    std::vector<ProcessEntry> processes;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        processes.push_back(
            {entry.th32ProcessID, entry.th32ParentProcessID, Utf8(entry.szExeFile)});
    }
    return processes;
}

std::vector<ProcessEntry> ChildrenOf(DWORD parentId) {
    std::vector<ProcessEntry> children;
    for (const auto& p : ListProcesses()) {
        if (p.parent == parentId && p.id != parentId) children.push_back(p);
    }
    return children;
}

HWND FindTopLevel(std::string_view caption) {
    HWND window = FindWindowW(nullptr, Wide(caption).c_str());
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

}  // namespace tq::e2e

namespace tq::e2e {

namespace {

bool IsTemporary(const std::wstring& path) {
    std::wstring lower = path;
    for (auto& c : lower) c = static_cast<wchar_t>(towlower(c));
    return lower.find(L"\\temp\\") != std::wstring::npos ||
           (lower.size() >= 5 && lower.compare(lower.size() - 5, 5, L"\\temp") == 0);
}

void ListFiles(const std::wstring& folder, const std::vector<std::wstring>& leaveOut,
               std::vector<std::string>& out) {
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (IsTemporary(path)) continue;
        if (std::any_of(leaveOut.begin(), leaveOut.end(),
                        [&](const std::wstring& l) { return _wcsicmp(l.c_str(), path.c_str()) == 0; })) {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back("dir " + Utf8(path));
            // Links and junctions (the prefix's user folders point into the Linux home) are
            // named, not followed.
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListFiles(path, leaveOut, out);
        } else {
            const unsigned long long size =
                (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            const unsigned long long written =
                (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
            out.push_back("file " + Utf8(path) + " " + std::to_string(size) + " " +
                          std::to_string(written));
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
}

void ListKey(HKEY root, const std::wstring& key, REGSAM view, const std::string& label,
             std::vector<std::string>& out) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return;
    out.push_back("key " + label + "\\" + Utf8(key));
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameSize = 512;
        BYTE value[4096];
        DWORD valueSize = sizeof(value);
        DWORD type = 0;
        if (RegEnumValueW(opened, i, name, &nameSize, nullptr, &type, value, &valueSize) !=
            ERROR_SUCCESS) {
            break;
        }
        std::string bytes;
        for (DWORD b = 0; b < valueSize; ++b) bytes += std::to_string(value[b]) + ",";
        out.push_back("value " + label + "\\" + Utf8(key) + "\\" + Utf8(name) + " " +
                      std::to_string(type) + " " + bytes);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameSize = 512;
        if (RegEnumKeyExW(opened, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        subkeys.push_back(name);
    }
    RegCloseKey(opened);
    for (const auto& sub : subkeys) ListKey(root, key + L"\\" + sub, view, label, out);
}

template <typename Info, typename Line>
void ListSpooler(DWORD level, BOOL (*enumerate)(DWORD, BYTE*, DWORD, DWORD*, DWORD*), Line line,
                 std::vector<std::string>& out) {
    DWORD needed = 0, count = 0;
    enumerate(level, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (!enumerate(level, buffer.data(), needed, &needed, &count)) return;
    const auto* items = reinterpret_cast<const Info*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) out.push_back(line(items[i]));
}

std::string Text(const wchar_t* s) {
    return s ? Utf8(s) : std::string("-");
}

}  // namespace

std::vector<std::string> MachineSnapshot(const std::vector<std::string>& leaveOut) {
    std::vector<std::string> out;
    std::vector<std::wstring> left;
    for (const auto& l : leaveOut) left.push_back(Wide(l));
    ListFiles(Wide(WindowsFolder().substr(0, 2)), left, out);

    // The spooler first: Wine makes an environment's keys the first time it is asked about it.
    ListSpooler<PRINTER_INFO_2W>(
        2,
        [](DWORD level, BYTE* b, DWORD size, DWORD* needed, DWORD* count) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, b, size, needed, count);
        },
        [](const PRINTER_INFO_2W& p) {
            return "queue " + Text(p.pPrinterName) + " | " + Text(p.pDriverName) + " | " +
                   Text(p.pPortName) + " | " + Text(p.pShareName) + " | " +
                   std::to_string(p.Attributes);
        },
        out);
    for (const wchar_t* environment : {L"Windows x64", L"Windows NT x86"}) {
        DWORD needed = 0, count = 0;
        wchar_t* env = const_cast<wchar_t*>(environment);
        EnumPrinterDriversW(nullptr, env, 3, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed + 1);
        if (!EnumPrinterDriversW(nullptr, env, 3, buffer.data(), needed, &needed, &count)) continue;
        const auto* drivers = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            out.push_back("driver " + Utf8(environment) + " | " + Text(drivers[i].pName) + " | " +
                          Text(drivers[i].pDriverPath) + " | " + Text(drivers[i].pMonitorName));
        }
    }
    ListSpooler<MONITOR_INFO_1W>(
        1,
        [](DWORD level, BYTE* b, DWORD size, DWORD* needed, DWORD* count) {
            return EnumMonitorsW(nullptr, level, b, size, needed, count);
        },
        [](const MONITOR_INFO_1W& m) { return "monitor " + Text(m.pName); }, out);
    ListSpooler<PORT_INFO_1W>(
        1,
        [](DWORD level, BYTE* b, DWORD size, DWORD* needed, DWORD* count) {
            return EnumPortsW(nullptr, level, b, size, needed, count);
        },
        [](const PORT_INFO_1W& p) { return "port " + Text(p.pName); }, out);
    const std::wstring currentVersion = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
    for (const REGSAM view : {static_cast<REGSAM>(KEY_WOW64_64KEY), static_cast<REGSAM>(KEY_WOW64_32KEY)}) {
        const std::string label = view == KEY_WOW64_64KEY ? "HKLM64" : "HKLM32";
        for (const wchar_t* key : {L"Uninstall", L"Run", L"RunOnce", L"Setup"}) {
            ListKey(HKEY_LOCAL_MACHINE, currentVersion + key, view, label, out);
        }
    }
    ListKey(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Print", 0, "HKLM", out);
    ListKey(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0, "HKLM",
            out);
    ListKey(HKEY_LOCAL_MACHINE, currentVersion + L"Explorer\\Shell Folders", 0, "HKLM", out);
    ListKey(HKEY_CURRENT_USER, currentVersion + L"Explorer\\Shell Folders", 0, "HKCU", out);
    ListKey(HKEY_CURRENT_USER, L"Printers", 0, "HKCU", out);
    ListKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", 0,
            "HKCU", out);

    out.push_back("default " + DefaultPrinter().value_or("-"));
    return out;
}

}  // namespace tq::e2e
