#include "install/unattended/unattended_run.h"

#include "install/app/shared_printer_page.h"
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

int Failed(InstallLog& log) {
    log.Line("installation failed");
    return kExitFailed;
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

// The USB path after the driver is ready: the queue appears when the printer is plugged in.
// Returns false when the queue came but could not be set up.
bool WaitForUsbQueue(const CommandLine& line, InstallJob& job, UnattendedServices& s) {
    const bool updated = s.pnpSucceeded.load() == 1;  // the printer is there already
    if (updated || line.usbWaitSeconds > 0) {
        if (!s.startWatcher()) return LogStep(job, "USB queue watcher", false);
        s.log.Line(updated ? std::string("the driver update found the printer: setting its queue up")
                           : "waiting for the USB printer, at most " +
                                 std::to_string(line.usbWaitSeconds) + " s");
        if (s.waitForQueue(updated ? 0xFFFFFFFFu : line.usbWaitSeconds * 1000u)) {
            if (s.pnpSucceeded.load() == 0) {
                s.log.Line("USB queue: found, but could not be set up");
                return false;
            }
            s.log.Line("USB queue: ready");
            return true;
        }
    }
    s.log.Line("USB printer not connected: the driver is ready, and Windows creates the queue "
               "when the printer is plugged in (under the model's name, without the options "
               "of this run)");
    return true;
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

    // The checks of the pages, before anything changes. A queue of the model under this name is
    // made anew (as the printer name page's 是 does), so its own share is free for the new one.
    const bool installedBefore = ModelQueuesInstalled(s.spooler, s.driverEnvironment);
    settings.alreadyInstalled = installedBefore ? 1 : 0;
    const bool replacing =
        installedBefore && FindDriverPrinter(s.spooler, kModelDriverName, printerName);
    if (settings.shareEnabled &&
        FindShareName(s.spooler, FieldText(settings.shareName),
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
    if (replacing) {
        LogStep(job, "delete the queue " + printerName + " to make it anew",
                s.printers.DeletePrinterQueue(printerName));
    }
    if (line.port == PortChoice::TcpIp) {
        CreateTcpIpPort(s.monitor, line.address, line.protocol);
        s.log.Line(DescribePortRequest(line.address, line.protocol));
    }

    if (!s.steps.StageDriverFiles(job) || !s.steps.PlaceDriverFiles(job)) return Failed(s.log);
    if (settings.connectionType != Usb) {
        if (!s.steps.RegisterDriverAndPrinter(job)) return Failed(s.log);
    } else if (job.platformClass == Platform9x) {
        s.log.Line("Windows 9x: the system's hardware wizard installs the USB printer when it is "
                   "plugged in");
    } else {
        if (!s.steps.InstallPlugAndPlayDriver(job)) return Failed(s.log);
        if (!WaitForUsbQueue(line, job, s)) return Failed(s.log);
    }
    if (!s.steps.CreateProgramShortcuts(job) || !s.steps.RegisterUninstallEntry(job)) {
        return Failed(s.log);
    }
    s.log.Line("installation done");
    if (installedBefore) {
        s.log.Line("queues of the model were installed before: restart so that every driver file "
                   "in use is replaced");
        return kExitRestartNeeded;
    }
    return kExitSuccess;
}

}  // namespace tq
