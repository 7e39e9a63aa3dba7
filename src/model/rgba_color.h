#pragma once
// A colour as the windows draw it: components 0..1.
#include <cstdint>

namespace model {

struct RGBAColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.0;

    // 0xRRGGBB, each byte divided by 255, alpha 1.
    static RGBAColor fromRGB(std::uint32_t rgb) {
        return RGBAColor{((rgb >> 16) & 0xFFu) / 255.0, ((rgb >> 8) & 0xFFu) / 255.0, (rgb & 0xFFu) / 255.0, 1.0};
    }
    bool operator==(const RGBAColor&) const = default;
};

}  // namespace model
