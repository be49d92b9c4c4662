// Names as the system judges them: which share a name belongs to, and whether two names are the
// same for Windows (its own case folding, not only the Latin letters').
#pragma once

#include <string>
#include <string_view>

namespace tq {

enum class ShareKind {
    None,        // nothing shares under the name
    PrintQueue,  // a printer's share
    Other,       // a folder, a device, an IPC share
    Unknown,     // the system cannot tell (Windows 9x, no server service)
};

class SystemNames {
  public:
    virtual ~SystemNames() = default;
    // NetShareGetInfo (level 1) on this computer, looked up at run time.
    virtual ShareKind FindShare(const std::string& name) = 0;
    // Both names, from the system code page to UTF-16, compared without regard to case as the
    // system compares share and printer names (CompareStringOrdinal, or before Vista both
    // upper-cased by CharUpperBuffW).
    virtual bool SameName(std::string_view a, std::string_view b) = 0;
};

}  // namespace tq
