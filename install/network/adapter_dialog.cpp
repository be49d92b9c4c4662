#include "install/network/adapter_dialog.h"

#include "install/network/host_address.h"
#include "install/res/resource.h"

namespace tq {

namespace {

constexpr int kAdapterWidth = 156;
constexpr int kAddressWidth = 150;
constexpr int kAddressColumn = 1;

}  // namespace

int AdapterDialog::DialogId() const {
    return IDD_ADAPTERS;
}

void AdapterDialog::Open(PageControls& controls) {
    controls.ListInit(IDC_ADAPTER_LIST,
                      {{ui_.LoadText(IDS_COLUMN_ADAPTER), kAdapterWidth},
                       {ui_.LoadText(IDS_COLUMN_IP_ADDRESS), kAddressWidth}},
                      kListGridLines | kListFullRowSelect);
    for (const auto& row : AdapterRows(adapters_, out_)) controls.ListAddRow(IDC_ADAPTER_LIST, row);
}

PageResult AdapterDialog::OnListClick(int control, PageControls& controls) {
    if (control != IDC_ADAPTER_LIST) return PageResult::Stay();
    const int row = controls.ListSelectedRow(IDC_ADAPTER_LIST);
    if (row >= 0) candidate_ = controls.ListCellText(IDC_ADAPTER_LIST, row, kAddressColumn);
    return PageResult::Stay();
}

PageResult AdapterDialog::OnCommand(int control, PageControls& controls) {
    switch (control) {
        case kIdOk:
            // The address of the row last clicked; a keyboard selection does not change it.
            if (controls.ListSelectedRow(IDC_ADAPTER_LIST) >= 0) store_(candidate_);
            return PageResult::End(kIdOk);
        case kIdCancel:
            return PageResult::End(kIdCancel);
        default:
            return PageResult::Stay();
    }
}

PageResult AdapterDialog::OnClose(PageControls& /*controls*/) {
    return PageResult::End(kIdCancel);
}

}  // namespace tq
