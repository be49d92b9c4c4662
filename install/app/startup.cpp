#include "install/app/startup.h"

#include "install/res/resource.h"

namespace tq {

int RunInstaller(StartupServices& s) {
    if (s.isSecondInstance && s.isSecondInstance()) {
        s.ui.ShowMessageBox(s.ui.LoadText(IDS_SECOND_INSTANCE), s.ui.LoadText(IDS_APP_TITLE),
                            kMbOk | kMbIconExclamation);
        return 0;
    }
    const bool resumed = s.resumeInterruptedRun && s.resumeInterruptedRun();
    return RunWizard(resumed ? PageId::PrinterName : PageId::Welcome, s.pages, s.host);
}

namespace {
constexpr int kBadOption = 87;  // ERROR_INVALID_PARAMETER

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
    const char* mode = quiet ? "unattended" : "wizard";
    std::string badOption = line.badOption;
    std::string why = line.why;
    if (!s.log.OpenOrDefault(line.logPath) && why.empty()) {
        badOption = "/log:" + line.logPath;
        why = "the log cannot be written there";
    }
    s.log.Header(mode, s.platformClass, s.processorClass, line.given);
    int code = kBadOption;
    if (!why.empty()) {
        s.log.Line("option " + badOption + ": " + why);
        if (!quiet) ShowUsage(s.ui);
    } else {
        code = quiet ? s.runUnattended() : s.runWizard();
    }
    s.log.Line("exit code " + std::to_string(code));
    return code;
}

}  // namespace tq
