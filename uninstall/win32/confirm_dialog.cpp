#include "uninstall/win32/confirm_dialog.h"

#include "platform/win32/system_paths_win32.h"
#include "uninstall/procedure.h"
#include "uninstall/res/resource.h"
#include "uninstall/texts.h"
#include "uninstall/win32/about_box.h"
#include "uninstall/win32/uninstall_system_win32.h"

namespace tq::uninstall {

namespace {

// The program icon in both sizes; shared images, which the system keeps and frees.
void SetProgramIcons(HINSTANCE instance, HWND dialog) {
    const int sizes[][3] = {
        {ICON_BIG, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)},
        {ICON_SMALL, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)},
    };
    for (const auto& size : sizes) {
        HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, size[1],
                                 size[2], LR_SHARED);
        if (icon != nullptr) {
            SendMessageA(dialog, WM_SETICON, static_cast<WPARAM>(size[0]),
                         reinterpret_cast<LPARAM>(icon));
        }
    }
}

}  // namespace

INT_PTR ConfirmDialog::Run() {
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr,
                           &ConfirmDialog::Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ConfirmDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* const self = reinterpret_cast<ConfirmDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    return self->OnMessage(dialog, message, wParam, lParam);
}

INT_PTR ConfirmDialog::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit(dialog);
            return TRUE;
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_SYSCOMMAND:
            if (IsAboutCommand(static_cast<unsigned long long>(wParam))) {
                // Read as the box opens: the local file may have changed since the start.
                ShowAboutBox(instance_, dialog, ReadAboutTexts(profile_, paths_));
                SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            return FALSE;
        case WM_COMMAND:
            // Clicks only: a double click on a drawn button also reports BN_DOUBLECLICKED, which
            // must not start the procedure a second time.
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            if (LOWORD(wParam) == IDOK) {
                OnOk(dialog);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void ConfirmDialog::OnInit(HWND dialog) {
    Win32SystemPaths system;
    paths_ = ComputeCustomizePaths(system, profile_);

    const DialogTexts texts = ReadDialogTexts(profile_, paths_);
    SetWindowTextA(dialog, texts.title.c_str());
    if (!texts.info.empty()) SetDlgItemTextA(dialog, IDC_QUESTION, texts.info.c_str());

    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu != nullptr) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, kAboutCommandId, texts.aboutMenuEntry.c_str());
    }
    SetProgramIcons(instance_, dialog);

    ok_.Attach(dialog, IDOK);
    cancel_.Attach(dialog, IDCANCEL);
}

void ConfirmDialog::OnOk(HWND dialog) {
    Win32UninstallSystem system(dialog);
    // A running tool keeps the dialog open for another try; otherwise the program ends.
    if (RunUninstall(paths_, system) != UninstallOutcome::ToolRunning) EndDialog(dialog, IDOK);
}

bool ConfirmDialog::OnDrawItem(const DRAWITEMSTRUCT& item) {
    for (HoverButton* button : {&ok_, &cancel_}) {
        if (button->Window() != nullptr && item.hwndItem == button->Window()) {
            button->Draw(item);
            return true;
        }
    }
    return false;
}

}  // namespace tq::uninstall
