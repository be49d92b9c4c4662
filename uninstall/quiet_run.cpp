#include "uninstall/quiet_run.h"

#include "platform/arguments.h"

namespace tq::uninstall {

namespace {

UninstallCommandLine Bad(UninstallCommandLine line, const std::string& option, const char* why) {
    line.badOption = option;
    line.why = why;
    return line;
}

}  // namespace

UninstallCommandLine ParseUninstallCommandLine(const std::vector<std::string>& arguments) {
    UninstallCommandLine line;
    bool logGiven = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        line.given.push_back(argument);
        OptionParts option;
        if (!SplitOption(argument, option)) return Bad(line, argument, "not an option");
        bool* flag = option.name == "quiet" ? &line.quiet
                     : option.name == "?"   ? &line.usage
                                            : nullptr;
        if (flag != nullptr) {
            if (option.hasValue) return Bad(line, argument, "takes no value");
            if (*flag) return Bad(line, argument, "given twice");
            *flag = true;
        } else if (option.name == "log") {
            if (logGiven) return Bad(line, argument, "given twice");
            line.logPath = option.value;
            if (line.logPath.empty()) return Bad(line, argument, "needs a value");
            logGiven = true;
        } else {
            return Bad(line, argument, "unknown option");
        }
    }
    if (!line.usage && !line.quiet && logGiven) return Bad(line, "/log", "only with /quiet");
    return line;
}

int RunUninstallProgram(const UninstallCommandLine& line, UninstallProgram& p) {
    if (line.usage) {
        p.showUsage();
        return kExitSuccess;
    }
    if (line.ok() && !line.quiet) {
        p.runDialog();
        return kExitSuccess;
    }
    std::string badOption = line.badOption;
    std::string why = line.why;
    if (!p.log.OpenOrDefault(line.logPath, kUninstallLogName) && why.empty()) {
        badOption = "/log:" + line.logPath;
        why = "the log cannot be written there";
    }
    p.log.Header(line.quiet ? "VNTAdminUninstall.exe, unattended" : "VNTAdminUninstall.exe",
                 line.given);
    int code = kExitBadOption;
    if (!why.empty()) {
        p.log.Line("option " + badOption + ": " + why);
        if (!line.quiet) p.showUsage();
    } else {
        const UninstallOutcome outcome = p.runProcedure(UninstallReport{&p.log, true});
        code =
            outcome == UninstallOutcome::Finished || outcome == UninstallOutcome::NothingInstalled
                ? kExitSuccess
                : kExitFailed;
    }
    p.log.Line("exit code " + std::to_string(code));
    return code;
}

}  // namespace tq::uninstall
