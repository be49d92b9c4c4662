// Registers the language monitor, the port of a shared network printer, the driver and the queue
// with the spooler, then makes the queue the default printer and shares it as the user chose.
// Each item the spooler already has is left as it is, so a repeated installation goes through.
#pragma once

#include "install/engine/wizard_settings.h"
#include "install/engine/progress.h"
#include "install/spooler/printer_settings.h"
#include "platform/setup_libraries.h"
#include "platform/spooler.h"
#include "platform/system_paths.h"

namespace tq {

struct RegistrationServices {
    Spooler& spooler;
    PrinterSettings& printers;
    SetupLibraries& libraries;
    SystemPaths& paths;
    SystemInfo& system;
};

// What is registered for a platform: the monitor, the driver and the queue's data type.
struct RegistrationRecords {
    MonitorSpec monitor;
    DriverSpec driver;
    std::string dataType;
};

// The records for (platformClass, processorClass), the driver files named in the spooler's
// driver directory of the environment the driver registers with; false for classes without a
// driver file set (NT 4.0 and unknown) and when the spooler names no driver directory.
bool RegistrationRecordsFor(int platformClass, int processorClass, SystemPaths& paths,
                            RegistrationRecords& out);

// 1 on success, 0 on failure; what was registered before a failure stays.
int RegisterDriverAndPrinter(InstallJob& job, const WizardSettings& settings,
                             RegistrationServices& services);

}  // namespace tq
