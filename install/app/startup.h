// The wizard's start: the single instance, the resume check, then the first page.
#pragma once

#include <functional>
#include <string>

#include "install/app/page.h"
#include "platform/instance.h"

namespace tq {

inline constexpr char kInstanceMutexName[] = "PreventSecondTQ8240InstallInstance";
// The same name machine-wide: the plain name is one per logon session, so a deployment tool's
// run as SYSTEM (session 0) and a user's wizard in another session would both install.
inline constexpr char kGlobalNamespace[] = "Global\\";

// True when the creation found the name taken: the mutex existed, or it exists under another
// account and this one may not open it. Any other failure (no Global namespace on Windows 9x
// or NT 4.0 without terminal services) says nothing of another instance.
bool NameTakenElsewhere(const MutexCreation& creation);

// Creates `name` and kGlobalNamespace + `name` (both, each kept for the process's life) and
// says whether another instance holds either.
bool IsSecondInstance(const std::string& name,
                      const std::function<MutexCreation(const std::string&)>& create);

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
