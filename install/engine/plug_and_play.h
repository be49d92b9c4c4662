// The USB path: the queue is not created by the installer but by Windows plug-and-play, once
// the printer's USB device is matched with the driver's setup information file. This prepares
// that on Windows 2000, XP and Vista and later: language monitor, USB port monitor and driver
// with the spooler, a refresh of the device tree, and the driver update for the printer's
// hardware identifier. A 32-bit installer on 64-bit Windows is refused the update; it then hands
// it to the 64-bit PnpDrvRefresh.exe from the medium and reads the verdict from SetupState.ini.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "install/engine/progress.h"
#include "install/engine/warnings.h"
#include "install/engine/wizard_settings.h"
#include "platform/device_install.h"
#include "platform/setup_libraries.h"
#include "platform/spooler.h"
#include "platform/system_paths.h"

namespace tq {

struct PlugAndPlayServices {
    Spooler& spooler;
    SetupLibraries& libraries;  // SetupNT.dll "RefreshLocalDevNode"
    SystemPaths& paths;
    DeviceInstaller& devices;  // UpdateDriverForPlugAndPlayDevicesA
    ProgramRunner& programs;   // PnpDrvRefresh.exe, run to its end
    ProfileReader& profiles;   // SetupState.ini
    Warnings& warnings;        // the update's refusal
};

inline constexpr char kPrinterHardwareId[] = "USBPRINT\\Kestra_TQ8240_Series80C1";
inline constexpr char kPnpDrvRefresh[] = "PnpDrvRefresh.exe";
inline constexpr char kSetupInfName[] = "T8242if.inf";
// SetupState.ini, where PnpDrvRefresh.exe leaves its verdict: Results = 1 is success.
inline constexpr char kStateSection[] = "UpdateDriverForPlugAndPlayDevices";
inline constexpr char kStateResultsKey[] = "Results";

// "<drive>\Program Files\Kestra\SetupState.ini" from the Windows folder (its first three
// characters); empty when the folder is shorter than that.
std::string StateFilePathOf(std::string_view windowsDirectory);

// The command line PnpDrvRefresh.exe is given, whole: "<inf path>;<hardware id>".
std::string PnpDrvRefreshCommandLine(std::string_view infPath, std::string_view hardwareId);

// 1 when the installation may go on to the plug-and-play wait, 0 on failure. pnpSucceeded
// becomes 1 when the driver update is known to have succeeded, 0 when PnpDrvRefresh.exe reports
// failure, and is left alone otherwise (the wait decides). Only Windows 2000, XP and Vista and
// later have an NT USB driver set: other classes return 0 and register nothing.
int InstallPlugAndPlayDriver(InstallJob& job, const WizardSettings& settings,
                             PlugAndPlayServices& services, std::atomic<int>& pnpSucceeded);

}  // namespace tq
