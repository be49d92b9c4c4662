// The shell's folder browser, rooted at the network neighbourhood, choosing a printer.
#pragma once

#include <optional>
#include <string>

namespace tq {

class PrinterBrowser {
  public:
    virtual ~PrinterBrowser() = default;
    // Shows the browser with `title` above the tree and `caption` as its window's caption;
    // the chosen printer's path, or nullopt when nothing was chosen or the browser could not be
    // shown.
    virtual std::optional<std::string> BrowseForPrinter(const std::string& title,
                                                        const std::string& caption) = 0;
};

}  // namespace tq
