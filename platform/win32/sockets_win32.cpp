#include "platform/win32/sockets_win32.h"

// winsock2.h must come before anything that pulls in windows.h.
#include <winsock2.h>
#include <windows.h>

namespace tq {
namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address);
    result.sin_port = htons(port);
    return result;
}

class Win32DatagramSocket : public DatagramSocket {
  public:
    explicit Win32DatagramSocket(SOCKET socket) : socket_(socket) {}
    ~Win32DatagramSocket() override { closesocket(socket_); }
    Win32DatagramSocket(const Win32DatagramSocket&) = delete;
    Win32DatagramSocket& operator=(const Win32DatagramSocket&) = delete;

    bool SetBroadcast(bool enabled) override {
        BOOL value = enabled ? TRUE : FALSE;
        return setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&value),
                          sizeof(value)) == 0;
    }

    bool SetReceiveTimeout(unsigned milliseconds) override {
        DWORD value = milliseconds;
        return setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value),
                          sizeof(value)) == 0;
    }

    bool Bind(std::uint32_t address, std::uint16_t port) override {
        const sockaddr_in local = MakeAddress(address, port);
        return bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
    }

    bool SendTo(const unsigned char* data, std::size_t size, std::uint32_t address,
                std::uint16_t port) override {
        const sockaddr_in destination = MakeAddress(address, port);
        const int sent =
            sendto(socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                   reinterpret_cast<const sockaddr*>(&destination), sizeof(destination));
        return sent == static_cast<int>(size);
    }

    Received ReceiveFrom(unsigned char* buffer, std::size_t capacity) override {
        sockaddr_in sender{};
        int senderSize = sizeof(sender);
        const int length =
            recvfrom(socket_, reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0,
                     reinterpret_cast<sockaddr*>(&sender), &senderSize);
        Received result;
        if (length == SOCKET_ERROR) {
            // WSAEMSGSIZE (a datagram longer than the buffer) is Failed: the rest is gone.
            result.status =
                WSAGetLastError() == WSAETIMEDOUT ? ReceiveStatus::TimedOut : ReceiveStatus::Failed;
            return result;
        }
        result.status = ReceiveStatus::Datagram;
        result.length = static_cast<std::size_t>(length);
        result.sender = ntohl(sender.sin_addr.s_addr);
        return result;
    }

  private:
    SOCKET socket_;
};

class Win32SocketSession : public SocketSession {
  public:
    Win32SocketSession() = default;
    ~Win32SocketSession() override { WSACleanup(); }
    Win32SocketSession(const Win32SocketSession&) = delete;
    Win32SocketSession& operator=(const Win32SocketSession&) = delete;

    std::unique_ptr<DatagramSocket> OpenDatagramSocket() override {
        const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
        if (s == INVALID_SOCKET) return nullptr;
        return std::make_unique<Win32DatagramSocket>(s);
    }

    bool HostEntryAddress(std::uint32_t& address) override {
        char name[600] = {};
        if (gethostname(name, sizeof(name)) != 0) return false;
        const hostent* entry = gethostbyname(name);
        if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list == nullptr ||
            entry->h_addr_list[0] == nullptr) {
            return false;
        }
        in_addr first;
        CopyMemory(&first, entry->h_addr_list[0], sizeof(first));
        address = ntohl(first.s_addr);
        return true;
    }
};

}  // namespace

std::unique_ptr<SocketSession> Win32Sockets::Start() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return nullptr;
    return std::make_unique<Win32SocketSession>();
}

}  // namespace tq
