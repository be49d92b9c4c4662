#include "tests/support/fake_spooler.h"

#include <algorithm>

#include "platform/text.h"

namespace tq::test {

namespace {

class FakeQueueSettings : public QueueSettings {
  public:
    explicit FakeQueueSettings(FakeSpooler::Queue record) : record(std::move(record)) {}
    std::uint32_t Attributes() const override { return record.attributes; }
    void SetAttributes(std::uint32_t attributes) override { record.attributes = attributes; }
    void SetPrinterName(const std::string& name) override { record.name = name; }
    void SetShareName(const std::string& name) override { record.shareName = name; }
    FakeSpooler::Queue record;
};

class FakeOpenedQueue : public OpenedQueue {
  public:
    FakeOpenedQueue(FakeSpooler& spooler, std::string name)
        : spooler_(spooler), name_(std::move(name)) {
        ++spooler_.openQueues;
    }
    ~FakeOpenedQueue() override { --spooler_.openQueues; }

    std::unique_ptr<QueueSettings> ReadSettings() override {
        FakeSpooler::Queue* q = spooler_.FindQueue(name_);
        if (q == nullptr || spooler_.failRead.count(name_)) return nullptr;
        return std::make_unique<FakeQueueSettings>(*q);
    }
    bool WriteSettings(QueueSettings& settings) override {
        FakeSpooler::Queue* q = spooler_.FindQueue(name_);
        if (q == nullptr || spooler_.failWrite.count(name_)) return false;
        *q = static_cast<FakeQueueSettings&>(settings).record;
        if (q->name) name_ = *q->name;
        return true;
    }
    bool Delete() override {
        if (spooler_.failDelete.count(name_)) return false;
        if (spooler_.pendingDelete.count(name_)) return true;
        auto& qs = spooler_.queues;
        const auto it = std::find_if(qs.begin(), qs.end(), [this](const FakeSpooler::Queue& q) {
            return q.name && MbsEqualNoCase(*q.name, name_);
        });
        if (it == qs.end()) return false;
        qs.erase(it);
        return true;
    }

  private:
    FakeSpooler& spooler_;
    std::string name_;
};

}  // namespace

FakeSpooler& FakeSpooler::AddDriver(SpoolerText name, std::string environment) {
    drivers.push_back({std::move(name), std::move(environment)});
    return *this;
}

FakeSpooler& FakeSpooler::AddMonitor(SpoolerText name) {
    monitors.push_back(std::move(name));
    return *this;
}

FakeSpooler& FakeSpooler::AddQueue(SpoolerText name, SpoolerText port, SpoolerText driver,
                                   SpoolerText shareName, std::uint32_t attributes) {
    queues.push_back({std::move(name), std::move(port), std::move(driver), std::move(shareName),
                      attributes, "", ""});
    return *this;
}

FakeSpooler::Queue* FakeSpooler::FindQueue(const std::string& name) {
    // Queue names are not case-sensitive on Windows.
    for (auto& q : queues) {
        if (q.name && MbsEqualNoCase(*q.name, name)) return &q;
    }
    return nullptr;
}

bool FakeSpooler::ListDrivers(const char* environment, std::vector<DriverRecord>& out) {
    ++driverListings;
    out.clear();
    const std::string asked = environment != nullptr ? environment : callerEnvironment;
    for (const auto& d : drivers) {
        if (d.environment == asked) out.push_back({d.name});
    }
    if (failDrivers || out.empty()) {
        out.clear();
        return false;
    }
    return true;
}

bool FakeSpooler::ListRecords(std::vector<PrinterRecord>& out) {
    ++printerListings;
    out.clear();
    if (!failPrinters) {
        for (const auto& q : queues) {
            out.push_back({q.name, q.shareName, q.port, q.driver, q.attributes, q.jobs});
        }
    }
    for (auto& q : addAfterNextPrinterListing) queues.push_back(std::move(q));
    addAfterNextPrinterListing.clear();
    return !failPrinters;
}

bool FakeSpooler::ListPrinters(std::vector<PrinterRecord>& out) {
    // The two-call form reports failure when the spooler has nothing to list.
    const bool ok = ListRecords(out) && !out.empty();
    if (!ok) out.clear();
    return ok;
}

// A kept listing answers no queue at all with an empty list.
class FakeQueueListing : public QueueListing {
  public:
    explicit FakeQueueListing(FakeSpooler& spooler) : spooler_(spooler) {}
    bool MayHaveChanged() override {
        std::vector<PrinterRecord> now;
        for (const auto& q : spooler_.queues) {
            now.push_back({q.name, q.shareName, q.port, q.driver, q.attributes});
        }
        const bool changed = !reported_ || !SameRecords(now, *reported_);
        reported_ = std::move(now);
        return changed || !spooler_.reportsChanges;
    }
    bool Names(std::vector<SpoolerText>& out) override {
        ++spooler_.nameListings;
        out.clear();
        if (spooler_.failNames) return false;
        for (const auto& q : spooler_.queues) out.push_back(q.name);
        return true;
    }
    bool Printers(std::vector<PrinterRecord>& out) override { return spooler_.ListRecords(out); }

