// The robot's hands and eyes: start a program, find its windows, read what they show, press
// their buttons, answer its message boxes and photograph its pages. Everything works on windows
// of another process (the installer under test), so every call here is one that Wine marshals
// across processes or one that places its structures in the target's memory.
//
// Texts cross this interface as UTF-8; the robot converts to and from UTF-16 and the system
// code page (936 under Wine with LANG=zh_CN.UTF-8) where Windows needs them.
#pragma once

#include <windows.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq::e2e {

// ---- Text conversion -------------------------------------------------------------------------

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// Bytes in the system code page (what an ANSI program keeps) as UTF-8, and back.
std::string FromAnsi(std::string_view ansi);
std::string ToAnsi(std::string_view utf8);

// ---- Owners ----------------------------------------------------------------------------------

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Time left until a deadline fixed on construction.
class Deadline {
  public:
    explicit Deadline(DWORD milliseconds);
    bool Passed() const;
    DWORD Remaining() const;

  private:
    ULONGLONG end_;
};

// A program started by the robot. If the scenario gives up on it (a failed assertion returns
// early), the destructor ends it so the next scenario step never meets a stray window.
class Process {
  public:
    // The command line is the quoted program path, then `arguments` (as they are, after a
    // blank); `folder` becomes its current directory.
    static std::optional<Process> Start(const std::wstring& program, const std::wstring& folder,
                                        std::string* error, const std::wstring& arguments = L"");
    Process(Process&&) = default;
    Process& operator=(Process&&) = default;
    ~Process();

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return handle_.get(); }
    bool Running() const;
    // The exit code once the process has ended within `timeoutMs`; nullopt if it still runs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;

  private:
    Process(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
    UniqueHandle handle_;
    DWORD id_ = 0;
};

// Polls `condition` every few milliseconds until it holds or `timeoutMs` passes. The pause
// between polls waits on `watched` (when given), so a process that dies ends the wait at once
// instead of running out the clock; the condition is checked one last time then.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, HANDLE watched = nullptr);

// ---- Windows ---------------------------------------------------------------------------------

std::string ClassName(HWND window);
// WM_GETTEXT across processes (works for statics, buttons and dialogs; Wine returns "" for the
// edit control of another process through GetWindowText, but WM_GETTEXT is fine).
std::string Text(HWND window);
std::string ControlText(HWND dialog, int id);
bool ControlVisible(HWND dialog, int id);
LONG_PTR Style(HWND window);
DWORD ProcessOf(HWND window);

// Visible top-level windows of process `pid`, in EnumWindows (z) order.
std::vector<HWND> TopLevelWindows(DWORD pid);
bool IsDialogWindow(HWND window);  // class #32770

// Waits for a visible top-level dialog of `process` that `match` accepts.
HWND WaitForDialog(const Process& process, const std::function<bool(HWND)>& match, DWORD timeoutMs);
// A dialog captioned `caption` that holds control `markerId`: how a wizard page is recognised.
HWND WaitForPage(const Process& process, std::string_view caption, int markerId, DWORD timeoutMs);

// ---- Message boxes ---------------------------------------------------------------------------

// A message box is a #32770 with the text static (id 0xFFFF); `notThis` excludes a page.
bool IsMessageBox(HWND window);
HWND WaitForMessageBox(const Process& process, DWORD timeoutMs, HWND notThis = nullptr);

struct BoxButton {
    int id;
    std::string text;
    bool defaultStyle;  // BS_DEFPUSHBUTTON
};
struct MessageBoxView {
    std::string caption;
    std::string text;
    std::vector<BoxButton> buttons;  // in child order
    // The control with the keyboard focus (0: none), where Enter goes. Not DM_GETDEFID: Wine's
    // message box answers IDOK there whatever button is the default.
    int focusId;
};
MessageBoxView ReadMessageBox(HWND box);

// ---- Input -----------------------------------------------------------------------------------

