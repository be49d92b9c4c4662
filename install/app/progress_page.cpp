#include "install/app/progress_page.h"

#include <string>
#include <utility>

#include "install/system/folders.h"
#include "install/system/registry_records.h"
#include "install/res/resource.h"
#include "platform/text.h"

namespace tq {

namespace {
constexpr int kShowCommand = 5;  // SW_SHOW
constexpr int kPromptQueueReady = 1;
constexpr int kPromptFailed = 2;
}  // namespace

ProgressPage::ProgressPage(ProgressServices& services) : s_(services) {}
ProgressPage::~ProgressPage() = default;

int ProgressPage::DialogId() const {
    return IDD_PROGRESS;
}

void ProgressPage::Open(PageControls& controls) {
    s_.pnpSucceeded.store(0);
    controls.SetText(IDC_PROGRESS_REGISTER, s_.ui.LoadText(IDS_REGISTER_PREFIX) +
                                                std::string(FieldText(s_.settings.printerName)));
    controls.Show(IDC_PROGRESS_REGISTER, false);
    finished_ = false;
    threadEnded_ = false;
    closePending_ = false;
    asking_ = false;
    promptWaiting_ = false;
    // The point of no return: the installation starts as the page opens. A run that cannot
    // start has failed: nothing would ever report to this page.
    if (!s_.startInstallation(*this)) {
        threadEnded_ = true;
        ShowFailed(controls);
    }
}

bool ProgressPage::TakesMessage(unsigned message) const {
    return message == kProgressMessage;
}

PageResult ProgressPage::OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                   PageControls& controls) {
    if (message != kProgressMessage) return PageResult::Stay();
    if (!prompt_) prompt_ = std::make_unique<UsbPrompt>(s_);
    const auto stage = static_cast<int>(wParam);
    const bool first = lParam == 0;
    switch (stage) {
        case StageStart: {
            controls.ProgressSetRange(IDC_PROGRESS_BAR, 0, 100);
            controls.ProgressSetPos(IDC_PROGRESS_BAR, 0);
            // An unknown platform has no steps: the bar then does not move.
            const auto steps = static_cast<int>(lParam);
            controls.ProgressSetStep(IDC_PROGRESS_BAR, steps > 0 ? 100 / steps : 0);
            controls.SetText(IDC_PROGRESS_STATUS, s_.ui.LoadText(IDS_STATUS_START));
            break;
        }
        case StageCopy:
            if (first) {
                controls.SetText(IDC_PROGRESS_STATUS, s_.ui.LoadText(IDS_STATUS_COPY));
            } else {
                controls.SetText(IDC_PROGRESS_FILE, s_.currentFileName());
                controls.ProgressStepIt(IDC_PROGRESS_BAR);
            }
            break;
        case StageInstall:
        case StageShortcuts:
            if (first) {
                controls.SetText(IDC_PROGRESS_STATUS,
                                 s_.ui.LoadText(stage == StageInstall ? IDS_STATUS_INSTALL
                                                                      : IDS_STATUS_SHORTCUTS));
                controls.SetText(IDC_PROGRESS_FILE, "");
            } else {
                controls.ProgressStepIt(IDC_PROGRESS_BAR);
            }
            break;
        case StageDone:
            threadEnded_ = true;
            ShowCompleted(controls);
            if (closePending_) return Close(controls);
            break;
        case StagePnpWait:
            if (first && asking_) {
                promptWaiting_ = true;
            } else if (first) {
                StartPlugAndPlayWait();  // returns when the prompt has ended
            } else {
                promptWaiting_ = false;  // the queue came before the question was answered
                s_.dialogs.End(*prompt_, kPromptQueueReady);
                ShowCompleted(controls);
            }
            break;
        case StageFailed:
            threadEnded_ = true;
            // A close asked for while the thread finished is not taken: the user sees the
            // failure first.
            closePending_ = false;
            promptWaiting_ = false;
            if (!first) s_.dialogs.End(*prompt_, kPromptFailed);
            ShowFailed(controls);
            break;
        default:
            break;
    }
    return PageResult::Stay();
}

void ProgressPage::StartPlugAndPlayWait() {
    // A prompt that cannot be shown gives the wait up: the run then reports the failure.
    if (s_.dialogs.RunChild(*prompt_, *this) == kChildNotShown) prompt_->GiveUp();
    s_.promptShown(nullptr);
}

