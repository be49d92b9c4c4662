#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tq::test {

std::string TextOf(int stringId) {
    return "<" + std::to_string(stringId) + ">";
}

int FakeUi::ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) {
    boxes.push_back({text, caption, style});
    if (whileShown) {
        const std::function<void()> meanwhile = std::move(whileShown);
        whileShown = nullptr;
        meanwhile();
    }
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected message box " << text << " / " << caption;
        return kIdCancel;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeControls::ListInit(int control, const std::vector<ListColumn>& columns,
                            unsigned extras) {
    c(control).columns = columns;
    c(control).gridLines = (extras & kListGridLines) != 0;
    c(control).fullRowSelect = (extras & kListFullRowSelect) != 0;
}

void FakeControls::ListAddRow(int control, const std::vector<std::string>& cells) {
    auto& rows = c(control).rows;
    if (!c(control).sorted || cells.empty()) {
        rows.push_back(cells);
        return;
    }
    // After the rows of the same first cell, as a sorting list view inserts.
    auto at = std::upper_bound(rows.begin(), rows.end(), cells,
                               [](const auto& a, const auto& b) { return a.at(0) < b.at(0); });
    rows.insert(at, cells);
}

std::string FakeControls::ListCellText(int control, int row, int column) {
    const auto& rows = c(control).rows;
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return {};
    const auto& cells = rows[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)] : "";
}

void FakeControls::IpAddressSet(int control, const std::optional<IpFields>& fields) {
    c(control).ipBlank = !fields.has_value();
    c(control).ip = fields.value_or(IpFields{0, 0, 0, 0});
}

}  // namespace tq::test
