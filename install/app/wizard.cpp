#include "install/app/page.h"
#include "install/res/resource.h"

namespace tq {

int ShowResMessage(Ui& ui, int textId, int captionId, unsigned style) {
    const std::string text = ui.LoadText(textId);
    const std::string caption = ui.LoadText(captionId);
    return ui.ShowMessageBox(text, caption, style | kMbDefButton2);
}

PageResult AskCancelInstall(Ui& ui) {
    const int answer =
        ShowResMessage(ui, IDS_CANCEL_QUESTION, IDS_CANCEL_CAPTION, kMbYesNo | kMbIconExclamation);
    return answer == kIdYes ? PageResult::End(1) : PageResult::Stay();
}

PageResult MiddlePage::OnClose(PageControls& /*controls*/) {
    return AskCancelInstall(ui_);
}

int RunWizard(PageId first, PageFactory& factory, PageHost& host) {
    PageId id = first;
    for (;;) {
        std::unique_ptr<Page> page = factory.Create(id);
        if (!page) return 0;
        const PageResult result = host.Run(*page);
        if (result.kind == PageResult::Kind::End) return result.exitCode;
        id = result.next;
    }
}

}  // namespace tq
