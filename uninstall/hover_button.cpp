#include "uninstall/hover_button.h"

#include <algorithm>

namespace tq::uninstall {

namespace {
std::uint8_t Minus(int amount) {
    return static_cast<std::uint8_t>(255 - amount);
}
}  // namespace

Rgb GradientColour(bool hover, bool active, int step) {
    const int i = std::clamp(step, 0, kGradientSteps - 1);
    const int a = i / 3;
    const int b = i / 4;
    const int c = i / 5;
    if (hover) {
        return active ? Rgb{Minus(b), Minus(b), Minus(a)} : Rgb{Minus(b), Minus(b), Minus(c)};
    }
    return active ? Rgb{Minus(a), Minus(a), Minus(b)} : Rgb{Minus(a), Minus(a), Minus(c)};
}

std::array<Rgb, kGradientSteps> GradientColours(bool hover, bool active) {
    std::array<Rgb, kGradientSteps> colours{};
    for (int i = 0; i < kGradientSteps; ++i) colours[i] = GradientColour(hover, active, i);
    return colours;
}

int GradientStep(int y, int height) {
    if (height <= 0) return 0;
    // In 64 bits: y and height are pixel counts, but a huge button must not overflow 63 * y.
    const long long step = 63LL * y / height;
    return static_cast<int>(std::clamp<long long>(step, 0, kGradientSteps - 1));
}

std::vector<GradientRow> GradientRows(const Rect& inner) {
    const int w = inner.right - inner.left;
    const int h = inner.bottom - inner.top;
    std::vector<GradientRow> rows;
    if (w <= 0 || h <= 0) return rows;
    for (int y = inner.top; y <= h + 2; ++y) {
        rows.push_back({y, inner.left, w + 2, GradientStep(y, h)});
    }
    return rows;
}

Rect InnerRect(const Rect& item, int edgeX, int edgeY) {
    return {item.left + edgeX, item.top + edgeY, item.right - edgeX, item.bottom - edgeY};
}

EdgeStyle ChooseEdges(bool hover, bool focused) {
    if (hover) return EdgeStyle::Warm;
    return focused ? EdgeStyle::Cool : EdgeStyle::None;
}

bool DrawsFocusRect(bool hover, bool focused) {
    return focused && !hover;
}

std::vector<EdgeLine> EdgeLines(const Rect& r, EdgeStyle style) {
    if (style == EdgeStyle::None) return {};
    const bool warm = style == EdgeStyle::Warm;
    return {
        {warm ? PenRole::WarmLeft : PenRole::CoolLeft, {r.left, r.bottom - 1}, {r.left, r.top + 1}},
        {warm ? PenRole::WarmRight : PenRole::CoolRight,
         {r.right - 1, r.bottom - 1},
         {r.right - 1, r.top}},
        {warm ? PenRole::WarmTop : PenRole::CoolTop, {r.left - 1, r.top}, {r.right - 1, r.top}},
        {warm ? PenRole::WarmBottom : PenRole::CoolBottom,
         {r.left, r.bottom},
         {r.right - 1, r.bottom}},
    };
}

Point TextPosition(const Rect& inner, int width, int height, bool selected) {
    Point at{(inner.left + inner.right) / 2 - width / 2,
             (inner.top + inner.bottom) / 2 - height / 2};
    if (selected) {
        ++at.x;
        ++at.y;
    }
    return at;
}

}  // namespace tq::uninstall
