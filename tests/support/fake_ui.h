// Fakes for page logic: controls that remember what a page did to them, and a Ui whose
// texts are "<id>" markers and whose message boxes answer from a script.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "install/app/ui.h"

namespace tq::test {

// The text a FakeUi loads for a string id.
std::string TextOf(int stringId);

struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned style;
};

class FakeUi : public Ui {
  public:
    std::string LoadText(int stringId) override { return TextOf(stringId); }
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override;

    // Answers for the next message boxes, in order; a box without a scripted answer fails
    // the test.
    std::deque<int> answers;
    std::vector<MessageBoxCall> boxes;
    // What happens while a box is open (before it is answered): clicks the user makes meanwhile.
    std::function<void()> whileShown;
};

class FakeControls : public PageControls {
  public:
    struct Control {
        std::string text;
        bool visible = true;
        bool enabled = true;
        bool checked = false;
        int limit = 0;
        int low = 0, high = 100, position = 0, step = 10;  // progress bars
        std::vector<ListColumn> columns;
        bool gridLines = false;
        bool fullRowSelect = false;
        bool sorted = false;  // rows kept in ascending order of their first cell
        std::vector<std::vector<std::string>> rows;
        int selected = -1;
        std::array<std::pair<int, int>, 4> ipRanges{};  // {low, high} of each field
        IpFields ip = {0, 0, 0, 0};
        bool ipBlank = true;
    };

    void SetText(int control, const std::string& text) override { c(control).text = text; }
    std::string GetText(int control) override { return c(control).text; }
    void SetTextLimit(int control, int characters) override { c(control).limit = characters; }
    void Show(int control, bool visible) override { c(control).visible = visible; }
    void Enable(int control, bool enabled) override { c(control).enabled = enabled; }
    void SetFocus(int control) override { focus = control; }
    void SetCheck(int control, bool checked) override { c(control).checked = checked; }
    bool IsChecked(int control) override { return c(control).checked; }
    void ListInit(int control, const std::vector<ListColumn>& columns, unsigned extras) override;
    void ListClear(int control) override {
        c(control).rows.clear();
        c(control).selected = -1;
    }
    void ListAddRow(int control, const std::vector<std::string>& cells) override;
    int ListSelectedRow(int control) override { return c(control).selected; }
    std::string ListCellText(int control, int row, int column) override;
    void IpAddressSetRange(int control, int field, int low, int high) override {
        c(control).ipRanges.at(static_cast<size_t>(field)) = {low, high};
    }
    IpFields IpAddressGet(int control) override { return c(control).ip; }
    void IpAddressSet(int control, const std::optional<IpFields>& fields) override;
    void StartTimer(int id, unsigned milliseconds) override { timers[id] = milliseconds; }
    void StopTimer(int id) override { timers.erase(id); }

    void ProgressSetRange(int control, int low, int high) override {
        c(control).low = low;
        c(control).high = high;
    }
    void ProgressSetPos(int control, int position) override { c(control).position = position; }
    void ProgressSetStep(int control, int step) override { c(control).step = step; }
    void ProgressStepIt(int control) override {
        Control& bar = c(control);
        bar.position += bar.step;
        if (bar.position > bar.high) bar.position = bar.low + (bar.position - bar.high);
    }
    void HidePage() override { pageHidden = true; }

    Control& c(int control) { return controls[control]; }
    bool pageHidden = false;

    std::map<int, Control> controls;
    int focus = 0;
    std::map<int, unsigned> timers;  // running timers and their periods
};

}  // namespace tq::test
