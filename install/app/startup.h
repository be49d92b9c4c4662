// The entry of the installer, apart from the Win32 process entry that wires it up.
#pragma once

#include <functional>

#include "install/app/page.h"
#include "install/engine/install_log.h"
#include "install/unattended/command_line.h"

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

// What the command line chooses between, and the log every run appends to.
struct ProgramServices {
    Ui& ui;
    InstallLog& log;
    int platformClass;
    int processorClass;
    std::function<int()> runWizard;      // RunInstaller
    std::function<int()> runUnattended;  // RunUnattended
};

// The program as its command line asks: /? shows the usage (exit code 0); otherwise the log is
// opened (a /log file that cannot be written is refused in the default log) and headed, and a
// malformed command line ends with 87 (the wizard's user also sees the usage); then the
// unattended installation or the wizard. The exit code is the log's last line.
int RunProgram(const CommandLine& line, ProgramServices& services);

}  // namespace tq
