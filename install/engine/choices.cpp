#include "install/engine/choices.h"

#include <string>

#include "install/model.h"
#include "install/spooler/spooler_queries.h"
#include "platform/text.h"

namespace tq {

namespace {

constexpr int kLoopbackNetwork = 127;
constexpr std::uint32_t kAccessDenied = 5;
// portName's 88 bytes hold 87 and the terminating NUL.
constexpr std::size_t kMaxPathBytes = sizeof(WizardSettings::portName) - 1;

// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 name devices in every folder: the part before the
// first dot, without trailing spaces, in any case ("con", "Nul.txt", "LPT1 .log").
bool IsReservedDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper(base);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

}  // namespace

bool IsUsablePrinterName(std::string_view name) {
    if (IsReservedDeviceName(name)) return false;
    static constexpr std::string_view kForbidden = "\\/:*?\"<>|,";
    bool onlyDots = true;
    char last = '\0';
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte936(c) && i + 1 < name.size()) {
            ++i;  // a double-byte character: its trail byte is not a character of its own
            onlyDots = false;
            last = '\0';
            continue;
        }
        if (IsControl(c) || kForbidden.find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
        if (c != '.') onlyDots = false;
        last = static_cast<char>(c);
    }
    if (name.empty()) return true;  // the empty name has a message of its own
    return !onlyDots && last != '.' && last != ' ';
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++count) {
        if (IsLeadByte936(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
    }
    return count;
}

bool FitsField(std::string_view text, std::size_t fieldBytes, std::size_t characters) {
    return text.size() < fieldBytes && CharacterCount(text) <= characters;
}

bool IsUsableShareName(std::string_view name) {
    static constexpr std::string_view kForbidden = "\"/\\[]:|<>+=;,?*";
    if (name.empty()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte936(c) && i + 1 < name.size()) {
            ++i;  // a double-byte character: its trail byte is not a character of its own
        } else if (IsControl(c) || kForbidden.find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

bool IsAcceptedPrinterAddress(const IpFields& fields) {
    for (int field : fields) {
        if (field < 0 || field > 255) return false;
    }
    return fields[0] >= kFirstFieldLow && fields[0] <= kFirstFieldHigh &&
           fields[0] != kLoopbackNetwork && fields[3] >= kLastFieldLow &&
           fields[3] <= kLastFieldHigh;
}

bool ParseDottedAddress(const std::string& text, std::uint32_t& address) {
    std::uint32_t value = 0;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
        unsigned number = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            number = number * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || number > 255) return false;
        value = (value << 8) | number;
    }
    if (pos != text.size()) return false;
    address = value;
    return true;
}

IpFields IpFieldsOf(std::uint32_t address) {
    return {static_cast<int>(address >> 24), static_cast<int>((address >> 16) & 0xFF),
            static_cast<int>((address >> 8) & 0xFF), static_cast<int>(address & 0xFF)};
}

std::string PortNameOf(const IpFields& f) {
    return std::to_string(f[0]) + "." + std::to_string(f[1]) + "." + std::to_string(f[2]) + "." +
           std::to_string(f[3]);
}

bool IsSharedPrinterPathForm(std::string_view path) {
    if (path.size() < 3 || path.size() > kMaxPathBytes || path[0] != '\\') return false;
    int backslashes = 0;
    for (std::size_t i = 0; i < path.size();) {
        const auto c = static_cast<unsigned char>(path[i]);
        const std::size_t width = IsLeadByte936(c) && i + 1 < path.size() ? 2 : 1;
        if (width == 1 && c == '\\' && i >= 2) ++backslashes;
        i += width;
    }
    return backslashes == 1;
}

std::uint32_t CheckSharedPrinter(Spooler& spooler, NetworkConnections& connections,
                                 const std::string& path) {
    PrinterForUse printer = spooler.ReadPrinterForUse(path);
    if (!printer.opened) {
        if (printer.openError == kSharedPrinterUnknownName) return kSharedPrinterUnknownName;
        if (printer.openError == kAccessDenied) {
            if (const std::uint32_t error = connections.ConnectSharedPrinter(path); error != 0) {
                return error;
            }
            printer = spooler.ReadPrinterForUse(path);
        }
    }
    if (!printer.opened || !printer.read) return kSharedPrinterUnreadable;
    return printer.driverName && MbsEqualNoCase(*printer.driverName, kModelDriverName)
               ? kSharedPrinterOfModel
               : kSharedPrinterOtherDriver;
}

bool ShareNameInUse(Spooler& spooler, SystemNames& names, std::string_view shareName,
                    std::string_view exceptPrinter) {
    // A printer's share is judged by the queues below, which know the one made anew.
    if (names.FindShare(std::string(shareName)) == ShareKind::Other) return true;
    return FindShareName(spooler, shareName, exceptPrinter,
                         [&names](std::string_view a, std::string_view b) {
                             return names.SameName(a, b);
                         });
}

bool NameOfAnotherDriversQueue(Spooler& spooler, SystemNames& names,
                               std::string_view printerName) {
    std::vector<PrinterRecord> printers;
    if (!spooler.ListPrinters(printers)) return false;
    for (const PrinterRecord& p : printers) {
        if (!p.printerName || !names.SameName(*p.printerName, printerName)) continue;
        if (!p.driverName || !MbsEqualNoCase(*p.driverName, kModelDriverName)) return true;
    }
    return false;
}

}  // namespace tq
