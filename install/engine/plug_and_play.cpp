#include "install/engine/plug_and_play.h"

#include <cstdint>

#include "install/engine/file_sets.h"
#include "install/system/folders.h"
#include "install/engine/registration.h"
#include "install/spooler/spooler_queries.h"
#include "install/system/platform_class.h"
#include "platform/text.h"

namespace tq {

namespace {

constexpr std::uint32_t kMonitorAlreadyInstalled = 3006;  // ERROR_PRINT_MONITOR_ALREADY_INSTALLED
constexpr std::uint32_t kAlreadyExists = 183;             // ERROR_ALREADY_EXISTS
constexpr std::uint32_t kDriverAlreadyInstalled = 1795;   // ERROR_PRINTER_DRIVER_ALREADY_INSTALLED
constexpr std::uint32_t kErrorInWow64 = 0xE0000235;       // ERROR_IN_WOW64: a 32-bit caller on x64

constexpr char kUsbMonitorName[] = "USB Monitor";
constexpr char kUpdateFailsText[] = "UpdateDriverForPlugAndPlayDevices fails";

// Update errors that end the installation, each with the caption of its warning box. Any
// error not listed here (no such device: the printer is not plugged in) leaves the outcome to
// the plug-and-play wait.
struct UpdateRefusal {
    std::uint32_t error;
    const char* caption;
};
constexpr UpdateRefusal kUpdateRefusals[] = {
    {0, "NO_ERROR"},
    {2, "FILE_NOT_FOUND"},  // the setup information file is not in the program folder
    {1004, "INVALID_FLAGS"},
};

void Post(InstallJob& job) {
    if (job.progress) job.progress->Post(StageInstall, 1);
}

void Pause(InstallJob& job) {
    if (job.progress) job.progress->WaitIfPaused();
}

bool MonitorAccepted(const SpoolerResult& r) {
    return r.ok || r.error == kMonitorAlreadyInstalled || r.error == kAlreadyExists;
}

const UpdateRefusal* RefusalFor(std::uint32_t error) {
    for (const UpdateRefusal& refusal : kUpdateRefusals) {
        if (refusal.error == error) return &refusal;
    }
    return nullptr;
}

}  // namespace

std::string StateFilePathOf(std::string_view windowsDirectory) {
    if (windowsDirectory.size() < 3) return {};
    std::string path(windowsDirectory.substr(0, 3));
    path += "Program Files\\Kestra\\SetupState.ini";
    return path;
}

std::string PnpDrvRefreshCommandLine(std::string_view infPath, std::string_view hardwareId) {
    std::string line(infPath);
    line += ';';
    line += hardwareId;
    return line;
}

int InstallPlugAndPlayDriver(InstallJob& job, const WizardSettings& settings,
                             PlugAndPlayServices& s, std::atomic<int>& pnpSucceeded) {
    // The NT USB driver set exists for these classes only; NT 4.0 and unknown systems have no
    // driver to register, and Windows 9x installs USB printers through its own hardware wizard.
    if (job.platformClass < Platform2000 || job.platformClass > PlatformVista) return 0;

    const std::string windows = s.paths.WindowsDirectory();
    const std::string stateFile = StateFilePathOf(windows);
    if (stateFile.empty()) return 0;
    const std::string infPath =
        ProgramFolderOf(windows, FieldText(settings.printerName)) + "\\Driver\\" + kSetupInfName;

    Pause(job);
    const std::string sourceFolder = SourceFolder(s.paths);
    const std::string helper = sourceFolder + kPnpDrvRefresh;
    if (sourceFolder.empty() || helper.size() >= kMaxPath) return 0;

    RegistrationRecords records;
    if (!RegistrationRecordsFor(job.platformClass, job.processorClass, s.paths, records)) {
        return 0;
    }
    const RegistrationNames names =
        DriverFileSetFor(job.platformClass, job.processorClass).registration;

    Pause(job);
    if (!FindMonitor(s.spooler, records.monitor.name) &&
        !MonitorAccepted(s.spooler.RegisterMonitor(records.monitor))) {
        return 0;
    }
    Post(job);

    Pause(job);
    // Registered every time: it may be missing even when the language monitor is there.
    const MonitorSpec usbMonitor{kUsbMonitorName, records.monitor.environment,
                                 names.usbMonitorLibrary};
    if (!MonitorAccepted(s.spooler.RegisterMonitor(usbMonitor))) return 0;
    Post(job);

    Pause(job);
    // Registered every time too, with the USB dependent files, even over a driver of that name
    // that a parallel or network installation registered without usbmon.dll.
    DriverSpec driver = records.driver;
    driver.dependentFiles.assign(names.usbDependentFiles.begin(), names.usbDependentFiles.end());
    const SpoolerResult added = s.spooler.RegisterDriver(driver);
    if (!added.ok && added.error != kDriverAlreadyInstalled) return 0;

    s.libraries.RefreshLocalDevNode();
    const DeviceInstallResult update = s.devices.UpdateDeviceDriver(kPrinterHardwareId, infPath);
    if (update.ok) {
        pnpSucceeded = 1;
    } else if (const UpdateRefusal* refusal = RefusalFor(update.lastError)) {
        s.warnings.Warn(kUpdateFailsText, refusal->caption);
        return 0;
    } else if (update.lastError == kErrorInWow64) {
        // The 64-bit helper does the same update where this process may not. An earlier run's
        // verdict goes first, so a helper that ends without writing one has failed; a verdict
        // that could not be removed may be that earlier one and is not taken.
        const bool staleRemoved = s.profiles.RemoveFile(stateFile);
        if (!s.programs.RunAndWait(helper, PnpDrvRefreshCommandLine(infPath, kPrinterHardwareId))) {
            return 0;
        }
        const int results =
            staleRemoved ? s.profiles.ReadInt(stateFile, kStateSection, kStateResultsKey, 0) : 0;
        pnpSucceeded = results == 1 ? 1 : 0;
    }

    Post(job);
    return 1;
}

}  // namespace tq
