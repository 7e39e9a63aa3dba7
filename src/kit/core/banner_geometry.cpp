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

}  // namespace kit