// The child of `dialog` with the keyboard focus of its thread, or nullptr.
HWND FocusIn(HWND dialog);
// Posted, never sent: a button that opens a modal box would block a SendMessage until the box
// closes. Returns false when the control does not exist.
bool Click(HWND dialog, int id);
// Posts a key press to the window that has the keyboard focus in `dialog`'s thread (or to the
// dialog itself), which is where a real key would go; the dialog's IsDialogMessage handles it.
void PressKey(HWND dialog, UINT virtualKey);
// Posts WM_CLOSE, as the window's close button does.
void Close(HWND window);

// ---- Controls --------------------------------------------------------------------------------

bool ControlEnabled(HWND dialog, int id);
// BM_GETCHECK: a ticked check box or a chosen option button.
bool ControlChecked(HWND dialog, int id);
// WM_SETTEXT, as a program sets a text: the edit tells its dialog (EN_CHANGE), but the text
// bypasses the edit's EM_LIMITTEXT, which applies to typing only.
bool SetControlText(HWND dialog, int id, std::string_view utf8);
// Types `utf8` at the end of an edit's text, one posted WM_CHAR per UTF-16 unit, as a keyboard
// would, so the edit's limit applies. Returns once the edit has handled every character (a
// marker posted behind them has arrived), false on a time-out.
bool TypeText(HWND edit, std::string_view utf8, DWORD timeoutMs);

// ---- Whole-dialog reading --------------------------------------------------------------------

struct ControlView {
    int id;
    std::string className;
    std::string text;
    bool visible;
};
bool operator==(const ControlView& a, const ControlView& b);
// Readable failure messages in GoogleTest (found by argument-dependent look-up).
void PrintTo(const ControlView& control, std::ostream* out);
// Every child control of `dialog` in child order.
std::vector<ControlView> ReadControls(HWND dialog);

struct ListViewContents {
    std::vector<std::string> columns;
    std::vector<int> columnWidths;
    std::vector<std::vector<std::string>> rows;  // rows[i][column]
};
// Reads a list view of another process: LVCOLUMNA/LVITEMA and the text buffer live in the
// target's memory (Wine does not marshal these messages). nullopt when the process cannot be
// opened or a read fails.
std::optional<ListViewContents> ReadListView(HWND list);

// Clicks row `row` of a list view of another process with the mouse (posted button down and
// up at the middle of the row's label), so the list selects it and tells its dialog NM_CLICK.
bool ClickListRow(HWND list, int row);

// IPv4 address controls (SysIPAddress32) of another process. The four field edits, left to
// right; each field's text as shown.
std::vector<HWND> IpFieldEdits(HWND control);
std::vector<std::string> IpFieldTexts(HWND control);
// Sets the four fields as a program does (IPM_SETADDRESS).
bool SetIpAddress(HWND control, BYTE a, BYTE b, BYTE c, BYTE d);
// Sets each field's text (an empty text leaves the field blank), as typing would.
bool SetIpFieldTexts(HWND control, const std::vector<std::string>& texts);

// ---- Pictures --------------------------------------------------------------------------------

// Repaints `window` (and children), waits until two captures of its screen rectangle agree, and
// writes that picture as a 24-bit bottom-up BMP. The window must be uncovered on the screen.
bool SaveScreenshot(HWND window, const std::wstring& bmpPath, std::string* error);

// A Unix path as the Windows path Wine maps through drive Z:.
std::wstring WindowsPathOf(std::string_view unixPath);
std::wstring JoinPath(const std::wstring& folder, std::wstring_view name);
// The lines of a text file as bytes (LF or CRLF; a last line without LF is left out, as a line
// still being written); none when the file cannot be read.
std::vector<std::string> FileLines(const std::wstring& path);
// The lines of a log one of our programs wrote (code page 936), in UTF-8, without their
// timestamps.
std::vector<std::string> LogLines(const std::string& path);

// A program run with `arguments` (UTF-8) after its quoted path, from `folder`, watched to its
// end: the exit code (none when it outlived `timeoutMs`) and whether a window ever showed.
struct QuietRun {
    std::optional<DWORD> exitCode;
    bool windowShown = false;
    std::string error;  // why it could not be started
};
QuietRun RunQuiet(const std::wstring& program, const std::wstring& folder,
                  const std::string& arguments, DWORD timeoutMs);

}  // namespace tq::e2e
