// The network printer search: one discovery request to the broadcast address, then every reply
// until the line stays silent for a while. Runs on the search dialog's worker thread; what it
// finds goes to a PrinterSearchReport, which hands it over to the dialog.
#pragma once

#include <cstdint>
#include <string>

#include "install/engine/choices.h"
#include "install/network/discovery_protocol.h"
#include "platform/sockets.h"

namespace tq {

// Where the request goes in the product: every host of the local network, SNMP port.
constexpr std::uint32_t kDiscoveryBroadcastAddress = 0xFFFFFFFFu;
constexpr std::uint16_t kDiscoveryPort = 161;
// The search ends at the first receive that waits this long without a datagram.
constexpr unsigned kDiscoverySilenceMilliseconds = 6000;

// Receive errors in a row after which the search ends rather than spin on a broken socket.
inline constexpr int kMaxReceiveFailuresInARow = 1000;

struct PrinterSearchSettings {
    // The text of the host address file; empty: the first address of the host entry.
    std::string hostAddress;
    std::uint32_t destinationAddress = kDiscoveryBroadcastAddress;
    std::uint16_t destinationPort = kDiscoveryPort;
    unsigned silenceMilliseconds = kDiscoverySilenceMilliseconds;
};

enum class SearchResult {
    Ended,        // the request went out and the line went silent
    StartFailed,  // the socket library did not start
    NoSocket,     // no socket, or one of its options could not be set
    HostUnknown,  // this computer's name or host entry is unavailable
    BindFailed,   // the local address is not usable (including text that is no address)
    SendFailed,   // the request could not be sent
};

// What the search tells its dialog. Called on the search's own thread.
class PrinterSearchReport {
  public:
    virtual ~PrinterSearchReport() = default;
    // The local address the search is sent from, as the dialog shows it.
    virtual void ShowLocalAddress(const std::string& address) = 0;
    // The request went out: the rows of an earlier search go.
    virtual void ClearList() = 0;
    // One reply of our maker, ipAddress filled with the sender's dotted address.
    virtual void AddPrinter(const DiscoveredPrinter& printer) = 0;
};

SearchResult RunPrinterSearch(Sockets& sockets, const PrinterSearchSettings& settings,
                              PrinterSearchReport& report);

// The message box text for a result, or nullptr for the results that end the search silently.
const char* SearchResultMessage(SearchResult result);

// A host-order address in dotted decimal, into a field of the list row.
void FormatDottedAddress(std::uint32_t address, char (&out)[kDiscoveryAddressSize]);

}  // namespace tq
