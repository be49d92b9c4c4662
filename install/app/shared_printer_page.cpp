#include "install/app/shared_printer_page.h"

#include "install/engine/choices.h"
#include "install/res/resource.h"
#include "platform/text.h"

namespace tq {

int SharedPrinterPage::DialogId() const {
    return IDD_SHARED_PRINTER;
}

void SharedPrinterPage::Open(PageControls& controls) {
    pathText_.clear();
    controls.SetText(IDC_SHARED_PATH, pathText_);
}

void SharedPrinterPage::ShowInvalidPath() {
    ShowResMessage(ui_, IDS_PATH_INVALID, IDS_PATH_INVALID_CAPTION, kMbOk | kMbIconExclamation);
}

PageResult SharedPrinterPage::Next(PageControls& controls) {
    pathText_ = controls.GetText(IDC_SHARED_PATH);
    if (!IsSharedPrinterPathForm(pathText_)) {
        ShowInvalidPath();
        return PageResult::Stay();
    }
    const std::uint32_t result = CheckSharedPrinter(spooler_, connections_, pathText_);
    settings_.SetPortName(pathText_);
    switch (result) {
        case kSharedPrinterOfModel:
            return PageResult::MoveTo(PageId::Progress);
        case kSharedPrinterOtherDriver:
            if (ShowResMessage(ui_, IDS_SHARED_OTHER_MODEL, IDS_SHARED_OTHER_MODEL_CAPTION,
                               kMbYesNo | kMbIconExclamation) == kIdYes) {
                return PageResult::MoveTo(PageId::Progress);
            }
            return PageResult::Stay();
        case kSharedPrinterUserCancelled:
            return PageResult::Stay();
        default:
            ShowInvalidPath();
            return PageResult::Stay();
    }
}

PageResult SharedPrinterPage::OnCommand(int control, PageControls& controls) {
    switch (control) {
        case kIdOk:
            return Next(controls);
        case IDC_SHARED_BROWSE:
            if (auto chosen = browser_.BrowseForPrinter(ui_.LoadText(IDS_BROWSE_TITLE),
                                                        ui_.LoadText(IDS_BROWSE_CAPTION))) {
                pathText_ = *chosen;
            }
            // What the field held when it was last read, unless a printer was chosen.
            controls.SetText(IDC_SHARED_PATH, pathText_);
            return PageResult::Stay();
        case IDC_BACK:
            return PageResult::MoveTo(PageId::ConnectionType);
        case kIdCancel:
            return AskCancelInstall(ui_);
        default:
            return PageResult::Stay();
    }
}

}  // namespace tq
