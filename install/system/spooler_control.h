// Taking the print spooler out of the way of a driver update and putting it back: the "Spooler"
// service, its start type, the Windows 9x spooler process, and the restart in between.
// None of the callers reads these results; they say what happened, for logs and tests.
#pragma once

#include <functional>

#include "platform/power.h"
#include "platform/process_list.h"
#include "platform/services.h"
#include "platform/system_paths.h"

namespace tq {

// Asks a running "Spooler" service to stop, without waiting: 1 when the stop request was
// accepted; 0 when it was refused, when nothing could be opened or read, and when the service
// was not running (no request is made then).
int StopSpoolerService(Services& services);

// Starts a stopped "Spooler" service with no arguments, without waiting: 1 when the start
// request was accepted; 0 when it was refused, on the same failures, and when the service was
// not stopped (no request).
int StartSpoolerService(Services& services);

// Starts the "Spooler" service once a stop asked for earlier has taken effect: polls its state
// every `pollMs` for at most `limitMs` (sleep(ms) waits), then StartSpoolerService. 0 when it
// did not stop in time, and on StartSpoolerService's failures.
int StartSpoolerServiceWhenStopped(Services& services, const std::function<void(unsigned)>& sleep,
                                   unsigned pollMs, unsigned limitMs);

// Automatic start becomes on-demand and on-demand becomes automatic, the display name kept: 1
// when the change was made; 0 when it was refused, when nothing could be read, and for any other
// start type (boot, system, disabled), which is left alone.
int ToggleSpoolerStartType(Services& services);

// Ends the first process whose executable is the system folder's Spool32.exe (full path, letter
// case ignored in code page 936) with its own exit code: 1 when it was ended, else 0.
int TerminateSpool32(ProcessList& processes, SystemPaths& paths);

// Restarts Windows by force (PlatformClass 1..5; 2..5 enable the shutdown privilege first): the
// result of the restart request. Any other class: nothing happens, 0.
int RestartComputer(Power& power, int platformClass);

}  // namespace tq
