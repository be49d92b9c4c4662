// Records folders and shortcuts in the order they were asked for; a shortcut's outcome can be
// set per call.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/shell_links.h"

namespace tq::test {

class FakeShellLinks : public ShellLinks {
  public:
    struct Shortcut {
        std::string linkPath;
        std::string target;
        std::string description;
    };

    bool CreateFolder(const std::string& path) override;
    ShortcutOutcome CreateShortcut(const std::string& linkPath, const std::string& target,
                                   const std::string& description) override;

    std::vector<std::string> folders;
    std::vector<Shortcut> shortcuts;  // every call, whatever its outcome
    // The outcome of the n-th call (0-based); Saved when not listed.
    std::map<std::size_t, ShortcutOutcome> outcomes;
};

}  // namespace tq::test
