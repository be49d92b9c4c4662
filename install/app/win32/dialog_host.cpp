#include "install/app/win32/dialog_host.h"

#include <commctrl.h>

#include <memory>
#include <optional>
#include <vector>

#include "install/app/page_events.h"

namespace tq {

static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL && kIdYes == IDYES && kIdNo == IDNO);
static_assert(kMbYesNo == MB_YESNO && kMbIconExclamation == MB_ICONEXCLAMATION &&
              kMbIconInformation == MB_ICONINFORMATION &&
              kMbDefButton2 == MB_DEFBUTTON2 && kMbOk == MB_OK);

std::string Win32Ui::LoadText(int stringId) {
    char buffer[2048];
    const int n = LoadStringA(instance_, static_cast<UINT>(stringId), buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

int Win32Ui::ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

namespace {

class Win32Controls : public PageControls {
  public:
    explicit Win32Controls(HWND dialog) : dialog_(dialog) {}

    void SetText(int control, const std::string& text) override {
        SetDlgItemTextA(dialog_, control, text.c_str());
    }
    std::string GetText(int control) override {
        HWND item = GetDlgItem(dialog_, control);
        const int length = item ? GetWindowTextLengthA(item) : 0;
        std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
        GetDlgItemTextA(dialog_, control, buffer.data(), length + 1);
        return std::string(buffer.data());
    }
    void SetTextLimit(int control, int characters) override {
        SendDlgItemMessageA(dialog_, control, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
    }
    void Show(int control, bool visible) override {
        ShowWindow(GetDlgItem(dialog_, control), visible ? SW_SHOW : SW_HIDE);
    }
    void Enable(int control, bool enabled) override {
        EnableWindow(GetDlgItem(dialog_, control), enabled ? TRUE : FALSE);
    }
    void SetFocus(int control) override {
        SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog_, control)),
                     TRUE);
    }
    void SetCheck(int control, bool checked) override {
        CheckDlgButton(dialog_, control, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    bool IsChecked(int control) override {
        return IsDlgButtonChecked(dialog_, control) == BST_CHECKED;
    }
    void ListInit(int control, const std::vector<ListColumn>& columns, unsigned extras) override {
        HWND list = GetDlgItem(dialog_, control);
        DWORD styles = 0;
        if (extras & kListGridLines) styles |= LVS_EX_GRIDLINES;
        if (extras & kListFullRowSelect) styles |= LVS_EX_FULLROWSELECT;
        if (styles != 0) SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
        for (size_t i = 0; i < columns.size(); ++i) {
            std::string title = columns[i].title;
            LVCOLUMNA column{};
            column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            column.fmt = LVCFMT_LEFT;
            column.cx = columns[i].widthPixels;
            column.pszText = title.data();
            column.iSubItem = static_cast<int>(i);
            SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        }
    }
    void ProgressSetRange(int control, int low, int high) override {
        SendDlgItemMessageA(dialog_, control, PBM_SETRANGE32, static_cast<WPARAM>(low),
                            static_cast<LPARAM>(high));
    }
    void ProgressSetPos(int control, int position) override {
        SendDlgItemMessageA(dialog_, control, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    void ProgressSetStep(int control, int step) override {
        SendDlgItemMessageA(dialog_, control, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
    }
    void ProgressStepIt(int control) override {
        SendDlgItemMessageA(dialog_, control, PBM_STEPIT, 0, 0);
    }
    void HidePage() override { ShowWindow(dialog_, SW_HIDE); }
    void ListClear(int control) override {
        SendDlgItemMessageA(dialog_, control, LVM_DELETEALLITEMS, 0, 0);
    }
    void ListAddRow(int control, const std::vector<std::string>& cells) override {
        if (cells.empty()) return;
        HWND list = GetDlgItem(dialog_, control);
        std::string first = cells[0];
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = first.data();
        // A sorting list puts the row in its place: the other cells go where it landed.
        const auto row = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) return;
        for (size_t i = 1; i < cells.size(); ++i) {
            std::string text = cells[i];
            LVITEMA sub{};
            sub.iSubItem = static_cast<int>(i);
            sub.pszText = text.data();
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&sub));
        }
    }
    int ListSelectedRow(int control) override {
        return static_cast<int>(SendDlgItemMessageA(dialog_, control, LVM_GETNEXTITEM,
                                                    static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    std::string ListCellText(int control, int row, int column) override {
        char buffer[260] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof(buffer);
        SendDlgItemMessageA(dialog_, control, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                            reinterpret_cast<LPARAM>(&item));
        buffer[sizeof(buffer) - 1] = '\0';
        return buffer;
    }
    void IpAddressSetRange(int control, int field, int low, int high) override {
        SendDlgItemMessageA(dialog_, control, IPM_SETRANGE, static_cast<WPARAM>(field),
                            MAKEIPRANGE(low, high));
    }
    IpFields IpAddressGet(int control) override {
        DWORD address = 0;
        SendDlgItemMessageA(dialog_, control, IPM_GETADDRESS, 0,
                            reinterpret_cast<LPARAM>(&address));
        return {FIRST_IPADDRESS(address), SECOND_IPADDRESS(address), THIRD_IPADDRESS(address),
                FOURTH_IPADDRESS(address)};
    }
    void IpAddressSet(int control, const std::optional<IpFields>& fields) override {
        if (!fields) {
            SendDlgItemMessageA(dialog_, control, IPM_CLEARADDRESS, 0, 0);
            return;
        }
        const auto& f = *fields;
        SendDlgItemMessageA(dialog_, control, IPM_SETADDRESS, 0,
                            static_cast<LPARAM>(MAKEIPADDRESS(f[0], f[1], f[2], f[3])));
    }
    void StartTimer(int id, unsigned milliseconds) override {
        SetTimer(dialog_, static_cast<UINT_PTR>(id), milliseconds, nullptr);
    }
    void StopTimer(int id) override { KillTimer(dialog_, static_cast<UINT_PTR>(id)); }

  private:
    HWND dialog_;
};

struct HostState {
    Win32PageHost* host;
    Page* page;
    HICON largeIcon;
    HICON smallIcon;
    std::unique_ptr<Win32Controls> controls;
    std::unique_ptr<PageEvents> events;
    PageResult result;
};

void PaintMinimisedIcon(HWND dialog, HICON icon) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    RECT rect;
    GetClientRect(dialog, &rect);
    const int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon);
    EndPaint(dialog, &ps);
}

// A radio button or check box that changes its own state when clicked.
PageEvents::ClickFrom ClickSource(LPARAM control) {
    HWND button = reinterpret_cast<HWND>(control);
    if (button == nullptr) return PageEvents::ClickFrom::Button;
    const LONG_PTR type = GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK;
    const bool option =
        type == BS_AUTORADIOBUTTON || type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE;
    return option ? PageEvents::ClickFrom::OptionButton : PageEvents::ClickFrom::Button;
}

bool Finish(HWND dialog, HostState& state, const std::optional<PageResult>& result) {
    if (!result) return true;
    state.result = *result;
    // A child dialog's caller reads the exit code as the dialog's result.
    EndDialog(dialog, result->kind == PageResult::Kind::End ? result->exitCode : 0);
    return true;
}

INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<HostState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<HostState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            state->controls = std::make_unique<Win32Controls>(dialog);
            state->events = std::make_unique<PageEvents>(*state->page, *state->controls);
            state->host->open[state->page] = dialog;
            SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state->largeIcon));
            SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                         reinterpret_cast<LPARAM>(state->smallIcon));
            if (state->page->HasAppWindowStyle()) {
                const LONG_PTR ex = GetWindowLongPtrA(dialog, GWL_EXSTYLE);
                SetWindowLongPtrA(dialog, GWL_EXSTYLE, ex | WS_EX_APPWINDOW);
            }
            state->page->Open(*state->controls);
            return TRUE;
        }
        case WM_COMMAND:
            if (state == nullptr || HIWORD(wParam) != BN_CLICKED) return FALSE;
            return Finish(dialog, *state,
                          state->events->Command(LOWORD(wParam), ClickSource(lParam)));
        case WM_CLOSE:
            if (state == nullptr) return FALSE;
            return Finish(dialog, *state, state->events->Close());
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (state == nullptr || header == nullptr || header->code != NM_CLICK) return FALSE;
            Finish(dialog, *state, state->events->ListClick(static_cast<int>(header->idFrom)));
            return FALSE;
        }
        case WM_TIMER:
            if (state == nullptr) return FALSE;
            return Finish(dialog, *state, state->events->Timer(static_cast<int>(wParam)));
        case WM_PAINT:
            if (state != nullptr && IsIconic(dialog)) {
                PaintMinimisedIcon(dialog, state->largeIcon);
                return TRUE;
            }
            return FALSE;
        case WM_QUERYDRAGICON:
            return state ? reinterpret_cast<INT_PTR>(state->largeIcon) : 0;
        case WM_DESTROY:
            if (state != nullptr) state->host->open.erase(state->page);
            return FALSE;
        default:
            // The program's own messages: progress stages, the queue-ready report.
            if (state != nullptr && state->page->TakesMessage(message)) {
                return Finish(dialog, *state, state->events->Message(message, wParam, lParam));
            }
            return FALSE;
    }
}

}  // namespace

