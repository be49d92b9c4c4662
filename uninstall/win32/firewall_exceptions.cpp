#include "uninstall/win32/firewall_exceptions.h"

#include <oleauto.h>

#include <utility>

namespace tq::uninstall {

namespace {

// Paths arrive as UTF-16 and go to the firewall as automation strings, unchanged.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be a UTF-16 code unit");

// MinGW's libuuid does not carry the firewall's identifiers.
constexpr CLSID kClsidNetFwMgr = {
    0x304ce942, 0x6e39, 0x40d8, {0x94, 0x3a, 0xb9, 0x13, 0xc4, 0x0c, 0x9c, 0xd4}};
constexpr IID kIidNetFwMgr = {
    0xf7898af5, 0xcac4, 0x4632, {0xa2, 0xec, 0xda, 0x06, 0xe5, 0x11, 0x1a, 0xf2}};

// Owns one automation string (freed once; a failed allocation holds null, length 0).
class AutomationString {
  public:
    explicit AutomationString(const char16_t* text)
        : text_(SysAllocString(reinterpret_cast<const OLECHAR*>(text))) {}
    ~AutomationString() { SysFreeString(text_); }
    AutomationString(const AutomationString&) = delete;
    AutomationString& operator=(const AutomationString&) = delete;

    BSTR Get() const { return text_; }
    UINT Length() const { return SysStringLen(text_); }

  private:
    BSTR text_;
};

HRESULT CreateSystemManager(INetFwMgr** manager) {
    return CoCreateInstance(kClsidNetFwMgr, nullptr, CLSCTX_INPROC_SERVER, kIidNetFwMgr,
                            reinterpret_cast<void**>(manager));
}

}  // namespace

FirewallExceptions::FirewallExceptions() : FirewallExceptions(CreateSystemManager) {}

FirewallExceptions::FirewallExceptions(ManagerFactory factory) : factory_(std::move(factory)) {}

FirewallExceptions::~FirewallExceptions() {
    CloseProfile();
}

// Every interface below is owned by a local, so each early return releases what was obtained
// so far. A call that reports success but hands back no object counts as its failure: the
// object must never be left open with nothing behind it.
int FirewallExceptions::OpenProfile() {
    if (profile_) return FW_ERR_INITIALIZED;
    ComOwner<INetFwMgr> manager;
    if (!factory_ || FAILED(factory_(manager.Receive())) || !manager) {
        return FW_ERR_CREATE_SETTING_MANAGER;
    }
    ComOwner<INetFwPolicy> policy;
    if (FAILED(manager->get_LocalPolicy(policy.Receive())) || !policy) return FW_ERR_LOCAL_POLICY;
    ComOwner<INetFwProfile> profile;
    if (FAILED(policy->get_CurrentProfile(profile.Receive())) || !profile) return FW_ERR_PROFILE;
    profile_ = std::move(profile);
    return FW_NOERROR;
}

int FirewallExceptions::CloseProfile() {
    profile_.Reset();
    return FW_NOERROR;
}

int FirewallExceptions::IsApplicationEnabled(const char16_t* path, bool& enabled) {
    enabled = false;
    if (!profile_) return FW_ERR_INITIALIZED;
    if (!path) return FW_ERR_INVALID_ARG;
    ComOwner<INetFwAuthorizedApplications> applications;
    if (FAILED(profile_->get_AuthorizedApplications(applications.Receive())) || !applications) {
        return FW_ERR_AUTH_APPLICATIONS;
    }
    AutomationString name(path);
    if (name.Length() == 0) return FW_ERR_SYS_ALLOC_STRING;
    // The firewall reports an application it does not list as a failed lookup.
    ComOwner<INetFwAuthorizedApplication> application;
    if (FAILED(applications->Item(name.Get(), application.Receive())) || !application) {
        return FW_NOERROR;
    }
    VARIANT_BOOL state = VARIANT_FALSE;
    if (FAILED(application->get_Enabled(&state))) return FW_ERR_APP_ENABLED;
    enabled = state == VARIANT_TRUE;
    return FW_NOERROR;
}

int FirewallExceptions::RemoveApplication(const char16_t* path) {
    if (!profile_) return FW_ERR_INITIALIZED;
    if (!path) return FW_ERR_INVALID_ARG;
    bool enabled = false;
    const int code = IsApplicationEnabled(path, enabled);
    if (code != FW_NOERROR) return code;
    // An exception the user has switched off is the user's: it stays.
    if (!enabled) return FW_NOERROR;
    ComOwner<INetFwAuthorizedApplications> applications;
    if (FAILED(profile_->get_AuthorizedApplications(applications.Receive())) || !applications) {
        return FW_ERR_AUTH_APPLICATIONS;
    }
    AutomationString name(path);
    if (name.Length() == 0) return FW_ERR_SYS_ALLOC_STRING;
    if (FAILED(applications->Remove(name.Get()))) return FW_ERR_REMOVE;
    return FW_NOERROR;
}

int FirewallExceptions::IsPortEnabled(std::int32_t port, std::int32_t protocol, bool& enabled) {
    enabled = false;
    if (!profile_) return FW_ERR_INITIALIZED;
    ComOwner<INetFwOpenPorts> ports;
    if (FAILED(profile_->get_GloballyOpenPorts(ports.Receive())) || !ports) {
        return FW_ERR_GLOBAL_OPEN_PORTS;
    }
    ComOwner<INetFwOpenPort> entry;
    if (FAILED(ports->Item(port, static_cast<NET_FW_IP_PROTOCOL>(protocol), entry.Receive())) ||
        !entry) {
        return FW_NOERROR;
    }
    VARIANT_BOOL state = VARIANT_FALSE;
    if (FAILED(entry->get_Enabled(&state))) return FW_ERR_PORT_IS_ENABLED;
    enabled = state == VARIANT_TRUE;
    return FW_NOERROR;
}

int FirewallExceptions::RemovePort(std::int32_t port, std::int32_t protocol) {
    if (!profile_) return FW_ERR_INITIALIZED;
    bool enabled = false;
    const int code = IsPortEnabled(port, protocol, enabled);
    if (code != FW_NOERROR) return code;
    if (!enabled) return FW_NOERROR;
    ComOwner<INetFwOpenPorts> ports;
    if (FAILED(profile_->get_GloballyOpenPorts(ports.Receive())) || !ports) {
        return FW_ERR_GLOBAL_OPEN_PORTS;
    }
    if (FAILED(ports->Remove(port, static_cast<NET_FW_IP_PROTOCOL>(protocol)))) {
        return FW_ERR_REMOVE;
    }
    return FW_NOERROR;
}

}  // namespace tq::uninstall
