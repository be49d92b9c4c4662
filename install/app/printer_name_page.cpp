#include "install/app/printer_name_page.h"

#include <string>

#include "install/res/resource.h"
#include "install/spooler/spooler_queries.h"
#include "platform/text.h"

namespace tq {

namespace {

// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 name devices in every folder: the part before the
// first dot, without trailing spaces, in any case ("con", "Nul.txt", "LPT1 .log").
bool IsReservedDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper(base);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

bool IsUsablePrinterName(std::string_view name) {
    if (IsReservedDeviceName(name)) return false;
    static constexpr std::string_view kForbidden = "\\/:*?\"<>|,";
    bool onlyDots = true;
    char last = '\0';
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte936(c) && i + 1 < name.size()) {
            ++i;  // a double-byte character: its trail byte is not a character of its own
            onlyDots = false;
            last = '\0';
            continue;
        }
        if (c < 0x20 || c == 0x7F ||
            kForbidden.find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
        if (c != '.') onlyDots = false;
        last = static_cast<char>(c);
    }
    if (name.empty()) return true;  // the empty name has a message of its own
    return !onlyDots && last != '.' && last != ' ';
}

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
    }

    settings_.renameRequired = MbsEqualNoCase(printerName, kModelDriverName) ? 0 : 1;
    return PageResult::MoveTo(PageId::Sharing);
}

}  // namespace tq