INT_PTR Win32PageHost::RunDialog(Page& page, HWND parent, PageResult& result) {
    // Shared icons (LR_SHARED): owned by the system, never destroyed here.
    HostState state{this,
                    &page,
                    static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(iconId_), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), LR_SHARED)),
                    static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(iconId_), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), LR_SHARED)),
                    nullptr,
                    nullptr,
                    PageResult::End(0)};
    const INT_PTR ran = DialogBoxParamA(instance_, MAKEINTRESOURCEA(page.DialogId()), parent,
                                        PageProc, reinterpret_cast<LPARAM>(&state));
    result = state.result;
    return ran;
}

PageResult Win32PageHost::Run(Page& page) {
    PageResult result;
    // A template that cannot be shown ends the wizard rather than looping on it.
    if (RunDialog(page, nullptr, result) == -1) return PageResult::End(0);
    return result;
}

int Win32PageHost::RunChild(Page& child, Page& owner) {
    const auto it = open.find(&owner);
    PageResult result;
    const INT_PTR code = RunDialog(child, it != open.end() ? it->second : nullptr, result);
    return code == -1 ? kChildNotShown : static_cast<int>(code);
}

void Win32PageHost::End(Page& child, int code) {
    const auto it = open.find(&child);
    if (it != open.end()) EndDialog(it->second, code);
}

}  // namespace tq
