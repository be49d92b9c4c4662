// The narrow window between page logic and the dialogs on screen. Pages read and write their
// controls through PageControls and ask questions through Ui; the Win32 host implements both,
// the host tests use fakes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "install/engine/choices.h"
#include "install/engine/warnings.h"

namespace tq {

// Button and message-box numbers as Windows defines them (checked against <windows.h> by the
// Win32 host).
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };
enum : unsigned {
    kMbOk = 0x0,
    kMbYesNo = 0x4,
    kMbIconExclamation = 0x30,
    kMbIconInformation = 0x40,
    kMbDefButton2 = 0x100,
};

struct ListColumn {
    std::string title;
    int widthPixels;
};

// Extended looks of a report-style list view, combined with |.
enum : unsigned { kListGridLines = 0x1, kListFullRowSelect = 0x2 };

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
    // Report-style list views: left-aligned columns, `extras` from kListGridLines and
    // kListFullRowSelect.
    virtual void ListInit(int control, const std::vector<ListColumn>& columns,
                          unsigned extras) = 0;
    virtual void ListClear(int control) = 0;
    // Adds a row; a list that sorts itself puts it in its place.
    virtual void ListAddRow(int control, const std::vector<std::string>& cells) = 0;
    // The selected row of a single-selection list, -1 when none is.
    virtual int ListSelectedRow(int control) = 0;
    virtual std::string ListCellText(int control, int row, int column) = 0;
    // IPv4 address controls: the range a field accepts, the fields, and setting them (an
    // empty optional blanks the control).
    virtual void IpAddressSetRange(int control, int field, int low, int high) = 0;
    virtual IpFields IpAddressGet(int control) = 0;
    virtual void IpAddressSet(int control, const std::optional<IpFields>& fields) = 0;
    // A timer of the page's window: OnTimer(id) every `milliseconds` until it is killed.
    virtual void StartTimer(int id, unsigned milliseconds) = 0;
    virtual void StopTimer(int id) = 0;
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

// The engine's warnings as message boxes: no owner window, exclamation icon, OK.
class MessageBoxWarnings : public Warnings {
  public:
    explicit MessageBoxWarnings(Ui& ui) : ui_(ui) {}
    void Warn(const std::string& text, const std::string& caption) override {
        ui_.ShowMessageBox(text, caption, kMbIconExclamation);
    }

  private:
    Ui& ui_;
};

// Every warning and question of the wizard: both texts from the string table, no owner
// window, and the second button as the default one.
int ShowResMessage(Ui& ui, int textId, int captionId, unsigned style);

}  // namespace tq
