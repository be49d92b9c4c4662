// The local print spooler as the installer sees it. The Windows implementation
// (platform/win32/spooler_win32.cpp) does the two-call enumerations; the decisions made on
// the records (matching, listing) live in install/spooler.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tq {

// A field of a spooler record that may be absent (a null pointer in the Windows record).
using SpoolerText = std::optional<std::string>;

struct DriverRecord {  // DRIVER_INFO_1
    SpoolerText name;
};

struct PrinterRecord {  // PRINTER_INFO_2, the fields the installer reads
    SpoolerText printerName;
    SpoolerText shareName;
    SpoolerText portName;
    SpoolerText driverName;
    std::uint32_t attributes = 0;
    std::uint32_t jobs = 0;  // cJobs: print jobs waiting in the queue
};

struct MonitorRecord {  // MONITOR_INFO_1
    SpoolerText name;
};

// What the installer registers. Field names follow the Windows records they fill.
struct MonitorSpec {  // MONITOR_INFO_2
    std::string name;
    std::string environment;
    std::string dllName;
};

struct DriverSpec {  // DRIVER_INFO_3; every field not listed is zero
    std::uint32_t version = 0;
    std::string name;
    std::string environment;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    std::string helpFile;
    std::vector<std::string> dependentFiles;  // passed as a list ended by an empty name
    std::string monitorName;
    SpoolerText defaultDataType;
};

struct QueueSpec {  // PRINTER_INFO_2; every field not listed is zero
    std::string printerName;
    SpoolerText shareName;
    std::string portName;
    std::string driverName;
    std::string printProcessor;
    std::string dataType;
    std::uint32_t attributes = 0;
};

// A spooler call that can fail: its result and, on failure, GetLastError right after it.
struct SpoolerResult {
    bool ok = false;
    std::uint32_t error = 0;
};

// A printer opened only to use it (PRINTER_ACCESS_USE), and the driver its level-2 record names.
struct PrinterForUse {
    bool opened = false;
    std::uint32_t openError = 0;  // GetLastError after a failed OpenPrinterA
    bool read = false;            // the size query gave a size and the record was read
    SpoolerText driverName;
};

// One queue's level-2 record (PRINTER_INFO_2), read whole. Only these fields can be changed;
// every other field is written back exactly as it was read.
class QueueSettings {
  public:
    virtual ~QueueSettings() = default;
    virtual std::uint32_t Attributes() const = 0;
    virtual void SetAttributes(std::uint32_t attributes) = 0;
    virtual void SetPrinterName(const std::string& name) = 0;
    virtual void SetShareName(const std::string& name) = 0;
};

// The local queues listed again and again (the USB queue watcher polls them every 10 ms). Each
// level keeps its buffer between calls (EnumerationBuffer): one call while the answer fits, the
// size asked again only when the queues have outgrown it. No queue at all is an empty list here,
// not a failure; a failure leaves `out` empty.
class QueueListing {
  public:
    virtual ~QueueListing() = default;
    // False when the spooler's own store of the local queues (the registry key that holds one
    // subkey per queue) has reported no change since the last call; true when it has, on the
    // first call, and wherever no such report can be had (the caller then lists every time).
    virtual bool MayHaveChanged() = 0;
    // PRINTER_ENUM_LOCAL at level 4: the names alone, the cheapest answer (Windows 95, 98 and Me
    // have no level 4 and fail).
    virtual bool Names(std::vector<SpoolerText>& out) = 0;
    // PRINTER_ENUM_LOCAL at level 2: the records ListPrinters gives.
    virtual bool Printers(std::vector<PrinterRecord>& out) = 0;
};

// A queue opened with PRINTER_ALL_ACCESS; closed when the object goes.
class OpenedQueue {
  public:
    virtual ~OpenedQueue() = default;
    // GetPrinterA at level 2 in the two-call form; nullptr when the size query or the read fails.
    virtual std::unique_ptr<QueueSettings> ReadSettings() = 0;
    // SetPrinterA at level 2, command 0.
    virtual bool WriteSettings(QueueSettings& settings) = 0;
    // DeletePrinter.
    virtual bool Delete() = 0;
};

class Spooler {
  public:
    virtual ~Spooler() = default;

    // Each enumeration asks for the size, allocates exactly that and asks again. It returns
    // false when the spooler reports nothing or the second call fails (no retry), and then
    // leaves `out` empty.
    // Local drivers of one environment ("Windows x64"); null: the caller's own environment,
    // which for a 32-bit program on 64-bit Windows is "Windows NT x86".
    virtual bool ListDrivers(const char* environment, std::vector<DriverRecord>& out) = 0;
    virtual bool ListPrinters(std::vector<PrinterRecord>& out) = 0;  // PRINTER_ENUM_LOCAL, level 2
    virtual bool ListMonitors(std::vector<MonitorRecord>& out) = 0;  // level 1
    // A listing of the local queues to be made many times; its buffers go with it.
    virtual std::unique_ptr<QueueListing> MakeQueueListing() = 0;

    // OpenPrinterA with PRINTER_ALL_ACCESS; nullptr when it fails.
    virtual std::unique_ptr<OpenedQueue> OpenQueue(const std::string& printerName) = 0;
    // OpenPrinterA with PRINTER_ACCESS_USE (no data type, no device mode), any printer name a
    // local or a shared printer ("\\server\share"), then GetPrinterA level 2 in the two-call
    // form; the printer is closed again.
    virtual PrinterForUse ReadPrinterForUse(const std::string& printerName) = 0;

    // AddMonitorA level 2, AddPrinterDriverA level 3 (local).
    virtual SpoolerResult RegisterMonitor(const MonitorSpec& monitor) = 0;
    virtual SpoolerResult RegisterDriver(const DriverSpec& driver) = 0;
    // AddPrinterA level 2; the handle is closed at once. False when no handle came back.
    virtual bool CreateQueue(const QueueSpec& queue) = 0;

    // DeletePrinterDriverExA (local) with these DPD_* flags and version 0; flags 0:
    // DeletePrinterDriverA. The Ex call is looked up at run time (Windows 9x and NT 4.0 lack it):
    // missing, it is a failure with ERROR_PROC_NOT_FOUND.
    virtual SpoolerResult RemoveDriver(const char* environment, const std::string& name,
                                       std::uint32_t flags) = 0;
    // DeleteMonitorA (local).
    virtual SpoolerResult RemoveMonitor(const char* environment, const std::string& name) = 0;

    // Tells every top-level window that the printer settings changed (WM_SETTINGCHANGE with
    // "windows", SMTO_NORMAL), waiting at most timeoutMs for each.
    virtual void AnnounceSettingChange(unsigned timeoutMs) = 0;
};

}  // namespace tq
