// In-memory spooler for host tests: drivers, monitors and queues in the order they were added,
// a default printer, and switches that make an enumeration fail as a real spooler can.
#pragma once

#include <string>
#include <vector>

#include "platform/spooler.h"

namespace tq::test {

class FakeSpooler : public Spooler {
  public:
    struct Queue {
        SpoolerText name;
        SpoolerText port;
        SpoolerText driver;
        SpoolerText shareName;
        std::uint32_t attributes = 0;
    };

    // Set-up.
    FakeSpooler& AddDriver(SpoolerText name);
    FakeSpooler& AddMonitor(SpoolerText name);
    FakeSpooler& AddQueue(SpoolerText name, SpoolerText port, SpoolerText driver,
                          SpoolerText shareName = std::nullopt, std::uint32_t attributes = 0);

    std::vector<SpoolerText> drivers;
    std::vector<SpoolerText> monitors;
    std::vector<Queue> queues;
    std::string defaultPrinter;

    // Injected failures: the enumeration reports failure (as a failed second call does).
    bool failDrivers = false;
    bool failPrinters = false;
    bool failMonitors = false;

    // How often each enumeration ran.
    int driverListings = 0;
    int printerListings = 0;
    int monitorListings = 0;

    // Called after each printer listing: lets a test change the spooler between two calls.
    std::vector<Queue> addAfterNextPrinterListing;

    bool ListDrivers(std::vector<DriverRecord>& out) override;
    bool ListPrinters(std::vector<PrinterRecord>& out) override;
    bool ListMonitors(std::vector<MonitorRecord>& out) override;
};

}  // namespace tq::test
