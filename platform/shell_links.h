// Start-menu shortcuts: a folder for the program group and shell links saved into it.
#pragma once

#include <string>

namespace tq {

// How making one shortcut went. The steps before the save must work for a shortcut to be made
// at all; whether the save itself worked is reported separately so that the caller decides.
enum class ShortcutOutcome {
    Saved,          // IPersistFile::Save reported success
    SaveFailed,     // the link object was complete, the save (or the path conversion) failed
    NoShellLink,    // CoCreateInstance(CLSID_ShellLink, IID_IShellLinkA) failed
    NoPersistFile,  // the link object has no IPersistFile
};

class ShellLinks {
  public:
    virtual ~ShellLinks() = default;
    // CreateDirectoryA: true when it made the folder (false also when it was there already).
    virtual bool CreateFolder(const std::string& path) = 0;
    // A shell link at linkPath (a full .lnk path in the system code page) to `target`, with
    // `description`; no arguments, working folder, icon or hot key. COM is initialised on the
    // calling thread first (CoInitialize) and left initialised.
    virtual ShortcutOutcome CreateShortcut(const std::string& linkPath, const std::string& target,
                                           const std::string& description) = 0;
};

}  // namespace tq