  private:
    static bool SameRecords(const std::vector<PrinterRecord>& a,
                            const std::vector<PrinterRecord>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const PrinterRecord& x, const PrinterRecord& y) {
                              return x.printerName == y.printerName && x.shareName == y.shareName &&
                                     x.portName == y.portName && x.driverName == y.driverName &&
                                     x.attributes == y.attributes;
                          });
    }

    FakeSpooler& spooler_;
    std::optional<std::vector<PrinterRecord>> reported_;
};

std::unique_ptr<QueueListing> FakeSpooler::MakeQueueListing() {
    return std::make_unique<FakeQueueListing>(*this);
}

bool FakeSpooler::ListMonitors(std::vector<MonitorRecord>& out) {
    ++monitorListings;
    out.clear();
    if (failMonitors || monitors.empty()) return false;
    for (const auto& m : monitors) out.push_back({m});
    return true;
}

std::unique_ptr<OpenedQueue> FakeSpooler::OpenQueue(const std::string& printerName) {
    if (FindQueue(printerName) == nullptr || failOpen.count(printerName)) return nullptr;
    return std::make_unique<FakeOpenedQueue>(*this, printerName);
}

PrinterForUse FakeSpooler::ReadPrinterForUse(const std::string& printerName) {
    const auto opens = std::count(openedForUse.begin(), openedForUse.end(), printerName);
    openedForUse.push_back(printerName);
    const auto scripted = printersForUse.find(printerName);
    if (scripted != printersForUse.end() && !scripted->second.empty()) {
        const auto& answers = scripted->second;
        return answers[std::min(static_cast<size_t>(opens), answers.size() - 1)];
    }
    constexpr std::uint32_t kInvalidPrinterName = 1801;
    const Queue* queue = FindQueue(printerName);
    if (queue == nullptr) return {false, kInvalidPrinterName, false, std::nullopt};
    return {true, 0, true, queue->driver};
}

namespace {
constexpr std::uint32_t kMonitorAlreadyInstalled = 3006;
constexpr std::uint32_t kDriverAlreadyInstalled = 1795;

bool Listed(const std::vector<SpoolerText>& names, const std::string& name) {
    for (const auto& n : names) {
        if (n && MbsEqualNoCase(*n, name)) return true;
    }
    return false;
}
}  // namespace

SpoolerResult FakeSpooler::RegisterMonitor(const MonitorSpec& monitor) {
    if (addMonitorError != 0) return {false, addMonitorError};
    if (Listed(monitors, monitor.name)) return {false, kMonitorAlreadyInstalled};
    monitors.push_back(monitor.name);
    addedMonitors.push_back(monitor);
    return {true, 0};
}

SpoolerResult FakeSpooler::RegisterDriver(const DriverSpec& driver) {
    if (addDriverError != 0) return {false, addDriverError};
    for (const auto& d : drivers) {
        if (d.name && MbsEqualNoCase(*d.name, driver.name) && d.environment == driver.environment) {
            return {false, kDriverAlreadyInstalled};
        }
    }
    drivers.push_back({driver.name, driver.environment});
    addedDrivers.push_back(driver);
    return {true, 0};
}

bool FakeSpooler::CreateQueue(const QueueSpec& queue) {
    // Windows refuses a name that is taken, whatever driver the queue uses.
    if (failAddPrinter || FindQueue(queue.printerName) != nullptr) return false;
    Queue q;
    q.name = queue.printerName;
    q.port = queue.portName;
    q.driver = queue.driverName;
    q.shareName = queue.shareName;
    q.attributes = queue.attributes;
    queues.push_back(q);
    addedQueues.push_back(queue);
    return true;
}

SpoolerResult FakeSpooler::RemoveDriver(const char* environment, const std::string& name,
                                        std::uint32_t flags) {
    const std::string env = environment != nullptr ? environment : callerEnvironment;
    if (flags != 0 && deleteDriverExError != 0) return {false, deleteDriverExError};
    if (deleteDriverError != 0) return {false, deleteDriverError};
    const auto it = std::find_if(drivers.begin(), drivers.end(), [&](const Driver& d) {
        return d.name && MbsEqualNoCase(*d.name, name) && MbsEqualNoCase(d.environment, env);
    });
    if (it == drivers.end()) return {false, 1797};  // ERROR_UNKNOWN_PRINTER_DRIVER
    drivers.erase(it);
    deletions.push_back("driver " + env + "|" + name + "|" + std::to_string(flags));
    return {true, 0};
}

SpoolerResult FakeSpooler::RemoveMonitor(const char* /*environment*/, const std::string& name) {
    if (deleteMonitorError != 0) return {false, deleteMonitorError};
    const auto it = std::find_if(monitors.begin(), monitors.end(), [&](const SpoolerText& m) {
        return m && MbsEqualNoCase(*m, name);
    });
    if (it == monitors.end()) return {false, 3000};  // ERROR_UNKNOWN_PRINT_MONITOR
    monitors.erase(it);
    deletions.push_back("monitor " + name);
    return {true, 0};
}

}  // namespace tq::test
