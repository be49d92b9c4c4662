// Names as Windows judges them: NetShareGetInfo for shares, the system's case folding.
#pragma once

#include "platform/system_names.h"

namespace tq {

class Win32SystemNames : public SystemNames {
  public:
    ShareKind FindShare(const std::string& name) override;
    bool SameName(std::string_view a, std::string_view b) override;
};

}  // namespace tq
