// A measuring probe for the private test network (scripts/testnet.sh), run under Wine inside
// scripts/sandbox.sh. Not a test: it prints what Wine answers, for the people writing the
// network search's end-to-end scenario.
//   netprobe.exe info                       host name, its host entry, GetAdaptersInfo
//   netprobe.exe send ADDRESS [WAIT_MS]     one discovery request to 255.255.255.255:161 from a
//                                           UDP socket bound to ADDRESS:0 ("hostentry": the
//                                           first address of the host entry), then every reply
//   netprobe.exe search [HOST_ADDRESS] [SILENCE_MS]
//                                           the installer's own search (empty: host entry)
// Everything goes to stdout; the exit status is 0 unless the probe could not run at all.
#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "install/network/discovery_protocol.h"
#include "install/network/printer_search.h"
#include "platform/win32/sockets_win32.h"

namespace {

std::string Dotted(const in_addr& address) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&address);
    char text[16];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

double Milliseconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// The host entry's IPv4 addresses in the order gethostbyname gives them.
std::vector<in_addr> HostEntry(std::string& name) {
    std::vector<in_addr> result;
    char buffer[256] = {};
    if (gethostname(buffer, sizeof(buffer)) != 0) {
        std::printf("gethostname: error %d\n", WSAGetLastError());
        return result;
    }
    name = buffer;
    const hostent* entry = gethostbyname(buffer);
    if (entry == nullptr) {
        std::printf("gethostbyname(\"%s\"): NULL, error %d\n", buffer, WSAGetLastError());
        return result;
    }
    for (int i = 0; entry->h_addr_list[i] != nullptr; ++i) {
        in_addr a;
        std::memcpy(&a, entry->h_addr_list[i], sizeof(a));
        result.push_back(a);
    }
    return result;
}

void Info() {
    std::string name;
    const std::vector<in_addr> entry = HostEntry(name);
    std::printf("gethostname: \"%s\"\n", name.c_str());
    std::printf("gethostbyname: %zu address(es):", entry.size());
    for (const in_addr& a : entry) std::printf(" %s", Dotted(a).c_str());
    std::printf("\n");

    ULONG size = 0;
    DWORD ret = GetAdaptersInfo(nullptr, &size);
    std::printf("GetAdaptersInfo(NULL): ret=%lu size=%lu\n", ret, size);
    if (ret != ERROR_BUFFER_OVERFLOW) return;
    std::vector<unsigned char> buffer(size);
    auto* list = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    ret = GetAdaptersInfo(list, &size);
    std::printf("GetAdaptersInfo: ret=%lu\n", ret);
    if (ret != NO_ERROR) return;
    for (const IP_ADAPTER_INFO* a = list; a != nullptr; a = a->Next) {
        std::printf("  adapter index=%lu type=%u name=\"%s\" description=\"%s\" mac=", a->Index,
                    a->Type, a->AdapterName, a->Description);
        for (UINT i = 0; i < a->AddressLength; ++i)
            std::printf(i ? "-%02X" : "%02X", a->Address[i]);
        std::printf("\n");
        for (const IP_ADDR_STRING* ip = &a->IpAddressList; ip != nullptr; ip = ip->Next) {
            std::printf("    address %s mask %s\n", ip->IpAddress.String, ip->IpMask.String);
        }
        std::printf("    gateway %s\n", a->GatewayList.IpAddress.String);
    }
}

