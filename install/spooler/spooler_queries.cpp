#include "install/spooler/spooler_queries.h"

#include <vector>

#include "install/model.h"
#include "platform/text.h"

namespace tq {

namespace {
bool Matches(const SpoolerText& field, std::string_view wanted) {
    return field.has_value() && MbsEqualNoCase(*field, wanted);
}
bool UsesDriver(const PrinterRecord& p, std::string_view driverName) {
    return p.printerName && Matches(p.driverName, driverName);
}
}  // namespace

bool FindPrinterDriver(Spooler& spooler, const char* environment, std::string_view driverName) {
    std::vector<DriverRecord> drivers;
    if (!spooler.ListDrivers(environment, drivers)) return false;
    for (const auto& d : drivers) {
        if (Matches(d.name, driverName)) return true;
    }
    return false;
}

bool FindDriverPrinter(Spooler& spooler, std::string_view driverName,
                       std::string_view printerName) {
    std::vector<PrinterRecord> printers;
    if (!spooler.ListPrinters(printers)) return false;
    for (const auto& p : printers) {
        if (p.printerName && Matches(p.driverName, driverName) &&
            MbsEqualNoCase(*p.printerName, printerName)) {
            return true;
        }
    }
    return false;
}

int ListDriverPrinters(Spooler& spooler, std::string_view driverName, PrinterEntry* entries,
                       std::size_t capacity) {
    std::vector<PrinterRecord> printers;
    if (!spooler.ListPrinters(printers)) return 0;
    int count = 0;
    for (const auto& p : printers) {
        if (!UsesDriver(p, driverName)) continue;
        const auto k = static_cast<std::size_t>(count);
        if (entries != nullptr && k < capacity) {
            BoundedCopy(entries[k].name, *p.printerName);
            if (p.portName) BoundedCopy(entries[k].port, *p.portName);
        }
        ++count;
    }
    return count;
}

std::vector<std::string> DriverPrinterNames(const std::vector<PrinterRecord>& printers,
                                            std::string_view driverName) {
    std::vector<std::string> names;
    for (const auto& p : printers) {
        if (!UsesDriver(p, driverName)) continue;
        PrinterEntry entry{};
        BoundedCopy(entry.name, *p.printerName);
        names.emplace_back(FieldText(entry.name));
    }
    return names;
}

bool FindShareName(Spooler& spooler, std::string_view shareName, std::string_view exceptPrinter,
                   const NameCompare& same) {
    const auto matches = [&same](const SpoolerText& field, std::string_view wanted) {
        return field.has_value() && (same ? same(*field, wanted) : MbsEqualNoCase(*field, wanted));
    };
    std::vector<PrinterRecord> printers;
    if (!spooler.ListPrinters(printers)) return false;
    for (const auto& p : printers) {
        if (!exceptPrinter.empty() && matches(p.printerName, exceptPrinter)) continue;
        if (matches(p.shareName, shareName)) return true;
    }
    return false;
}

bool FindMonitor(Spooler& spooler, std::string_view monitorName) {
    std::vector<MonitorRecord> monitors;
    if (!spooler.ListMonitors(monitors)) return false;
    for (const auto& m : monitors) {
        if (Matches(m.name, monitorName)) return true;
    }
    return false;
}

bool ModelQueuesInstalled(Spooler& spooler, const char* environment) {
    return FindPrinterDriver(spooler, environment, kModelDriverName) &&
           ListDriverPrinters(spooler, kModelDriverName, nullptr, 0) >= 1;
}

}  // namespace tq
