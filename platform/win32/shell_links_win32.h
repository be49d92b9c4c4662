#pragma once

#include "platform/shell_links.h"

namespace tq {

// Shell links through COM (IShellLinkA, IPersistFile); folders through CreateDirectoryA.
class Win32ShellLinks : public ShellLinks {
  public:
    bool CreateFolder(const std::string& path) override;
    ShortcutOutcome CreateShortcut(const std::string& linkPath, const std::string& target,
                                   const std::string& description) override;
};

}  // namespace tq
