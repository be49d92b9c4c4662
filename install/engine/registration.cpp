#include "install/engine/registration.h"

#include "install/engine/file_sets.h"
#include "install/model.h"
#include "install/spooler/spooler_queries.h"
#include "install/system/platform_class.h"
#include "platform/text.h"

namespace tq {

namespace {

constexpr std::uint32_t kMonitorAlreadyInstalled = 3006;  // ERROR_PRINT_MONITOR_ALREADY_INSTALLED
constexpr std::uint32_t kAlreadyExists = 183;             // ERROR_ALREADY_EXISTS
constexpr std::uint32_t kDriverAlreadyInstalled = 1795;   // ERROR_PRINTER_DRIVER_ALREADY_INSTALLED
constexpr int kSharedNetworkPort = 3;
constexpr std::uint32_t kDriverVersion9x = 0x400;
constexpr std::uint32_t kDriverVersionNt = 3;

constexpr char kMonitor9x[] = "Kestra TQ8240 PJL Language Monitor";
constexpr char kMonitorNt[] = "Kestra TQ8240 Language Monitor";

void Post(InstallJob& job) {
    if (job.progress) job.progress->Post(StageInstall, 1);
}

void Pause(InstallJob& job) {
    if (job.progress) job.progress->WaitIfPaused();
}

}  // namespace

bool RegistrationRecordsFor(int platformClass, int processorClass, SystemPaths& paths,
                            RegistrationRecords& out) {
    const RegistrationNames names = DriverFileSetFor(platformClass, processorClass).registration;
    if (names.driverPath == nullptr) return false;  // no driver file set on this class
    const std::string driverDirectory =
        paths.PrinterDriverDirectory(SpoolerEnvironmentFor(platformClass, processorClass));
    // Without it the driver files would be named in the root of the current drive.
    if (driverDirectory.empty()) return false;
    const bool is9x = platformClass == Platform9x;
    const char* monitorName = is9x ? kMonitor9x : kMonitorNt;

    out.monitor.name = monitorName;
    out.monitor.environment = names.monitorEnvironment;
    out.monitor.dllName = names.languageMonitorLibrary;

    const std::string base = driverDirectory + names.driverSubFolder;
    DriverSpec& d = out.driver;
    d = DriverSpec{};
    d.version = is9x ? kDriverVersion9x : kDriverVersionNt;
    d.name = std::string(kModelDriverName);
    d.environment = names.driverEnvironment;
    d.driverPath = base + names.driverPath;
    d.dataFile = base + names.dataFile;
    d.configFile = base + names.configFile;
    d.helpFile = base + names.helpFile;
    d.dependentFiles.assign(names.printerDependentFiles.begin(), names.printerDependentFiles.end());
    d.monitorName = monitorName;
    if (is9x) d.defaultDataType = "EMF";

    out.dataType = is9x ? "EMF" : "RAW";
    return true;
}

int RegisterDriverAndPrinter(InstallJob& job, const WizardSettings& settings,
                             RegistrationServices& s) {
    const std::string printerName(FieldText(settings.printerName));
    RegistrationRecords records;
    // No driver file set, nothing to register (NT 4.0, unknown systems), or no driver folder.
    if (!RegistrationRecordsFor(job.platformClass, job.processorClass, s.paths, records)) {
        return 0;
    }
    Post(job);

    Pause(job);
    if (!FindMonitor(s.spooler, records.monitor.name)) {
        const SpoolerResult added = s.spooler.RegisterMonitor(records.monitor);
        if (!LogStep(job, "language monitor",
                     added.ok || added.error == kMonitorAlreadyInstalled ||
                         added.error == kAlreadyExists)) {
            return 0;
        }
    } else {
        LogStep(job, "language monitor (already registered)", true);
    }
    Post(job);

    Pause(job);
    char portBuffer[kPortBufferSize];
    BoundedCopy(portBuffer, FieldText(settings.portName));
    if (settings.connectionType == SharedNetwork && job.platformClass >= Platform2000 &&
        job.platformClass <= PlatformVista) {
        // Whatever the library leaves in the buffer is the queue's port.
        s.libraries.InstallPort(std::string(FieldText(settings.portName)), kSharedNetworkPort,
                                portBuffer);
        portBuffer[kPortBufferSize - 1] = '\0';
        LogStep(job, "port " + std::string(FieldText(portBuffer)), true);
    }

    Pause(job);
    if (!FindPrinterDriver(s.spooler, SpoolerEnvironmentFor(job.platformClass, job.processorClass),
                           kModelDriverName)) {
        const SpoolerResult added = s.spooler.RegisterDriver(records.driver);
        if (!LogStep(job, "driver", added.ok || added.error == kDriverAlreadyInstalled)) return 0;
    } else {
        LogStep(job, "driver (already registered)", true);
    }
    Post(job);

    Pause(job);
    // An existing queue keeps its port, default state and share.
    if (!FindDriverPrinter(s.spooler, kModelDriverName, printerName)) {
        QueueSpec queue;
        queue.printerName = printerName;
        if (settings.shareEnabled) queue.shareName = std::string(FieldText(settings.shareName));
        queue.portName = std::string(FieldText(portBuffer));
        queue.driverName = std::string(kModelDriverName);
        queue.printProcessor = "WinPrint";
        queue.dataType = records.dataType;
        queue.attributes = settings.shareEnabled ? kPrinterAttributeShared : 0;
        if (!LogStep(job, "queue " + printerName + " on " + queue.portName,
                     s.spooler.CreateQueue(queue))) {
            return 0;
        }
        if (settings.setAsDefault &&
            !LogStep(job, "default printer",
                     s.printers.MakeDefaultPrinter(printerName, GetPlatformClass(s.system)))) {
            return 0;
        }
        if (settings.shareEnabled &&
            !LogStep(job, "share " + std::string(FieldText(settings.shareName)),
                     s.printers.SetPrinterShare(printerName,
                                                std::string(FieldText(settings.shareName))))) {
            return 0;
        }
    } else {
        LogStep(job, "queue " + printerName + " (kept as it is)", true);
    }
    Post(job);
    return 1;
}

}  // namespace tq
