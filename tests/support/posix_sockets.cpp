#include "tests/support/posix_sockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace tq {
namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address);
    result.sin_port = htons(port);
    return result;
}

class PosixDatagramSocket : public DatagramSocket {
  public:
    explicit PosixDatagramSocket(int fd) : fd_(fd) {}
    ~PosixDatagramSocket() override { close(fd_); }
    PosixDatagramSocket(const PosixDatagramSocket&) = delete;
    PosixDatagramSocket& operator=(const PosixDatagramSocket&) = delete;

    bool SetBroadcast(bool enabled) override {
        const int value = enabled ? 1 : 0;
        return setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &value, sizeof(value)) == 0;
    }

    bool SetReceiveTimeout(unsigned milliseconds) override {
        timeval value{};
        value.tv_sec = static_cast<time_t>(milliseconds / 1000);
        value.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
        return setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof(value)) == 0;
    }

    bool Bind(std::uint32_t address, std::uint16_t port) override {
        const sockaddr_in local = MakeAddress(address, port);
        return bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
    }

    bool SendTo(const unsigned char* data, std::size_t size, std::uint32_t address,
                std::uint16_t port) override {
        const sockaddr_in destination = MakeAddress(address, port);
        const ssize_t sent =
            sendto(fd_, data, size, 0, reinterpret_cast<const sockaddr*>(&destination),
                   sizeof(destination));
        return sent == static_cast<ssize_t>(size);
    }

    // BSD sockets cut a long datagram silently; Winsock fails the receive with WSAEMSGSIZE.
    // MSG_TRUNC on the message makes this side behave like Winsock.
    Received ReceiveFrom(unsigned char* buffer, std::size_t capacity) override {
        sockaddr_in sender{};
        iovec part{buffer, capacity};
        msghdr message{};
        message.msg_name = &sender;
        message.msg_namelen = sizeof(sender);
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        const ssize_t length = recvmsg(fd_, &message, 0);
        Received result;
        if (length < 0) {
            result.status = (errno == EAGAIN || errno == EWOULDBLOCK) ? ReceiveStatus::TimedOut
                                                                      : ReceiveStatus::Failed;
            return result;
        }
        if ((message.msg_flags & MSG_TRUNC) != 0) return result;  // Failed
        result.status = ReceiveStatus::Datagram;
        result.length = static_cast<std::size_t>(length);
        result.sender = ntohl(sender.sin_addr.s_addr);
        return result;
    }

  private:
    int fd_;
};

class PosixSocketSession : public SocketSession {
  public:
    explicit PosixSocketSession(std::optional<std::uint32_t> hostEntry) : hostEntry_(hostEntry) {}

    std::unique_ptr<DatagramSocket> OpenDatagramSocket() override {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixDatagramSocket>(fd);
    }

    bool HostEntryAddress(std::uint32_t& address) override {
        if (!hostEntry_) return false;
        address = *hostEntry_;
        return true;
    }

  private:
    std::optional<std::uint32_t> hostEntry_;
};

}  // namespace

std::unique_ptr<SocketSession> PosixSockets::Start() {
    return std::make_unique<PosixSocketSession>(hostEntry_);
}

}  // namespace tq
