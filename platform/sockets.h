// UDP datagram sockets for the network printer search: a session (the socket library started),
// its host entry, and IPv4 datagram sockets. Addresses are IPv4 in host byte order
// (127.0.0.1 is 0x7F000001); ports in host byte order too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tq {

enum class ReceiveStatus {
    Datagram,  // length bytes arrived from sender
    TimedOut,  // nothing arrived within the receive time-out
    Failed,    // any other error, including a datagram longer than the buffer (then dropped)
};

struct Received {
    ReceiveStatus status = ReceiveStatus::Failed;
    std::size_t length = 0;
    std::uint32_t sender = 0;
};

class DatagramSocket {
  public:
    // Closes the socket.
    virtual ~DatagramSocket() = default;
    virtual bool SetBroadcast(bool enabled) = 0;
    virtual bool SetReceiveTimeout(unsigned milliseconds) = 0;
    virtual bool Bind(std::uint32_t address, std::uint16_t port) = 0;
    // True when the whole datagram was handed to the network.
    virtual bool SendTo(const unsigned char* data, std::size_t size, std::uint32_t address,
                        std::uint16_t port) = 0;
    // Never writes more than capacity bytes.
    virtual Received ReceiveFrom(unsigned char* buffer, std::size_t capacity) = 0;
};

// The socket library while it is started; it is shut down when the session goes, so every
// socket of the session must go first.
class SocketSession {
  public:
    virtual ~SocketSession() = default;
    // An IPv4 datagram socket, or nullptr when none can be created.
    virtual std::unique_ptr<DatagramSocket> OpenDatagramSocket() = 0;
    // The first IPv4 address of this computer's host entry (its name looked up); false when the
    // name or its entry is unavailable.
    virtual bool HostEntryAddress(std::uint32_t& address) = 0;
};

class Sockets {
  public:
    virtual ~Sockets() = default;
    // Starts the socket library (Winsock 2.2 on Windows); nullptr when it cannot be started.
    virtual std::unique_ptr<SocketSession> Start() = 0;
};

}  // namespace tq
