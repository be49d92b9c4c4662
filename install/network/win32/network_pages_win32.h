// The Win32 side of the network pages: port creation through the spooler, the search dialog
// and its worker threads, the adapter dialog and the host address file.
#pragma once

#include <string>

#include "install/app/win32/dialog_host.h"
#include "install/network/search_dialog.h"
#include "install/network/tcpip_port_page.h"
#include "platform/file_system.h"
#include "platform/network_adapters.h"
#include "platform/port_monitor.h"
#include "platform/profile_strings.h"
#include "platform/run_log.h"
#include "platform/system_paths.h"

namespace tq {

struct NetworkPagesServices {
    Ui& ui;
    Win32PageHost& host;
    PortMonitor& monitor;
    SystemPaths& paths;
    FileSystem& files;
    ProfileStrings& profile;
    NetworkAdapters& adapters;
    RunLog& log;  // the installation log: the port created
};

class Win32NetworkPages : public TcpIpPortServices, public SearchDialogServices {
  public:
    explicit Win32NetworkPages(const NetworkPagesServices& s) : s_(s) {}

    void CreatePort(const std::string& name, PortProtocol protocol) override;
    void RunSearchDialog(Page& owner) override;
    std::string LastChosenAddress() override { return lastChosen_; }

    std::string ReadHostAddress() override;
    void StartSearch(Page& dialog, int number, const std::string& hostAddress) override;
    bool RunAdapterDialog(Page& owner) override;

  private:
    NetworkPagesServices s_;
    // Written and read on the user-interface thread only.
    std::string lastChosen_;
    // Read by the search workers, which may outlive any dialog: lives as long as this object,
    // which lives until the process ends.
    OpenSearchDialog openSearch_;
};

}  // namespace tq
