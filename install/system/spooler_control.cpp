#include "install/system/spooler_control.h"

#include <memory>
#include <string>

#include "install/system/platform_class.h"
#include "platform/text.h"

namespace tq {

// "Nothing to do" (not running for a stop, not stopped for a start, a start type the toggle
// leaves alone) returns 0, like a failure: every result here says "this call changed something".
// A 1 for "already as wanted" would be wrong for the states in between (a paused or pending
// service is neither running nor stopped), and no caller looks at the result anyway.

namespace {
constexpr char kSpoolerService[] = "Spooler";
constexpr char kSpool32[] = "\\Spool32.exe";
}  // namespace

int StopSpoolerService(Services& services) {
    const std::unique_ptr<OpenedService> spooler = services.Open(kSpoolerService);
    if (!spooler) return 0;
    const std::optional<ServiceState> state = spooler->State();
    if (!state || *state != ServiceState::Running) return 0;
    return spooler->Stop() ? 1 : 0;
}

int StartSpoolerService(Services& services) {
    const std::unique_ptr<OpenedService> spooler = services.Open(kSpoolerService);
    if (!spooler) return 0;
    const std::optional<ServiceState> state = spooler->State();
    if (!state || *state != ServiceState::Stopped) return 0;
    return spooler->Start() ? 1 : 0;
}

int StartSpoolerServiceWhenStopped(Services& services, const std::function<void(unsigned)>& sleep,
                                   unsigned pollMs, unsigned limitMs) {
    for (unsigned waited = 0;; waited += pollMs) {
        {
            const std::unique_ptr<OpenedService> spooler = services.Open(kSpoolerService);
            if (!spooler) return 0;
            const std::optional<ServiceState> state = spooler->State();
            if (!state) return 0;
            if (*state == ServiceState::Stopped) break;
        }
        if (waited >= limitMs) return 0;
        sleep(pollMs);
    }
    return StartSpoolerService(services);
}

int ToggleSpoolerStartType(Services& services) {
    const std::unique_ptr<OpenedService> spooler = services.Open(kSpoolerService);
    if (!spooler) return 0;
    const std::optional<ServiceConfig> config = spooler->ReadConfig();
    if (!config) return 0;
    ServiceStartType next;
    switch (config->startType) {
        case ServiceStartType::Automatic:
            next = ServiceStartType::OnDemand;
            break;
        case ServiceStartType::OnDemand:
            next = ServiceStartType::Automatic;
            break;
        default:  // boot, system and disabled are the administrator's choice: left alone
            return 0;
    }
    return spooler->ChangeStartType(next, config->displayName) ? 1 : 0;
}

int TerminateSpool32(ProcessList& processes, SystemPaths& paths) {
    const std::string system = paths.SystemDirectory();
    // Without the system folder the target would be a rootless "\Spool32.exe": end nothing.
    if (system.empty()) return 0;
    const std::string target = system + kSpool32;
    const std::optional<std::vector<ProcessEntry>> snapshot = processes.Snapshot();
    if (!snapshot) return 0;
    for (const ProcessEntry& process : *snapshot) {
        if (MbsEqualNoCase(process.executable, target)) {
            return processes.TerminateWithOwnExitCode(process.processId) ? 1 : 0;
        }
    }
    return 0;
}

int RestartComputer(Power& power, int platformClass) {
    if (platformClass < Platform9x || platformClass > PlatformVista) return 0;
    // Windows 9x has no privileges; the NT family refuses the restart without this one.
    if (platformClass != Platform9x) power.EnableShutdownPrivilege();
    return power.RebootForced() ? 1 : 0;
}

}  // namespace tq
