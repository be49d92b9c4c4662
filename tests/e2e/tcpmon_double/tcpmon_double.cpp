// A stand-in for Windows' Standard TCP/IP Port monitor in end-to-end runs (see README.md): Wine
// has no such monitor, so the installer's configuration channel ",XcvMonitor Standard TCP/IP
// Port" would find nothing. Registered under that name, this library takes "AddPort" and
// "ConfigPort" with a version-1 port description, keeps the ports where Windows' monitor keeps
// them (the monitor's registry key, Ports\<name>), lists them through EnumPorts, and appends every
// configuration call to "tcpmon-calls.txt" beside itself. Every process that talks to the spooler
// loads its own copy under Wine, so nothing is kept in memory. It prints nothing: a queue on one
// of its ports can be created, not printed to. Test code only: never on the release medium.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMonitorName[] = L"Standard TCP/IP Port";
constexpr wchar_t kPortsKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";
constexpr wchar_t kCallsFile[] = L"tcpmon-calls.txt";
constexpr DWORD kRawProtocol = 1;
constexpr DWORD kLprProtocol = 2;

// The port description, version 1, written out from the platform's public definition of the
// record rather than from the installer's byte offsets: a scenario then reads the installer's
// bytes through a second, independent statement of the layout.
struct PortData1 {
    WCHAR portName[64];
    DWORD version;
    DWORD protocol;
    DWORD cbSize;
    DWORD reserved;
    WCHAR hostAddress[49];
    WCHAR snmpCommunity[33];
    DWORD doubleSpool;
    WCHAR queue[33];
    WCHAR ipAddress[16];
    BYTE reservedBlock[540];
    DWORD portNumber;
    DWORD snmpEnabled;
    DWORD snmpDevIndex;
};
static_assert(sizeof(PortData1) == 964, "the version-1 port description is 964 bytes");

// ---- Owners ------------------------------------------------------------------------------------

class RegKey {
  public:
    RegKey() = default;
    ~RegKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

// ---- Texts -------------------------------------------------------------------------------------

// A fixed text field up to its terminator, or the whole field when it has none.
template <std::size_t N>
std::wstring FieldText(const WCHAR (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != L'\0') ++length;
    return std::wstring(field, length);
}

// UTF-8 for the calls file; the separator and control characters become '?' so that one call
// always stays one line.
std::string LogText(const std::wstring& text) {
    std::wstring safe = text;
    for (wchar_t& c : safe) {
        if (c < 0x20 || c == L'|') c = L'?';
    }
    if (safe.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, safe.data(), static_cast<int>(safe.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return "?";
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, safe.data(), static_cast<int>(safe.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// Four decimal numbers 0..255 separated by dots.
bool IsDottedAddress(const std::wstring& text) {
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[i] - L'0');
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        ++parts;
        if (i == text.size()) return parts == 4;
        if (text[i] != L'.' || parts == 4) return false;
        ++i;
    }
}

// ---- The calls file ----------------------------------------------------------------------------

// "tcpmon-calls.txt" in the folder this library was loaded from.
std::wstring CallsFilePath() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&CallsFilePath), &self)) {
        return std::wstring();
    }
    std::vector<wchar_t> path(MAX_PATH);
    while (true) {
        const DWORD length = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            std::wstring folder(path.data(), length);
            const std::size_t slash = folder.find_last_of(L'\\');
            if (slash == std::wstring::npos) return std::wstring();
            return folder.substr(0, slash + 1) + kCallsFile;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

// One line per call: command|port name|protocol|port number|queue|host address|record size. The
// record's fields are left empty when the input is too short to hold one.
void RecordCall(const wchar_t* command, const PortData1* record, DWORD inputSize) {
    std::string line = LogText(command != nullptr ? command : L"");
    if (record != nullptr) {
        line += "|" + LogText(FieldText(record->portName)) + "|" +
                std::to_string(record->protocol) + "|" + std::to_string(record->portNumber) + "|" +
                LogText(FieldText(record->queue)) + "|" + LogText(FieldText(record->hostAddress));
    } else {
        line += "|||||";
    }
    line += "|" + std::to_string(inputSize) + "\r\n";

    const std::wstring path = CallsFilePath();
    if (path.empty()) return;
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// ---- Ports in the registry ---------------------------------------------------------------------

std::wstring PortKeyPath(const std::wstring& portName) {
    return std::wstring(kPortsKey) + L"\\" + portName;
}

bool PortExists(const std::wstring& portName) {
    RegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, PortKeyPath(portName).c_str(), 0, KEY_QUERY_VALUE,
                         key.Out()) == ERROR_SUCCESS;
}

LONG SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG SetNumber(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

// The values Windows' monitor keeps for a port. A host address that is a dotted IPv4 address is
// kept as the IP address with no host name; anything else is a host name.
LONG WritePortValues(HKEY key, const PortData1& record) {
    const std::wstring host = FieldText(record.hostAddress);
    const bool dotted = IsDottedAddress(host);
    const std::wstring ipAddress = dotted ? host : FieldText(record.ipAddress);
    LONG status = SetNumber(key, L"Protocol", record.protocol);
    if (status == ERROR_SUCCESS) status = SetNumber(key, L"Version", record.version);
    if (status == ERROR_SUCCESS) status = SetText(key, L"HostName", dotted ? L"" : host);
    if (status == ERROR_SUCCESS) status = SetText(key, L"IPAddress", ipAddress);
    if (status == ERROR_SUCCESS) status = SetText(key, L"HWAddress", L"");
    if (status == ERROR_SUCCESS) status = SetNumber(key, L"PortNumber", record.portNumber);
    if (status == ERROR_SUCCESS) status = SetText(key, L"Queue", FieldText(record.queue));
    if (status == ERROR_SUCCESS) {
        status = SetText(key, L"SNMP Community", FieldText(record.snmpCommunity));
    }
    if (status == ERROR_SUCCESS) status = SetNumber(key, L"SNMP Enabled", record.snmpEnabled);
    if (status == ERROR_SUCCESS) status = SetNumber(key, L"SNMP Index", record.snmpDevIndex);
    if (status == ERROR_SUCCESS) status = SetNumber(key, L"Double Spool", record.doubleSpool);
    return status;
}

DWORD AddPort(const PortData1& record) {
    const std::wstring name = FieldText(record.portName);
    if (PortExists(name)) return ERROR_ALREADY_EXISTS;
    RegKey key;
    LONG status =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, PortKeyPath(name).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.Out(), nullptr);
    if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
    status = WritePortValues(key.Get(), record);
    if (status != ERROR_SUCCESS) {
        // No half-written port: it would be listed without its values.
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, PortKeyPath(name).c_str());
    }
    return static_cast<DWORD>(status);
}

