#include "install/entry/program.h"

#include "install/res/resource.h"
#include "install/system/platform_class.h"
#include "install/unattended/unattended_run.h"

namespace tq {

namespace {

void ShowUsage(Ui& ui) {
    ui.ShowMessageBox(ui.LoadText(IDS_USAGE), ui.LoadText(IDS_APP_TITLE),
                      kMbOk | kMbIconInformation);
}

}  // namespace

int RunProgram(const CommandLine& line, ProgramServices& s) {
    if (line.mode == RunMode::Usage) {
        ShowUsage(s.ui);
        return 0;
    }
    const bool quiet = line.mode == RunMode::Quiet;
    std::string badOption = line.badOption;
    std::string why = line.why;
    if (!s.log.OpenOrDefault(line.logPath) && why.empty()) {
        badOption = "/log:" + line.logPath;
        why = "the log cannot be written there";
    }
    s.log.Header(quiet ? "unattended" : "wizard", s.platformClass, s.processorClass, line.given);
    int code = kExitBadOption;
    if (!why.empty()) {
        s.log.Line("option " + badOption + ": " + why);
        if (!quiet) ShowUsage(s.ui);
    } else if (s.processorClass == ProcessorArm64) {
        // The package's drivers are x86 and x64 only: refused before anything changes.
        s.log.Line("ARM64 Windows: no driver of this package runs there, nothing was changed");
        if (!quiet) {
            s.ui.ShowMessageBox(s.ui.LoadText(IDS_UNSUPPORTED_ARM64), s.ui.LoadText(IDS_APP_TITLE),
                                kMbOk | kMbIconExclamation);
        }
        code = kExitFailed;
    } else {
        code = quiet ? s.runUnattended() : s.runWizard();
    }
    s.log.Line("exit code " + std::to_string(code));
    return code;
}

}  // namespace tq
