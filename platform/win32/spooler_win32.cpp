#include "platform/win32/spooler_win32.h"

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <new>

#include "platform/enumeration_buffer.h"
#include "platform/win32/owners.h"

namespace tq {

namespace {

SpoolerText Text(const char* s) {
    return s ? SpoolerText(s) : std::nullopt;
}

// The two-call form: ask for the size, allocate exactly that (zero-filled), ask again.
// `call(buffer, size, &needed, &returned)` is one winspool enumeration.
template <typename Call>
std::unique_ptr<BYTE[]> Enumerate(Call call, DWORD& returned) {
    DWORD needed = 0;
    returned = 0;
    call(nullptr, 0, &needed, &returned);
    if (needed == 0) return nullptr;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed]());
    if (!block) return nullptr;
    returned = 0;
    if (!call(block.get(), needed, &needed, &returned)) return nullptr;
    return block;
}

// Enumerates into records of type Info and converts each into the interface's record.
template <typename Info, typename Record, typename Call, typename Convert>
bool EnumerateInto(std::vector<Record>& out, Call call, Convert convert) {
    out.clear();
    DWORD count = 0;
    auto block = Enumerate(call, count);
    if (!block) return false;
    const auto* records = reinterpret_cast<const Info*>(block.get());
    for (DWORD i = 0; i < count; ++i) out.push_back(convert(records[i]));
    return true;
}

PrinterRecord RecordOf(const PRINTER_INFO_2A& r) {
    return PrinterRecord{Text(r.pPrinterName), Text(r.pShareName), Text(r.pPortName),
                         Text(r.pDriverName), r.Attributes, r.cJobs};
}

// EnumPrintersA over the local queues at `level` into a buffer kept by the caller.
template <typename Info, typename Record, typename Convert>
bool ListLocalPrinters(EnumerationBuffer& buffer, DWORD level, std::vector<Record>& out,
                       Convert convert) {
    out.clear();
    std::uint32_t count = 0;
    const auto call = [level](unsigned char* data, std::uint32_t size, std::uint32_t& needed,
                              std::uint32_t& returned) {
        DWORD neededBytes = 0, records = 0;
        const BOOL ok =
            EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, data, size, &neededBytes, &records);
        needed = neededBytes;
        returned = records;
        return ok != FALSE;
    };
    if (!buffer.Fill(call, count)) return false;
    const auto* records = reinterpret_cast<const Info*>(buffer.Data());
    for (std::uint32_t i = 0; i < count; ++i) out.push_back(convert(records[i]));
    return true;
}

// Where the spooler keeps the local queues, one subkey each, on Windows NT and later and under
// Wine. Windows 95, 98 and Me have no change notification.
constexpr char kQueuesKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";

class Win32QueueListing : public QueueListing {
  public:
    Win32QueueListing() : changed_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQueuesKey, 0, KEY_NOTIFY, &key) == ERROR_SUCCESS) {
            key_ = key;
        }
    }
    ~Win32QueueListing() override {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    Win32QueueListing(const Win32QueueListing&) = delete;
    Win32QueueListing& operator=(const Win32QueueListing&) = delete;

    bool MayHaveChanged() override {
        if (armed_ && WaitForSingleObject(changed_.get(), 0) == WAIT_TIMEOUT) return false;
        // The first call, a change reported, or no report to be had: ask for the next change
        // before the caller lists, so that none falls between its listing and the next call.
        armed_ = Arm();
        return true;
    }

    bool Names(std::vector<SpoolerText>& out) override {
        return ListLocalPrinters<PRINTER_INFO_4A>(
            names_, 4, out, [](const PRINTER_INFO_4A& r) { return Text(r.pPrinterName); });
    }
    bool Printers(std::vector<PrinterRecord>& out) override {
        return ListLocalPrinters<PRINTER_INFO_2A>(printers_, 2, out, RecordOf);
    }

  private:
    // RegNotifyChangeKeyValue on the whole subtree: queues added, removed or renamed, and any
    // value of one written. Looked up at run time: Windows 95 and 98 may lack the export.
    bool Arm() {
        using NotifyFn = LONG WINAPI(HKEY, BOOL, DWORD, HANDLE, BOOL);
        static NotifyFn* const notify = reinterpret_cast<NotifyFn*>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegNotifyChangeKeyValue")));
        return notify != nullptr && key_ != nullptr && changed_.get() != nullptr &&
               notify(key_, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                      changed_.get(), TRUE) == ERROR_SUCCESS;
    }

    EnumerationBuffer names_;
    EnumerationBuffer printers_;
    KernelHandle changed_;  // auto-reset event the notification signals
    HKEY key_ = nullptr;
    bool armed_ = false;
};

