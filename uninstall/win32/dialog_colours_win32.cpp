#include "uninstall/win32/dialog_colours_win32.h"

#include <cstring>

namespace tq::uninstall {

namespace {

// The scheme in force: a hook procedure has no context of its own. Set and cleared by the one
// DialogColours object of the program.
HHOOK g_hook = nullptr;
HBRUSH g_background = nullptr;

// The dialog's own window procedure, kept on the window while it is subclassed.
constexpr char kOriginalProperty[] = "TqDialogColours";

}  // namespace

DialogColours::DialogColours() : background_(CreateSolidBrush(kDialogBackground)) {
    if (g_hook != nullptr || background_.get() == nullptr) return;
    hook_ = SetWindowsHookExA(WH_CBT, &DialogColours::CreationHook, nullptr, GetCurrentThreadId());
    if (hook_ != nullptr) {
        g_hook = hook_;
        g_background = background_.get();
    }
}

DialogColours::~DialogColours() {
    if (hook_ == nullptr) return;
    UnhookWindowsHookEx(hook_);
    g_hook = nullptr;
    g_background = nullptr;
}

LRESULT CALLBACK DialogColours::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = "";
        GetClassNameA(window, className, sizeof(className));
        if (std::strcmp(className, "#32770") == 0 &&
            GetPropA(window, kOriginalProperty) == nullptr) {
            const LONG_PTR original = SetWindowLongPtrA(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogColours::DialogProcedure));
            if (original != 0 &&
                !SetPropA(window, kOriginalProperty, reinterpret_cast<HANDLE>(original))) {
                SetWindowLongPtrA(window, GWLP_WNDPROC, original);
            }
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

LRESULT CALLBACK DialogColours::DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetPropA(window, kOriginalProperty));
    if (original == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (g_background != nullptr) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, kDialogText);
                SetBkColor(dc, kDialogBackground);
                return reinterpret_cast<LRESULT>(g_background);
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            RemovePropA(window, kOriginalProperty);
            break;
        default:
            break;
    }
    return CallWindowProcA(original, window, message, wParam, lParam);
}

}  // namespace tq::uninstall
