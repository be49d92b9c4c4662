// The uninstaller's drawn push button: a light rounded button with a vertical gradient that
// answers the mouse (warm edges while it rests on the button) and the keyboard focus (cool edges
// and a focus rectangle). Everything here is geometry and colour; win32/hover_button_win32.*
// carries it out with GDI.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tq::uninstall {

struct Rgb {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

struct Point {
    int x;
    int y;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// Right and bottom are excluded, as in GDI.
struct Rect {
    int left;
    int top;
    int right;
    int bottom;
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// ---- Pens ------------------------------------------------------------------------------------

enum class PenRole : int {
    Outline,
    WarmLeft,
    WarmRight,
    WarmTop,
    WarmBottom,
    CoolLeft,
    CoolRight,
    CoolTop,
    CoolBottom,
};
inline constexpr int kPenCount = 9;

struct PenData {
    PenRole role;
    int width;
    Rgb colour;
};

// The nine pens, in PenRole order; all drawn inside the frame.
inline constexpr std::array<PenData, kPenCount> kPens{{
    {PenRole::Outline, 1, {111, 0, 0}},
    {PenRole::WarmLeft, 3, {250, 196, 88}},
    {PenRole::WarmRight, 3, {251, 202, 106}},
    {PenRole::WarmTop, 2, {252, 210, 121}},
    {PenRole::WarmBottom, 2, {229, 151, 0}},
    {PenRole::CoolLeft, 3, {153, 198, 252}},
    {PenRole::CoolRight, 3, {162, 189, 252}},
    {PenRole::CoolTop, 2, {162, 201, 255}},
    {PenRole::CoolBottom, 2, {162, 201, 255}},
}};

// ---- State -----------------------------------------------------------------------------------

// The owner-draw flags of one drawing request.
struct DrawFlags {
    bool selected = false;  // pressed
    bool disabled = false;
    bool focus = false;
    bool isDefault = false;
};

class HoverButtonState {
  public:
    // A mouse move: whether hover and leave notifications must be requested (once per stay).
    bool NeedsTracking() const { return !tracking_; }
    // The request's outcome; a failed one is asked again at the next move.
    void Tracked(bool requested) { tracking_ = requested; }
    void Hovered() { hover_ = true; }
    void Left() {
        hover_ = false;
        tracking_ = false;
    }
    // Every drawing refreshes the focus and activity from the request's flags.
    void Drawing(const DrawFlags& flags) {
        focused_ = flags.focus;
        active_ = flags.focus || flags.selected || flags.isDefault;
    }

    bool hover() const { return hover_; }
    bool tracking() const { return tracking_; }
    bool focused() const { return focused_; }
    bool active() const { return active_; }

  private:
    bool hover_ = false;
    bool tracking_ = false;
    bool focused_ = false;
    bool active_ = false;
};

// ---- Gradient --------------------------------------------------------------------------------

inline constexpr int kGradientSteps = 64;

// The colour of step `step` for the button's state; steps outside 0..63 take the nearest end.
Rgb GradientColour(bool hover, bool active, int step);
std::array<Rgb, kGradientSteps> GradientColours(bool hover, bool active);

// One row of the gradient: [left, right) on line y, in the colour of `step` (0..63).
struct GradientRow {
    int y;
    int left;
    int right;
    int step;
};
// The step of row y in a gradient of height h: 63 * y / h, never past the last colour made
// (the rows below the inner rectangle's height would otherwise reach 70 and more).
int GradientStep(int y, int height);
// The rows that fill the inner rectangle `inner`: from inner.top through height + 2, each from
// inner.left to width + 2 (which meet inner.bottom and inner.right with the usual edge size of
// 2). An empty rectangle has none.
std::vector<GradientRow> GradientRows(const Rect& inner);

// ---- Layout ----------------------------------------------------------------------------------

inline constexpr int kCornerSize = 5;  // the outline's rounded corners, width and height

// The item rectangle shrunk by the system edge sizes on every side.
Rect InnerRect(const Rect& item, int edgeX, int edgeY);

enum class EdgeStyle { None, Cool, Warm };
// Warm edges while the mouse rests on the button; cool ones for the keyboard focus alone.
EdgeStyle ChooseEdges(bool hover, bool focused);
// The focus rectangle goes with the cool edges only: the mouse's warm edges replace it.
bool DrawsFocusRect(bool hover, bool focused);

struct EdgeLine {
    PenRole pen;
    Point from;
    Point to;  // excluded
};
// Left, right, top and bottom, in that order. None for EdgeStyle::None.
std::vector<EdgeLine> EdgeLines(const Rect& inner, EdgeStyle style);

// Where the text of `width` x `height` pixels starts: centred in `inner` with integer halves,
// one pixel right and down while the button is pressed.
Point TextPosition(const Rect& inner, int width, int height, bool selected);

}  // namespace tq::uninstall
