#include "install/app/restart_cycle.h"

#include "install/engine/restart_placement.h"
#include "install/system/platform_class.h"
#include "install/system/registry_records.h"
#include "install/system/spooler_control.h"

namespace tq {

namespace {

bool IsNtFamily(int platformClass) {
    return platformClass >= PlatformNt4 && platformClass <= PlatformVista;
}

}  // namespace

bool ResumeAfterRestart(const RestartCycleServices& s) {
    if (UpdateResumeMarker(s.registry, s.paths, ResumeMarkerQuery, s.platformClass) != 1) {
        return false;
    }
    // The next log-on must not start the installer again.
    UpdateResumeMarker(s.registry, s.paths, ResumeMarkerDelete, s.platformClass);
    if (IsNtFamily(s.platformClass)) {
        PlaceDriverFilesAfterRestart(s.paths, s.files, s.platformClass, s.processorClass);
        CreateMonitorKey(s.registry);
        StartSpoolerService(s.services);
        ToggleSpoolerStartType(s.services);
    }
    return true;
}

void RestartForUpdate(const RestartCycleServices& s) {
    if (s.platformClass == Platform9x) {
        TerminateSpool32(s.processes, s.paths);
        // No spooler holds the files now.
        PlaceDriverFilesAfterRestart(s.paths, s.files, s.platformClass, s.processorClass);
    } else if (IsNtFamily(s.platformClass)) {
        // The spooler must not start by itself, nor load the old language monitor, before the
        // files are replaced after the restart.
        ToggleSpoolerStartType(s.services);
        StopSpoolerService(s.services);
        DeleteMonitorKey(s.registry);
    }
    UpdateResumeMarker(s.registry, s.paths, ResumeMarkerSet, s.platformClass);
    RestartComputer(s.power, s.platformClass);
}

}  // namespace tq
