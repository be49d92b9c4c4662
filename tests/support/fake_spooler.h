// In-memory spooler for host tests: drivers, monitors and queues in the order they were added,
// a default printer, and switches that make a call fail as a real spooler can.
#pragma once

#include <map>
#include <set>
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
        // Fields the installer never changes; a level-2 update must keep them.
        std::string comment;
        std::string location;
        std::uint32_t jobs = 0;  // print jobs waiting
    };

    // A driver and the environment it is registered for.
    struct Driver {
        SpoolerText name;
        std::string environment;
    };
    static constexpr const char kCallerEnvironment[] = "Windows NT x86";

    // Set-up.
    FakeSpooler& AddDriver(SpoolerText name, std::string environment = kCallerEnvironment);
    FakeSpooler& AddMonitor(SpoolerText name);
    FakeSpooler& AddQueue(SpoolerText name, SpoolerText port, SpoolerText driver,
                          SpoolerText shareName = std::nullopt, std::uint32_t attributes = 0);

    // The queue of that name (exact), or nullptr.
    Queue* FindQueue(const std::string& name);

    std::vector<Driver> drivers;
    std::vector<SpoolerText> monitors;
    std::vector<Queue> queues;
    std::string defaultPrinter;

    // The environment of the program asking: as on Windows, a driver listing that names no
    // environment answers for this one (a 32-bit program's, unless a test says otherwise).
    std::string callerEnvironment = kCallerEnvironment;

    // Injected failures: an enumeration reports failure (as a failed second call does); a queue
    // operation fails for the names listed.
    bool failDrivers = false;
    bool failPrinters = false;
    bool failMonitors = false;
    bool failNames = false;  // a kept listing's names (level 4), as on Windows 95, 98 and Me
    // Whether a kept listing hears of changes: then it reports one when a queue's name, driver,
    // port, share or attributes differ from what they were at its last call; else it answers
    // "may have changed" every time.
    bool reportsChanges = false;
    std::set<std::string> failOpen, failRead, failWrite, failDelete;
    std::set<std::string> pendingDelete;  // deleted with jobs waiting: it stays listed
    // Errors the Add calls fail with (0: they succeed, or fail as Windows does on a duplicate).
    std::uint32_t addMonitorError = 0;
    std::uint32_t addDriverError = 0;
    bool failAddPrinter = false;
    // Errors the Delete calls fail with (0: they succeed; a missing item fails as on Windows).
    // The flagged driver deletion fails with deleteDriverExError (Wine takes no flags: 87).
    std::uint32_t deleteDriverError = 0;
    std::uint32_t deleteDriverExError = 0;
    std::uint32_t deleteMonitorError = 0;
    // Deletions that succeeded: "driver <environment>|<name>|<flags>", "monitor <name>".
    std::vector<std::string> deletions;
    // What opening a printer for use answers, by name, one answer per open in order (the last
    // one repeats); a name not listed answers as a local queue of that name would.
    std::map<std::string, std::vector<PrinterForUse>> printersForUse;
    std::vector<std::string> openedForUse;

    // What was registered, in order.
    std::vector<MonitorSpec> addedMonitors;
    std::vector<DriverSpec> addedDrivers;
    std::vector<QueueSpec> addedQueues;

    // What happened.
    int driverListings = 0;
    int printerListings = 0;
    int monitorListings = 0;
    int nameListings = 0;  // a kept listing's names; its records count as printerListings
    int openQueues = 0;    // queues opened and not yet closed
    std::vector<unsigned> announcements;

    // Queues that appear right after the next printer listing: lets a test change the spooler
    // between two calls.
    std::vector<Queue> addAfterNextPrinterListing;

    bool ListDrivers(const char* environment, std::vector<DriverRecord>& out) override;
    bool ListPrinters(std::vector<PrinterRecord>& out) override;
    bool ListMonitors(std::vector<MonitorRecord>& out) override;
    std::unique_ptr<QueueListing> MakeQueueListing() override;
    std::unique_ptr<OpenedQueue> OpenQueue(const std::string& printerName) override;
    PrinterForUse ReadPrinterForUse(const std::string& printerName) override;
    SpoolerResult RegisterMonitor(const MonitorSpec& monitor) override;
    SpoolerResult RegisterDriver(const DriverSpec& driver) override;
    bool CreateQueue(const QueueSpec& queue) override;
    SpoolerResult RemoveDriver(const char* environment, const std::string& name,
                               std::uint32_t flags) override;
    SpoolerResult RemoveMonitor(const char* environment, const std::string& name) override;
    void AnnounceSettingChange(unsigned timeoutMs) override { announcements.push_back(timeoutMs); }

  private:
    friend class FakeQueueListing;
    // The level-2 records of every queue: one printer listing (the queues waiting for it
    // appear after it).
    bool ListRecords(std::vector<PrinterRecord>& out);
};

}  // namespace tq::test
