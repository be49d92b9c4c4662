// Win32Sockets against Wine's real Winsock, inside the loopback-only sandbox: the session and its
// host entry, the socket options and binds, the receive statuses (a datagram too long for the
// buffer, a time-out), and the whole search answered by a Winsock responder thread in this
// program. Every datagram of these tests goes to 127.0.0.1.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "install/network/discovery_protocol.h"
#include "install/network/printer_search.h"
#include "platform/win32/sockets_win32.h"

namespace tq {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001u;

using Clock = std::chrono::steady_clock;

long long MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// Winsock started for the test's own plain sockets (the library counts its starts).
struct WinsockStarted {
    WinsockStarted() {
        WSADATA data;
        ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockStarted() {
        if (ok) WSACleanup();
    }
    WinsockStarted(const WinsockStarted&) = delete;
    WinsockStarted& operator=(const WinsockStarted&) = delete;
    bool ok = false;
};

// A plain UDP socket bound to 127.0.0.1 and a free port.
class LoopbackSocket {
  public:
    LoopbackSocket() : socket_(socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(kLoopback);
        if (socket_ == INVALID_SOCKET ||
            bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
            return;
        }
        int size = sizeof(local);
        if (getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &size) == 0) {
            port_ = ntohs(local.sin_port);
        }
    }
    ~LoopbackSocket() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    SOCKET get() const { return socket_; }
    // 0 when the socket could not be made or bound.
    std::uint16_t port() const { return port_; }

    bool SendTo(const std::string& bytes, std::uint16_t port) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(kLoopback);
        to.sin_port = htons(port);
        return sendto(socket_, bytes.data(), static_cast<int>(bytes.size()), 0,
                      reinterpret_cast<const sockaddr*>(&to),
                      sizeof(to)) == static_cast<int>(bytes.size());
    }

  private:
    SOCKET socket_;
    std::uint16_t port_ = 0;
};

// Waits for one request on 127.0.0.1, then answers its sender with the scripted datagrams in
// order and goes quiet. Runs on a Win32 thread of its own.
class Responder {
  public:
    Responder(std::vector<std::string> replies, DWORD waitMilliseconds)
        : replies_(std::move(replies)) {
        const DWORD wait = waitMilliseconds;
        setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait),
                   sizeof(wait));
        thread_ = CreateThread(nullptr, 0, &Responder::Run, this, 0, nullptr);
    }
    ~Responder() { Join(); }
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;

    bool ready() const { return winsock_.ok && socket_.port() != 0 && thread_ != nullptr; }
    std::uint16_t port() const { return socket_.port(); }
    void Join() {
        if (thread_ == nullptr) return;
        WaitForSingleObject(thread_, 20000);
        CloseHandle(thread_);
        thread_ = nullptr;
    }

    // Valid after Join.
    bool gotRequest = false;
    std::vector<unsigned char> request;
    std::uint32_t requestFrom = 0;
    bool allSent = false;
    Clock::time_point lastSent;

  private:
    static DWORD WINAPI Run(void* self) {
        static_cast<Responder*>(self)->Answer();
        return 0;
    }

    void Answer() {
        char buffer[2048];
        sockaddr_in sender{};
        int size = sizeof(sender);
        const int length = recvfrom(socket_.get(), buffer, sizeof(buffer), 0,
                                    reinterpret_cast<sockaddr*>(&sender), &size);
        if (length == SOCKET_ERROR) return;
        gotRequest = true;
        request.assign(buffer, buffer + length);
        requestFrom = ntohl(sender.sin_addr.s_addr);
        // Only ever answer a loopback sender.
        if ((requestFrom >> 24) != 127) return;
        allSent = true;
        for (const std::string& reply : replies_) {
            allSent = sendto(socket_.get(), reply.data(), static_cast<int>(reply.size()), 0,
                             reinterpret_cast<const sockaddr*>(&sender),
                             sizeof(sender)) == static_cast<int>(reply.size()) &&
                      allSent;
        }
        lastSent = Clock::now();
    }

    WinsockStarted winsock_;
    LoopbackSocket socket_;
    std::vector<std::string> replies_;
    HANDLE thread_ = nullptr;
};

