// Real UDP sockets on the host (BSD sockets), so host tests run the search against a responder
// on the loopback address. The host entry is fixed by the test, not looked up: every address
// the tests use stays on this machine.
#pragma once

#include <optional>

#include "platform/sockets.h"

namespace tq {

class PosixSockets : public Sockets {
  public:
    // hostEntry: what HostEntryAddress reports; none: the lookup fails.
    explicit PosixSockets(std::optional<std::uint32_t> hostEntry = 0x7F000001u)
        : hostEntry_(hostEntry) {}
    std::unique_ptr<SocketSession> Start() override;

  private:
    std::optional<std::uint32_t> hostEntry_;
};

}  // namespace tq
