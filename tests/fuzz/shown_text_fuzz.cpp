// Fuzz target for the display rule (model/shown_text.h). Built with libFuzzer
// when fuzzing; otherwise the checked-in corpus is replayed through it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/shown_text.h"
#include "model/text_character.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

std::u16string asUtf16(const std::string& utf8) {
    return model::shownUtf16(utf8, utf8.size() + 1, model::BidiControls::Kept);
}

void checkShown(const std::u16string& shown, std::size_t max) {
    require(shown.size() <= max + 1);
    std::size_t lines = 1;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char16_t unit = shown[i];
        require(!model::isBidiControl(unit));
        lines += model::isLineBreak(unit) && !(unit == u'\n' && i > 0 && shown[i - 1] == u'\r');
        const bool high = unit >= 0xD800 && unit <= 0xDBFF, low = unit >= 0xDC00 && unit <= 0xDFFF;
        require(!low);  // a low surrogate only ever follows its high one
        if (high) require(++i < shown.size() && shown[i] >= 0xDC00 && shown[i] <= 0xDFFF);
    }
    require(lines <= model::kMaxShownLines);
    // The rule of a shown text is that text.
    require(model::shownText(shown, max) == shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the display length.
    const std::size_t max = data[0] % 64;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string utf8 = model::shownText(text, max);
    const std::u16string utf16 = model::shownUtf16(text, max);
    checkShown(utf16, max);
    require(asUtf16(utf8) == utf16);  // the UTF-8 form is the same text, and valid
    require(model::shownText(utf8, max) == utf8);
    const std::u16string kept = model::shownUtf16(text, max, model::BidiControls::Kept);
    require(model::shownText(kept, max, model::BidiControls::Kept) == kept);

    std::u16string units(text.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(static_cast<unsigned char>(text[2 * i]) | static_cast<unsigned char>(text[2 * i + 1]) << 8);
    checkShown(model::shownText(units, max), max);
    return 0;
}