// A level-2 record read whole; changed fields point into strings owned here.
class Win32QueueSettings : public QueueSettings {
  public:
    explicit Win32QueueSettings(std::unique_ptr<BYTE[]> block) : block_(std::move(block)) {}

    std::uint32_t Attributes() const override { return Info()->Attributes; }
    void SetAttributes(std::uint32_t attributes) override { Info()->Attributes = attributes; }
    void SetPrinterName(const std::string& name) override {
        printerName_ = name;
        Info()->pPrinterName = printerName_.data();
    }
    void SetShareName(const std::string& name) override {
        shareName_ = name;
        Info()->pShareName = shareName_.data();
    }
    PRINTER_INFO_2A* Info() const { return reinterpret_cast<PRINTER_INFO_2A*>(block_.get()); }

  private:
    std::unique_ptr<BYTE[]> block_;
    std::string printerName_;
    std::string shareName_;
};

class Win32OpenedQueue : public OpenedQueue {
  public:
    explicit Win32OpenedQueue(HANDLE handle) : handle_(handle) {}
    ~Win32OpenedQueue() override { ClosePrinter(handle_); }
    Win32OpenedQueue(const Win32OpenedQueue&) = delete;
    Win32OpenedQueue& operator=(const Win32OpenedQueue&) = delete;

    std::unique_ptr<QueueSettings> ReadSettings() override {
        // The size query fails by design; only "buffer too small" with a size means go on.
        SetLastError(0);
        DWORD needed = 0;
        const BOOL sized = GetPrinterA(handle_, 2, nullptr, 0, &needed);
        if ((!sized && GetLastError() != ERROR_INSUFFICIENT_BUFFER) || needed == 0) return nullptr;
        std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed]());
        if (!block) return nullptr;
        if (!GetPrinterA(handle_, 2, block.get(), needed, &needed)) return nullptr;
        return std::make_unique<Win32QueueSettings>(std::move(block));
    }

    bool WriteSettings(QueueSettings& settings) override {
        auto& record = static_cast<Win32QueueSettings&>(settings);
        return SetPrinterA(handle_, 2, reinterpret_cast<BYTE*>(record.Info()), 0) != FALSE;
    }

    bool Delete() override { return DeletePrinter(handle_) != FALSE; }

  private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<OpenedQueue> Win32Spooler::OpenQueue(const std::string& printerName) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    std::string name = printerName;
    if (!OpenPrinterA(name.data(), &handle, &defaults) || handle == nullptr) return nullptr;
    return std::make_unique<Win32OpenedQueue>(handle);
}

PrinterForUse Win32Spooler::ReadPrinterForUse(const std::string& printerName) {
    PrinterForUse answer;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    HANDLE handle = nullptr;
    std::string name = printerName;
    if (!OpenPrinterA(name.data(), &handle, &defaults) || handle == nullptr) {
        answer.openError = GetLastError();
        return answer;
    }
    answer.opened = true;
    DWORD needed = 0;
    GetPrinterA(handle, 2, nullptr, 0, &needed);
    if (needed != 0) {
        std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed]());
        if (block && GetPrinterA(handle, 2, block.get(), needed, &needed)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(block.get());
            answer.read = true;
            if (info->pDriverName != nullptr) answer.driverName = std::string(info->pDriverName);
        }
    }
    ClosePrinter(handle);
    return answer;
}

namespace {

// Writable copies of the texts a Windows record points to, alive as long as the record.
class TextPool {
  public:
    char* Add(const std::string& text) {
        texts_.push_back(std::make_unique<std::string>(text));
        return texts_.back()->data();
    }
    char* Add(const SpoolerText& text) { return text ? Add(*text) : nullptr; }
    // A list of names, each ended by a NUL, the whole ended by an empty name.
    char* AddList(const std::vector<std::string>& names) {
        std::string list;
        for (const auto& n : names) list.append(n).push_back('\0');
        list.push_back('\0');
        return Add(list);
    }

