// The five questions the installer asks the local spooler. Each enumerates once, compares one
// name field without regard to case and keeps nothing. DriverPrinterNames asks the driver
// question of records listed already.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spooler.h"

namespace tq {

// The record a queue listing fills: the queue's name, then its port. Callers step by 128 bytes.
struct PrinterEntry {
    char name[64];
    char port[64];  // all zero when the queue reports no port
};
static_assert(sizeof(PrinterEntry) == 128, "PrinterEntry is a 128-byte record");

// `environment` as Spooler::ListDrivers takes it (null: the caller's own).
bool FindPrinterDriver(Spooler& spooler, const char* environment, std::string_view driverName);
bool FindDriverPrinter(Spooler& spooler, std::string_view driverName, std::string_view printerName);

// Counts the local queues that use driverName. With entries, writes the first `capacity`
// of them in the spooler's order; names longer than a field are cut. The count may exceed
// `capacity` when a queue was added since the caller sized its array: only `capacity`
// records are ever written.
int ListDriverPrinters(Spooler& spooler, std::string_view driverName, PrinterEntry* entries,
                       std::size_t capacity);

// The model counts as installed: its driver is registered for `environment` and at least one
// local queue uses it.
bool ModelQueuesInstalled(Spooler& spooler, const char* environment);

// The names of the queues in `printers` that use driverName, in their order, each cut as
// ListDriverPrinters cuts it into a PrinterEntry.
std::vector<std::string> DriverPrinterNames(const std::vector<PrinterRecord>& printers,
                                            std::string_view driverName);

// Two names are one (printer and share names); none: the code page's case-insensitive compare.
using NameCompare = std::function<bool(std::string_view, std::string_view)>;

// A local queue shares under this name; the share of the queue `exceptPrinter` (when given)
// does not count. Names compare as `same` says.
bool FindShareName(Spooler& spooler, std::string_view shareName,
                   std::string_view exceptPrinter = {}, const NameCompare& same = nullptr);
bool FindMonitor(Spooler& spooler, std::string_view monitorName);

}  // namespace tq
