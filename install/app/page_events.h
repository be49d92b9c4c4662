// The events of one page's window, as the dialog host hands them on. Message boxes have no
// owner window, so the page stays usable while one is open and its clicks arrive inside the
// box's own message loop; two rules here keep them from stacking:
//   - a click, key or close that arrives while a handler of the page is still running is
//     dropped (a second 下一步 under the overwrite question neither asks again nor deletes twice);
//     but not a click of an option button: a radio button or check box has changed its own
//     state before its click arrives, so dropping the click would leave the page showing one
//     choice and storing another. Its handler asks nothing and only records what now shows;
//   - the first result that ends the page is final: nothing runs for the page after it, and no
//     later result replaces it (a cancel answered 是 stays a cancel).
// The program's own messages and timers still reach a busy page: the progress page must see
// the installation's stages while its cancel question is open.
#pragma once

#include <cstdint>
#include <optional>

#include "install/app/page.h"

namespace tq {

class PageEvents {
  public:
    PageEvents(Page& page, PageControls& controls) : page_(page), controls_(controls) {}

    // Where a click comes from: a push button, or an option button (a radio button or check
    // box that checks itself).
    enum class ClickFrom { Button, OptionButton };

    // Each returns the result that ends the page, once; nullopt while the page stays.
    std::optional<PageResult> Command(int control, ClickFrom from = ClickFrom::Button);
    std::optional<PageResult> Close();
    std::optional<PageResult> ListClick(int control);
    std::optional<PageResult> Timer(int id);
    std::optional<PageResult> Message(unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam);

  private:
    enum class Source { User, Option, Program };
    template <typename Handler>
    std::optional<PageResult> Deliver(Source source, Handler handler);

    Page& page_;
    PageControls& controls_;
    int running_ = 0;  // handlers of the page on the stack
    bool ended_ = false;
};

}  // namespace tq
