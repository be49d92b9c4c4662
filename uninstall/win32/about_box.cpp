#include "uninstall/win32/about_box.h"

#include "uninstall/res/resource.h"

namespace tq::uninstall {

namespace {

INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* texts = reinterpret_cast<const AboutTexts*>(lParam);
            SetWindowTextA(dialog, texts->title.c_str());
            SetDlgItemTextA(dialog, IDC_ABOUT_NAME, texts->nameAndVersion.c_str());
            SetDlgItemTextA(dialog, IDC_ABOUT_COPYRIGHT, texts->copyright.c_str());
            return TRUE;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED &&
                (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner, const AboutTexts& texts) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, &AboutProcedure,
                    reinterpret_cast<LPARAM>(&texts));
}

}  // namespace tq::uninstall
