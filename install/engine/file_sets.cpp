#include "install/engine/file_sets.h"

#include "install/system/platform_class.h"

namespace tq {

namespace {

using D = Destination;
using A = StepAction;

// ---- Windows 95/98: Driver\98\ --------------------------------------------------------------

constexpr const char* kStage98Driver[] = {
    "T8249ui.dll",  "T8249rc.dll", "T8249dr.drv", "T824916.dll", "T824932.dll",  "T8249lm.dll",
    "FWTQ8240.bin", "T8249ui.hlp", "T824XWM.dat", "USBMON.DLL",  "USBPRINT.SYS",
};
constexpr const char* kStage98Inf[] = {"T8249if.inf", "T824USB.inf"};
constexpr const char* kMonitorProgram[] = {"T824XSM.exe"};
constexpr const char* kUninstallerList[] = {kUninstaller};

constexpr const char* kPlace98Driver[] = {
    "T8249UI.dll",  "T8249RC.dll", "T8249DR.DRV", "T824916.dll", "T824932.dll",  "T8249LM.dll",
    "FWTQ8240.bin", "T8249UI.hlp", "T824xWM.dat", "USBMON.DLL",  "USBPRINT.SYS",
};
constexpr const char* kPlace98UsbPrint[] = {"USBPRINT.SYS"};

constexpr FileStep kUninstallerStep = {A::Copy, kMediumRoot, D::ProgramFolder,
                                       true,    false,       ListOf(kUninstallerList)};

constexpr FileStep kStaging98[] = {
    {A::Copy, kFolder98, D::ProgramDriver, true, false, ListOf(kStage98Driver)},
    {A::Copy, kFolder98, D::ProgramDriver, true, false, ListOf(kStage98Inf)},
    {A::Copy, kFolder98, D::ProgramDriver, true, false, ListOf(kMonitorProgram)},
    kUninstallerStep,
};

constexpr FileStep kPlacement98[] = {
    {A::Copy, kFolder98, D::DriverDirectory, true, false, ListOf(kPlace98Driver)},
    {A::Copy, kFolder98, D::SystemDrivers, true, false, ListOf(kPlace98UsbPrint)},
    {A::Copy, kFolder98, D::WindowsInf, true, false, ListOf(kStage98Inf)},
    {A::Copy, kFolder98, D::SystemDirectory, true, false, ListOf(kMonitorProgram)},
};

// ---- Windows 2000, XP and 2003: Driver\2KXP\; Vista and later: Driver\Vista\ ----------------

constexpr const char* kDriver2KXP[] = {
    "T8242dr.dll", "T8242ui.dll", "T8242rc.dll", "T8242pi.dll", "T8242UI.chm",
    "T8242.dat",   "T8242lm.dll", "T824XWM.dat", "USBMON.dll",
};
constexpr const char* kStageVistaDriver[] = {
    "T8242dr.dll", "T8242ui.dll", "T8242rc.dll", "T8242pi.dll", "T8242ui.chm",
    "T8242.dat",   "T8242lm.dll", "T824XWM.dat", "USBMON.dll",
};
// Vista places its setup information file beside the driver files as well.
constexpr const char* kPlaceVistaDriver[] = {
    "T8242dr.dll", "T8242ui.dll", "T8242rc.dll", "T8242pi.dll", "T8242ui.chm",
    "T8242.dat",   "T8242lm.dll", "T824XWM.dat", "USBMON.dll",  "T8242if.inf",
};
// The language monitor with its firmware and data file, for the system directory.
constexpr const char* kSystemFiles[] = {"FWTQ8240.bin", "T8242lm.dll", "T824XWM.dat"};
constexpr const char* kCatalog[] = {"T8242if.cat"};
constexpr const char* kInfNT[] = {"T8242if.inf"};

constexpr FileStep kStaging2000[] = {
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kDriver2KXP)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kSystemFiles)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kInfNT)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kMonitorProgram)},
    kUninstallerStep,
};

// XP brings the catalogue along, untested: a medium without it still installs.
constexpr FileStep kStagingXp[] = {
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kDriver2KXP)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kSystemFiles)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, false, false, ListOf(kCatalog)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kInfNT)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, true, false, ListOf(kMonitorProgram)},
    kUninstallerStep,
};

