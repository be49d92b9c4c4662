#include "install/unattended/command_line.h"

#include <cstdint>
#include <map>

#include "install/engine/choices.h"
#include "install/engine/wizard_settings.h"
#include "platform/text.h"

namespace tq {

namespace {

enum class Kind { Flag, Value };
const std::map<std::string, Kind>& KnownOptions() {
    static const std::map<std::string, Kind> known = {
        {"quiet", Kind::Flag},    {"?", Kind::Flag},        {"name", Kind::Value},
        {"default", Kind::Value}, {"share", Kind::Value},   {"port", Kind::Value},
        {"protocol", Kind::Value}, {"wait", Kind::Value},   {"log", Kind::Value},
        {"norestart", Kind::Flag},
    };
    return known;
}

struct Option {
    std::string given;  // as on the command line
    std::string value;
};

CommandLine Bad(CommandLine line, const std::string& option, const char* why) {
    line.badOption = option;
    line.why = why;
    return line;
}

bool ParseSeconds(const std::string& text, unsigned& seconds) {
    if (text.empty() || text.size() > 6) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > kMaxUsbWaitSeconds) return false;
    seconds = value;
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    // How the run shows itself and where it logs, before anything can be refused.
    bool quiet = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        line.given.push_back(arguments[i]);
        OptionParts parts;
        if (!SplitOption(arguments[i], parts)) continue;
        if (parts.name == "quiet") quiet = true;
        if (parts.name == "log" && line.logPath.empty()) line.logPath = parts.value;
    }
    line.mode = quiet ? RunMode::Quiet : RunMode::Wizard;

    std::map<std::string, Option> options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        OptionParts parts;
        // Quoted, so that an empty argument is named too.
        if (!SplitOption(argument, parts)) return Bad(line, "\"" + argument + "\"", "not an option");
        const auto known = KnownOptions().find(parts.name);
        if (known == KnownOptions().end()) return Bad(line, argument, "unknown option");
        if (options.count(parts.name) != 0) return Bad(line, argument, "given twice");
        if (known->second == Kind::Flag && parts.hasValue) {
            return Bad(line, argument, "takes no value");
        }
        if (known->second == Kind::Value && parts.value.empty()) {
            return Bad(line, argument, "needs a value");
        }
        options[parts.name] = Option{argument, parts.value};
    }

    if (const auto it = options.find("?"); it != options.end()) {
        if (quiet) return Bad(line, it->second.given, "the usage is shown only without /quiet");
        line.mode = RunMode::Usage;
        return line;
    }
    if (!quiet) {
        for (const auto& [name, option] : options) {
            if (name != "log") return Bad(line, option.given, "only with /quiet");
        }
    }

    if (const auto it = options.find("name"); it != options.end()) {
        const std::string& name = it->second.value;
        if (!IsUsablePrinterName(name)) {
            return Bad(line, it->second.given, "a printer name Windows cannot use");
        }
        if (!FitsField(name, sizeof(WizardSettings::printerName), kPrinterNameLimit)) {
            return Bad(line, it->second.given, "printer name too long");
        }
        line.printerName = name;
    }

    if (const auto it = options.find("default"); it != options.end()) {
        const std::string& value = it->second.value;
        const bool yes = MbsEqualNoCase(value, "yes");
        if (!yes && !MbsEqualNoCase(value, "no")) return Bad(line, it->second.given, "yes or no");
        line.setAsDefault = yes;
    }

    if (const auto it = options.find("share"); it != options.end()) {
        if (!IsUsableShareName(it->second.value)) {
            return Bad(line, it->second.given, "a share name Windows cannot use");
        }
        if (!FitsField(it->second.value, sizeof(WizardSettings::shareName), kShareNameLimit)) {
            return Bad(line, it->second.given, "share name too long");
        }
        line.shareName = it->second.value;
    }

    if (const auto it = options.find("port"); it != options.end()) {
        const std::string& value = it->second.value;
        std::uint32_t address = 0;
        if (MbsEqualNoCase(value, "usb")) {
            line.port = PortChoice::Usb;
        } else if (MbsEqualNoCase(value, "lpt1") || MbsEqualNoCase(value, kParallelPort)) {
            line.port = PortChoice::Parallel;
        } else if (ParseDottedAddress(value, address)) {
            if (!IsAcceptedPrinterAddress(IpFieldsOf(address))) {
                return Bad(line, it->second.given, "not a printer's address");
            }
            line.port = PortChoice::TcpIp;
            line.address = PortNameOf(IpFieldsOf(address));
        } else if (value[0] == '\\') {
            if (!IsSharedPrinterPathForm(value)) {
                return Bad(line, it->second.given, "not a \\\\server\\queue path");
            }
            line.port = PortChoice::Shared;
            line.sharedPath = value;
        } else {
            return Bad(line, it->second.given, "usb, lpt1, an IPv4 address or \\\\server\\queue");
        }
    }

    if (const auto it = options.find("protocol"); it != options.end()) {
        if (line.port != PortChoice::TcpIp) {
            return Bad(line, it->second.given, "only with an address for /port");
        }
        const std::string& value = it->second.value;
        const bool raw = MbsEqualNoCase(value, "raw");
        if (!raw && !MbsEqualNoCase(value, "lpr")) return Bad(line, it->second.given, "raw or lpr");
        line.protocol = raw ? PortProtocol::Raw : PortProtocol::Lpr;
    }

    if (const auto it = options.find("wait"); it != options.end()) {
        if (line.port != PortChoice::Usb) return Bad(line, it->second.given, "only with /port:usb");
        if (!ParseSeconds(it->second.value, line.usbWaitSeconds)) {
            return Bad(line, it->second.given, "seconds from 0 to 86400");
        }
    }
    return line;
}

}  // namespace tq
