#include "install/spooler/printer_settings.h"

#include "install/model.h"
#include "install/system/platform_class.h"

namespace tq {

template <typename Change>
bool PrinterSettings::UpdateQueue(const std::string& printerName, Change change) {
    std::unique_ptr<OpenedQueue> queue = spooler_.OpenQueue(printerName);
    if (!queue) return false;
    std::unique_ptr<QueueSettings> settings = queue->ReadSettings();
    if (!settings) return false;
    change(*settings);
    if (!queue->WriteSettings(*settings)) return false;
    // Its outcome does not change the result.
    spooler_.AnnounceSettingChange(kSettingChangeTimeoutMs);
    return true;
}

bool PrinterSettings::MakeDefaultPrinter(const std::string& printerName, int platformClass) {
    if (platformClass == Platform9x) {
        return UpdateQueue(printerName, [](QueueSettings& s) {
            s.SetAttributes(s.Attributes() | kPrinterAttributeDefault);
        });
    }
    return libraries_.SetDefault(printerName) != 0;
}

bool PrinterSettings::RenameModelPrinter(const std::string& newName) {
    return RenamePrinter(std::string(kModelDriverName), newName);
}

bool PrinterSettings::RenamePrinter(const std::string& from, const std::string& newName) {
    return UpdateQueue(from, [&newName](QueueSettings& s) { s.SetPrinterName(newName); });
}

bool PrinterSettings::SetPrinterShare(const std::string& printerName,
                                      const std::string& shareName) {
    if (GetPlatformClass(system_) == Platform9x) {
        return libraries_.SharePrinter(printerName, shareName) != 0;
    }
    return UpdateQueue(printerName, [&shareName](QueueSettings& s) {
        s.SetShareName(shareName);
        s.SetAttributes(s.Attributes() | kPrinterAttributeShared);
    });
}

bool PrinterSettings::DeletePrinterQueue(const std::string& printerName) {
    std::unique_ptr<OpenedQueue> queue = spooler_.OpenQueue(printerName);
    return queue && queue->Delete();
}

}  // namespace tq
