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

// Answers of the connection check besides a Windows error code.
enum : std::uint32_t {
    kSharedPrinterUnreadable = 0,  // the printer cannot be opened or read
    kSharedPrinterOfModel = 1,     // it uses the model's driver
    kSharedPrinterOtherDriver = 2,
    kSharedPrinterUnknownName = 1801,   // ERROR_INVALID_PRINTER_NAME
    kSharedPrinterUserCancelled = 1223  // ERROR_CANCELLED: the credentials request dismissed
};

// The form \\server\share: a backslash first, at least 3 bytes, and from the third byte on
// exactly one backslash character (the second character is not examined). Characters, not
// bytes, are counted: the trail byte of a double-byte character may be 0x5C. A path longer
// than portName holds (87 bytes) is refused too: cut, it would name another printer.
bool IsSharedPrinterPathForm(std::string_view path);

// Opens the printer for use; on access denied connects to the share (the system may ask for
// credentials) and opens it again. Returns one of the answers above or the connection's error.
std::uint32_t CheckSharedPrinter(Spooler& spooler, NetworkConnections& connections,
                                 const std::string& path);

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
