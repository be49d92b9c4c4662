#include "install/app/printer_name_page.h"

#include <string>

#include "install/engine/choices.h"
#include "install/res/resource.h"
#include "install/spooler/spooler_queries.h"
#include "platform/text.h"

namespace tq {

int PrinterNamePage::DialogId() const {
    return IDD_PRINTER_NAME;
}

void PrinterNamePage::Open(PageControls& controls) {
    controls.SetCheck(IDC_NAME_DEFAULT, settings_.setAsDefault != 0);

    std::string_view nameText = kModelDriverName;
    const std::string_view stored = FieldText(settings_.printerName);
    if (!stored.empty() && !MbsEqualNoCase(stored, kModelDriverName)) nameText = stored;
    controls.SetTextLimit(IDC_NAME_EDIT, kPrinterNameLimit);
    controls.SetText(IDC_NAME_EDIT, std::string(nameText));

    if (ModelQueuesInstalled(spooler_, driverEnvironment_)) settings_.alreadyInstalled = 1;
}

PageResult PrinterNamePage::OnCommand(int control, PageControls& controls) {
    switch (control) {
        case kIdOk:
            return Next(controls);
        case IDC_BACK:
            return PageResult::MoveTo(PageId::Welcome);
        case kIdCancel:
            return AskCancelInstall(ui_);
        default:
            return PageResult::Stay();
    }
}

PageResult PrinterNamePage::RefuseName(PageControls& controls, int textId) {
    ShowResMessage(ui_, textId, IDS_NAME_ERROR_CAPTION, kMbOk | kMbIconExclamation);
    controls.SetFocus(IDC_NAME_EDIT);
    return PageResult::Stay();
}

PageResult PrinterNamePage::Next(PageControls& controls) {
    const std::string nameText = controls.GetText(IDC_NAME_EDIT);
    // Refused before anything is stored: such a name must never reach a path.
    if (!IsUsablePrinterName(nameText)) return RefuseName(controls, IDS_NAME_INVALID);
    // The field's limit counts characters where an edit control does so (Wine does): 32
    // double-byte characters would not fit the record, and a cut name is not the one typed.
    if (nameText.size() >= sizeof(settings_.printerName)) {
        return RefuseName(controls, IDS_NAME_TOO_LONG);
    }

    settings_.setAsDefault = controls.IsChecked(IDC_NAME_DEFAULT) ? 1 : 0;
    settings_.SetPrinterName(nameText);
    const std::string printerName(FieldText(settings_.printerName));
    if (printerName.empty()) return RefuseName(controls, IDS_NAME_EMPTY);

    if (settings_.alreadyInstalled == 1 &&
        FindDriverPrinter(spooler_, kModelDriverName, printerName)) {
        const int answer = ShowResMessage(ui_, IDS_NAME_OVERWRITE, IDS_NAME_ERROR_CAPTION,
                                          kMbYesNo | kMbIconExclamation);
        if (answer != kIdYes) {
            controls.SetText(IDC_NAME_EDIT, "");
            controls.SetFocus(IDC_NAME_EDIT);
            return PageResult::Stay();
        }
        printers_.DeletePrinterQueue(printerName);  // a failure shows later, at registration
        // The box has no owner: the check box may have been clicked while it was open.
        settings_.setAsDefault = controls.IsChecked(IDC_NAME_DEFAULT) ? 1 : 0;
    }

    settings_.renameRequired = MbsEqualNoCase(printerName, kModelDriverName) ? 0 : 1;
    return PageResult::MoveTo(PageId::Sharing);
}

}  // namespace tq
