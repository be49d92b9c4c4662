#pragma once

#include "platform/power.h"

namespace tq {

class Win32Power : public Power {
  public:
    bool EnableShutdownPrivilege() override;
    bool RebootForced() override;
};

}  // namespace tq
