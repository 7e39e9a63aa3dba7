#include <gtest/gtest.h>

#include "kit/core/banner_geometry.h"
#include "kit/core/banner_lifecycle.h"
#include "kit/core/chart_drop.h"

namespace kit {
namespace {

TEST(BannerGeometry, FramesFromTheScreen) {
    // A 1920 x 1080 screen at (0, 0) with a 24-point bar at its top; banner 60 high.
    const auto f = bannerFrames({0, 0, 1920, 1080}, 24, 60);
    EXPECT_EQ(f.start, (Rect{1525, 10, 380, 60}));
    EXPECT_EQ(f.shown, (Rect{1525, 34, 380, 60}));
    EXPECT_EQ(f.end, (Rect{1540, 34, 380, 60}));
    // A second screen to the right, lower down.
    EXPECT_EQ(bannerFrames({1920, 100, 1280, 800}, 0, 70).shown, (Rect{2805, 110, 380, 70}));
}

TEST(BannerGeometry, StackedBelowTheBannersOnScreen) {
    const BannerFrames first = bannerFrames({0, 0, 1920, 1080}, 24, 60);  // shown at (1525, 34)
    const Rect top{1525, 34, 380, 60};
    const struct {
        std::vector<Rect> taken;
        double bottom, left;
        double shownX, shownY;
    } cases[] = {
        {{}, 1080, 0, 1525, 34},                                    // alone: the first place
        {{top}, 1080, 0, 1525, 102},                                // below the one shown
        {{{1525, 102, 380, 60}}, 1080, 0, 1525, 34},                // the first place freed
        {{{100, 34, 380, 60}}, 1080, 0, 1525, 34},                  // another column covers nothing
        {{top}, 150, 0, 1137, 34},                                  // a full column: the next one on its left
        {{top, {1137, 34, 380, 60}}, 150, 0, 749, 34},
        {{top}, 150, 1200, 1525, 34},                               // no column has room: on top
    };
    for (const auto& c : cases) {
        const BannerFrames f = stackedBelow(first, c.taken, c.bottom, c.left);
        EXPECT_DOUBLE_EQ(f.shown.x, c.shownX) << c.taken.size() << " " << c.bottom;
        EXPECT_DOUBLE_EQ(f.shown.y, c.shownY) << c.taken.size() << " " << c.bottom;
        // The slide keeps its shape: start and end move with the shown frame.
        EXPECT_EQ(f.start, (Rect{first.start.x + f.shown.x - first.shown.x, first.start.y + f.shown.y - first.shown.y,
                                 380, 60}));
        EXPECT_EQ(f.end, (Rect{first.end.x + f.shown.x - first.shown.x, first.end.y + f.shown.y - first.shown.y, 380, 60}));
    }
}

TEST(BannerGeometry, HeightAndLabelWidth) {
    EXPECT_DOUBLE_EQ(bannerHeight(15, 18, 70), 66);    // short text: lower than 70
    EXPECT_DOUBLE_EQ(bannerHeight(15, 60, 115), 108);  // wrapped text in a taller layout
    EXPECT_DOUBLE_EQ(bannerHeight(15, 60, 70), 70);    // capped by the layout
    EXPECT_DOUBLE_EQ(bannerLabelWidth(false, 0), 320);
    EXPECT_DOUBLE_EQ(bannerLabelWidth(true, 60), 252);
    EXPECT_TRUE(wrapsText(0));
    EXPECT_TRUE(wrapsText(1));
    EXPECT_FALSE(wrapsText(4));
}

TEST(BannerLifecycle, RequestsDuringAnAnimationAreDropped) {
    BannerLifecycle b;
    EXPECT_FALSE(b.dismiss());  // not presented yet
    EXPECT_TRUE(b.present());
    EXPECT_FALSE(b.present());
    EXPECT_FALSE(b.dismiss());  // during the slide-in
    b.animationEnded();
    EXPECT_EQ(b.phase(), BannerLifecycle::Phase::Shown);
    EXPECT_TRUE(b.dismiss());
    EXPECT_FALSE(b.dismiss());  // during the slide-out
    b.animationEnded();
    EXPECT_EQ(b.phase(), BannerLifecycle::Phase::Closed);
    EXPECT_FALSE(b.dismiss());
}

TEST(BannerLifecycle, AutoDismissDelay) {
    for (auto [delay, ms] : {std::pair{5.0, 5000}, {0.5, 500}, {-1.0, -1}, {0.0, -1}, {0.3, -1}}) {
        const auto after = BannerLifecycle::autoDismissAfterMs(delay, kBannerSlideInMs);
        EXPECT_EQ(after.value_or(-1), ms) << delay;
    }
}

TEST(ChartDrop, OnlyPlainTextIsTaken) {
    const auto ok = chartDrop(kPlainTextType, "EURUSD", "Chart3");
    EXPECT_TRUE(ok.accepted);
    EXPECT_EQ(ok.object, (std::vector<std::string>{"EURUSD", "Chart3"}));
    EXPECT_EQ(chartDrop(kPlainTextType, "X", "").object, std::vector<std::string>{"X"});
    EXPECT_EQ(chartDrop(kPlainTextType, std::nullopt, "Chart1").error,
              "Error: NSView performDragOperation zPasteboardData == nil");
    EXPECT_EQ(chartDrop("text/uri-list", "a", "Chart1").error, "Error NSView performDragOperation");
}

}  // namespace
}  // namespace kit