int Send(const std::string& where, int waitMilliseconds) {
    in_addr local{};
    if (where == "hostentry") {
        std::string name;
        const std::vector<in_addr> entry = HostEntry(name);
        if (entry.empty()) return 1;
        local = entry[0];
    } else {
        local.s_addr = inet_addr(where.c_str());
    }

    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) {
        std::printf("socket: error %d\n", WSAGetLastError());
        return 1;
    }
    BOOL on = TRUE;
    DWORD timeout = static_cast<DWORD>(waitMilliseconds);
    std::printf("SO_BROADCAST: %d\n", setsockopt(s, SOL_SOCKET, SO_BROADCAST,
                                                 reinterpret_cast<const char*>(&on), sizeof(on)));
    std::printf("SO_RCVTIMEO %lu: %d\n", timeout,
                setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                           sizeof(timeout)));

    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_addr = local;
    const int bindResult = bind(s, reinterpret_cast<const sockaddr*>(&bound), sizeof(bound));
    std::printf("bind %s:0: %d (error %d)\n", Dotted(local).c_str(), bindResult,
                bindResult == 0 ? 0 : WSAGetLastError());
    sockaddr_in name{};
    int nameSize = sizeof(name);
    if (getsockname(s, reinterpret_cast<sockaddr*>(&name), &nameSize) == 0) {
        std::printf("getsockname: %s:%u\n", Dotted(name.sin_addr).c_str(), ntohs(name.sin_port));
    }

    const auto request = tq::BuildDiscoveryRequest();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = INADDR_BROADCAST;
    to.sin_port = htons(161);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const int sent =
        sendto(s, reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()),
               0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    std::printf("sendto 255.255.255.255:161 (%zu bytes): %d (error %d)\n", request.size(), sent,
                sent == SOCKET_ERROR ? WSAGetLastError() : 0);

    int replies = 0;
    if (sent != SOCKET_ERROR) {
        for (;;) {
            unsigned char buffer[tq::kDiscoveryReceiveBufferSize];
            sockaddr_in from{};
            int fromSize = sizeof(from);
            const int n = recvfrom(s, reinterpret_cast<char*>(buffer), sizeof(buffer), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromSize);
            if (n == SOCKET_ERROR) {
                std::printf("recvfrom: error %d after %.1f ms\n", WSAGetLastError(),
                            Milliseconds(start));
                break;
            }
            ++replies;
            const int tail = n < 80 ? n : 80;
            std::string text;
            for (int i = n - tail; i < n; ++i) {
                const unsigned char c = buffer[i];
                if (c >= 0x20 && c < 0x7F) {
                    text += static_cast<char>(c);
                } else {
                    char hex[8];
                    std::snprintf(hex, sizeof(hex), "\\x%02X", c);
                    text += hex;
                }
            }
            tq::DiscoveredPrinter printer;
            const bool ours = tq::ParseDiscoveryReply(buffer, static_cast<std::size_t>(n), printer);
            std::printf("reply %d from %s:%u, %d bytes at %.1f ms, accepted=%d, last %d: %s\n",
                        replies, Dotted(from.sin_addr).c_str(), ntohs(from.sin_port), n,
                        Milliseconds(start), ours ? 1 : 0, tail, text.c_str());
        }
    }
    std::printf("replies: %d\n", replies);
    closesocket(s);
    return 0;
}

class PrintingReport : public tq::PrinterSearchReport {
  public:
    void ShowLocalAddress(const std::string& address) override {
        std::printf("search: local address \"%s\"\n", address.c_str());
    }
    void ClearList() override { std::printf("search: request sent\n"); }
    void AddPrinter(const tq::DiscoveredPrinter& p) override {
        std::printf("search: printer %s | %s | %s (%s %s, %s %s)\n", p.deviceName, p.ipAddress,
                    p.ethernetAddress, p.maker, p.secondWord, p.fifthField, p.sixthField);
    }
};

int Search(const std::string& hostAddress, unsigned silence) {
    tq::Win32Sockets sockets;
    tq::PrinterSearchSettings settings;
    settings.hostAddress = hostAddress;
    settings.silenceMilliseconds = silence;
    PrintingReport report;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const tq::SearchResult result = tq::RunPrinterSearch(sockets, settings, report);
    const char* message = tq::SearchResultMessage(result);
    std::printf("search: result %d (%s) after %.1f ms\n", static_cast<int>(result),
                message ? message : "no message", Milliseconds(start));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string mode = argc > 1 ? argv[1] : "info";
    if (mode == "search") {
        return Search(argc > 2 ? argv[2] : "",
                      argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 6000u);
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        std::printf("WSAStartup failed\n");
        return 1;
    }
    int status = 0;
    if (mode == "info") {
        Info();
    } else if (mode == "send" && argc > 2) {
        status = Send(argv[2], argc > 3 ? std::atoi(argv[3]) : 2000);
    } else {
        std::printf(
            "usage: netprobe info | send ADDRESS|hostentry [WAIT_MS] | search [HOST_ADDRESS] "
            "[SILENCE_MS]\n");
        status = 2;
    }
    WSACleanup();
    return status;
}
