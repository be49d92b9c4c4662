// The uninstaller's command line. Without an argument the confirmation dialog runs, as when a
// person starts it. /quiet runs the removal at once, with no dialog and no message box, and
// writes a log line per step; /log:PATH moves the log (default: VNTAdminUninstall.log in the
// temporary folder); /? shows the usage. Option names are compared without regard to case.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/run_log.h"
#include "uninstall/procedure.h"

namespace tq::uninstall {

inline constexpr char kUninstallLogName[] = "VNTAdminUninstall.log";

// Exit codes of a quiet removal, as Windows Installer numbers them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadOption = 87;
inline constexpr int kExitFailed = 1603;

struct UninstallCommandLine {
    bool quiet = false;
    bool usage = false;
    std::string logPath;
    std::vector<std::string> given;  // the options as given, for the log
    std::string badOption;           // a malformed command line: the option and why
    std::string why;
    bool ok() const { return why.empty(); }
};

// The options after the program name; /log only with /quiet.
UninstallCommandLine ParseUninstallCommandLine(const std::vector<std::string>& arguments);

struct UninstallProgram {
    RunLog& log;
    std::function<void()> showUsage;
    std::function<void()> runDialog;
    std::function<UninstallOutcome(const UninstallReport&)> runProcedure;
};

// /?: the usage (0). A malformed command line: 87 (logged; the usage shown unless /quiet was
// given). No option: the dialog (0). /quiet: the procedure without boxes: 0 when the package
// was removed or is not there; 1603 when a tool of it runs or the install folder is refused
// (nothing removed), or when a file it deleted is still there.
int RunUninstallProgram(const UninstallCommandLine& line, UninstallProgram& program);

}  // namespace tq::uninstall
