// A warning the engine gives outside the progress page: in the wizard a box of its own (no
// owner window, exclamation icon, OK), in an unattended run a line of the log.
#pragma once

#include <string>

namespace tq {

class Warnings {
  public:
    virtual ~Warnings() = default;
    virtual void Warn(const std::string& text, const std::string& caption) = 0;
};

}  // namespace tq
