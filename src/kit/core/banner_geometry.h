#pragma once
// Where a banner stands: its start, shown and end frames on a screen whose y
// grows downwards, and its height.
#include <cstdint>
#include <vector>

namespace kit {

struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct BannerFrames {
    Rect start, shown, end;
};

constexpr double kBannerWidth = 380.0;
constexpr double kBannerBaseHeight = 70.0;
constexpr double kBannerImageSize = 36.0;
constexpr double kBannerPadding = 8.0;
constexpr int kBannerSlideInMs = 420;
constexpr int kBannerSlideOutMs = 560;

// Width of the three labels: with buttons 312 - buttonWidth, else 320.
double bannerLabelWidth(bool hasButtons, double buttonWidth);

// Needed height 2 x title + 8 + text + 2 + 8, at most `layoutHeight`.
double bannerHeight(double titleHeight, double textHeight, double layoutHeight);

// `screen` is the whole screen, `menuBar` the height taken at its top.
BannerFrames bannerFrames(const Rect& screen, double menuBar, double height);

// Between two stacked banners.
constexpr double kBannerGap = 8.0;

// `frames` moved down, each by the same, until its shown frame covers none of
// the banners on screen (`taken`); when that column is full down to `bottom`,
// the same in the next column to the left, and so on while a column starts
// right of `left`. Unmoved when no column has room (the newest then shows on
// top at the first place).
BannerFrames stackedBelow(const BannerFrames& frames, const std::vector<Rect>& taken, double bottom, double left);

// Line-break modes 0 (word) and 1 (character) wrap; 2 to 5 keep one line.
inline bool wrapsText(std::uint64_t lineBreakMode) { return lineBreakMode <= 1; }

}  // namespace kit
