#pragma once

#include "platform/spooler.h"

namespace tq {

// The local spooler through winspool's A functions.
class Win32Spooler : public Spooler {
  public:
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
    void AnnounceSettingChange(unsigned timeoutMs) override;
};

}  // namespace tq
