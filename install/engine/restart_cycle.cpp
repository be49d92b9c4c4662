#include "install/engine/restart_cycle.h"

#include <string>

#include "install/engine/restart_copy.h"
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

RestartRequest RestartForUpdate(const RestartCycleServices& s) {
    // The resumed run starts from a copy only administrators can write, and before anything
    // is parked: a copy that fails refuses the restart with nothing to undo.
    const std::string resumed =
        CopyForResumedRun(s.paths, s.files, s.platformClass, s.processorClass);
    if (resumed.empty()) return RestartRequest::Failed;
    int startTypeChanged = 0;
    int spoolerStopped = 0;
    int monitorKeyDeleted = 0;
    if (s.platformClass == Platform9x) {
        TerminateSpool32(s.processes, s.paths);
        // No spooler holds the files now.
        PlaceDriverFilesAfterRestart(s.paths, s.files, s.platformClass, s.processorClass);
    } else if (IsNtFamily(s.platformClass)) {
        // The spooler must not start by itself, nor load the old language monitor, before the
        // files are replaced after the restart.
        startTypeChanged = ToggleSpoolerStartType(s.services);
        spoolerStopped = StopSpoolerService(s.services);
        monitorKeyDeleted = DeleteMonitorKey(s.registry);
    }
    // Without a marker nothing would bring the spooler back after the restart.
    const bool marked =
        UpdateResumeMarkerFor(s.registry, resumed, ResumeMarkerSet, s.platformClass) == 1;
    if (marked && (s.platformClass < Platform9x || s.platformClass > PlatformVista)) {
        return RestartRequest::NotHere;
    }
    if (marked && RestartComputer(s.power, s.platformClass) == 1) return RestartRequest::Requested;

    // Refused: back to how the printer system was. The monitor key before the spooler starts,
    // which loads the monitors it names.
    UpdateResumeMarkerFor(s.registry, resumed, ResumeMarkerDelete, s.platformClass);
    if (monitorKeyDeleted == 1) CreateMonitorKey(s.registry);
    if (startTypeChanged == 1) ToggleSpoolerStartType(s.services);
    if (spoolerStopped == 1 && s.sleep) {
        constexpr unsigned kPollMs = 250;
        constexpr unsigned kStopLimitMs = 30000;
        StartSpoolerServiceWhenStopped(s.services, s.sleep, kPollMs, kStopLimitMs);
    }
    return RestartRequest::Failed;
}

}  // namespace tq
