// The restart cycle: when queues of the model are installed, the welcome page's 重启 takes the
// spooler out of the way of the driver files, leaves a resume marker in the Run key and
// restarts the computer; the next start, from that marker, finishes the postponed work and opens
// the wizard on the printer name page.
#pragma once

#include <functional>

#include "platform/file_system.h"
#include "platform/power.h"
#include "platform/process_list.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/system_paths.h"

namespace tq {

struct RestartCycleServices {
    Registry& registry;
    SystemPaths& paths;
    FileSystem& files;
    Services& services;
    ProcessList& processes;
    Power& power;
    int platformClass;
    int processorClass;
    std::function<void(unsigned milliseconds)> sleep;  // while the spooler stops, on a rollback
};

// The resume check of the start-up. False in a fresh run (no marker naming this program, or
// none readable). The marker names the copy RestartForUpdate made (or, written by an older
// run, the installer on the medium), so a resumed run reads its files from that copy's folder. Otherwise it deletes the marker and, on the NT family, places the driver files
// that waited for the restart, creates the language monitor's key again, starts the spooler and
// turns its on-demand start back into automatic start; it returns true whatever these report.
bool ResumeAfterRestart(const RestartCycleServices& s);

// What became of the welcome page's 重启.
enum class RestartRequest {
    Requested,  // Windows is restarting
    Failed,     // Windows refused the restart; what was prepared for it has been undone
    NotHere,    // an unknown platform: the marker is set, no restart is tried
};

// The welcome page's 重启. First the installer and what a run reads beside it are copied into an
// administrators-only folder (CopyForResumedRun); a copy that fails is Failed at once. Windows
// 9x: ends the spooler process and places the driver files at once. NT family: on-demand start
// for the spooler, the spooler stopped, the monitor key deleted. Then, for every platform, the
// resume marker naming the copy and the restart (which an unknown platform does not do: the
// welcome page simply stays). A marker that cannot be written, or a restart that Windows refuses
// (no shutdown privilege, ExitWindowsEx failing), must not leave the printer system parked: the
// marker is deleted, the monitor key made again, the start type put back and the spooler
// started, each only where this call had changed it.
RestartRequest RestartForUpdate(const RestartCycleServices& s);

}  // namespace tq
