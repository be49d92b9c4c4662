#include "install/network/printer_search.h"

#include <array>
#include <cstdio>
#include <memory>

namespace tq {

void FormatDottedAddress(std::uint32_t address, char (&out)[kDiscoveryAddressSize]) {
    std::snprintf(out, sizeof(out), "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu,
                  (address >> 8) & 0xFFu, address & 0xFFu);
}

SearchResult RunPrinterSearch(Sockets& sockets, const PrinterSearchSettings& settings,
                              PrinterSearchReport& report) {
    const std::array<unsigned char, kDiscoveryRequestSize> request = BuildDiscoveryRequest();

    // Declared before the socket so the socket closes before the library shuts down.
    std::unique_ptr<SocketSession> session = sockets.Start();
    if (!session) return SearchResult::StartFailed;

    std::unique_ptr<DatagramSocket> socket = session->OpenDatagramSocket();
    if (!socket || !socket->SetBroadcast(true) ||
        !socket->SetReceiveTimeout(settings.silenceMilliseconds)) {
        return SearchResult::NoSocket;
    }

    // The host entry is looked up even when the host address file names the address: a computer
    // without one has no network to search.
    std::uint32_t hostEntry = 0;
    if (!session->HostEntryAddress(hostEntry)) return SearchResult::HostUnknown;

    std::uint32_t local = hostEntry;
    bool localUsable = true;
    if (!settings.hostAddress.empty()) {
        localUsable = ParseDottedAddress(settings.hostAddress, local);
        report.ShowLocalAddress(settings.hostAddress);
    } else {
        char dotted[kDiscoveryAddressSize];
        FormatDottedAddress(hostEntry, dotted);
        report.ShowLocalAddress(dotted);
    }
    // Text that is no address is refused like an address that is not ours.
    if (!localUsable || !socket->Bind(local, 0)) return SearchResult::BindFailed;

    if (!socket->SendTo(request.data(), request.size(), settings.destinationAddress,
                        settings.destinationPort)) {
        return SearchResult::SendFailed;
    }
    report.ClearList();

    std::array<unsigned char, kDiscoveryReceiveBufferSize> buffer;
    int failuresInARow = 0;
    for (;;) {
        const Received received = socket->ReceiveFrom(buffer.data(), buffer.size());
        if (received.status == ReceiveStatus::TimedOut) return SearchResult::Ended;
        // Other errors (an oversized datagram among them) lose one datagram, not the search. A
        // socket that fails at once on every receive would spin for ever: such a run ends.
        if (received.status != ReceiveStatus::Datagram) {
            if (++failuresInARow >= kMaxReceiveFailuresInARow) return SearchResult::Ended;
            continue;
        }
        failuresInARow = 0;
        DiscoveredPrinter printer;
        if (!ParseDiscoveryReply(buffer.data(), received.length, printer)) continue;
        FormatDottedAddress(received.sender, printer.ipAddress);
        report.AddPrinter(printer);
    }
}

const char* SearchResultMessage(SearchResult result) {
    switch (result) {
        case SearchResult::StartFailed:
            return "Winsocket start error!";
        case SearchResult::BindFailed:
            return "Can't bind socket to local port!Program stop.";
        case SearchResult::SendFailed:
            return "Send error!";
        case SearchResult::Ended:
        case SearchResult::NoSocket:
        case SearchResult::HostUnknown:
            break;
    }
    return nullptr;
}

}  // namespace tq
