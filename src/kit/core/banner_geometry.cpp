#include "kit/core/banner_geometry.h"

#include <algorithm>
#include <optional>

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

Rect moved(Rect r, double dx, double dy) {
    r.x += dx;
    r.y += dy;
    return r;
}

// `shown` moved down past the banners it covers; nullopt when it still covers one.
std::optional<Rect> belowTaken(Rect shown, const std::vector<Rect>& taken) {
    // Each pass moves below one covered banner, so at most one pass per banner.
    for (std::size_t pass = 0; pass <= taken.size(); ++pass) {
        double below = shown.y;
        for (const Rect& t : taken)
            if (overlaps(shown, t)) below = std::max(below, t.y + t.height + kBannerGap);
        if (below == shown.y) break;
        shown.y = below;
    }
    for (const Rect& t : taken)
        if (overlaps(shown, t)) return std::nullopt;
    return shown;
}

}  // namespace

BannerFrames stackedBelow(const BannerFrames& frames, const std::vector<Rect>& taken, double bottom, double left) {
    const double step = frames.shown.width + kBannerGap;
    if (!(step > 0)) return frames;
    // Down the first column; a full column gives way to the next one on its left.
    for (double dx = 0; frames.shown.x - dx >= left; dx += step) {
        const auto shown = belowTaken(moved(frames.shown, -dx, 0), taken);
        if (!shown || shown->y + shown->height > bottom) continue;
        const double dy = shown->y - frames.shown.y;
        return {moved(frames.start, -dx, dy), *shown, moved(frames.end, -dx, dy)};
    }
    return frames;
}

}  // namespace kit
