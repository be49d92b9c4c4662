// The narrow window between page logic and the dialogs on screen. Pages read and write their
// controls through PageControls and ask questions through Ui; the Win32 host implements both,
// the host tests use fakes.
#pragma once

#include <string>
#include <vector>

namespace tq {

// Button and message-box numbers as Windows defines them (checked against <windows.h> by the
// Win32 host).
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };
enum : unsigned {
    kMbOk = 0x0,
    kMbYesNo = 0x4,
    kMbIconExclamation = 0x30,
    kMbDefButton2 = 0x100,
};

struct ListColumn {
    std::string title;
    int widthPixels;
};

class PageControls {
  public:
    virtual ~PageControls() = default;
    virtual void SetText(int control, const std::string& text) = 0;
    virtual std::string GetText(int control) = 0;
    // The most characters the user can type into an edit field.
    virtual void SetTextLimit(int control, int characters) = 0;
    virtual void Show(int control, bool visible) = 0;
    virtual void Enable(int control, bool enabled) = 0;
    virtual void SetFocus(int control) = 0;
    virtual void SetCheck(int control, bool checked) = 0;
    virtual bool IsChecked(int control) = 0;
    // Report-style list views: left-aligned columns, optional grid lines.
    virtual void ListInit(int control, const std::vector<ListColumn>& columns, bool gridLines) = 0;
    virtual void ListClear(int control) = 0;
    virtual void ListAddRow(int control, const std::vector<std::string>& cells) = 0;
    // Progress bars: range, position, step, and one step forward (past the top it starts
    // again from the bottom, as the Windows control does).
    virtual void ProgressSetRange(int control, int low, int high) = 0;
    virtual void ProgressSetPos(int control, int position) = 0;
    virtual void ProgressSetStep(int control, int step) = 0;
    virtual void ProgressStepIt(int control) = 0;
    // Hides the page's own window.
    virtual void HidePage() = 0;
};

class Ui {
  public:
    virtual ~Ui() = default;
    // A text of the string table, in the system code page.
    virtual std::string LoadText(int stringId) = 0;
    // MessageBoxA with no owner window; returns the id of the button pressed.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption,
                               unsigned style) = 0;
};

// Every warning and question of the wizard: both texts from the string table, no owner
// window, and the second button as the default one.
int ShowResMessage(Ui& ui, int textId, int captionId, unsigned style);

}  // namespace tq
