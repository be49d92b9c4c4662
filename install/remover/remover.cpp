#include "install/remover/remover.h"

#include "install/model.h"
#include "install/remover/res/remover_ids.h"
#include "platform/arguments.h"

namespace tq {

namespace {

void Show(RemoverFrontEnd& f, int textId, unsigned style,
          const std::vector<std::string>& values = {}) {
    f.ui.ShowMessageBox(FillText(f.ui.LoadText(textId), values), f.ui.LoadText(IDS_REMOVER_TITLE),
                        style);
}

// Questions default to 否, as the installer's do.
bool Ask(RemoverFrontEnd& f, int textId, const std::vector<std::string>& values) {
    return f.ui.ShowMessageBox(FillText(f.ui.LoadText(textId), values),
                               f.ui.LoadText(IDS_REMOVER_TITLE),
                               kMbYesNo | kMbIconExclamation | kMbDefButton2) == kIdYes;
}

int Remove(RemoverFrontEnd& f, bool quiet) {
    if (f.isSecondInstance && f.isSecondInstance()) {
        f.log.Line("the installer or another remover is running: nothing changed");
        if (!quiet) Show(f, IDS_REMOVER_BUSY, kMbOk | kMbIconExclamation);
        return kRemoverBusy;
    }
    const FoundInstallation found = FindInstallation(f.services);
    if (!found.found) {
        f.log.Line("nothing installed here: " + found.why);
        if (!quiet) Show(f, IDS_REMOVER_NOTHING, kMbOk | kMbIconInformation);
        return kRemoverRemoved;
    }
    f.log.Line("printer " + found.printerName + " in " + found.programFolder);
    if (!quiet && !Ask(f, IDS_REMOVER_CONFIRM, {found.printerName})) {
        f.log.Line("not confirmed: nothing changed");
        return kRemoverDeclined;
    }

    const RemovalPlan plan = PlanRemoval(f.services, found);
    if (plan.jobs > 0) {
        const std::string jobs = std::to_string(plan.jobs);
        if (quiet) {
            f.log.Line("queue " + plan.printerName + " has " + jobs +
                       " print jobs waiting: nothing removed");
            return kRemoverFailed;
        }
        if (!Ask(f, IDS_REMOVER_JOBS, {plan.printerName, jobs})) {
            f.log.Line(jobs + " print jobs waiting, not confirmed: nothing changed");
            return kRemoverDeclined;
        }
        f.log.Line(jobs + " print jobs waiting: removal confirmed");
    }

    const RemovalOutcome outcome = RemoveInstallation(f.services, plan, f.log);
    const int code = outcome.failed      ? kRemoverFailed
                     : outcome.atRestart ? kRemoverRestart
                                         : kRemoverRemoved;
    if (!quiet) {
        if (code == kRemoverFailed) {
            Show(f, IDS_REMOVER_FAILED, kMbOk | kMbIconExclamation,
                 {plan.printerName, f.log.path()});
        } else {
            Show(f, code == kRemoverRestart ? IDS_REMOVER_DONE_RESTART : IDS_REMOVER_DONE,
                 kMbOk | kMbIconInformation, {plan.printerName});
        }
    }
    return code;
}

}  // namespace

RemoverCommandLine ParseRemoverCommandLine(const std::vector<std::string>& arguments) {
    RemoverCommandLine line;
    bool usage = false, quiet = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        line.given.push_back(argument);
        OptionParts option;
        const bool isOption = SplitOption(argument, option);
        if (isOption && !option.hasValue && option.name == "quiet") {
            quiet = true;
        } else if (isOption && option.hasValue && option.name == "log" && !option.value.empty()) {
            line.logPath = option.value;
        } else if (isOption && !option.hasValue &&
                   (option.name == "?" || option.name == "h" || option.name == "help")) {
            usage = true;
        } else if (line.badOption.empty()) {
            line.badOption = argument;
        }
    }
    line.quiet = quiet;
    line.mode = usage ? RemoverMode::Usage : quiet ? RemoverMode::Quiet : RemoverMode::Dialog;
    return line;
}

int RunRemover(const RemoverCommandLine& line, RemoverFrontEnd& f) {
    const bool quiet = line.quiet;
    if (line.mode == RemoverMode::Usage) {
        // /? with /quiet shows nothing either: a window would wait for a user who is not there.
        if (!line.quiet) Show(f, IDS_REMOVER_USAGE, kMbOk | kMbIconInformation);
        return line.badOption.empty() ? kRemoverRemoved : kRemoverBadOption;
    }
    std::string badOption = line.badOption;
    if (!f.log.OpenOrDefault(line.logPath, kRemoverLogName) && badOption.empty()) {
        badOption = "/log:" + line.logPath;
    }
    f.log.Header(std::string("T824UIS.exe ") + kInstallerVersion +
                     (quiet ? ", remove quietly" : ", remove with questions"),
                 line.given);
    int code = kRemoverBadOption;
    if (!badOption.empty()) {
        f.log.Line("option " + badOption + ": refused, nothing changed");
        if (!quiet) Show(f, IDS_REMOVER_USAGE, kMbOk | kMbIconExclamation);
    } else {
        code = Remove(f, quiet);
    }
    f.log.Line("exit code " + std::to_string(code));
    return code;
}

std::string FillText(std::string text, const std::vector<std::string>& values) {
    // '%' is never a byte of a double-byte character in code page 936.
    std::size_t from = 0;
    for (const std::string& value : values) {
        std::size_t at = text.find('%', from);
        while (at != std::string::npos && at + 1 < text.size() && text[at + 1] != 's' &&
               text[at + 1] != 'u') {
            at = text.find('%', at + 1);
        }
        if (at == std::string::npos || at + 1 >= text.size()) break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

}  // namespace tq
