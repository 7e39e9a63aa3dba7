#include "kit/core/banner_geometry.h"

#include <algorithm>

namespace kit {

double bannerLabelWidth(bool hasButtons, double buttonWidth) {
    const double fixed = kBannerImageSize + 3 * kBannerPadding;
    return hasButtons ? kBannerWidth - (fixed + buttonWidth + kBannerPadding) : kBannerWidth - fixed;
}

double bannerHeight(double titleHeight, double textHeight, double layoutHeight) {
    return std::min(2 * titleHeight + 8 + textHeight + 2 + 8, layoutHeight);
}

BannerFrames bannerFrames(const Rect& screen, double menuBar, double height) {
    const double right = screen.x + screen.width;
    const double left = right - kBannerWidth - 15;
    return {
        {left, screen.y + 10, kBannerWidth, height},
        {left, screen.y + menuBar + 10, kBannerWidth, height},
        {right - kBannerWidth, screen.y + menuBar + 10, kBannerWidth, height},
    };
}

namespace {

bool overlaps(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

Rect movedDown(Rect r, double dy) {
    r.y += dy;
    return r;
}

}  // namespace

BannerFrames stackedBelow(const BannerFrames& frames, const std::vector<Rect>& taken, double bottom) {
    Rect shown = frames.shown;
    // Each pass moves below one covered banner, so at most one pass per banner.
    for (std::size_t pass = 0; pass <= taken.size(); ++pass) {
        double below = shown.y;
        for (const Rect& t : taken)
            if (overlaps(shown, t)) below = std::max(below, t.y + t.height + kBannerGap);
        if (below == shown.y) break;
        shown.y = below;
    }
    for (const Rect& t : taken)
        if (overlaps(shown, t)) return frames;
    const double dy = shown.y - frames.shown.y;
    if (shown.y + shown.height > bottom) return frames;
    return {movedDown(frames.start, dy), shown, movedDown(frames.end, dy)};
}

}  // namespace kit