  private:
    std::vector<std::unique_ptr<std::string>> texts_;
};

SpoolerResult Outcome(BOOL ok) {
    return {ok != FALSE, ok ? 0u : GetLastError()};
}

}  // namespace

SpoolerResult Win32Spooler::RemoveDriver(const char* environment, const std::string& name,
                                         std::uint32_t flags) {
    std::string env = environment ? environment : "";
    std::string driver = name;
    LPSTR envArgument = environment ? env.data() : nullptr;
    if (flags == 0) return Outcome(DeletePrinterDriverA(nullptr, envArgument, driver.data()));
    using DeleteExFn = BOOL WINAPI(LPSTR, LPSTR, LPSTR, DWORD, DWORD);
    LoadedLibrary winspool("winspool.drv");
    auto* const deleteEx = winspool.Export<DeleteExFn>("DeletePrinterDriverExA");
    if (deleteEx == nullptr) return {false, ERROR_PROC_NOT_FOUND};
    return Outcome(deleteEx(nullptr, envArgument, driver.data(), flags, 0));
}

SpoolerResult Win32Spooler::RemoveMonitor(const char* environment, const std::string& name) {
    std::string env = environment ? environment : "";
    std::string monitor = name;
    return Outcome(DeleteMonitorA(nullptr, environment ? env.data() : nullptr, monitor.data()));
}

SpoolerResult Win32Spooler::RegisterMonitor(const MonitorSpec& monitor) {
    TextPool pool;
    MONITOR_INFO_2A info{};
    info.pName = pool.Add(monitor.name);
    info.pEnvironment = pool.Add(monitor.environment);
    info.pDLLName = pool.Add(monitor.dllName);
    return Outcome(AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
}

SpoolerResult Win32Spooler::RegisterDriver(const DriverSpec& driver) {
    TextPool pool;
    DRIVER_INFO_3A info{};
    info.cVersion = driver.version;
    info.pName = pool.Add(driver.name);
    info.pEnvironment = pool.Add(driver.environment);
    info.pDriverPath = pool.Add(driver.driverPath);
    info.pDataFile = pool.Add(driver.dataFile);
    info.pConfigFile = pool.Add(driver.configFile);
    info.pHelpFile = pool.Add(driver.helpFile);
    info.pDependentFiles = pool.AddList(driver.dependentFiles);
    info.pMonitorName = pool.Add(driver.monitorName);
    info.pDefaultDataType = pool.Add(driver.defaultDataType);
    return Outcome(AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)));
}

bool Win32Spooler::CreateQueue(const QueueSpec& queue) {
    TextPool pool;
    PRINTER_INFO_2A info{};
    info.pPrinterName = pool.Add(queue.printerName);
    info.pShareName = pool.Add(queue.shareName);
    info.pPortName = pool.Add(queue.portName);
    info.pDriverName = pool.Add(queue.driverName);
    info.pPrintProcessor = pool.Add(queue.printProcessor);
    info.pDatatype = pool.Add(queue.dataType);
    info.Attributes = queue.attributes;
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (handle == nullptr) return false;
    ClosePrinter(handle);
    return true;
}

void Win32Spooler::AnnounceSettingChange(unsigned timeoutMs) {
    static const char kSection[] = "windows";
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kSection),
                        SMTO_NORMAL, timeoutMs, nullptr);
}

bool Win32Spooler::ListDrivers(const char* environment, std::vector<DriverRecord>& out) {
    return EnumerateInto<DRIVER_INFO_1A>(
        out,
        [environment](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 1, buf, size,
                                       needed, returned);
        },
        [](const DRIVER_INFO_1A& r) { return DriverRecord{Text(r.pName)}; });
}

bool Win32Spooler::ListPrinters(std::vector<PrinterRecord>& out) {
    return EnumerateInto<PRINTER_INFO_2A>(
        out,
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buf, size, needed, returned);
        },
        RecordOf);
}

std::unique_ptr<QueueListing> Win32Spooler::MakeQueueListing() {
    return std::make_unique<Win32QueueListing>();
}

bool Win32Spooler::ListMonitors(std::vector<MonitorRecord>& out) {
    return EnumerateInto<MONITOR_INFO_1A>(
        out,
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumMonitorsA(nullptr, 1, buf, size, needed, returned);
        },
        [](const MONITOR_INFO_1A& r) { return MonitorRecord{Text(r.pName)}; });
}

}  // namespace tq
