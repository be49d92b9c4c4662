#include "install/app/startup.h"

#include "install/res/resource.h"

namespace tq {

bool NameTakenElsewhere(const MutexCreation& creation) {
    if (creation.made) return creation.error == kMutexAlreadyExists;
    return creation.error == kMutexAccessDenied;
}

bool IsSecondInstance(const std::string& name,
                      const std::function<MutexCreation(const std::string&)>& create) {
    // Both are made whatever the first says, so a first instance holds both names.
    const bool local = NameTakenElsewhere(create(name));
    const bool global = NameTakenElsewhere(create(kGlobalNamespace + name));
    return local || global;
}

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
