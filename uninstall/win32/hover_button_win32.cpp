#include "uninstall/win32/hover_button_win32.h"

#include <commctrl.h>

namespace tq::uninstall {

namespace {

// The window property that leads the subclass procedure back to its HoverButton.
constexpr char kOwnerProperty[] = "TqHoverButton";
constexpr int kTextCapacity = 260;  // at most 259 characters of the button's text

}  // namespace

HoverButton::HoverButton() {
    for (const PenData& pen : kPens) {
        pens_[static_cast<int>(pen.role)] =
            GdiObject<HPEN>(CreatePen(PS_INSIDEFRAME, pen.width, ToColorRef(pen.colour)));
    }
}

HoverButton::~HoverButton() {
    Detach();
}

bool HoverButton::Attach(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr || window_ != nullptr || GetPropA(button, kOwnerProperty) != nullptr) {
        return false;
    }
    if (!SetPropA(button, kOwnerProperty, this)) return false;
    window_ = button;
    original_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HoverButton::Procedure)));
    if (original_ == nullptr) {
        RemovePropA(button, kOwnerProperty);
        window_ = nullptr;
        return false;
    }
    const LONG_PTR style = GetWindowLongPtrA(button, GWL_STYLE);
    SetWindowLongPtrA(button, GWL_STYLE,
                      (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    InvalidateRect(button, nullptr, TRUE);
    return true;
}

void HoverButton::Detach() {
    if (window_ == nullptr) return;
    if (original_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    }
    RemovePropA(window_, kOwnerProperty);
    window_ = nullptr;
    original_ = nullptr;
}

LRESULT CALLBACK HoverButton::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* const self = static_cast<HoverButton*>(GetPropA(window, kOwnerProperty));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT HoverButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (state_.NeedsTracking()) {
                TRACKMOUSEEVENT track{};
                track.cbSize = sizeof(track);
                track.dwFlags = TME_HOVER | TME_LEAVE;
                track.hwndTrack = window_;
                track.dwHoverTime = 1;
                state_.Tracked(_TrackMouseEvent(&track) != FALSE);
            }
            break;
        case WM_MOUSEHOVER:
            state_.Hovered();
            InvalidateRect(window_, nullptr, TRUE);
            return 0;
        case WM_MOUSELEAVE:
            state_.Left();
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_NCDESTROY: {
            // The button goes before its owner: give it its own procedure back for the rest.
            const WNDPROC original = original_;
            HWND window = window_;
            Detach();
            return CallWindowProcA(original, window, message, wParam, lParam);
        }
        default:
            break;
    }
    return CallWindowProcA(original_, window_, message, wParam, lParam);
}

void HoverButton::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const SavedDcState saved(dc);

    char text[kTextCapacity] = "";
    GetWindowTextA(item.hwndItem, text, kTextCapacity);

    const Rect itemRect{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
    {
        const SelectedObject outline(dc, Pen(PenRole::Outline));
        RoundRect(dc, itemRect.left, itemRect.top, itemRect.right, itemRect.bottom, kCornerSize,
                  kCornerSize);
    }

    DrawFlags flags;
    flags.selected = (item.itemState & ODS_SELECTED) != 0;
    flags.disabled = (item.itemState & ODS_DISABLED) != 0;
    flags.focus = (item.itemState & ODS_FOCUS) != 0;
    flags.isDefault = (item.itemState & ODS_DEFAULT) != 0;
    state_.Drawing(flags);

    const Rect inner =
        InnerRect(itemRect, GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));

    // The gradient's 64 brushes live for this drawing only.
    const auto colours = GradientColours(state_.hover(), state_.active());
    std::array<GdiObject<HBRUSH>, kGradientSteps> brushes;
    for (int i = 0; i < kGradientSteps; ++i) {
        brushes[i] = GdiObject<HBRUSH>(CreateSolidBrush(ToColorRef(colours[i])));
    }
    for (const GradientRow& row : GradientRows(inner)) {
        RECT line;
        SetRect(&line, row.left, row.y, row.right, row.y + 1);
        if (brushes[row.step].get() != nullptr) FillRect(dc, &line, brushes[row.step].get());
    }

    if (state_.hover() || state_.focused()) DrawEdges(dc, inner);

    HFONT font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0));
    {
        const SelectedObject selectedFont(dc, font);
        const int length = lstrlenA(text);
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, text, length, &size);
        const int previousMode = SetBkMode(dc, TRANSPARENT);
        const Point at = TextPosition(inner, size.cx, size.cy, flags.selected);
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text),
                   static_cast<WPARAM>(length), at.x, at.y, size.cx, size.cy,
                   DST_PREFIXTEXT | (flags.disabled ? DSS_DISABLED : DSS_NORMAL));
        if (previousMode != 0) SetBkMode(dc, previousMode);
    }
}

void HoverButton::DrawEdges(HDC dc, const Rect& inner) {
    const EdgeStyle style = ChooseEdges(state_.hover(), state_.focused());
    const auto lines = EdgeLines(inner, style);
    if (lines.empty()) return;
    HGDIOBJ previousPen = GetCurrentObject(dc, OBJ_PEN);
    POINT previousPosition{0, 0};
    GetCurrentPositionEx(dc, &previousPosition);
    for (const EdgeLine& line : lines) {
        SelectObject(dc, Pen(line.pen));
        MoveToEx(dc, line.from.x, line.from.y, nullptr);
        LineTo(dc, line.to.x, line.to.y);
    }
    SelectObject(dc, previousPen);
    MoveToEx(dc, previousPosition.x, previousPosition.y, nullptr);
    if (DrawsFocusRect(state_.hover(), state_.focused())) {
        RECT around{inner.left, inner.top, inner.right, inner.bottom};
        DrawFocusRect(dc, &around);
    }
}

}  // namespace tq::uninstall
