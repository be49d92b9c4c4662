#include "install/app/sharing_page.h"

#include <string>

#include "install/engine/choices.h"
#include "install/res/resource.h"
#include "platform/text.h"

namespace tq {

int SharingPage::DialogId() const {
    return IDD_SHARING;
}

void SharingPage::Open(PageControls& controls) {
    controls.SetTextLimit(IDC_SHARE_NAME, kShareNameLimit);
    const bool shared = settings_.shareEnabled == 1;
    controls.SetCheck(IDC_SHARE_NONE, !shared);
    controls.SetCheck(IDC_SHARE_AS, shared);
    controls.Enable(IDC_SHARE_NAME, shared);
    controls.SetText(IDC_SHARE_NAME, shared ? std::string(FieldText(settings_.shareName)) : "");
}

PageResult SharingPage::OnCommand(int control, PageControls& controls) {
    switch (control) {
        case IDC_SHARE_NONE:  // the field keeps its text
            controls.Enable(IDC_SHARE_NAME, false);
            return PageResult::Stay();
        case IDC_SHARE_AS:  // always proposes the fixed name again
            controls.Enable(IDC_SHARE_NAME, true);
            controls.SetText(IDC_SHARE_NAME, kProposedShareName);
            return PageResult::Stay();
        case kIdOk:
            return Next(controls);
        case IDC_BACK:
            return PageResult::MoveTo(PageId::PrinterName);
        case kIdCancel:
            return AskCancelInstall(ui_);
        default:
            return PageResult::Stay();
    }
}

PageResult SharingPage::Next(PageControls& controls) {
    const bool shared = controls.IsChecked(IDC_SHARE_AS);
    const std::string shareText = controls.GetText(IDC_SHARE_NAME);
    // A share name that does not fit the record is refused rather than cut (the field's limit
    // may count double-byte characters as one).
    if (shared && shareText.size() >= sizeof(settings_.shareName)) {
        ShowResMessage(ui_, IDS_SHARE_TOO_LONG, IDS_SHARE_ERROR_CAPTION,
                       kMbOk | kMbIconExclamation);
        controls.SetFocus(IDC_SHARE_NAME);
        return PageResult::Stay();
    }
    // Both are stored before the other checks, the name also when sharing is off.
    settings_.shareEnabled = shared ? 1 : 0;
    settings_.SetShareName(shareText);
    if (shared) {
        const std::string shareName(FieldText(settings_.shareName));
        if (shareName.empty()) {
            ShowResMessage(ui_, IDS_SHARE_EMPTY, IDS_SHARE_ERROR_CAPTION,
                           kMbOk | kMbIconExclamation);
            controls.SetFocus(IDC_SHARE_NAME);
            return PageResult::Stay();
        }
        if (ShareNameInUse(spooler_, names_, shareName, {})) {
            ShowResMessage(ui_, IDS_SHARE_EXISTS, IDS_SHARE_ERROR_CAPTION,
                           kMbOk | kMbIconExclamation);
            controls.SetText(IDC_SHARE_NAME, "");
            controls.SetFocus(IDC_SHARE_NAME);
            return PageResult::Stay();
        }
    }
    return PageResult::MoveTo(PageId::ConnectionType);
}

}  // namespace tq
