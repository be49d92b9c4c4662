#pragma once

#include "platform/network_connections.h"

namespace tq {

class Win32NetworkConnections : public NetworkConnections {
  public:
    std::uint32_t ConnectSharedPrinter(const std::string& remoteName) override;
};

}  // namespace tq