struct RecordingReport : PrinterSearchReport {
    void ShowLocalAddress(const std::string& address) override {
        events.push_back("show " + address);
    }
    void ClearList() override { events.push_back("clear"); }
    void AddPrinter(const DiscoveredPrinter& printer) override {
        events.push_back(std::string("row ") + printer.deviceName + " | " + printer.ipAddress +
                         " | " + printer.ethernetAddress);
    }
    std::vector<std::string> events;
};

PrinterSearchSettings LoopbackSettings(std::uint16_t port, std::string hostAddress) {
    PrinterSearchSettings settings;
    settings.hostAddress = std::move(hostAddress);
    settings.destinationAddress = kLoopback;
    settings.destinationPort = port;
    settings.silenceMilliseconds = 300;
    return settings;
}

std::vector<unsigned char> Request() {
    const auto request = BuildDiscoveryRequest();
    return std::vector<unsigned char>(request.begin(), request.end());
}

std::string Dotted(std::uint32_t address) {
    char text[kDiscoveryAddressSize];
    FormatDottedAddress(address, text);
    return text;
}

TEST(Win32Sockets, SessionHostEntryOptionsAndBinds) {
    Win32Sockets sockets;
    std::unique_ptr<SocketSession> session = sockets.Start();
    ASSERT_NE(session, nullptr);

    std::uint32_t hostEntry = 0;
    ASSERT_TRUE(session->HostEntryAddress(hostEntry));
    std::printf("measured: host entry address %s\n", Dotted(hostEntry).c_str());
    // Only loopback is up in the sandbox, so any address of this computer is a loopback one.
    EXPECT_EQ(hostEntry >> 24, 127u) << Dotted(hostEntry);

    std::unique_ptr<DatagramSocket> socket = session->OpenDatagramSocket();
    ASSERT_NE(socket, nullptr);
    EXPECT_TRUE(socket->SetBroadcast(true));
    EXPECT_TRUE(socket->SetReceiveTimeout(kDiscoverySilenceMilliseconds));
    EXPECT_TRUE(socket->Bind(kLoopback, 0));
    // A refused bind reads as false: a socket is bound only once.
    EXPECT_FALSE(socket->Bind(kLoopback, 0));
}

TEST(Win32Sockets, AnAddressThatIsNotOursIsNotBound) {
    constexpr std::uint32_t kNotOurs = 0x0AFFFF01u;  // 10.255.255.1; a bind sends nothing
    Win32Sockets sockets;
    {
        std::unique_ptr<SocketSession> session = sockets.Start();
        ASSERT_NE(session, nullptr);
        std::unique_ptr<DatagramSocket> socket = session->OpenDatagramSocket();
        ASSERT_NE(socket, nullptr);
        WSASetLastError(0);
        const bool bound = socket->Bind(kNotOurs, 0);
        const int error = WSAGetLastError();
        std::printf("measured: Bind(10.255.255.1) %s, error %d\n", bound ? "true" : "false", error);
        if (bound) {
            // Wine 8 binds a datagram socket to 0.0.0.0 when no interface has the address asked
            // for, where Windows refuses with WSAEADDRNOTAVAIL.
            GTEST_SKIP() << "this Wine binds a datagram socket to an address it does not have";
        }
        EXPECT_EQ(error, WSAEADDRNOTAVAIL);
    }

    // Through the search: refused before anything is sent.
    Responder responder({}, 300);
    ASSERT_TRUE(responder.ready());
    RecordingReport report;
    EXPECT_EQ(RunPrinterSearch(sockets, LoopbackSettings(responder.port(), "10.255.255.1"), report),
              SearchResult::BindFailed);
    responder.Join();
    EXPECT_FALSE(responder.gotRequest);
    EXPECT_EQ(report.events, (std::vector<std::string>{"show 10.255.255.1"}));
}

