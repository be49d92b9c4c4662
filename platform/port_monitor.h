// The configuration channel of a port monitor (the spooler's "Xcv" channel): opened by an object
// name such as ",XcvMonitor Standard TCP/IP Port" with administer access, it takes named commands
// with a block of bytes as input. Nothing is read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tq {

class PortMonitorChannel {
  public:
    // Closing the channel is the owner going away.
    virtual ~PortMonitorChannel() = default;
    // Sends one command (a UTF-16 name) with the input bytes and no output wanted. True when the
    // spooler accepted the call; the monitor's own status is not reported.
    virtual bool Send(std::u16string_view command, const std::uint8_t* input,
                      std::size_t inputSize) = 0;
    // The same, answering with the outcome: 0 when the spooler took the call and the monitor
    // reported success, else the monitor's status, or the spooler's error when it refused.
    virtual std::uint32_t SendForStatus(std::u16string_view command, const std::uint8_t* input,
                                        std::size_t inputSize) = 0;
};

class PortMonitor {
  public:
    virtual ~PortMonitor() = default;
    // nullptr when the channel cannot be opened (no such monitor, access refused).
    virtual std::unique_ptr<PortMonitorChannel> OpenChannel(const std::string& objectName) = 0;
};

}  // namespace tq
