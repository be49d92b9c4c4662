// The TCP/IP port page: the port's protocol, the printer's IPv4 address (typed or found by the
// search dialog) and the port about to be added, as three steps of one dialog. The last Next
// creates the port and moves on to the progress page.
#pragma once

#include <string>

#include "install/app/page.h"
#include "install/engine/wizard_settings.h"
#include "install/network/tcpip_port.h"

namespace tq {

// What the page needs beyond its controls.
class TcpIpPortServices {
  public:
    virtual ~TcpIpPortServices() = default;
    // Adds the Standard TCP/IP port; whatever happens, the installation goes on.
    virtual void CreatePort(const std::string& name, PortProtocol protocol) = 0;
    // Runs the network printer search dialog modally over `owner`.
    virtual void RunSearchDialog(Page& owner) = 0;
    // The address last chosen in a search dialog during this run; empty until one was.
    virtual std::string LastChosenAddress() = 0;
};

class TcpIpPortPage : public MiddlePage {
  public:
    TcpIpPortPage(WizardSettings& settings, Ui& ui, TcpIpPortServices& services)
        : MiddlePage(ui), settings_(settings), services_(services) {}

    int DialogId() const override;
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;

    int step() const { return step_; }
    PortProtocol protocol() const { return protocol_; }
    const std::string& portName() const { return portName_; }

  private:
    void ShowStep(PageControls& controls);
    // The port name as the address control holds it: the dotted address.
    void TakePortName(PageControls& controls);

    WizardSettings& settings_;
    TcpIpPortServices& services_;
    int step_ = 1;
    PortProtocol protocol_ = PortProtocol::Raw;
    std::string portName_;
};

}  // namespace tq
