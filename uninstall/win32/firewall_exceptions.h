// The firewall exceptions of the network tools through the Windows Firewall's COM interfaces
// (hnetcfg's NetFwMgr): the current profile's authorised applications and globally open ports.
// The caller initialises COM before OpenProfile and uninitialises it only after the object has
// closed (CloseProfile or destruction).
#pragma once

#include <windows.h>
#include <netfw.h>

#include <functional>

#include "uninstall/firewall.h"

namespace tq::uninstall {

// Owns one interface pointer: released once when the owner goes or is reset. Move-only.
template <typename T>
class ComOwner {
  public:
    ComOwner() = default;
    ~ComOwner() { Reset(); }
    ComOwner(const ComOwner&) = delete;
    ComOwner& operator=(const ComOwner&) = delete;
    ComOwner(ComOwner&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ComOwner& operator=(ComOwner&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }

    // For an out parameter: whatever was held is released first.
    T** Receive() {
        Reset();
        return &p_;
    }
    void Reset() {
        if (p_) {
            T* held = p_;
            p_ = nullptr;
            held->Release();
        }
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

class FirewallExceptions : public Firewall {
  public:
    // Makes the firewall manager object; on success *manager holds one reference for the caller.
    using ManagerFactory = std::function<HRESULT(INetFwMgr** manager)>;

    // The system's manager: CoCreateInstance(NetFwMgr, in-process server).
    FirewallExceptions();
    explicit FirewallExceptions(ManagerFactory factory);
    ~FirewallExceptions() override;
    FirewallExceptions(const FirewallExceptions&) = delete;
    FirewallExceptions& operator=(const FirewallExceptions&) = delete;

    int OpenProfile() override;
    int CloseProfile() override;
    int IsApplicationEnabled(const char16_t* path, bool& enabled) override;
    int RemoveApplication(const char16_t* path) override;
    int IsPortEnabled(std::int32_t port, std::int32_t protocol, bool& enabled) override;
    int RemovePort(std::int32_t port, std::int32_t protocol) override;

  private:
    ManagerFactory factory_;
    ComOwner<INetFwProfile> profile_;
};

}  // namespace tq::uninstall
