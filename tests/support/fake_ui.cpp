#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

namespace tq::test {

std::string TextOf(int stringId) {
    return "<" + std::to_string(stringId) + ">";
}

int FakeUi::ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) {
    boxes.push_back({text, caption, style});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected message box " << text << " / " << caption;
        return kIdCancel;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeControls::ListInit(int control, const std::vector<ListColumn>& columns, bool gridLines) {
    c(control).columns = columns;
    c(control).gridLines = gridLines;
}

}  // namespace tq::test
