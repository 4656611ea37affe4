#include <gtest/gtest.h>

#include "base/layout.h"
#include "skin/frame.h"
#include "skin/skin.h"

namespace carrow::skin {
namespace {

const FrameMetrics& Blue() { return BlueSkin().frame.metrics; }

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

TEST(SkinFrame, WindowSizeGivesBackTheClientAreaAtEveryDpi) {
    EXPECT_EQ(WindowSizeFor(Blue(), 96, {489, 268}), (Size{497, 298}));
    for (int dpi : {96, 120, 144, 192}) {
        const Size client = {ScaleToDpi(489, dpi), ScaleToDpi(268, dpi)};
        const Size window = WindowSizeFor(Blue(), dpi, client);
        const Rect placed = LayOutFrame(Blue(), dpi, window).client;
        EXPECT_EQ(placed.width, client.width) << dpi;
        EXPECT_EQ(placed.height, client.height) << dpi;
        EXPECT_EQ(placed.left, InsetsAt(Blue(), dpi).border) << dpi;
    }
    // The frame grows with the dpi.
    EXPECT_GT(InsetsAt(Blue(), 192).caption, InsetsAt(Blue(), 96).caption);
    EXPECT_GT(InsetsAt(Blue(), 192).border, InsetsAt(Blue(), 96).border);
}

TEST(SkinFrame, CaptionPartsStayInTheCaptionBarWithoutOverlapping) {
    for (int dpi : {96, 144}) {
        for (int width : {497, 200, LeastWindowSize(Blue(), dpi).width}) {
            const FrameLayout layout = LayOutFrame(Blue(), dpi, {width, 300});
            for (const Rect& part : {layout.icon, layout.minimise, layout.close}) {
                EXPECT_TRUE(Inside(part, layout.caption)) << dpi << " " << width;
            }
            EXPECT_GE(layout.text.width, 0);
            EXPECT_FALSE(Overlap(layout.minimise, layout.close));
            EXPECT_FALSE(Overlap(layout.text, layout.minimise));
            EXPECT_FALSE(Overlap(layout.text, layout.icon));
            EXPECT_TRUE(Inside(layout.icon, layout.menu));
        }
    }
    // The close button keeps to the right edge, the minimise button beside it.
    const FrameLayout wide = LayOutFrame(Blue(), 96, {497, 298});
    EXPECT_EQ(wide.close.left + wide.close.width, 497 - 4 - 4);
    EXPECT_LT(wide.minimise.left, wide.close.left);
}

TEST(SkinFrame, HitTestFindsEdgesCornersCaptionAndButtons) {
    const Size window = {497, 298};
    const FrameLayout layout = LayOutFrame(Blue(), 96, window);
    const auto hit = [&](int x, int y, bool sizeable = true) {
        return HitTestFrame(Blue(), 96, layout, window, x, y, sizeable);
    };
    EXPECT_EQ(hit(0, 150), FrameHit::Left);
    EXPECT_EQ(hit(496, 150), FrameHit::Right);
    EXPECT_EQ(hit(250, 0), FrameHit::Top);
    EXPECT_EQ(hit(250, 297), FrameHit::Bottom);
    EXPECT_EQ(hit(0, 0), FrameHit::TopLeft);
    EXPECT_EQ(hit(496, 297), FrameHit::BottomRight);
    // Corners reach along the edges beyond the border's thickness.
    EXPECT_EQ(hit(10, 0), FrameHit::TopLeft);
    EXPECT_EQ(hit(0, 10), FrameHit::TopLeft);
    EXPECT_EQ(hit(496, 290), FrameHit::BottomRight);
    EXPECT_EQ(hit(486, 297), FrameHit::BottomRight);
    EXPECT_EQ(hit(496, 5), FrameHit::TopRight);
    EXPECT_EQ(hit(2, 292), FrameHit::BottomLeft);

    const auto centre = [](const Rect& r) { return std::pair{r.left + r.width / 2, r.top + r.height / 2}; };
    EXPECT_EQ(hit(centre(layout.close).first, centre(layout.close).second), FrameHit::Close);
    EXPECT_EQ(hit(centre(layout.minimise).first, centre(layout.minimise).second), FrameHit::Minimise);
    EXPECT_EQ(hit(centre(layout.icon).first, centre(layout.icon).second), FrameHit::Icon);
    EXPECT_EQ(hit(250, 10), FrameHit::Caption);
    // Between the two buttons is caption, to drag by.
    EXPECT_EQ(hit(layout.minimise.left + layout.minimise.width, centre(layout.close).second), FrameHit::Caption);
    EXPECT_EQ(hit(4, 26), FrameHit::Client);
    EXPECT_EQ(hit(492, 293), FrameHit::Client);
    EXPECT_EQ(hit(-1, 10), FrameHit::Outside);
    EXPECT_EQ(hit(497, 10), FrameHit::Outside);

    // A maximised window cannot be sized from its border.
    EXPECT_EQ(hit(0, 0, false), FrameHit::Border);
    EXPECT_EQ(hit(496, 150, false), FrameHit::Border);
    EXPECT_EQ(hit(centre(layout.close).first, centre(layout.close).second, false), FrameHit::Close);
}

}  // namespace
}  // namespace carrow::skin
