#include "tests/support/fake_shell_links.h"

namespace tq::test {

bool FakeShellLinks::CreateFolder(const std::string& path) {
    folders.push_back(path);
    return true;
}

ShortcutOutcome FakeShellLinks::CreateShortcut(const std::string& linkPath,
                                               const std::string& target,
                                               const std::string& description) {
    const std::size_t call = shortcuts.size();
    shortcuts.push_back({linkPath, target, description});
    const auto it = outcomes.find(call);
    return it == outcomes.end() ? ShortcutOutcome::Saved : it->second;
}

}  // namespace tq::test
