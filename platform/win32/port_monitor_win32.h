#pragma once

#include "platform/port_monitor.h"

namespace tq {

// OpenPrinterA on the object name with SERVER_ACCESS_ADMINISTER, XcvDataW per command,
// ClosePrinter when the channel goes.
class Win32PortMonitor : public PortMonitor {
  public:
    std::unique_ptr<PortMonitorChannel> OpenChannel(const std::string& objectName) override;
};

}  // namespace tq
