// The installer as its command line asks: the usage, the wizard, or the unattended run; and the
// log every run appends to. The Win32 process entry (win32/main.cpp) wires both front ends.
#pragma once

#include <functional>

#include "install/app/ui.h"
#include "install/engine/install_log.h"
#include "install/unattended/command_line.h"

namespace tq {

struct ProgramServices {
    Ui& ui;
    InstallLog& log;
    int platformClass;
    int processorClass;
    std::function<int()> runWizard;      // RunInstaller
    std::function<int()> runUnattended;  // RunUnattended
};

// /? without /quiet shows the usage (exit code 0). Otherwise the log is opened where /log says
// (a file that cannot be written is refused in the default log) and headed, and a malformed
// command line ends with 87; without /quiet its user also sees the usage, with /quiet nothing
// is ever shown. On ARM64 Windows, 1603 and a log line (the wizard's user also sees why) before
// anything changes. Then the unattended installation or the wizard. The exit code is the log's
// last line.
int RunProgram(const CommandLine& line, ProgramServices& services);

}  // namespace tq