DWORD ConfigPort(const PortData1& record) {
    RegKey key;
    const LONG opened =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, PortKeyPath(FieldText(record.portName)).c_str(), 0,
                      KEY_SET_VALUE, key.Out());
    if (opened == ERROR_FILE_NOT_FOUND) return ERROR_UNKNOWN_PORT;
    if (opened != ERROR_SUCCESS) return static_cast<DWORD>(opened);
    return static_cast<DWORD>(WritePortValues(key.Get(), record));
}

// The names under Ports, in the registry's order. Names that could not be a port are skipped.
std::vector<std::wstring> PortNames() {
    std::vector<std::wstring> names;
    RegKey ports;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_ENUMERATE_SUB_KEYS, ports.Out()) !=
        ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        const LONG status =
            RegEnumKeyExW(ports.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        if (length > 0) names.emplace_back(name, length);
    }
    return names;
}

// A record the monitor can take: whole, version 1, sized as such, a known protocol, and a port
// name that is one registry key (no backslash, no control character).
bool AcceptableRecord(const PortData1& record) {
    if (record.version != 1 || record.cbSize != sizeof(PortData1)) return false;
    if (record.protocol != kRawProtocol && record.protocol != kLprProtocol) return false;
    const std::wstring name = FieldText(record.portName);
    if (name.empty() || name.size() >= 64) return false;
    for (wchar_t c : name) {
        if (c < 0x20 || c == L'\\') return false;
    }
    return true;
}

// ---- The monitor's table -----------------------------------------------------------------------

// What XcvOpenPort hands out: the access the caller was granted.
struct XcvChannel {
    DWORD magic;
    ACCESS_MASK access;
};
constexpr DWORD kChannelMagic = 0x76635854;  // "TXcv"

XcvChannel* ChannelOf(HANDLE handle) {
    auto* channel = static_cast<XcvChannel*>(handle);
    return channel != nullptr && channel->magic == kChannelMagic ? channel : nullptr;
}

