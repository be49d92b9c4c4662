// The shared network printer page: the path of a printer another computer shares
// (\\server\share). Before it lets the user go on it opens the printer, connecting to the share
// first when access is refused, and warns when the printer does not use the model's driver.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "install/app/page.h"
#include "install/engine/wizard_settings.h"
#include "platform/network_connections.h"
#include "platform/printer_browser.h"
#include "platform/spooler.h"

namespace tq {

class SharedPrinterPage : public MiddlePage {
  public:
    SharedPrinterPage(WizardSettings& settings, Ui& ui, Spooler& spooler,
                      NetworkConnections& connections, PrinterBrowser& browser)
        : MiddlePage(ui),
          settings_(settings),
          spooler_(spooler),
          connections_(connections),
          browser_(browser) {}

    int DialogId() const override;
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;

    const std::string& pathText() const { return pathText_; }

  private:
    PageResult Next(PageControls& controls);
    void ShowInvalidPath();

    WizardSettings& settings_;
    Spooler& spooler_;
    NetworkConnections& connections_;
    PrinterBrowser& browser_;
    std::string pathText_;
};

}  // namespace tq