TEST(Win32Sockets, TooLongADatagramFailsWithinTheBufferAndTheNextStillArrives) {
    Win32Sockets sockets;
    std::unique_ptr<SocketSession> session = sockets.Start();
    ASSERT_NE(session, nullptr);
    std::unique_ptr<DatagramSocket> socket = session->OpenDatagramSocket();
    ASSERT_NE(socket, nullptr);
    ASSERT_TRUE(socket->SetReceiveTimeout(2000));
    ASSERT_TRUE(socket->Bind(kLoopback, 0));
    // The interface does not tell its socket's port: the sender learns it from a first datagram.
    LoopbackSocket sender;
    ASSERT_NE(sender.port(), 0);
    ASSERT_TRUE(socket->SendTo(reinterpret_cast<const unsigned char*>("port?"), 5, kLoopback,
                               sender.port()));
    char probe[16];
    sockaddr_in from{};
    int fromSize = sizeof(from);
    ASSERT_EQ(recvfrom(sender.get(), probe, sizeof(probe), 0, reinterpret_cast<sockaddr*>(&from),
                       &fromSize),
              5);
    const std::uint16_t port = ntohs(from.sin_port);

    ASSERT_TRUE(sender.SendTo(std::string(kDiscoveryReceiveBufferSize + 1, 'L'), port));
    ASSERT_TRUE(sender.SendTo("short one", port));

    // The buffer has guard bytes past the capacity handed to the receive.
    std::vector<unsigned char> buffer(kDiscoveryReceiveBufferSize + 64, 0xEE);
    const Received tooLong = socket->ReceiveFrom(buffer.data(), kDiscoveryReceiveBufferSize);
    const int error = WSAGetLastError();
    std::printf("measured: %u-byte datagram into %u bytes: status %d, length %u, error %d\n",
                static_cast<unsigned>(kDiscoveryReceiveBufferSize + 1),
                static_cast<unsigned>(kDiscoveryReceiveBufferSize),
                static_cast<int>(tooLong.status), static_cast<unsigned>(tooLong.length), error);
    EXPECT_EQ(tooLong.status, ReceiveStatus::Failed);
    EXPECT_EQ(error, WSAEMSGSIZE);
    for (std::size_t i = kDiscoveryReceiveBufferSize; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0xEE) << "written past the capacity at " << i;
    }

    const Received next = socket->ReceiveFrom(buffer.data(), kDiscoveryReceiveBufferSize);
    ASSERT_EQ(next.status, ReceiveStatus::Datagram);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), next.length), "short one");
    EXPECT_EQ(next.sender, kLoopback);
}

TEST(Win32Sockets, ASilentLineIsATimeOut) {
    Win32Sockets sockets;
    std::unique_ptr<SocketSession> session = sockets.Start();
    ASSERT_NE(session, nullptr);
    std::unique_ptr<DatagramSocket> socket = session->OpenDatagramSocket();
    ASSERT_NE(socket, nullptr);
    ASSERT_TRUE(socket->SetReceiveTimeout(300));
    ASSERT_TRUE(socket->Bind(kLoopback, 0));

    unsigned char buffer[kDiscoveryReceiveBufferSize];
    const Clock::time_point start = Clock::now();
    const Received received = socket->ReceiveFrom(buffer, sizeof(buffer));
    const int error = WSAGetLastError();
    const long long waited = MillisecondsBetween(start, Clock::now());
    std::printf("measured: receive with a 300 ms time-out: status %d, error %d after %lld ms\n",
                static_cast<int>(received.status), error, waited);
    EXPECT_EQ(received.status, ReceiveStatus::TimedOut);
    EXPECT_EQ(error, WSAETIMEDOUT);
    EXPECT_GE(waited, 290);
    EXPECT_LT(waited, 3000);
}

