#include "install/network/search_dialog.h"

#include "install/res/resource.h"

namespace tq {

namespace {

constexpr int kDeviceNameWidth = 80;
constexpr int kIpAddressWidth = 120;
constexpr int kEthernetWidth = 115;
constexpr int kAddressColumn = 1;

}  // namespace

void SearchHandover::Deliver(unsigned message, const void* data) {
    if (open_.IsOpen(dialog_)) send_(message, dialog_, data);
}

void SearchHandover::ShowLocalAddress(const std::string& address) {
    Deliver(kSearchLocalAddressMessage, address.c_str());
}

void SearchHandover::ClearList() {
    Deliver(kSearchClearMessage, nullptr);
}

void SearchHandover::AddPrinter(const DiscoveredPrinter& printer) {
    Deliver(kSearchRowMessage, &printer);
}

int SearchDialog::DialogId() const {
    return IDD_PRINTER_SEARCH;
}

void SearchDialog::Open(PageControls& controls) {
    controls.ListInit(IDC_SEARCH_LIST,
                      {{ui_.LoadText(IDS_COLUMN_DEVICE_NAME), kDeviceNameWidth},
                       {ui_.LoadText(IDS_COLUMN_IP_ADDRESS), kIpAddressWidth},
                       {ui_.LoadText(IDS_COLUMN_ETHERNET), kEthernetWidth}},
                      kListGridLines | kListFullRowSelect);
    hostAddress_ = services_.ReadHostAddress();
    shownLocalAddress_ = hostAddress_;
    controls.StartTimer(kLocalAddressTimerId, kLocalAddressTimerMilliseconds);
    number_ = open_.Opened();
    services_.StartSearch(*this, number_, hostAddress_);
}

PageResult SearchDialog::OnTimer(int id, PageControls& controls) {
    if (id == kLocalAddressTimerId) {
        controls.SetText(IDC_SEARCH_LOCAL_ADDRESS, shownLocalAddress_);
        controls.StopTimer(kLocalAddressTimerId);
    }
    return PageResult::Stay();
}

PageResult SearchDialog::OnListClick(int control, PageControls& controls) {
    if (control != IDC_SEARCH_LIST) return PageResult::Stay();
    const int row = controls.ListSelectedRow(IDC_SEARCH_LIST);
    if (row >= 0) candidate_ = controls.ListCellText(IDC_SEARCH_LIST, row, kAddressColumn);
    return PageResult::Stay();
}

PageResult SearchDialog::Close(int code) {
    // From here on no search reports to this dialog, even before its window is gone.
    open_.Closed(number_);
    return PageResult::End(code);
}

PageResult SearchDialog::OnCommand(int control, PageControls& controls) {
    switch (control) {
        case kIdOk:
            // The address of the row last clicked, which a keyboard selection does not change.
            if (controls.ListSelectedRow(IDC_SEARCH_LIST) >= 0) lastChosen_ = candidate_;
            return Close(kIdOk);
        case kIdCancel:
            return Close(kIdCancel);
        case IDC_SEARCH_AGAIN:
            services_.StartSearch(*this, number_, hostAddress_);
            return PageResult::Stay();
        case IDC_SEARCH_ADAPTERS:
            if (services_.RunAdapterDialog(*this)) {
                // The next search binds to the new address; rows already listed stay.
                hostAddress_ = services_.ReadHostAddress();
                if (!hostAddress_.empty()) shownLocalAddress_ = hostAddress_;
            }
            controls.SetText(IDC_SEARCH_LOCAL_ADDRESS, shownLocalAddress_);
            return PageResult::Stay();
        default:
            return PageResult::Stay();
    }
}

PageResult SearchDialog::OnClose(PageControls& /*controls*/) {
    return Close(kIdCancel);
}

bool SearchDialog::TakesMessage(unsigned message) const {
    return message == kSearchLocalAddressMessage || message == kSearchClearMessage ||
           message == kSearchRowMessage;
}

PageResult SearchDialog::OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                   PageControls& controls) {
    // A report of a search started for an earlier opening is not for this dialog.
    if (number_ == 0 || wParam != static_cast<std::uintptr_t>(number_)) {
        return PageResult::Stay();
    }
    const auto* data = reinterpret_cast<const void*>(lParam);
    switch (message) {
        case kSearchLocalAddressMessage:
            if (data == nullptr) break;
            shownLocalAddress_ = static_cast<const char*>(data);
            // Shown at once: the search may learn it after the first refresh.
            controls.SetText(IDC_SEARCH_LOCAL_ADDRESS, shownLocalAddress_);
            break;
        case kSearchClearMessage:
            controls.ListClear(IDC_SEARCH_LIST);
            break;
        case kSearchRowMessage: {
            if (data == nullptr) break;
            const auto& printer = *static_cast<const DiscoveredPrinter*>(data);
            controls.ListAddRow(IDC_SEARCH_LIST,
                                {printer.deviceName, printer.ipAddress, printer.ethernetAddress});
            break;
        }
        default:
            break;
    }
    return PageResult::Stay();
}

}  // namespace tq
