// The service control manager for host tests: one service table in memory. Each opening is a
// view of the same service, so what one opening changes the next one sees; every call is logged.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace tq::test {

class FakeServices : public Services {
  public:
    struct Service {
        ServiceState state = ServiceState::Stopped;
        ServiceConfig config{ServiceStartType::OnDemand, "Print Spooler"};
        bool statusFails = false;
        bool configFails = false;
        bool requestsRefused = false;  // stop, start and change answer false
    };
    struct Change {
        ServiceStartType startType;
        std::string displayName;
    };

    std::unique_ptr<OpenedService> Open(const std::string& serviceName) override {
        opened.push_back(serviceName);
        if (managerFails) return nullptr;
        const auto found = services.find(serviceName);
        if (found == services.end()) return nullptr;
        return std::make_unique<View>(*this, found->second);
    }

    // Every request that reached a service, in order: "stop", "start", "change".
    std::vector<std::string> requests;
    std::vector<Change> changes;
    std::vector<std::string> opened;
    int closed = 0;  // openings whose handles were released
    bool managerFails = false;
    std::map<std::string, Service> services{{"Spooler", Service{}}};

    Service& spooler() { return services.at("Spooler"); }

  private:
    class View : public OpenedService {
      public:
        View(FakeServices& owner, Service& service) : owner_(owner), service_(service) {}
        ~View() override { ++owner_.closed; }
        std::optional<ServiceState> State() override {
            if (service_.statusFails) return std::nullopt;
            return service_.state;
        }
        bool Stop() override {
            owner_.requests.push_back("stop");
            if (service_.requestsRefused) return false;
            service_.state = ServiceState::StopPending;
            return true;
        }
        bool Start() override {
            owner_.requests.push_back("start");
            if (service_.requestsRefused) return false;
            service_.state = ServiceState::StartPending;
            return true;
        }
        std::optional<ServiceConfig> ReadConfig() override {
            if (service_.configFails) return std::nullopt;
            return service_.config;
        }
        bool ChangeStartType(ServiceStartType startType, const std::string& displayName) override {
            owner_.requests.push_back("change");
            owner_.changes.push_back({startType, displayName});
            if (service_.requestsRefused) return false;
            service_.config.startType = startType;
            if (!displayName.empty()) service_.config.displayName = displayName;
            return true;
        }

      private:
        FakeServices& owner_;
        Service& service_;
    };
};

}  // namespace tq::test
