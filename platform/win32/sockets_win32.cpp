#include "platform/win32/sockets_win32.h"

// winsock2.h must come before anything that pulls in windows.h.
#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <utility>

#include "platform/win32/owners.h"

namespace tq {
namespace {

// ws2_32.dll is loaded at run time: plain Windows 95 has none (only the Winsock 2 update brings
// it), and a static import would keep the installer from starting there. The table keeps the
// library loaded for as long as a session or one of its sockets holds it.
struct Winsock {
    explicit Winsock(const char* name) : library(name) {}

    // Every function was found.
    bool Complete() const {
        return startup && cleanup && lastError && openSocket && close && setOption && bindTo &&
               sendTo && receiveFrom && hostName && hostByName && toNetwork32 && toNetwork16 &&
               fromNetwork32;
    }

    LoadedLibrary library;
    decltype(::WSAStartup)* startup = library.Export<decltype(::WSAStartup)>("WSAStartup");
    decltype(::WSACleanup)* cleanup = library.Export<decltype(::WSACleanup)>("WSACleanup");
    decltype(::WSAGetLastError)* lastError =
        library.Export<decltype(::WSAGetLastError)>("WSAGetLastError");
    decltype(::socket)* openSocket = library.Export<decltype(::socket)>("socket");
    decltype(::closesocket)* close = library.Export<decltype(::closesocket)>("closesocket");
    decltype(::setsockopt)* setOption = library.Export<decltype(::setsockopt)>("setsockopt");
    decltype(::bind)* bindTo = library.Export<decltype(::bind)>("bind");
    decltype(::sendto)* sendTo = library.Export<decltype(::sendto)>("sendto");
    decltype(::recvfrom)* receiveFrom = library.Export<decltype(::recvfrom)>("recvfrom");
    decltype(::gethostname)* hostName = library.Export<decltype(::gethostname)>("gethostname");
    decltype(::gethostbyname)* hostByName =
        library.Export<decltype(::gethostbyname)>("gethostbyname");
    decltype(::htonl)* toNetwork32 = library.Export<decltype(::htonl)>("htonl");
    decltype(::htons)* toNetwork16 = library.Export<decltype(::htons)>("htons");
    decltype(::ntohl)* fromNetwork32 = library.Export<decltype(::ntohl)>("ntohl");
};

sockaddr_in MakeAddress(const Winsock& winsock, std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = winsock.toNetwork32(address);
    result.sin_port = winsock.toNetwork16(port);
    return result;
}

class Win32DatagramSocket : public DatagramSocket {
  public:
    Win32DatagramSocket(std::shared_ptr<const Winsock> winsock, SOCKET socket)
        : winsock_(std::move(winsock)), socket_(socket) {}
    ~Win32DatagramSocket() override { winsock_->close(socket_); }
    Win32DatagramSocket(const Win32DatagramSocket&) = delete;
    Win32DatagramSocket& operator=(const Win32DatagramSocket&) = delete;

    bool SetBroadcast(bool enabled) override {
        BOOL value = enabled ? TRUE : FALSE;
        return winsock_->setOption(socket_, SOL_SOCKET, SO_BROADCAST,
                                   reinterpret_cast<const char*>(&value), sizeof(value)) == 0;
    }

    bool SetReceiveTimeout(unsigned milliseconds) override {
        DWORD value = milliseconds;
        return winsock_->setOption(socket_, SOL_SOCKET, SO_RCVTIMEO,
                                   reinterpret_cast<const char*>(&value), sizeof(value)) == 0;
    }

    bool Bind(std::uint32_t address, std::uint16_t port) override {
        const sockaddr_in local = MakeAddress(*winsock_, address, port);
        return winsock_->bindTo(socket_, reinterpret_cast<const sockaddr*>(&local),
                                sizeof(local)) == 0;
    }

    bool SendTo(const unsigned char* data, std::size_t size, std::uint32_t address,
                std::uint16_t port) override {
        const sockaddr_in destination = MakeAddress(*winsock_, address, port);
        const int sent = winsock_->sendTo(
            socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
            reinterpret_cast<const sockaddr*>(&destination), sizeof(destination));
        return sent == static_cast<int>(size);
    }

    Received ReceiveFrom(unsigned char* buffer, std::size_t capacity) override {
        sockaddr_in sender{};
        int senderSize = sizeof(sender);
        const int length =
            winsock_->receiveFrom(socket_, reinterpret_cast<char*>(buffer),
                                  static_cast<int>(capacity), 0,
                                  reinterpret_cast<sockaddr*>(&sender), &senderSize);
        Received result;
        if (length == SOCKET_ERROR) {
            // WSAEMSGSIZE (a datagram longer than the buffer) is Failed: the rest is gone.
            result.status = winsock_->lastError() == WSAETIMEDOUT ? ReceiveStatus::TimedOut
                                                                  : ReceiveStatus::Failed;
            return result;
        }
        result.status = ReceiveStatus::Datagram;
        result.length = static_cast<std::size_t>(length);
        result.sender = winsock_->fromNetwork32(sender.sin_addr.s_addr);
        return result;
    }

  private:
    std::shared_ptr<const Winsock> winsock_;
    SOCKET socket_;
};

class Win32SocketSession : public SocketSession {
  public:
    explicit Win32SocketSession(std::shared_ptr<const Winsock> winsock)
        : winsock_(std::move(winsock)) {}
    ~Win32SocketSession() override { winsock_->cleanup(); }
    Win32SocketSession(const Win32SocketSession&) = delete;
    Win32SocketSession& operator=(const Win32SocketSession&) = delete;

    std::unique_ptr<DatagramSocket> OpenDatagramSocket() override {
        const SOCKET s = winsock_->openSocket(AF_INET, SOCK_DGRAM, 0);
        if (s == INVALID_SOCKET) return nullptr;
        return std::make_unique<Win32DatagramSocket>(winsock_, s);
    }

    bool HostEntryAddress(std::uint32_t& address) override {
        char name[600] = {};
        if (winsock_->hostName(name, sizeof(name)) != 0) return false;
        const hostent* entry = winsock_->hostByName(name);
        if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list == nullptr ||
            entry->h_addr_list[0] == nullptr) {
            return false;
        }
        in_addr first;
        CopyMemory(&first, entry->h_addr_list[0], sizeof(first));
        address = winsock_->fromNetwork32(first.s_addr);
        return true;
    }

  private:
    std::shared_ptr<const Winsock> winsock_;
};

}  // namespace

std::unique_ptr<SocketSession> Win32Sockets::Start() {
    auto winsock = std::make_shared<const Winsock>(library_.c_str());
    if (!winsock->Complete()) return nullptr;
    WSADATA data;
    if (winsock->startup(MAKEWORD(2, 2), &data) != 0) return nullptr;
    return std::make_unique<Win32SocketSession>(std::move(winsock));
}

}  // namespace tq
