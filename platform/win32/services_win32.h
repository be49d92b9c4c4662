#pragma once

#include "platform/services.h"

namespace tq {

class Win32Services : public Services {
  public:
    std::unique_ptr<OpenedService> Open(const std::string& serviceName) override;
};

}  // namespace tq