TEST(PrinterSearchWin32, ListsOurPrintersInArrivalOrderAndEndsAfterTheSilence) {
    // The first 600 bytes of the long datagram read as a printer of ours: only a receive that
    // drops it whole keeps TOO-LONG off the list.
    std::string tooLong = std::string("\x30\x82\x03\xE8\x02\x01\x00", 7) + "public";
    const std::string tooLongText = ",KESTRA TQ8240 [00-00-00-00-06-01][TOO-LONG][a][b]";
    tooLong.resize(kDiscoveryReceiveBufferSize - tooLongText.size(), 'p');
    tooLong += tooLongText;
    tooLong.resize(1000, 'x');
    Responder responder(
        {
            "public,KESTRA TQ8250 [66-77-88-99-AA-BB][OFFICE-2][c][d]",
            "public,OTHERCO LX10 [00-AA-00-AA-00-AA][FOREIGN][a][b]",
            tooLong,
            "public,KESTRA TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]",
        },
        5000);
    ASSERT_TRUE(responder.ready());
    RecordingReport report;
    Win32Sockets sockets;

    const Clock::time_point start = Clock::now();
    const SearchResult result =
        RunPrinterSearch(sockets, LoopbackSettings(responder.port(), "127.0.0.1"), report);
    const Clock::time_point end = Clock::now();
    responder.Join();

    EXPECT_EQ(result, SearchResult::Ended);
    ASSERT_TRUE(responder.gotRequest);
    EXPECT_EQ(responder.request, Request());
    EXPECT_EQ(responder.requestFrom, kLoopback);
    EXPECT_TRUE(responder.allSent);
    // The search reports in arrival order; sorting the rows is the dialog's part.
    EXPECT_EQ(report.events, (std::vector<std::string>{
                                 "show 127.0.0.1",
                                 "clear",
                                 "row OFFICE-2 | 127.0.0.1 | 66-77-88-99-AA-BB",
                                 "row OFFICE-1 | 127.0.0.1 | 00-11-22-33-44-55",
                             }));
    const long long silence = MillisecondsBetween(responder.lastSent, end);
    std::printf("measured: search %lld ms in all, %lld ms of it after the last reply\n",
                MillisecondsBetween(start, end), silence);
    EXPECT_GE(silence, 290);
    EXPECT_LT(silence, 3000);
}

TEST(PrinterSearchWin32, WithoutHostAddressTextSendsFromTheHostEntry) {
    Responder responder({}, 5000);
    ASSERT_TRUE(responder.ready());
    RecordingReport report;
    Win32Sockets sockets;

    EXPECT_EQ(RunPrinterSearch(sockets, LoopbackSettings(responder.port(), ""), report),
              SearchResult::Ended);
    responder.Join();

    std::uint32_t hostEntry = 0;
    {
        std::unique_ptr<SocketSession> session = sockets.Start();
        ASSERT_NE(session, nullptr);
        ASSERT_TRUE(session->HostEntryAddress(hostEntry));
    }
    ASSERT_TRUE(responder.gotRequest);
    EXPECT_EQ(responder.requestFrom, hostEntry);
    EXPECT_EQ(report.events, (std::vector<std::string>{"show " + Dotted(hostEntry), "clear"}));
}

TEST(PrinterSearchWin32, HostAddressTextThatIsNoAddressIsRefusedBeforeSending) {
    Responder responder({}, 300);
    ASSERT_TRUE(responder.ready());
    RecordingReport report;
    Win32Sockets sockets;
    EXPECT_EQ(RunPrinterSearch(sockets, LoopbackSettings(responder.port(), "printer"), report),
              SearchResult::BindFailed);
    responder.Join();
    EXPECT_FALSE(responder.gotRequest);
    EXPECT_EQ(report.events, (std::vector<std::string>{"show printer"}));
}

}  // namespace
}  // namespace tq
