// The unattended installation (/quiet): the wizard's choices taken from the command line, every
// check the system would make later made before anything changes, then the installation run the
// progress page drives, shown as log lines and an exit code instead of a window.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "install/engine/installation.h"
#include "install/engine/install_log.h"
#include "install/engine/progress.h"
#include "install/engine/warnings.h"
#include "install/engine/wizard_settings.h"
#include "install/spooler/printer_settings.h"
#include "install/unattended/command_line.h"
#include "platform/port_monitor.h"
#include "platform/spooler.h"
#include "platform/system_names.h"

namespace tq {

// Exit codes of an unattended run, as Windows Installer numbers them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadOption = 87;          // ERROR_INVALID_PARAMETER
inline constexpr int kExitFailed = 1603;           // ERROR_INSTALL_FAILURE
inline constexpr int kExitAlreadyRunning = 1618;   // ERROR_INSTALL_ALREADY_RUNNING
inline constexpr int kExitRestartNeeded = 3010;    // ERROR_SUCCESS_REBOOT_REQUIRED

// The progress page of a run without a window: posts and pauses go nowhere, a message the page
// would show goes to the log, texts come from the program's string table.
class LoggedProgress : public ProgressWindow {
  public:
    LoggedProgress(InstallLog& log, std::function<std::string(int)> loadText)
        : log_(log), loadText_(std::move(loadText)) {}
    void Post(int, long) override {}
    void WaitIfPaused() override {}
    void SetCurrentFileName(const std::string&) override {}
    void ShowOwnedMessage(const std::string& text) override { log_.Line("message: " + text); }
    std::string LoadText(int stringId) override { return loadText_(stringId); }

  private:
    InstallLog& log_;
    std::function<std::string(int)> loadText_;
};

// The engine's warnings of a run without a window: lines of the log.
class LoggedWarnings : public Warnings {
  public:
    explicit LoggedWarnings(InstallLog& log) : log_(log) {}
    void Warn(const std::string& text, const std::string& caption) override {
        log_.Line("warning: " + caption + ": " + text);
    }

  private:
    InstallLog& log_;
};

struct UnattendedServices {
    Spooler& spooler;
    SystemNames& names;
    PortMonitor& monitor;  // the Standard TCP/IP port
    InstallationSteps& steps;
    InstallSignals& signals;
    InstallLog& log;
    std::atomic<int>& pnpSucceeded;
    const char* driverEnvironment;  // SpoolerEnvironmentFor
    // True when another instance of the installer runs.
    std::function<bool()> isSecondInstance;
    StartQueueWatcher startWatcher;
    // True when the process runs as LocalSystem (RunsAsLocalSystem); none: it does not.
    std::function<bool()> runsAsLocalSystem;
};

// Runs an unattended installation from `line` (ok, mode Quiet) into `settings` and returns its
// exit code: 0; 3010 when driver files in use are replaced only when Windows restarts; 87 for a
// choice the system would refuse (a name or share name in use, a shared printer that cannot be
// reached without a logon or is of another model), with nothing changed; 1618 when another
// instance runs; 1603 when a step fails. An unattended run never restarts the computer. Run as
// LocalSystem (a deployment tool's run), it makes the program group for all users.
int RunUnattended(const CommandLine& line, InstallJob& job, WizardSettings& settings,
                  UnattendedServices& services);

}  // namespace tq
