// The Windows Firewall's exceptions for the network tools, as the uninstall procedure withdraws
// them: the administration tool as an authorised application, UDP ports 162 and 19771 as
// globally open ports. The Windows side (win32/firewall_exceptions.*) works on the current
// profile through the firewall's COM interfaces; the caller initialises COM around it.
#pragma once

#include <cstdint>
#include <string>

namespace tq::uninstall {

// Every operation's result.
enum FwErrorCode : int {
    FW_NOERROR = 0,  // also: the application or port is not listed
    FW_ERR_INITIALIZED = 1,  // OpenProfile on an open object; anything else on a closed one
    FW_ERR_CREATE_SETTING_MANAGER = 2,
    FW_ERR_LOCAL_POLICY = 3,
    FW_ERR_PROFILE = 4,
    FW_ERR_INVALID_ARG = 7,  // no application path
    FW_ERR_AUTH_APPLICATIONS = 8,
    FW_ERR_APP_ENABLED = 9,
    FW_ERR_SYS_ALLOC_STRING = 11,  // the automation string of the path is empty
    FW_ERR_REMOVE = 15,
    FW_ERR_GLOBAL_OPEN_PORTS = 16,
    FW_ERR_PORT_IS_ENABLED = 17,
};

inline constexpr std::int32_t kProtocolUdp = 17;  // NET_FW_IP_PROTOCOL_UDP
inline constexpr std::int32_t kTrapPort = 162;
inline constexpr std::int32_t kToolsPort = 19771;

class Firewall {
  public:
    virtual ~Firewall() = default;
    virtual int OpenProfile() = 0;
    // Always FW_NOERROR; the profile is released.
    virtual int CloseProfile() = 0;
    // `path` null: FW_ERR_INVALID_ARG. `enabled` is true only when listed and enabled.
    virtual int IsApplicationEnabled(const char16_t* path, bool& enabled) = 0;
    // Removes the application only when it is listed and enabled.
    virtual int RemoveApplication(const char16_t* path) = 0;
    virtual int IsPortEnabled(std::int32_t port, std::int32_t protocol, bool& enabled) = 0;
    // Removes the port only when it is listed and enabled.
    virtual int RemovePort(std::int32_t port, std::int32_t protocol) = 0;
};

}  // namespace tq::uninstall