BOOL WINAPI EnumPorts(HANDLE, LPWSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                      LPDWORD returned) {
    if (needed == nullptr || returned == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = 0;
    *returned = 0;
    if (level != 1 && level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    const std::vector<std::wstring> names = PortNames();
    const std::size_t entry = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    std::size_t total = names.size() * entry;
    for (const std::wstring& name : names) {
        total += (name.size() + 1) * sizeof(wchar_t);
        if (level == 2) total += 2 * sizeof(kMonitorName);  // monitor name and description
    }
    *needed = static_cast<DWORD>(total);
    if (total == 0) return TRUE;
    if (ports == nullptr || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // The records first, their texts after them.
    auto* text = reinterpret_cast<wchar_t*>(ports + names.size() * entry);
    auto put = [&text](const wchar_t* value, std::size_t units) {
        wchar_t* start = text;
        std::memcpy(text, value, units * sizeof(wchar_t));
        text[units] = L'\0';
        text += units + 1;
        return start;
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (level == 1) {
            auto* info = reinterpret_cast<PORT_INFO_1W*>(ports + i * entry);
            info->pName = put(names[i].c_str(), names[i].size());
        } else {
            auto* info = reinterpret_cast<PORT_INFO_2W*>(ports + i * entry);
            info->pPortName = put(names[i].c_str(), names[i].size());
            info->pMonitorName = put(kMonitorName, std::size(kMonitorName) - 1);
            info->pDescription = put(kMonitorName, std::size(kMonitorName) - 1);
            info->fPortType = PORT_TYPE_WRITE;
            info->Reserved = 0;
        }
    }
    *returned = static_cast<DWORD>(names.size());
    return TRUE;
}

// DELETE_PORT_DATA_1 as the platform's documentation gives it.
struct DeletePortData1 {
    WCHAR portName[64];
    WCHAR serverName[49];
    DWORD version;
    DWORD reserved;
};
static_assert(sizeof(DeletePortData1) == 236, "DELETE_PORT_DATA_1 is 236 bytes");

// A port that is not there is ERROR_UNKNOWN_PORT, as for ConfigPort.
DWORD DeletePort(const BYTE* input, DWORD inputSize) {
    DeletePortData1 record{};
    const bool whole = input != nullptr && inputSize >= sizeof(record);
    if (whole) std::memcpy(&record, input, sizeof(record));
    const std::wstring name = whole ? FieldText(record.portName) : std::wstring();
    if (!whole || record.version != 1 || name.empty()) return ERROR_INVALID_PARAMETER;
    if (!PortExists(name)) return ERROR_UNKNOWN_PORT;
    return static_cast<DWORD>(RegDeleteKeyW(HKEY_LOCAL_MACHINE, PortKeyPath(name).c_str()));
}

BOOL WINAPI XcvOpenPort(HANDLE, LPCWSTR, ACCESS_MASK access, PHANDLE handle) {
    if (handle == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* channel = static_cast<XcvChannel*>(HeapAlloc(GetProcessHeap(), 0, sizeof(XcvChannel)));
    if (channel == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    channel->magic = kChannelMagic;
    channel->access = access;
    *handle = channel;
    return TRUE;
}

// The answer is the monitor's status for the command (the spooler hands it back as pdwStatus).
DWORD WINAPI XcvDataPort(HANDLE handle, LPCWSTR command, PBYTE input, DWORD inputSize, PBYTE, DWORD,
                         PDWORD outputNeeded) {
    if (outputNeeded != nullptr) *outputNeeded = 0;
    PortData1 record{};
    const bool whole = input != nullptr && inputSize >= sizeof(PortData1);
    if (whole) std::memcpy(&record, input, sizeof(record));  // the input need not be aligned
    RecordCall(command, whole ? &record : nullptr, inputSize);

    const XcvChannel* channel = ChannelOf(handle);
    if (channel == nullptr) return ERROR_INVALID_HANDLE;
    if (command != nullptr && std::wcscmp(command, L"DeletePort") == 0) {
        if ((channel->access & SERVER_ACCESS_ADMINISTER) == 0) return ERROR_ACCESS_DENIED;
        return DeletePort(input, inputSize);
    }
    const bool add = command != nullptr && std::wcscmp(command, L"AddPort") == 0;
    const bool config = command != nullptr && std::wcscmp(command, L"ConfigPort") == 0;
    if (!add && !config) return ERROR_NOT_SUPPORTED;
    if ((channel->access & SERVER_ACCESS_ADMINISTER) == 0) return ERROR_ACCESS_DENIED;
    if (!whole || !AcceptableRecord(record)) return ERROR_INVALID_PARAMETER;
    return add ? AddPort(record) : ConfigPort(record);
}

BOOL WINAPI XcvClosePort(HANDLE handle) {
    XcvChannel* channel = ChannelOf(handle);
    if (channel == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    channel->magic = 0;
    HeapFree(GetProcessHeap(), 0, channel);
    return TRUE;
}

VOID WINAPI Shutdown(HANDLE) {}

MONITOR2 MakeTable() {
    MONITOR2 table{};
    table.cbSize = sizeof(MONITOR2);
    table.pfnEnumPorts = EnumPorts;
    table.pfnXcvOpenPort = XcvOpenPort;
    table.pfnXcvDataPort = XcvDataPort;
    table.pfnXcvClosePort = XcvClosePort;
    table.pfnShutdown = Shutdown;
    return table;
}

MONITOR2 g_table = MakeTable();
int g_monitor;  // its address is the monitor handle; the state lives in the registry

}  // namespace

extern "C" __declspec(dllexport) LPMONITOR2 WINAPI
    InitializePrintMonitor2(MONITORINIT*, PHANDLE monitor) {
    if (monitor == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    *monitor = &g_monitor;
    return &g_table;
}
