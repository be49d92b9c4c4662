#include "install/app/connection_type_page.h"

#include "install/res/resource.h"
#include "install/system/platform_class.h"

namespace tq {

namespace {

// The option buttons in ConnectionType order.
constexpr int kOptions[] = {IDC_CONN_USB, IDC_CONN_PARALLEL, IDC_CONN_NETWORK, IDC_CONN_SHARED};
static_assert(Usb == 0 && Parallel == 1 && Network == 2 && SharedNetwork == 3);

int OptionValue(int control) {
    for (int value = 0; value < 4; ++value) {
        if (kOptions[value] == control) return value;
    }
    return -1;
}

}  // namespace

int ConnectionTypePage::DialogId() const {
    return IDD_CONNECTION_TYPE;
}

void ConnectionTypePage::Open(PageControls& controls) {
    selection_ = settings_.connectionType;
    if (platformClass_ == PlatformNt4) {  // no USB printing on NT 4.0
        selection_ = Parallel;
        controls.Enable(IDC_CONN_USB, false);
        controls.Enable(IDC_CONN_USB_TEXT, false);
    }
    for (int value = 0; value < 4; ++value) controls.SetCheck(kOptions[value], value == selection_);
}

PageResult ConnectionTypePage::OnCommand(int control, PageControls& /*controls*/) {
    if (const int value = OptionValue(control); value >= 0) {
        selection_ = value;
        return PageResult::Stay();
    }
    switch (control) {
        case kIdOk:
            settings_.connectionType = selection_;
            switch (selection_) {
                case Parallel:
                    settings_.SetPortName(kParallelPort);
                    return PageResult::MoveTo(PageId::Progress);
                case Network:
                    return PageResult::MoveTo(PageId::TcpIpPort);
                case SharedNetwork:
                    return PageResult::MoveTo(PageId::SharedPrinter);
                default:
                    return PageResult::MoveTo(PageId::Progress);
            }
        case IDC_BACK:
            return PageResult::MoveTo(PageId::Sharing);
        case kIdCancel:
            return AskCancelInstall(ui_);
        default:
            return PageResult::Stay();
    }
}

}  // namespace tq
