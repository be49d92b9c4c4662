#include "install/app/shared_printer_page.h"

#include "install/model.h"
#include "install/res/resource.h"
#include "platform/text.h"

namespace tq {

namespace {

constexpr std::uint32_t kAccessDenied = 5;
// portName's 88 bytes hold 87 and the terminating NUL.
constexpr std::size_t kMaxPathBytes = sizeof(WizardSettings::portName) - 1;

}  // namespace

bool IsSharedPrinterPathForm(std::string_view path) {
    if (path.size() < 3 || path.size() > kMaxPathBytes || path[0] != '\\') return false;
    int backslashes = 0;
    for (std::size_t i = 0; i < path.size();) {
        const auto c = static_cast<unsigned char>(path[i]);
        const std::size_t width = IsLeadByte936(c) && i + 1 < path.size() ? 2 : 1;
        if (width == 1 && c == '\\' && i >= 2) ++backslashes;
        i += width;
    }
    return backslashes == 1;
}

std::uint32_t CheckSharedPrinter(Spooler& spooler, NetworkConnections& connections,
                                 const std::string& path) {
    PrinterForUse printer = spooler.ReadPrinterForUse(path);
    if (!printer.opened) {
        if (printer.openError == kSharedPrinterUnknownName) return kSharedPrinterUnknownName;
        if (printer.openError == kAccessDenied) {
            if (const std::uint32_t error = connections.ConnectSharedPrinter(path); error != 0) {
                return error;
            }
            printer = spooler.ReadPrinterForUse(path);
        }
    }
    if (!printer.opened || !printer.read) return kSharedPrinterUnreadable;
    return printer.driverName && MbsEqualNoCase(*printer.driverName, kModelDriverName)
               ? kSharedPrinterOfModel
               : kSharedPrinterOtherDriver;
}

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
