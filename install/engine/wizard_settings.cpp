#include "install/engine/wizard_settings.h"

#include "platform/text.h"

namespace tq {

void WizardSettings::SetPrinterName(std::string_view name) {
    BoundedCopy(printerName, name);
}
void WizardSettings::SetShareName(std::string_view name) {
    BoundedCopy(shareName, name);
}
void WizardSettings::SetPortName(std::string_view name) {
    BoundedCopy(portName, name);
}

}  // namespace tq
