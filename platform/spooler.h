// The local print spooler as the installer sees it. The Windows implementation
// (platform/win32/spooler_win32.cpp) does the two-call enumerations; the decisions made on
// the records (matching, listing) live in install/spooler.
#pragma once

#include <cstdint>
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
};

struct MonitorRecord {  // MONITOR_INFO_1
    SpoolerText name;
};

class Spooler {
  public:
    virtual ~Spooler() = default;

    // Each enumeration asks for the size, allocates exactly that and asks again. It returns
    // false when the spooler reports nothing or the second call fails (no retry), and then
    // leaves `out` empty.
    virtual bool ListDrivers(std::vector<DriverRecord>& out) = 0;    // local, own environment
    virtual bool ListPrinters(std::vector<PrinterRecord>& out) = 0;  // PRINTER_ENUM_LOCAL, level 2
    virtual bool ListMonitors(std::vector<MonitorRecord>& out) = 0;  // level 1
};

}  // namespace tq
