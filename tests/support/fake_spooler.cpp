#include "tests/support/fake_spooler.h"

namespace tq::test {

FakeSpooler& FakeSpooler::AddDriver(SpoolerText name) {
    drivers.push_back(std::move(name));
    return *this;
}

FakeSpooler& FakeSpooler::AddMonitor(SpoolerText name) {
    monitors.push_back(std::move(name));
    return *this;
}

FakeSpooler& FakeSpooler::AddQueue(SpoolerText name, SpoolerText port, SpoolerText driver,
                                   SpoolerText shareName, std::uint32_t attributes) {
    queues.push_back(
        {std::move(name), std::move(port), std::move(driver), std::move(shareName), attributes});
    return *this;
}

bool FakeSpooler::ListDrivers(std::vector<DriverRecord>& out) {
    ++driverListings;
    out.clear();
    if (failDrivers || drivers.empty()) return false;
    for (const auto& d : drivers) out.push_back({d});
    return true;
}

bool FakeSpooler::ListPrinters(std::vector<PrinterRecord>& out) {
    ++printerListings;
    out.clear();
    const bool ok = !failPrinters && !queues.empty();
    if (ok) {
        for (const auto& q : queues) {
            out.push_back({q.name, q.shareName, q.port, q.driver, q.attributes});
        }
    }
    for (auto& q : addAfterNextPrinterListing) queues.push_back(std::move(q));
    addAfterNextPrinterListing.clear();
    return ok;
}

bool FakeSpooler::ListMonitors(std::vector<MonitorRecord>& out) {
    ++monitorListings;
    out.clear();
    if (failMonitors || monitors.empty()) return false;
    for (const auto& m : monitors) out.push_back({m});
    return true;
}

}  // namespace tq::test
