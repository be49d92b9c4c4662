#include "install/app/page_events.h"

namespace tq {

template <typename Handler>
std::optional<PageResult> PageEvents::Deliver(Source source, Handler handler) {
    if (ended_ || (source == Source::User && running_ > 0)) return std::nullopt;
    ++running_;
    const PageResult result = handler();
    --running_;
    if (ended_ || result.kind == PageResult::Kind::Stay) return std::nullopt;
    ended_ = true;
    return result;
}

std::optional<PageResult> PageEvents::Command(int control, ClickFrom from) {
    const Source source = from == ClickFrom::OptionButton ? Source::Option : Source::User;
    return Deliver(source, [&] { return page_.OnCommand(control, controls_); });
}

std::optional<PageResult> PageEvents::Close() {
    return Deliver(Source::User, [&] { return page_.OnClose(controls_); });
}

std::optional<PageResult> PageEvents::ListClick(int control) {
    return Deliver(Source::User, [&] { return page_.OnListClick(control, controls_); });
}

std::optional<PageResult> PageEvents::Timer(int id) {
    return Deliver(Source::Program, [&] { return page_.OnTimer(id, controls_); });
}

std::optional<PageResult> PageEvents::Message(unsigned message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
    return Deliver(Source::Program,
                   [&] { return page_.OnMessage(message, wParam, lParam, controls_); });
}

}  // namespace tq
