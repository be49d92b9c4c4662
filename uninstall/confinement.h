// Where the elevated uninstaller may delete. customize.ini, which names what it deletes, may lie
// in a folder users can write, so the folder it names and every way down from it are checked
// against what Windows itself would reach: the Windows folder, a drive's root, Program Files,
// and links (junctions, symbolic links) that lead somewhere else.
#pragma once

#include <string>
#include <string_view>

#include "uninstall/customize.h"
#include "uninstall/procedure.h"

namespace tq::uninstall {

enum class FolderVerdict {
    Allowed,
    DriveRoot,      // a drive's root (or a share's)
    WindowsFolder,  // the Windows folder or a folder below it
    ProgramFiles,   // Program Files itself
    ThroughLink,    // the folder, or one on the way to it, is a reparse point
};
// For the log.
const char* Describe(FolderVerdict verdict);

class Confinement {
  public:
    explicit Confinement(UninstallSystem& system);

    // The install folder (a trailing backslash allowed).
    FolderVerdict CheckInstallFolder(const std::string& folder);
    // Whether `base` + "\" + `relative` passes through a reparse point below `base`: every
    // folder of the name, and its last part too when `includeLast` (a folder the procedure
    // goes into). A part that does not exist ends the walk: nothing lies beyond it.
    bool ThroughLink(const std::string& base, std::string_view relative, bool includeLast);
    // The same file or folder: by identity where the system gives both, otherwise by name
    // (letter case aside).
    bool SameEntry(const std::string& a, const std::string& b);
    // The same path by name alone: components compared with Latin letters folded, double-byte
    // characters as they are.
    bool SameName(std::string_view a, std::string_view b) const;

    const LeadByteRule& LeadBytes() const { return isLeadByte_; }

  private:
    UninstallSystem& system_;
    LeadByteRule isLeadByte_;
};

}  // namespace tq::uninstall
