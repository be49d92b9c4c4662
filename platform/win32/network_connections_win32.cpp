#include "platform/win32/network_connections_win32.h"

#include <windows.h>
#include <winnetwk.h>

namespace tq {

std::uint32_t Win32NetworkConnections::ConnectSharedPrinter(const std::string& remoteName) {
    std::string remote = remoteName;
    NETRESOURCEA resource{};
    resource.dwScope = RESOURCE_GLOBALNET;
    resource.dwType = RESOURCETYPE_PRINT;
    resource.dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
    resource.dwUsage = RESOURCEUSAGE_CONNECTABLE;
    resource.lpRemoteName = remote.data();
    return WNetAddConnection2A(&resource, nullptr, nullptr, CONNECT_INTERACTIVE);
}

}  // namespace tq
