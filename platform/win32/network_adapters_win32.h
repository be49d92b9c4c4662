#pragma once

#include "platform/network_adapters.h"

namespace tq {

// GetAdaptersInfo (iphlpapi): first into a 640-byte buffer, then once more, into a buffer of the
// size asked for when the first answer was ERROR_BUFFER_OVERFLOW, else into the same buffer.
// The second answer decides.
class Win32NetworkAdapters : public NetworkAdapters {
  public:
    bool ListAddresses(std::vector<AdapterAddress>& out) override;
};

}  // namespace tq
