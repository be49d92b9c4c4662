#pragma once

#include "platform/printer_browser.h"

namespace tq {

// SHBrowseForFolderA with BIF_BROWSEFORPRINTER under the network neighbourhood, no owner
// window, COM initialised around it.
class Win32PrinterBrowser : public PrinterBrowser {
  public:
    std::optional<std::string> BrowseForPrinter(const std::string& title,
                                                const std::string& caption) override;
};

}  // namespace tq