// Vista's folder has no catalogue of its own: it comes from the 2KXP folder.
constexpr FileStep kStagingVista[] = {
    {A::Copy, kFolderVista, D::ProgramDriver, true, false, ListOf(kStageVistaDriver)},
    {A::Copy, kFolderVista, D::ProgramDriver, true, false, ListOf(kSystemFiles)},
    {A::Copy, kFolder2KXP, D::ProgramDriver, false, false, ListOf(kCatalog)},
    {A::Copy, kFolderVista, D::ProgramDriver, true, false, ListOf(kInfNT)},
    {A::Copy, kFolderVista, D::ProgramDriver, true, false, ListOf(kMonitorProgram)},
    kUninstallerStep,
};

constexpr FileStep kStagingUninstallerOnly[] = {kUninstallerStep};

// Placement. On 64-bit systems the system-directory step is SysFileCopier.exe: a 32-bit
// installer writing to System32 would land in SysWOW64. CopyInf's refusal fails 2000 and XP;
// Vista goes on without looking.
constexpr FileStep kPlacement2KXP32[] = {
    {A::Copy, kFolder2KXP, D::DriverDirectory, true, false, ListOf(kDriver2KXP)},
    {A::Copy, kFolder2KXP, D::DriverDirectory3, true, false, ListOf(kDriver2KXP)},
    {A::Copy, kFolder2KXP, D::SystemDirectory, true, false, ListOf(kSystemFiles)},
    {A::InstallInf, kFolder2KXP, D::None, true, true, ListOf(kInfNT)},
    {A::Copy, kFolder2KXP, D::SystemDirectory, true, false, ListOf(kMonitorProgram)},
};
constexpr FileStep kPlacement2KXP64[] = {
    {A::Copy, kFolder2KXP, D::DriverDirectory, true, false, ListOf(kDriver2KXP)},
    {A::Copy, kFolder2KXP, D::DriverDirectory3, true, false, ListOf(kDriver2KXP)},
    {A::StartSysFileCopier, kMediumRoot, D::None, false, false, ListOf(kSystemFiles)},
    {A::InstallInf, kFolder2KXP, D::None, true, true, ListOf(kInfNT)},
    {A::Copy, kFolder2KXP, D::SystemDirectory, true, false, ListOf(kMonitorProgram)},
};
constexpr FileStep kPlacementVista32[] = {
    {A::Copy, kFolderVista, D::DriverDirectory, true, false, ListOf(kPlaceVistaDriver)},
    {A::Copy, kFolderVista, D::DriverDirectory3, true, false, ListOf(kPlaceVistaDriver)},
    {A::Copy, kFolderVista, D::SystemDirectory, true, false, ListOf(kSystemFiles)},
    {A::InstallInf, kFolderVista, D::None, true, false, ListOf(kInfNT)},
    {A::Copy, kFolderVista, D::SystemDirectory, true, false, ListOf(kMonitorProgram)},
};
constexpr FileStep kPlacementVista64[] = {
    {A::Copy, kFolderVista, D::DriverDirectory, true, false, ListOf(kPlaceVistaDriver)},
    {A::Copy, kFolderVista, D::DriverDirectory3, true, false, ListOf(kPlaceVistaDriver)},
    {A::StartSysFileCopier, kMediumRoot, D::None, false, false, ListOf(kSystemFiles)},
    {A::InstallInf, kFolderVista, D::None, true, false, ListOf(kInfNT)},
    {A::Copy, kFolderVista, D::SystemDirectory, true, false, ListOf(kMonitorProgram)},
};

// ---- Registration names ----------------------------------------------------------------------

constexpr const char* kPrinterDependents98[] = {
    "T824916.dll", "T824932.dll", "T8249dr.drv", "T8249lm.dll", "T8249rc.dll",
    "T8249ui.dll", "T8249ui.hlp", "T824xWM.dat", "T824xSM.EXE", "FWTQ8240.bin",
};
constexpr const char* kPrinterDependentsNT[] = {"T8242ui.dll", "T8242rc.dll", "T824xWM.dat",
                                                "T8242lm.dll"};
constexpr const char* kUsbDependentsNT[] = {"T8242ui.dll", "T8242rc.dll", "T824xWM.dat",
                                            "usbmon.dll", "T8242lm.dll"};

