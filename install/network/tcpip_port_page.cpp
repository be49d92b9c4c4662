#include "install/network/tcpip_port_page.h"

#include "install/network/printer_search.h"
#include "install/res/resource.h"

namespace tq {

namespace {

// The first field accepts 1 to 223 (no multicast or reserved addresses), the last 1 to 254
// (no network or broadcast address); the middle ones keep the control's own 0 to 255.
constexpr int kFirstFieldLow = 1, kFirstFieldHigh = 223;
constexpr int kLastFieldLow = 1, kLastFieldHigh = 254;
constexpr int kLoopbackNetwork = 127;

constexpr int kStep1Controls[] = {IDC_TCP_PROTOCOL_LABEL, IDC_TCP_RAW, IDC_TCP_LPR};
constexpr int kStep2Controls[] = {IDC_TCP_ADDRESS_LABEL, IDC_TCP_ADDRESS, IDC_TCP_SEARCH};
constexpr int kStep3Controls[] = {IDC_TCP_CONFIRM_LABEL, IDC_TCP_PORT_NAME};

std::string DottedText(const IpFields& f) {
    return std::to_string(f[0]) + "." + std::to_string(f[1]) + "." + std::to_string(f[2]) + "." +
           std::to_string(f[3]);
}

}  // namespace

IpFields IpFieldsOf(std::uint32_t address) {
    return {static_cast<int>(address >> 24), static_cast<int>((address >> 16) & 0xFF),
            static_cast<int>((address >> 8) & 0xFF), static_cast<int>(address & 0xFF)};
}

bool IsAcceptedPrinterAddress(const IpFields& fields) {
    return fields[0] != 0 && fields[0] != kLoopbackNetwork && fields[3] != 0;
}

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
    portName_ = DottedText(controls.IpAddressGet(IDC_TCP_ADDRESS));
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
