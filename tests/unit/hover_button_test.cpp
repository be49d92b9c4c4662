#include "uninstall/hover_button.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tq::uninstall {
namespace {

struct StateEnds {
    bool hover;
    bool active;
    Rgb last;
};

TEST(HoverButtonGradient, EveryStateRunsFromWhiteToItsOwnEnd) {
    const StateEnds states[] = {
        {true, true, {240, 240, 234}},
        {true, false, {240, 240, 243}},
        {false, true, {234, 234, 240}},
        {false, false, {234, 234, 243}},
    };
    for (const auto& s : states) {
        SCOPED_TRACE(testing::Message() << "hover " << s.hover << " active " << s.active);
        EXPECT_EQ(GradientColour(s.hover, s.active, 0), (Rgb{255, 255, 255}));
        EXPECT_EQ(GradientColour(s.hover, s.active, 63), s.last);
        // Past the last step (the bottom rows of a button ask for 70 and more): the last colour,
        // never one darker than the gradient made.
        EXPECT_EQ(GradientColour(s.hover, s.active, 64), s.last);
        EXPECT_EQ(GradientColour(s.hover, s.active, 70), s.last);
        EXPECT_EQ(GradientColour(s.hover, s.active, -1), (Rgb{255, 255, 255}));
        const auto all = GradientColours(s.hover, s.active);
        EXPECT_EQ(all.front(), (Rgb{255, 255, 255}));
        EXPECT_EQ(all.back(), s.last);
    }
}

TEST(HoverButtonGradient, StepsDivideByThreeFourAndFive) {
    // Step 12: a = 4, b = 3, c = 2. The blue channel shows which divisor each state uses.
    EXPECT_EQ(GradientColour(true, true, 12), (Rgb{252, 252, 251}));
    EXPECT_EQ(GradientColour(true, false, 12), (Rgb{252, 252, 253}));
    EXPECT_EQ(GradientColour(false, true, 12), (Rgb{251, 251, 252}));
    EXPECT_EQ(GradientColour(false, false, 12), (Rgb{251, 251, 253}));
}

TEST(HoverButtonGradient, StepOfARowIsClampedToTheLastColour) {
    EXPECT_EQ(GradientStep(0, 17), 0);
    EXPECT_EQ(GradientStep(2, 17), 7);
    EXPECT_EQ(GradientStep(17, 17), 63);
    EXPECT_EQ(GradientStep(19, 17), 63);  // 63 * 19 / 17 = 70
    EXPECT_EQ(GradientStep(5, 0), 0);     // a button with no inside divides by nothing
    EXPECT_EQ(GradientStep(2000000000, 3), 63);
}

TEST(HoverButtonGradient, RowsFillTheInnerRectangleDownToItsBottom) {
    // A 75 x 23 button with 2-pixel edges: inner rectangle (2, 2)-(73, 21), h = 19.
    const Rect inner = InnerRect({0, 0, 75, 23}, 2, 2);
    EXPECT_EQ(inner, (Rect{2, 2, 73, 21}));
    const auto rows = GradientRows(inner);
    ASSERT_EQ(rows.size(), 20u);  // y = 2 .. 21
    EXPECT_EQ(rows.front().y, 2);
    EXPECT_EQ(rows.front().step, 6);  // 63 * 2 / 19
    EXPECT_EQ(rows.back().y, 21);
    EXPECT_EQ(rows.back().step, 63);  // 63 * 21 / 19 = 69, held at the last colour
    for (const auto& row : rows) {
        EXPECT_EQ(row.left, 2);
        EXPECT_EQ(row.right, 73);
        EXPECT_GE(row.step, 0);
        EXPECT_LT(row.step, kGradientSteps);
    }
    EXPECT_TRUE(GradientRows({2, 2, 2, 21}).empty());
    EXPECT_TRUE(GradientRows({2, 2, 73, 1}).empty());
}

TEST(HoverButtonEdges, MouseGivesWarmEdgesFocusAloneCoolOnesWithAFocusRectangle) {
    // hover, focused -> edges, focus rectangle
    const std::tuple<bool, bool, EdgeStyle, bool> cases[] = {
        {false, false, EdgeStyle::None, false},
        {false, true, EdgeStyle::Cool, true},
        {true, false, EdgeStyle::Warm, false},
        {true, true, EdgeStyle::Warm, false},
    };
    for (const auto& [hover, focused, edges, focusRect] : cases) {
        SCOPED_TRACE(testing::Message() << "hover " << hover << " focused " << focused);
        EXPECT_EQ(ChooseEdges(hover, focused), edges);
        EXPECT_EQ(DrawsFocusRect(hover, focused), focusRect);
    }
}

TEST(HoverButtonEdges, LinesRunAlongTheInnerRectangleWithTheirOwnPens) {
    const Rect r{2, 2, 73, 21};
    EXPECT_TRUE(EdgeLines(r, EdgeStyle::None).empty());
    const auto warm = EdgeLines(r, EdgeStyle::Warm);
    ASSERT_EQ(warm.size(), 4u);
    EXPECT_EQ(warm[0].pen, PenRole::WarmLeft);
    EXPECT_EQ(warm[0].from, (Point{2, 20}));
    EXPECT_EQ(warm[0].to, (Point{2, 3}));
    EXPECT_EQ(warm[1].pen, PenRole::WarmRight);
    EXPECT_EQ(warm[1].from, (Point{72, 20}));
    EXPECT_EQ(warm[1].to, (Point{72, 2}));
    EXPECT_EQ(warm[2].pen, PenRole::WarmTop);
    EXPECT_EQ(warm[2].from, (Point{1, 2}));
    EXPECT_EQ(warm[2].to, (Point{72, 2}));
    EXPECT_EQ(warm[3].pen, PenRole::WarmBottom);
    EXPECT_EQ(warm[3].from, (Point{2, 21}));
    EXPECT_EQ(warm[3].to, (Point{72, 21}));
    const auto cool = EdgeLines(r, EdgeStyle::Cool);
    ASSERT_EQ(cool.size(), 4u);
    EXPECT_EQ(cool[0].pen, PenRole::CoolLeft);
    EXPECT_EQ(cool[3].pen, PenRole::CoolBottom);
    EXPECT_EQ(cool[3].from, warm[3].from);
    // The pen table is indexed by role.
    for (int i = 0; i < kPenCount; ++i) EXPECT_EQ(static_cast<int>(kPens[i].role), i);
}

TEST(HoverButtonText, CentredWithIntegerHalvesAndOffsetWhilePressed) {
    const Rect r{2, 2, 73, 21};                                 // centre (37, 11)
    EXPECT_EQ(TextPosition(r, 25, 13, false), (Point{25, 5}));  // 37 - 12, 11 - 6
    EXPECT_EQ(TextPosition(r, 25, 13, true), (Point{26, 6}));
    EXPECT_EQ(TextPosition(r, 24, 12, false), (Point{25, 5}));
}

TEST(HoverButtonState, TracksOncePerStayAndRefreshesFocusAtEveryDrawing) {
    HoverButtonState s;
    EXPECT_TRUE(s.NeedsTracking());
    s.Tracked(false);  // refused: the next move asks again
    EXPECT_TRUE(s.NeedsTracking());
    s.Tracked(true);
    EXPECT_FALSE(s.NeedsTracking());
    EXPECT_FALSE(s.hover());
    s.Hovered();
    EXPECT_TRUE(s.hover());
    s.Left();
    EXPECT_FALSE(s.hover());
    EXPECT_TRUE(s.NeedsTracking());

    // selected, disabled, focus, default
    s.Drawing({false, false, false, false});
    EXPECT_FALSE(s.focused());
    EXPECT_FALSE(s.active());
    s.Drawing({true, false, false, false});
    EXPECT_FALSE(s.focused());
    EXPECT_TRUE(s.active());
    s.Drawing({false, false, false, true});
    EXPECT_TRUE(s.active());
    s.Drawing({false, false, true, false});
    EXPECT_TRUE(s.focused());
    EXPECT_TRUE(s.active());
    s.Drawing({false, true, false, false});
    EXPECT_FALSE(s.focused());
    EXPECT_FALSE(s.active());
}

}  // namespace
}  // namespace tq::uninstall