constexpr const char kEnvironment9x[] = "Windows 4.0";
constexpr const char kEnvironmentX86[] = "Windows NT x86";
constexpr const char kMonitorEnvironmentX86[] = "Windows NT X86";
constexpr const char kEnvironmentX64[] = "Windows x64";
constexpr const char kMonitor9x[] = "T8249LM.dll";
constexpr const char kMonitorNT[] = "T8242LM.dll";
constexpr const char kUsbMonitor[] = "usbmon.dll";

// ---- Post-restart placement ------------------------------------------------------------------

// Windows 9x takes these from the medium's root; the language monitor comes twice.
constexpr const char* kRestart98[] = {"T8249LM.dll", "T824916.dll", "T824932.dll", "T8249DR.drv",
                                      "T8249LM.dll", "T8249rc.dll", "T8249ui.dll"};
constexpr const char* kRestartNT[] = {"T8242dr.dll", "T8242ui.dll", "T8242pi.dll", "T8242rc.dll"};
constexpr const char kSpoolerTailX86[] = "\\spool\\drivers\\w32x86\\3\\";
constexpr const char kSpoolerTailX64[] = "\\spool\\drivers\\x64\\3\\";

template <std::size_t N>
constexpr StepList StepsOf(const FileStep (&steps)[N]) {
    return StepList{steps, N};
}

}  // namespace

DriverFileSet DriverFileSetFor(int platformClass, int processorClass) {
    const bool x64 = processorClass == Processor64;
    DriverFileSet set;
    RegistrationNames& names = set.registration;
    names.usbMonitorLibrary = kUsbMonitor;

    switch (platformClass) {
        case Platform9x:
            set.platformFolder = kFolder98;
            set.staging = StepsOf(kStaging98);
            set.placement = StepsOf(kPlacement98);
            names.driverEnvironment = kEnvironment9x;
            names.monitorEnvironment = kEnvironment9x;
            names.driverSubFolder = "";
            names.driverPath = "\\T8249dr.drv";
            names.dataFile = "\\T8249dr.drv";
            names.configFile = "\\T8249dr.drv";
            names.helpFile = "\\T8249ui.hlp";
            names.printerDependentFiles = ListOf(kPrinterDependents98);
            names.languageMonitorLibrary = kMonitor9x;
            set.postRestart = {kMediumRoot, RestartDestination::DriverDirectory, nullptr,
                               ListOf(kRestart98)};
            return set;
        case Platform2000:
        case PlatformXp:
        case PlatformVista: {
            const bool vista = platformClass == PlatformVista;
            set.platformFolder = vista ? kFolderVista : kFolder2KXP;
            set.staging = vista                         ? StepsOf(kStagingVista)
                          : platformClass == PlatformXp ? StepsOf(kStagingXp)
                                                        : StepsOf(kStaging2000);
            set.placement = vista ? (x64 ? StepsOf(kPlacementVista64) : StepsOf(kPlacementVista32))
                                  : (x64 ? StepsOf(kPlacement2KXP64) : StepsOf(kPlacement2KXP32));
            names.driverEnvironment = x64 ? kEnvironmentX64 : kEnvironmentX86;
            names.driverSubFolder = "\\3";
            names.driverPath = "\\T8242dr.dll";
            names.dataFile = "\\T8242.dat";
            names.configFile = "\\T8242pi.dll";
            names.helpFile = vista ? "\\T8242ui.chm" : "\\T8242UI.chm";
            names.printerDependentFiles = ListOf(kPrinterDependentsNT);
            names.usbDependentFiles = ListOf(kUsbDependentsNT);
            set.postRestart = {set.platformFolder, RestartDestination::SpoolerVersion3,
                               x64 ? kSpoolerTailX64 : kSpoolerTailX86, ListOf(kRestartNT)};
            break;
        }
        default:
            // NT 4.0, Me and anything unknown: no driver set, only the uninstaller.
            set.staging = StepsOf(kStagingUninstallerOnly);
            break;
    }
    // Every class but 9x registers the NT language monitor, NT 4.0 and unknown ones included.
    names.monitorEnvironment = x64 ? kEnvironmentX64 : kMonitorEnvironmentX86;
    names.languageMonitorLibrary = kMonitorNT;
    return set;
}

const char* SpoolerEnvironmentFor(int platformClass, int processorClass) {
    if (processorClass != Processor64) return nullptr;
    return DriverFileSetFor(platformClass, processorClass).registration.driverEnvironment;
}

}  // namespace tq
