#include "model/text_elide.h"

namespace model {

std::string elidedText(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t cut = maxBytes;
    // Back to the start of a character: never half of one.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut)) + "\xE2\x80\xA6";
}

std::string withVisibleBidiControls(std::string text) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    std::string shown;
    std::size_t copied = 0;
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead != 0xE2) continue;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        const auto third = static_cast<unsigned char>(text[i + 2]);
        const bool control = (second == 0x80 && third >= 0xAA && third <= 0xAE) ||  // U+202A-U+202E
                             (second == 0x81 && third >= 0xA6 && third <= 0xA9);    // U+2066-U+2069
        if (!control) continue;
        shown.append(text, copied, i - copied).append(kReplacement);
        copied = i + 3;
        i += 2;
    }
    if (copied == 0) return text;
    shown.append(text, copied, std::string::npos);
    return shown;
}

}  // namespace model
