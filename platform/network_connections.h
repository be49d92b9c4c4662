// Connections to resources other computers share.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class NetworkConnections {
  public:
    virtual ~NetworkConnections() = default;
    // WNetAddConnection2A to a shared printer (global scope, print type, share display,
    // connectable; no local name, comment or provider; no password or user name) with
    // CONNECT_INTERACTIVE, so the system may ask the user for credentials. 0 when connected,
    // otherwise the error (1223 when the user dismissed the credentials request).
    virtual std::uint32_t ConnectSharedPrinter(const std::string& remoteName) = 0;
};

}  // namespace tq