void ProgressPage::ShowCompleted(PageControls& controls) {
    controls.SetText(IDC_PROGRESS_STATUS, s_.ui.LoadText(IDS_STATUS_FINISHED));
    controls.ProgressSetPos(IDC_PROGRESS_BAR, 100);
    s_.pnpSucceeded.store(1);
    controls.SetText(IDC_PROGRESS_HEADING, s_.ui.LoadText(IDS_DONE_HEADING) +
                                               std::string(FieldText(s_.settings.printerName)));
    controls.SetText(IDC_PROGRESS_STATUS, s_.ui.LoadText(IDS_DONE_STATUS));
    controls.Show(IDC_PROGRESS_FILE, false);
    controls.Show(IDC_PROGRESS_BAR, false);
    controls.Show(IDC_PROGRESS_REGISTER, false);
    controls.SetCheck(IDC_PROGRESS_REGISTER, true);
    controls.SetText(kIdCancel, s_.ui.LoadText(IDS_BUTTON_CLOSE));
    finished_ = true;
}

void ProgressPage::ShowFailed(PageControls& controls) {
    s_.pnpSucceeded.store(0);
    controls.SetText(IDC_PROGRESS_HEADING, s_.ui.LoadText(IDS_FAILED_HEADING));
    controls.Show(IDC_PROGRESS_STATUS, false);
    controls.Show(IDC_PROGRESS_FILE, false);
    controls.Show(IDC_PROGRESS_BAR, false);
    controls.Show(IDC_PROGRESS_REGISTER, false);
    controls.SetCheck(IDC_PROGRESS_REGISTER, false);
    controls.SetText(kIdCancel, s_.ui.LoadText(IDS_BUTTON_CLOSE));
    finished_ = true;
}

PageResult ProgressPage::OnCommand(int control, PageControls& controls) {
    return control == kIdCancel ? CancelOrClose(controls) : PageResult::Stay();
}

PageResult ProgressPage::OnClose(PageControls& controls) {
    return CancelOrClose(controls);
}

PageResult ProgressPage::CancelOrClose(PageControls& controls) {
    if (!finished_) {
        // Hold the engine at its next pause point while the question is open.
        s_.signals.RequestPause();
        asking_ = true;
        const PageResult answer = AskCancelInstall(s_.ui);
        asking_ = false;
        if (answer.kind != PageResult::Kind::Stay) return answer;
        s_.signals.Resume();
        if (std::exchange(promptWaiting_, false)) StartPlugAndPlayWait();
        return answer;
    }
    if (!threadEnded_) {
        closePending_ = true;  // done when the thread's last stage arrives
        return PageResult::Stay();
    }
    return Close(controls);
}

PageResult ProgressPage::Close(PageControls& controls) {
    const std::string printerName(FieldText(s_.settings.printerName));
    DeleteUninstallerRunValue(s_.registry, printerName);
    if (!controls.IsChecked(IDC_PROGRESS_REGISTER)) return PageResult::End(0);
    controls.HidePage();
    const std::string windows = s_.paths.WindowsDirectory();
    if (windows.size() >= 3) {
        // Quoted: under Program Files an unquoted path would let Windows try C:\Program.exe.
        const std::string program = ProgramFolderOf(windows, printerName) + "\\Reg\\KestraReg.exe";
        s_.processes.StartProgram("\"" + program + "\"", kShowCommand);
    }
    return PageResult::End(1);
}

int UsbPrompt::DialogId() const {
    return IDD_USB_PROMPT;
}

void UsbPrompt::Open(PageControls& controls) {
    controls.Enable(kIdOk, false);
    s_.promptShown(this);
}

PageResult UsbPrompt::OnMessage(unsigned message, std::uintptr_t, std::intptr_t,
                                PageControls& controls) {
    if (message == kQueueReadyMessage) controls.Enable(kIdOk, true);
    return PageResult::Stay();
}

void UsbPrompt::GiveUp() {
    s_.pnpSucceeded.store(0);
    s_.signals.SignalPnp();
}

PageResult UsbPrompt::OnCommand(int control, PageControls& controls) {
    if (control == kIdOk) {
        GiveUp();  // the page ends the prompt when the thread reports
    } else if (control == kIdCancel) {
        return OnClose(controls);
    }
    return PageResult::Stay();
}

PageResult UsbPrompt::OnClose(PageControls&) {
    if (AskCancelInstall(s_.ui).kind == PageResult::Kind::End) GiveUp();
    return PageResult::Stay();
}

}  // namespace tq
