// The rules a choice of the installation must keep, one set for the wizard's pages and the
// command line alike: the printer name, the share name, the printer's IPv4 address and the
// port name made of it, the path of a printer another computer shares; and the questions to the
// system that decide, before anything changes, whether Windows would take the choice.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "install/engine/wizard_settings.h"
#include "platform/system_names.h"
#include "platform/network_connections.h"
#include "platform/spooler.h"

namespace tq {

// --- Printer name -------------------------------------------------------------------------

inline constexpr int kPrinterNameLimit = 32;

// The name becomes a folder under Program Files, a registry key and a Start-menu folder: it
// must not contain \ / : * ? " < > | , or a control character, be only dots, end in a dot or
// a space, or be a reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an
// extension). Double-byte characters are taken whole, so a trail byte is never read as one of
// those. The empty name passes: it has a message of its own.
bool IsUsablePrinterName(std::string_view name);

// Characters, not bytes: a double-byte character counts once, as an edit field counts it.
std::size_t CharacterCount(std::string_view text);

// The text fits a record field of `fieldBytes` (its NUL included) and an edit field that takes
// `characters`.
bool FitsField(std::string_view text, std::size_t fieldBytes, std::size_t characters);

// --- Share name ---------------------------------------------------------------------------

inline constexpr int kShareNameLimit = 12;

// A name Windows takes for a share: not empty, no control character and none of
// " / \ [ ] : | < > + = ; , ? * (the server service refuses them when the queue is shared).
bool IsUsableShareName(std::string_view name);

// --- The printer's address and its port ----------------------------------------------------

// The four fields of an IPv4 address, first to last (an address control's; blank reads as 0).
using IpFields = std::array<int, 4>;

// The TCP/IP port page's address control takes 1 to 223 in the first field (no multicast or
// reserved addresses), 1 to 254 in the last (no network or broadcast address), 0 to 255 in the
// middle ones; and the page refuses the loopback network 127.
inline constexpr int kFirstFieldLow = 1, kFirstFieldHigh = 223;
inline constexpr int kLastFieldLow = 1, kLastFieldHigh = 254;
bool IsAcceptedPrinterAddress(const IpFields& fields);

// Four decimal fields of one to three digits, each at most 255, joined by dots, nothing else.
bool ParseDottedAddress(const std::string& text, std::uint32_t& address);

// A host-order IPv4 address as the four fields, first to last.
IpFields IpFieldsOf(std::uint32_t address);

// The port name of an address: its fields in decimal without leading zeros ("10.1.2.3" for
// 010.001.002.003), so that one printer never gets two ports.
std::string PortNameOf(const IpFields& fields);

// --- A printer another computer shares -------------------------------------------------------

// Answers of the connection check besides a Windows error code.
enum : std::uint32_t {
    kSharedPrinterUnreadable = 0,  // the printer cannot be opened or read
    kSharedPrinterOfModel = 1,     // it uses the model's driver
    kSharedPrinterOtherDriver = 2,
    kSharedPrinterUnknownName = 1801,   // ERROR_INVALID_PRINTER_NAME
    kSharedPrinterUserCancelled = 1223  // ERROR_CANCELLED: the credentials request dismissed
};

// The form \\server\share: a backslash first, at least 3 bytes, and from the third byte on
// exactly one backslash character (the second character is not examined). Characters, not
// bytes, are counted: the trail byte of a double-byte character may be 0x5C. A path longer
// than portName holds (87 bytes) is refused too: cut, it would name another printer.
bool IsSharedPrinterPathForm(std::string_view path);

// Opens the printer for use; on access denied connects to the share (the system may ask for
// credentials) and opens it again. Returns one of the answers above or the connection's error.
std::uint32_t CheckSharedPrinter(Spooler& spooler, NetworkConnections& connections,
                                 const std::string& path);

// --- What the system would refuse later ------------------------------------------------------

// The share name is taken on this computer, as the system compares share names (its own case
// folding, full-width letters included): by a folder or other share, or by a local queue other
// than `exceptPrinter` (the queue the installation makes anew gives its share up).
bool ShareNameInUse(Spooler& spooler, SystemNames& names, std::string_view shareName,
                    std::string_view exceptPrinter);

// A local queue of another driver bears this name, as the spooler compares queue names: the
// new queue could not take it.
bool NameOfAnotherDriversQueue(Spooler& spooler, SystemNames& names, std::string_view printerName);

}  // namespace tq
