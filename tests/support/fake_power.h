// The restart for host tests: the calls are logged in order, nothing restarts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/power.h"

namespace tq::test {

class FakePower : public Power {
  public:
    bool EnableShutdownPrivilege() override {
        calls.push_back("privilege");
        return true;
    }
    bool RebootForced() override {
        calls.push_back("reboot");
        if (onReboot) onReboot();
        return rebootAccepted;
    }

    bool rebootAccepted = true;
    std::function<void()> onReboot;  // what a test looks at the moment the restart is asked
    std::vector<std::string> calls;  // "privilege", "reboot", in order
};

}  // namespace tq::test
