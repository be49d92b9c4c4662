// The colour scheme of every dialog the uninstaller shows (the confirmation dialog, the about
// box and the message boxes): background RGB(213,224,254), black text. A hook on the program's
// thread subclasses each dialog as it is created and answers its WM_CTLCOLORDLG, ...STATIC and
// ...BTN, so no dialog procedure has to remember it.
#pragma once

#include <windows.h>

#include "uninstall/win32/gdi_win32.h"

namespace tq::uninstall {

inline constexpr COLORREF kDialogBackground = RGB(213, 224, 254);  // 0x00FEE0D5
inline constexpr COLORREF kDialogText = RGB(0, 0, 0);

// One for the whole program, made before the first dialog; the scheme holds while it lives.
class DialogColours {
  public:
    DialogColours();
    ~DialogColours();
    DialogColours(const DialogColours&) = delete;
    DialogColours& operator=(const DialogColours&) = delete;

    bool Active() const { return hook_ != nullptr; }

  private:
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    GdiObject<HBRUSH> background_;
    HHOOK hook_ = nullptr;
};

}  // namespace tq::uninstall
