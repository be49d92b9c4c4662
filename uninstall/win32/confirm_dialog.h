// The uninstaller's main window: the modal confirmation dialog. As it opens it works out the
// two customize.ini files and the install folder, takes its title and question from the
// installed file, adds the about entry to its system menu and draws its two buttons itself.
// OK runs the uninstall procedure; Cancel ends the program without a change.
#pragma once

#include <windows.h>

#include "platform/win32/profile_strings_win32.h"
#include "uninstall/customize.h"
#include "uninstall/win32/hover_button_win32.h"

namespace tq::uninstall {

class ConfirmDialog {
  public:
    explicit ConfirmDialog(HINSTANCE instance) : instance_(instance) {}
    ConfirmDialog(const ConfirmDialog&) = delete;
    ConfirmDialog& operator=(const ConfirmDialog&) = delete;

    // Shows the dialog until it ends: IDOK once the procedure has ended it, IDCANCEL for
    // Cancel, -1 when it could not be shown.
    INT_PTR Run();

  private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit(HWND dialog);
    void OnOk(HWND dialog);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);

    HINSTANCE instance_;
    Win32ProfileStrings profile_;
    CustomizePaths paths_;  // fixed when the dialog opens, kept for its lifetime
    HoverButton ok_;
    HoverButton cancel_;
};

}  // namespace tq::uninstall
