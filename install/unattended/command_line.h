// The installer's command line. Without an argument the wizard runs, exactly as when a person
// starts it (the resume marker starts it that way too). With /quiet it installs without any
// window, from options that mirror the wizard's choices. Option names are compared without
// regard to case, start with / or -, and take their value after a colon or an equals sign; a
// value may be quoted ("/name:Front Desk" or /name:"Front Desk").
//
//   /quiet                          install without a window
//   /name:TEXT                      printer name (default: the model's name)
//   /default:yes|no                 make it the default printer (default: yes)
//   /share:TEXT                     share it under this name (default: not shared)
//   /port:usb                       a USB printer (the default)
//   /port:lpt1                      the parallel port LPT1:
//   /port:A.B.C.D                   a Standard TCP/IP port for this IPv4 address
//   /port:\\SERVER\QUEUE            a printer shared by another computer
//   /protocol:raw|lpr               with an address: Raw (9100, the default) or LPR (515)
//   /wait:SECONDS                   USB: how long to wait for the printer (default: 0)
//   /norestart                      accepted: an unattended run never restarts the computer
//   /log:PATH                       where the log goes (also for the wizard)
//   /?                              the usage
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "install/network/tcpip_port.h"
#include "platform/arguments.h"

namespace tq {

enum class RunMode { Wizard, Quiet, Usage };

// What the connection option named.
enum class PortChoice { Usb, Parallel, TcpIp, Shared };

// The longest USB wait an option may ask for: one day.
inline constexpr unsigned kMaxUsbWaitSeconds = 86400;

struct CommandLine {
    RunMode mode = RunMode::Wizard;
    std::string printerName;  // empty: the model's name
    bool setAsDefault = true;
    std::string shareName;  // empty: not shared
    PortChoice port = PortChoice::Usb;
    std::string address;     // PortChoice::TcpIp: the port name, the address in plain decimal
    std::string sharedPath;  // PortChoice::Shared: \\server\queue
    PortProtocol protocol = PortProtocol::Raw;
    unsigned usbWaitSeconds = 0;
    std::string logPath;  // empty: the default log file
    std::vector<std::string> given;  // the options as they were given, for the log

    // A malformed command line: the option (as given) and why, in English for the log. The
    // run ends with exit code 87 and changes nothing.
    std::string badOption;
    std::string why;
    bool ok() const { return why.empty(); }
};

// The options after the program name. /quiet anywhere makes the run unattended and /log
// anywhere names its log, whatever else the line holds, so that even a refusal is shown
// nowhere and logged where the administrator looks. Forms only: a printer name, share name,
// address or shared-printer path that the installation's rules refuse, an unknown, repeated or
// valueless option, an option that does not belong to the chosen connection, /? with /quiet and
// any option but /log without /quiet are malformed. What needs the system (a name in use, a log
// folder that cannot be made) is checked by the unattended run.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace tq
