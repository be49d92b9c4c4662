#include "install/app/welcome_page.h"

#include <algorithm>
#include <vector>

#include "install/res/resource.h"
#include "install/spooler/spooler_queries.h"
#include "platform/text.h"

namespace tq {

namespace {
constexpr int kColumnWidthPixels = 220;
}

WelcomePage::WelcomePage(WizardSettings& settings, Spooler& spooler, const char* driverEnvironment,
                         Ui& ui, std::function<RestartRequest()> restartForUpdate)
    : settings_(settings),
      spooler_(spooler),
      driverEnvironment_(driverEnvironment),
      ui_(ui),
      restartForUpdate_(std::move(restartForUpdate)) {}

int WelcomePage::DialogId() const {
    return IDD_WELCOME;
}

void WelcomePage::Open(PageControls& controls) {
    installedFound_ = false;

    controls.Show(IDC_WELCOME_LIST, false);
    controls.ListInit(IDC_WELCOME_LIST,
                      {{ui_.LoadText(IDS_COLUMN_PRINTER_NAME), kColumnWidthPixels},
                       {ui_.LoadText(IDS_COLUMN_PORT), kColumnWidthPixels}},
                      kListGridLines);
    controls.SetText(IDC_WELCOME_LINE, ui_.LoadText(IDS_WELCOME_LINE_PLAIN));
    controls.SetText(IDC_WELCOME_BLOCK, "");
    controls.Show(IDC_WELCOME_CONTINUE, false);

    if (FindPrinterDriver(spooler_, driverEnvironment_, kModelDriverName)) {
        const int count = ListDriverPrinters(spooler_, kModelDriverName, nullptr, 0);
        if (count >= 1) ShowInstalledQueues(controls, count);
    }

    settings_.alreadyInstalled = installedFound_ ? 1 : 0;
}

void WelcomePage::ShowInstalledQueues(PageControls& controls, int count) {
    controls.SetText(kIdOk, ui_.LoadText(IDS_BUTTON_RESTART));
    controls.SetText(kIdCancel, ui_.LoadText(IDS_BUTTON_CLOSE));
    controls.Show(IDC_WELCOME_CONTINUE, true);
    controls.SetText(IDC_WELCOME_LINE, ui_.LoadText(IDS_WELCOME_LINE_INSTALLED));
    controls.SetText(IDC_WELCOME_BLOCK, ui_.LoadText(IDS_WELCOME_BLOCK_INSTALLED));
    controls.Show(IDC_WELCOME_LIST, true);

    // The array is sized by the count; a queue added since then is not listed.
    std::vector<PrinterEntry> entries(static_cast<std::size_t>(count), PrinterEntry{});
    const int listed =
        ListDriverPrinters(spooler_, kModelDriverName, entries.data(), entries.size());
    const int rows = std::min(listed, count);
    controls.ListClear(IDC_WELCOME_LIST);
    for (int i = 0; i < rows; ++i) {
        const PrinterEntry& e = entries[static_cast<std::size_t>(i)];
        controls.ListAddRow(IDC_WELCOME_LIST,
                            {std::string(FieldText(e.name)), std::string(FieldText(e.port))});
    }
    installedFound_ = true;
}

PageResult WelcomePage::OnCommand(int control, PageControls& /*controls*/) {
    switch (control) {
        case kIdOk:  // "下一步(&N)", or "重启" when queues are listed
            if (!installedFound_) return PageResult::MoveTo(PageId::PrinterName);
            if (restartRequested_ || !restartForUpdate_) return PageResult::Stay();
            switch (restartForUpdate_()) {
                case RestartRequest::Requested:
                    restartRequested_ = true;
                    break;
                case RestartRequest::Failed:
                    ShowResMessage(ui_, IDS_RESTART_FAILED, IDS_RESTART_FAILED_CAPTION,
                                   kMbOk | kMbIconExclamation);
                    break;
                case RestartRequest::NotHere:
                    break;
            }
            return PageResult::Stay();
        case IDC_WELCOME_CONTINUE:
            return installedFound_ ? PageResult::MoveTo(PageId::PrinterName) : PageResult::Stay();
        case kIdCancel:  // "取消" or "关闭", and the Esc key
            if (installedFound_) return PageResult::End(0);
            return AskCancelInstall(ui_);
        default:
            return PageResult::Stay();
    }
}

PageResult WelcomePage::OnClose(PageControls& /*controls*/) {
    if (installedFound_) return PageResult::End(0);
    // The close button of the plain welcome asks too, but its Yes ends the program normally.
    const PageResult answer = AskCancelInstall(ui_);
    return answer.kind == PageResult::Kind::End ? PageResult::End(0) : answer;
}

}  // namespace tq
