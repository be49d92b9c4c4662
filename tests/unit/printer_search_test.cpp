// The search against a real UDP responder on the loopback address. Every datagram of these
// tests goes to 127.0.0.1; the second loopback address 127.0.0.2 is only ever a source.
#include "install/network/printer_search.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/posix_sockets.h"

namespace tq {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001u;
constexpr std::uint32_t kLoopback2 = 0x7F000002u;

// A UDP socket bound to a loopback address and a free port.
class TestSocket {
  public:
    explicit TestSocket(std::uint32_t address) : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(address);
        bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof(local));
        socklen_t size = sizeof(local);
        getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
        port_ = ntohs(local.sin_port);
    }
    ~TestSocket() { close(fd_); }
    TestSocket(const TestSocket&) = delete;
    TestSocket& operator=(const TestSocket&) = delete;
    int fd() const { return fd_; }
    std::uint16_t port() const { return port_; }

  private:
    int fd_;
    std::uint16_t port_ = 0;
};

struct Reply {
    std::uint32_t from;  // kLoopback or kLoopback2
    std::string bytes;
};

// Waits for the search's request on 127.0.0.1, then answers the search's port on 127.0.0.1 with
// the scripted replies, gap apart. A request from any other address gets no answer.
class Responder {
  public:
    Responder(std::vector<Reply> replies, std::chrono::milliseconds gap,
              std::chrono::milliseconds wait = std::chrono::milliseconds(3000))
        : main_(kLoopback), second_(kLoopback2), replies_(std::move(replies)), gap_(gap) {
        timeval timeout{};
        timeout.tv_sec = static_cast<time_t>(wait.count() / 1000);
        timeout.tv_usec = static_cast<suseconds_t>((wait.count() % 1000) * 1000);
        setsockopt(main_.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        thread_ = std::thread([this] { Run(); });
    }
    ~Responder() { Join(); }

    std::uint16_t port() const { return main_.port(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    // Valid after Join.
    bool gotRequest = false;
    std::vector<unsigned char> request;
    std::uint32_t requestFrom = 0;

  private:
    void Run() {
        unsigned char buffer[2048];
        sockaddr_in sender{};
        socklen_t size = sizeof(sender);
        const ssize_t length = recvfrom(main_.fd(), buffer, sizeof(buffer), 0,
                                        reinterpret_cast<sockaddr*>(&sender), &size);
        if (length < 0) return;
        gotRequest = true;
        request.assign(buffer, buffer + length);
        requestFrom = ntohl(sender.sin_addr.s_addr);
        if (requestFrom != kLoopback) return;
        for (const Reply& reply : replies_) {
            std::this_thread::sleep_for(gap_);
            const int fd = reply.from == kLoopback2 ? second_.fd() : main_.fd();
            sendto(fd, reply.bytes.data(), reply.bytes.size(), 0,
                   reinterpret_cast<const sockaddr*>(&sender), sizeof(sender));
        }
    }

    TestSocket main_;
    TestSocket second_;
    std::vector<Reply> replies_;
    std::chrono::milliseconds gap_;
    std::thread thread_;
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

PrinterSearchSettings LoopbackSettings(std::uint16_t port, std::string hostAddress,
                                       unsigned silence = 700) {
    PrinterSearchSettings settings;
    settings.hostAddress = std::move(hostAddress);
    settings.destinationAddress = kLoopback;
    settings.destinationPort = port;
    settings.silenceMilliseconds = silence;
    return settings;
}

// A reply of exactly size bytes: an SNMP-looking head, padding, then the text after the last
// comma, so the whole datagram parses whatever its size.
std::string ReplyOfSize(const std::string& text, std::size_t size) {
    std::string head = std::string("\x30\x82\x02\x01\x00", 5) + "public";
    head.resize(size - text.size(), 'p');
    return head + text;
}

std::vector<unsigned char> Request() {
    const auto request = BuildDiscoveryRequest();
    return std::vector<unsigned char>(request.begin(), request.end());
}

TEST(PrinterSearch, ListsOurPrintersWithTheirSendersUntilTheLineIsSilent) {
    // 200 ms between replies under a 700 ms silence: the time-out is per receive, not per search.
    Responder responder(
        {
            {kLoopback, "public,KESTRA TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]"},
            {kLoopback, "public,OTHERCO LX10 [00-AA-00-AA-00-AA][FOREIGN][a][b]"},
            {kLoopback, "no comma at all"},
            // A datagram longer than the buffer is lost whole, even though its first 600 bytes
            // would read as a printer of ours; one of exactly 600 bytes is a full datagram.
            {kLoopback, ReplyOfSize(",KESTRA TQ8240 [00-00-00-00-06-01][TOO-LONG][a][b]x", 601)},
            {kLoopback, ReplyOfSize(",KESTRA TQ8240 [00-00-00-00-06-00][EXACT-600][a][b]", 600)},
            {kLoopback, ReplyOfSize(",KESTRA TQ8240 [00-00-00-00-10-00][HUGE][a][b]", 1000)},
            {kLoopback2, "public,KESTRA TQ8250 [66-77-88-99-AA-BB][LAB-2][c][d]"},
        },
        std::chrono::milliseconds(200));
    RecordingReport report;
    PosixSockets sockets;

    const SearchResult result =
        RunPrinterSearch(sockets, LoopbackSettings(responder.port(), "127.0.0.1"), report);
    responder.Join();

    EXPECT_EQ(result, SearchResult::Ended);
    EXPECT_EQ(responder.request, Request());
    EXPECT_EQ(report.events, (std::vector<std::string>{
                                 "show 127.0.0.1",
                                 "clear",
                                 "row OFFICE-1 | 127.0.0.1 | 00-11-22-33-44-55",
                                 "row EXACT-600 | 127.0.0.1 | 00-00-00-00-06-00",
                                 "row LAB-2 | 127.0.0.2 | 66-77-88-99-AA-BB",
                             }));
}

TEST(PrinterSearch, WithNoAnswerEndsAfterTheSilenceWithAnEmptyList) {
    Responder responder({}, std::chrono::milliseconds(0));
    RecordingReport report;
    PosixSockets sockets;

    const auto start = std::chrono::steady_clock::now();
    const SearchResult result =
        RunPrinterSearch(sockets, LoopbackSettings(responder.port(), "127.0.0.1", 300), report);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    responder.Join();

    EXPECT_EQ(result, SearchResult::Ended);
    EXPECT_EQ(responder.request, Request());
    EXPECT_EQ(report.events, (std::vector<std::string>{"show 127.0.0.1", "clear"}));
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
}

TEST(PrinterSearch, BindsToTheHostAddressTextElseToTheHostEntry) {
    {
        // No text: the host entry's first address, shown in dotted form.
        Responder responder({}, std::chrono::milliseconds(0));
        RecordingReport report;
        PosixSockets sockets(kLoopback2);
        EXPECT_EQ(RunPrinterSearch(sockets, LoopbackSettings(responder.port(), "", 200), report),
                  SearchResult::Ended);
        responder.Join();
        EXPECT_EQ(responder.requestFrom, kLoopback2);
        EXPECT_EQ(report.events.front(), "show 127.0.0.2");
    }
    {
        // The text wins over the host entry and is shown as written.
        Responder responder({}, std::chrono::milliseconds(0));
        RecordingReport report;
        PosixSockets sockets(kLoopback2);
        EXPECT_EQ(
            RunPrinterSearch(sockets, LoopbackSettings(responder.port(), "127.0.0.1", 200), report),
            SearchResult::Ended);
        responder.Join();
        EXPECT_EQ(responder.requestFrom, kLoopback);
        EXPECT_EQ(report.events.front(), "show 127.0.0.1");
    }
}

TEST(PrinterSearch, EndsBeforeClearingTheListWhenItCannotSend) {
    struct Case {
        std::optional<std::uint32_t> hostEntry;
        std::string hostAddress;
        bool sendToPortZero;
        SearchResult expected;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {std::nullopt, "127.0.0.1", false, SearchResult::HostUnknown, {}},
        {kLoopback, "127.0.0.256", false, SearchResult::BindFailed, {"show 127.0.0.256"}},
        {kLoopback, "printer", false, SearchResult::BindFailed, {"show printer"}},
        {kLoopback, "127.0.0.1", true, SearchResult::SendFailed, {"show 127.0.0.1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hostAddress);
        Responder responder({}, std::chrono::milliseconds(0), std::chrono::milliseconds(200));
        RecordingReport report;
        PosixSockets sockets(c.hostEntry);
        PrinterSearchSettings settings = LoopbackSettings(responder.port(), c.hostAddress, 200);
        if (c.sendToPortZero) settings.destinationPort = 0;
        EXPECT_EQ(RunPrinterSearch(sockets, settings, report), c.expected);
        responder.Join();
        EXPECT_FALSE(responder.gotRequest);
        EXPECT_EQ(report.events, c.events);
    }
}

// A socket whose every receive fails at once, as a broken one can.
struct BrokenSockets : Sockets {
    struct Socket : DatagramSocket {
        int* receives;
        explicit Socket(int* r) : receives(r) {}
        bool SetBroadcast(bool) override { return true; }
        bool SetReceiveTimeout(unsigned) override { return true; }
        bool Bind(std::uint32_t, std::uint16_t) override { return true; }
        bool SendTo(const unsigned char*, std::size_t, std::uint32_t, std::uint16_t) override {
            return true;
        }
        Received ReceiveFrom(unsigned char*, std::size_t) override {
            ++*receives;
            return {ReceiveStatus::Failed, 0, 0};
        }
    };
    struct Session : SocketSession {
        int* receives;
        explicit Session(int* r) : receives(r) {}
        std::unique_ptr<DatagramSocket> OpenDatagramSocket() override {
            return std::make_unique<Socket>(receives);
        }
        bool HostEntryAddress(std::uint32_t& address) override {
            address = 0x7F000001;
            return true;
        }
    };
    int receives = 0;
    std::unique_ptr<SocketSession> Start() override { return std::make_unique<Session>(&receives); }
};

TEST(PrinterSearch, ASocketThatAlwaysFailsEndsTheSearchInsteadOfSpinning) {
    BrokenSockets sockets;
    RecordingReport report;
    PrinterSearchSettings settings;
    settings.destinationAddress = 0x7F000001;  // never used: nothing is really sent
    EXPECT_EQ(RunPrinterSearch(sockets, settings, report), SearchResult::Ended);
    EXPECT_EQ(sockets.receives, kMaxReceiveFailuresInARow);
}

TEST(PrinterSearchResults, OnlyStartBindAndSendFailuresHaveAMessage) {
    EXPECT_STREQ(SearchResultMessage(SearchResult::StartFailed), "Winsocket start error!");
    EXPECT_STREQ(SearchResultMessage(SearchResult::BindFailed),
                 "Can't bind socket to local port!Program stop.");
    EXPECT_STREQ(SearchResultMessage(SearchResult::SendFailed), "Send error!");
    EXPECT_EQ(SearchResultMessage(SearchResult::Ended), nullptr);
    EXPECT_EQ(SearchResultMessage(SearchResult::NoSocket), nullptr);
    EXPECT_EQ(SearchResultMessage(SearchResult::HostUnknown), nullptr);
}

TEST(PrinterSearchAddresses, DottedTextRoundTripsAndAnythingElseIsRefused) {
    std::uint32_t address = 0;
    ASSERT_TRUE(ParseDottedAddress("192.168.0.20", address));
    EXPECT_EQ(address, 0xC0A80014u);
    ASSERT_TRUE(ParseDottedAddress("255.255.255.255", address));
    char dotted[kDiscoveryAddressSize];
    FormatDottedAddress(address, dotted);
    EXPECT_STREQ(dotted, "255.255.255.255");
    FormatDottedAddress(0, dotted);
    EXPECT_STREQ(dotted, "0.0.0.0");
    for (const char* bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.1.1.1", "1..2.3", "1.2.3.x",
                            " 1.2.3.4", "1.2.3.0004"}) {
        SCOPED_TRACE(bad);
        address = 7;
        EXPECT_FALSE(ParseDottedAddress(bad, address));
        EXPECT_EQ(address, 7u);
    }
}

}  // namespace
}  // namespace tq
