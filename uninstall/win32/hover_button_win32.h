// HoverButton: an existing push button of a dialog, subclassed and made owner-drawn, drawn in
// the uninstaller's light rounded style (uninstall/hover_button.h decides shapes and colours).
// The dialog forwards its WM_DRAWITEM for the button to Draw.
#pragma once

#include <windows.h>

#include <array>

#include "uninstall/hover_button.h"
#include "uninstall/win32/gdi_win32.h"

namespace tq::uninstall {

class HoverButton {
  public:
    // The nine pens are made here and deleted with the button.
    HoverButton();
    ~HoverButton();
    HoverButton(const HoverButton&) = delete;
    HoverButton& operator=(const HoverButton&) = delete;

    // Takes over `dialog`'s button `id`: owner-drawn style, mouse tracking. False when the
    // dialog has no such control or it is already taken.
    bool Attach(HWND dialog, int id);
    HWND Window() const { return window_; }
    // The dialog's WM_DRAWITEM for this button.
    void Draw(const DRAWITEMSTRUCT& item);

    const HoverButtonState& State() const { return state_; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();
    void DrawEdges(HDC dc, const Rect& inner);
    HPEN Pen(PenRole role) const { return pens_[static_cast<int>(role)].get(); }

    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    HoverButtonState state_;
    std::array<GdiObject<HPEN>, kPenCount> pens_;
};

}  // namespace tq::uninstall
