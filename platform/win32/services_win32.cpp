#include "platform/win32/services_win32.h"

#include <windows.h>

#include <utility>

namespace tq {

namespace {

// A service control manager or service handle.
class ServiceHandle {
  public:
    explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceHandle() {
        if (handle_ != nullptr) CloseServiceHandle(handle_);
    }
    ServiceHandle(ServiceHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)) {}
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    ServiceHandle& operator=(ServiceHandle&&) = delete;
    SC_HANDLE get() const { return handle_; }

  private:
    SC_HANDLE handle_;
};

// A movable, zero-filled global block (GHND), locked while the owner lives.
class LockedGlobalBlock {
  public:
    explicit LockedGlobalBlock(SIZE_T size)
        : block_(GlobalAlloc(GHND, size)), data_(block_ ? GlobalLock(block_) : nullptr) {}
    ~LockedGlobalBlock() {
        if (data_ != nullptr) GlobalUnlock(block_);
        if (block_ != nullptr) GlobalFree(block_);
    }
    LockedGlobalBlock(const LockedGlobalBlock&) = delete;
    LockedGlobalBlock& operator=(const LockedGlobalBlock&) = delete;
    void* data() const { return data_; }

  private:
    HGLOBAL block_;
    void* data_;
};

class Win32OpenedService : public OpenedService {
  public:
    // The service handle is closed before the manager's (members go in reverse order).
    Win32OpenedService(ServiceHandle manager, ServiceHandle service)
        : manager_(std::move(manager)), service_(std::move(service)) {}

    std::optional<ServiceState> State() override {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service_.get(), &status)) return std::nullopt;
        return static_cast<ServiceState>(status.dwCurrentState);
    }

    bool Stop() override {
        SERVICE_STATUS status{};
        return ControlService(service_.get(), SERVICE_CONTROL_STOP, &status) != FALSE;
    }

    bool Start() override { return StartServiceA(service_.get(), 0, nullptr) != FALSE; }

    std::optional<ServiceConfig> ReadConfig() override {
        DWORD needed = 0;
        QueryServiceConfigA(service_.get(), nullptr, 0, &needed);
        if (needed == 0) return std::nullopt;
        LockedGlobalBlock block(needed);
        auto* config = static_cast<QUERY_SERVICE_CONFIGA*>(block.data());
        if (config == nullptr) return std::nullopt;
        if (!QueryServiceConfigA(service_.get(), config, needed, &needed)) return std::nullopt;
        ServiceConfig result;
        result.startType = static_cast<ServiceStartType>(config->dwStartType);
        if (config->lpDisplayName != nullptr) result.displayName = config->lpDisplayName;
        return result;
    }

    bool ChangeStartType(ServiceStartType startType, const std::string& displayName) override {
        return ChangeServiceConfigA(service_.get(), SERVICE_NO_CHANGE,
                                    static_cast<DWORD>(startType), SERVICE_NO_CHANGE, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr,
                                    displayName.empty() ? nullptr : displayName.c_str()) != FALSE;
    }

  private:
    ServiceHandle manager_;
    ServiceHandle service_;
};

}  // namespace

std::unique_ptr<OpenedService> Win32Services::Open(const std::string& serviceName) {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager.get() == nullptr) return nullptr;
    ServiceHandle service(OpenServiceA(manager.get(), serviceName.c_str(), SERVICE_ALL_ACCESS));
    if (service.get() == nullptr) return nullptr;
    return std::make_unique<Win32OpenedService>(std::move(manager), std::move(service));
}

}  // namespace tq
