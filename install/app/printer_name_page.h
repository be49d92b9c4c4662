// The printer name and default page: the name of the new queue and whether it becomes the
// default printer. A name that a queue of the model already bears is reused only after the user
// agrees to delete that queue.
#pragma once

#include <string_view>

#include "install/app/page.h"
#include "install/engine/wizard_settings.h"
#include "install/spooler/printer_settings.h"
#include "platform/spooler.h"

namespace tq {

class PrinterNamePage : public MiddlePage {
  public:
    // driverEnvironment: the spooler environment of the model's driver (SpoolerEnvironmentFor).
    PrinterNamePage(WizardSettings& settings, Spooler& spooler, const char* driverEnvironment,
                    PrinterSettings& printers, Ui& ui)
        : MiddlePage(ui),
          settings_(settings),
          spooler_(spooler),
          driverEnvironment_(driverEnvironment),
          printers_(printers) {}

    int DialogId() const override;
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;

  private:
    PageResult Next(PageControls& controls);
    PageResult RefuseName(PageControls& controls, int textId);

    WizardSettings& settings_;
    Spooler& spooler_;
    const char* driverEnvironment_;
    PrinterSettings& printers_;
};

}  // namespace tq
