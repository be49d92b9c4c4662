// The wizard's start: the single instance, the resume check, then the first page.
#pragma once

#include <functional>

#include "install/app/page.h"

namespace tq {

inline constexpr char kInstanceMutexName[] = "PreventSecondTQ8240InstallInstance";

struct StartupServices {
    Ui& ui;
    PageFactory& pages;
    PageHost& host;
    // True when another instance already runs.
    std::function<bool()> isSecondInstance;
    // The resume check: true when this start continues an installation interrupted by a
    // restart; it has then done the postponed work and the wizard opens at the printer name
    // page. A fresh run answers false.
    std::function<bool()> resumeInterruptedRun;
};

// Runs the installer and returns the process exit code.
int RunInstaller(StartupServices& services);

}  // namespace tq
