// The IPv4 addresses of this computer's network adapters, as the adapter selection dialog lists
// them. Texts are 8-bit, in the system code page.
#pragma once

#include <string>
#include <vector>

namespace tq {

struct AdapterAddress {
    std::string description;  // the adapter's description
    std::string address;      // one address of that adapter, dotted as the system gives it
};

class NetworkAdapters {
  public:
    virtual ~NetworkAdapters() = default;
    // Replaces `out` by one entry per address: for each adapter in the system's order, its first
    // address, then each further one in the order of its list. False (and `out` empty) when the
    // enumeration fails.
    virtual bool ListAddresses(std::vector<AdapterAddress>& out) = 0;
};

}  // namespace tq
