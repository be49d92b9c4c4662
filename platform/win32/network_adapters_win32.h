#pragma once

#include <string>
#include <utility>

#include "platform/network_adapters.h"

namespace tq {

// GetAdaptersInfo (iphlpapi): first into a 640-byte buffer, then once more, into a buffer of the
// size asked for when the first answer was ERROR_BUFFER_OVERFLOW, else into the same buffer.
// The second answer decides.
// iphlpapi.dll is loaded by bare name at run time (Windows 95 and NT 4.0 have none): without the
// library or its export the listing fails. Tests name another library.
class Win32NetworkAdapters : public NetworkAdapters {
  public:
    explicit Win32NetworkAdapters(std::string library = "iphlpapi.dll")
        : library_(std::move(library)) {}
    bool ListAddresses(std::vector<AdapterAddress>& out) override;

  private:
    std::string library_;
};

}  // namespace tq
