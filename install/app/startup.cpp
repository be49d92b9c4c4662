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

}  // namespace tq
