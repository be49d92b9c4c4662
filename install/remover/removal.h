// The printer's remover: which installation the running T824UIS.exe belongs to, what of it is
// still there, and its removal. An installation is named by its program folder
// (<drive>\Program Files\Kestra\<printer name>), where the installer copied the remover; the
// remover removes what that installation made and nothing another one still uses.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/port_monitor.h"
#include "platform/registry.h"
#include "platform/run_log.h"
#include "platform/spooler.h"
#include "platform/system_paths.h"

namespace tq {

struct RemoverServices {
    Spooler& spooler;
    Registry& registry;
    FileSystem& files;
    SystemPaths& paths;
    PortMonitor& ports;
    int platformClass;
    int processorClass;
    // A text of the program's string table (the program group's link names).
    std::function<std::string(int)> loadText;
};

// The installation the running program belongs to.
struct FoundInstallation {
    bool found = false;
    std::string printerName;
    std::string programFolder;  // no trailing backslash
    std::string program;        // the running program's path
    std::string why;            // when not found: why this is no installation's folder
};

// The program's folder must be Program Files\Kestra\<name> on the Windows drive, and an
// installation of the model must be there under that name: the uninstall entry <name> naming
// this program, or a queue <name> on the model's driver (a half-removed installation has one
// of the two).
FoundInstallation FindInstallation(RemoverServices& s);

// What of the installation is still there and goes.
struct RemovalPlan {
    std::string printerName;
    std::string programFolder;
    std::string program;
    bool queue = false;        // the queue <printerName>, on the model's driver
    std::uint32_t jobs = 0;    // print jobs waiting in it
    std::string port;          // its Standard TCP/IP port, when no other queue uses it
    bool driverInUse = false;  // another queue uses the model's driver: driver files stay
    std::vector<const char*> driverEnvironments;  // where the model's driver is registered
    std::string monitor;                          // the language monitor to delete ("" when absent)
    std::string monitorEnvironment;
};

RemovalPlan PlanRemoval(RemoverServices& s, const FoundInstallation& found);

struct RemovalOutcome {
    bool failed = false;  // a step failed; the others were still done
    int atRestart = 0;    // files of the installation deleted only at the next restart
};

// Removes what `plan` names, in this order: queue, port, driver, monitor, driver and system
// files, program group, uninstall entry, Run values, program folder. A step that fails is
// logged with the system's error and the rest still goes. The running program and the folders
// that hold it are deleted at the next restart; they are not counted in atRestart (nothing of
// the installation works any more, so no restart is needed for it).
RemovalOutcome RemoveInstallation(RemoverServices& s, const RemovalPlan& plan, RunLog& log);

}  // namespace tq
