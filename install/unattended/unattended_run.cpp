#include "install/unattended/unattended_run.h"

#include "install/engine/choices.h"
#include "install/model.h"
#include "install/network/tcpip_port.h"
#include "install/spooler/spooler_queries.h"
#include "install/system/platform_class.h"
#include "platform/text.h"

namespace tq {

namespace {

// An unattended run never asks for a logon: a share that wants one is refused.
class NoLogon : public NetworkConnections {
  public:
    std::uint32_t ConnectSharedPrinter(const std::string&) override { return kAccessDenied; }
    static constexpr std::uint32_t kAccessDenied = 5;
};

int Refuse(InstallLog& log, const std::string& option, const std::string& why) {
    log.Line("option " + option + ": " + why);
    return kExitBadOption;
}

// The option as it was given, for a refusal.
std::string GivenOption(const CommandLine& line, const char* name) {
    OptionParts parts;
    for (const std::string& given : line.given) {
        if (SplitOption(given, parts) && parts.name == name) return given;
    }
    return std::string("/") + name;
}

// The wizard's choices from the command line, as the pages store them.
void FillSettings(const CommandLine& line, WizardSettings& settings) {
    const std::string_view name =
        line.printerName.empty() ? kModelDriverName : std::string_view(line.printerName);
    settings.SetPrinterName(name);
    settings.renameRequired = MbsEqualNoCase(name, kModelDriverName) ? 0 : 1;
    settings.setAsDefault = line.setAsDefault ? 1 : 0;
    settings.shareEnabled = line.shareName.empty() ? 0 : 1;
    settings.SetShareName(line.shareName);
    switch (line.port) {
        case PortChoice::Usb:
            settings.connectionType = Usb;
            break;
        case PortChoice::Parallel:
            settings.connectionType = Parallel;
            settings.SetPortName(kParallelPort);
            break;
        case PortChoice::TcpIp:
            settings.connectionType = Network;
            settings.SetPortName(line.address);
            break;
        case PortChoice::Shared:
            settings.connectionType = SharedNetwork;
            settings.SetPortName(line.sharedPath);
            break;
    }
}

}  // namespace

int RunUnattended(const CommandLine& line, InstallJob& job, WizardSettings& settings,
                  UnattendedServices& s) {
    job.log = &s.log;
    if (s.isSecondInstance()) {
        s.log.Line("another instance of the installer is running");
        return kExitAlreadyRunning;
    }
    FillSettings(line, settings);
    const std::string printerName(FieldText(settings.printerName));

    // What the spooler and the system would refuse later, before anything changes. A queue of
    // the model under this name is made anew (as the printer name page's 是 does), so its name
    // and its share are free for the new one.
    settings.alreadyInstalled = ModelQueuesInstalled(s.spooler, s.driverEnvironment) ? 1 : 0;
    const bool replacing = settings.alreadyInstalled == 1 &&
                           FindDriverPrinter(s.spooler, kModelDriverName, printerName);
    if (NameOfAnotherDriversQueue(s.spooler, s.names, printerName)) {
        return Refuse(s.log, GivenOption(line, "name"),
                      "a printer of another driver has the name " + printerName);
    }
    if (settings.shareEnabled &&
        ShareNameInUse(s.spooler, s.names, FieldText(settings.shareName),
                       replacing ? std::string_view(printerName) : std::string_view())) {
        return Refuse(s.log, GivenOption(line, "share"), "the share name is in use");
    }
    if (line.port == PortChoice::Shared) {
        NoLogon noLogon;
        const std::uint32_t answer = CheckSharedPrinter(s.spooler, noLogon, line.sharedPath);
        if (answer == kSharedPrinterOtherDriver) {
            return Refuse(s.log, GivenOption(line, "port"), "the shared printer is another model");
        }
        if (answer != kSharedPrinterOfModel) {
            return Refuse(s.log, GivenOption(line, "port"),
                          "the shared printer cannot be reached (answer " +
                              std::to_string(answer) + "; an unattended run asks for no logon)");
        }
    }
    // The port first, as the TCP/IP port page makes it before the progress page opens.
    if (line.port == PortChoice::TcpIp) {
        CreateTcpIpPort(s.monitor, line.address, line.protocol);
        s.log.Line(DescribePortRequest(line.address, line.protocol));
    }

    // The system profile's own Start menu is seen by nobody. The wizard, and an administrator's
    // unattended run, keep the current user's.
    if (s.runsAsLocalSystem && s.runsAsLocalSystem()) {
        job.programGroup = ProgramGroupOwner::AllUsers;
        s.log.Line("running as LocalSystem: the program group goes to the all-users Start menu");
    }
    InstallationRun run{settings.connectionType, line.usbWaitSeconds * 1000u, s.steps,
                        s.signals, s.pnpSucceeded, s.startWatcher};
    if (!RunInstallation(job, run)) return kExitFailed;
    if (job.filesAtRestart > 0) {
        s.log.Line(std::to_string(job.filesAtRestart) +
                   " driver file(s) in use are replaced when Windows restarts: restart to finish");
        return kExitRestartNeeded;
    }
    return kExitSuccess;
}

}  // namespace tq
