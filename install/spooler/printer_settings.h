// The four changes the installer makes to a queue: make it the default printer, give the
// model's queue the chosen name, share it, delete it. Spooler changes read the queue's level-2
// record whole, change the named fields only and write it back.
#pragma once

#include <string>

#include "platform/setup_libraries.h"
#include "platform/spooler.h"
#include "platform/system_info.h"

namespace tq {

inline constexpr std::uint32_t kPrinterAttributeDefault = 0x00000004;
inline constexpr std::uint32_t kPrinterAttributeShared = 0x00000008;
inline constexpr unsigned kSettingChangeTimeoutMs = 1000;

class PrinterSettings {
  public:
    PrinterSettings(Spooler& spooler, SetupLibraries& libraries, SystemInfo& system)
        : spooler_(spooler), libraries_(libraries), system_(system) {}

    // Windows 9x: the default attribute through the spooler; every other class (-1 included):
    // SetupNT.dll "SetDefault".
    bool MakeDefaultPrinter(const std::string& printerName, int platformClass);
    // Renames the queue named like the model's driver.
    bool RenameModelPrinter(const std::string& newName);
    // Renames the queue `from`.
    bool RenamePrinter(const std::string& from, const std::string& newName);
    // Windows 9x: Setup9x.dll "SharePrinter"; every other class: share name and shared
    // attribute through the spooler.
    bool SetPrinterShare(const std::string& printerName, const std::string& shareName);
    bool DeletePrinterQueue(const std::string& printerName);

  private:
    template <typename Change>
    bool UpdateQueue(const std::string& printerName, Change change);

    Spooler& spooler_;
    SetupLibraries& libraries_;
    SystemInfo& system_;
};

}  // namespace tq
