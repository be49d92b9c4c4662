// One Windows service, opened through the service control manager, as the installer needs it to
// take the print spooler out of the way of a driver update and to put it back.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tq {

// dwCurrentState of SERVICE_STATUS.
enum class ServiceState : std::uint32_t {
    Stopped = 1,
    StartPending = 2,
    StopPending = 3,
    Running = 4,
    ContinuePending = 5,
    PausePending = 6,
    Paused = 7,
};

// dwStartType of QUERY_SERVICE_CONFIG.
enum class ServiceStartType : std::uint32_t {
    Boot = 0,
    System = 1,
    Automatic = 2,
    OnDemand = 3,
    Disabled = 4,
};

struct ServiceConfig {
    ServiceStartType startType = ServiceStartType::OnDemand;
    std::string displayName;  // empty when the configuration has none
};

// A service opened with SERVICE_ALL_ACCESS; the service and manager handles close with it.
class OpenedService {
  public:
    virtual ~OpenedService() = default;
    // QueryServiceStatus; nothing when the status cannot be read.
    virtual std::optional<ServiceState> State() = 0;
    // ControlService(SERVICE_CONTROL_STOP); does not wait for the service to stop.
    virtual bool Stop() = 0;
    // StartServiceA with no arguments; does not wait for the service to run.
    virtual bool Start() = 0;
    // QueryServiceConfigA (asked for its size first); nothing when it cannot be read.
    virtual std::optional<ServiceConfig> ReadConfig() = 0;
    // ChangeServiceConfigA: the start type and the display name (an empty one stays as it is);
    // service type and error control SERVICE_NO_CHANGE, everything else unchanged.
    virtual bool ChangeStartType(ServiceStartType startType, const std::string& displayName) = 0;
};

class Services {
  public:
    virtual ~Services() = default;
    // OpenSCManagerA (local, active database, SC_MANAGER_ALL_ACCESS), then OpenServiceA with
    // SERVICE_ALL_ACCESS; nullptr when either fails.
    virtual std::unique_ptr<OpenedService> Open(const std::string& serviceName) = 0;
};

}  // namespace tq
