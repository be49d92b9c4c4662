#include "install/network/tcpip_port_page.h"

#include "install/engine/choices.h"
#include "install/res/resource.h"

namespace tq {

namespace {

constexpr int kStep1Controls[] = {IDC_TCP_PROTOCOL_LABEL, IDC_TCP_RAW, IDC_TCP_LPR};
constexpr int kStep2Controls[] = {IDC_TCP_ADDRESS_LABEL, IDC_TCP_ADDRESS, IDC_TCP_SEARCH};
constexpr int kStep3Controls[] = {IDC_TCP_CONFIRM_LABEL, IDC_TCP_PORT_NAME};

}  // namespace

int TcpIpPortPage::DialogId() const {
    return IDD_TCPIP_PORT;
}

void TcpIpPortPage::Open(PageControls& controls) {
    step_ = 1;
    protocol_ = PortProtocol::Raw;
    portName_.clear();
    controls.SetCheck(IDC_TCP_RAW, true);
    controls.SetCheck(IDC_TCP_LPR, false);
    controls.IpAddressSetRange(IDC_TCP_ADDRESS, 0, kFirstFieldLow, kFirstFieldHigh);
    controls.IpAddressSetRange(IDC_TCP_ADDRESS, 3, kLastFieldLow, kLastFieldHigh);
    controls.SetText(IDC_TCP_PORT_NAME, portName_);
    ShowStep(controls);
}

void TcpIpPortPage::ShowStep(PageControls& controls) {
    for (int id : kStep1Controls) controls.Show(id, step_ == 1);
    for (int id : kStep2Controls) controls.Show(id, step_ == 2);
    for (int id : kStep3Controls) controls.Show(id, step_ == 3);
}

void TcpIpPortPage::TakePortName(PageControls& controls) {
    portName_ = PortNameOf(controls.IpAddressGet(IDC_TCP_ADDRESS));
}

PageResult TcpIpPortPage::OnCommand(int control, PageControls& controls) {
    switch (control) {
        case IDC_TCP_RAW:
            protocol_ = PortProtocol::Raw;
            return PageResult::Stay();
        case IDC_TCP_LPR:
            protocol_ = PortProtocol::Lpr;
            return PageResult::Stay();
        case kIdOk:
            if (step_ == 1) {
                step_ = 2;
            } else if (step_ == 2) {
                // A refused address keeps the page on this step without a word.
                if (!IsAcceptedPrinterAddress(controls.IpAddressGet(IDC_TCP_ADDRESS))) {
                    return PageResult::Stay();
                }
                TakePortName(controls);
                controls.SetText(IDC_TCP_PORT_NAME, portName_);
                step_ = 3;
            } else {
                settings_.SetPortName(portName_);
                services_.CreatePort(portName_, protocol_);
                return PageResult::MoveTo(PageId::Progress);
            }
            ShowStep(controls);
            return PageResult::Stay();
        case IDC_BACK:
            if (step_ == 1) return PageResult::MoveTo(PageId::ConnectionType);
            if (step_ == 3) TakePortName(controls);
            step_ -= 1;
            ShowStep(controls);
            return PageResult::Stay();
        case IDC_TCP_SEARCH: {
            services_.RunSearchDialog(*this);
            // The last address chosen in any search of this run; none blanks the control.
            std::uint32_t address = 0;
            const std::string chosen = services_.LastChosenAddress();
            if (ParseDottedAddress(chosen, address)) {
                controls.IpAddressSet(IDC_TCP_ADDRESS, IpFieldsOf(address));
            } else {
                controls.IpAddressSet(IDC_TCP_ADDRESS, std::nullopt);
            }
            controls.SetText(IDC_TCP_PORT_NAME, portName_);
            return PageResult::Stay();
        }
        case kIdCancel:
            return AskCancelInstall(ui_);
        default:
            return PageResult::Stay();
    }
}

}  // namespace tq
