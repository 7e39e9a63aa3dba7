#include "model/text_character.h"

#include <algorithm>
#include <iterator>

#include "model/shown_text.h"

namespace model {

namespace {

using Kind = CharacterJoiner::Kind;

struct Range {
    char32_t first, last;
};

// Pictographs an emoji sequence may join, a little wider than the emoji
// tables (never letters or digits): a wider set only joins more.
// clang-format off
constexpr Range kPictographs[] = {
    {0x00A9, 0x00A9}, {0x00AE, 0x00AE}, {0x203C, 0x203C}, {0x2049, 0x2049}, {0x2122, 0x2122}, {0x2139, 0x2139},
    {0x2194, 0x21AA}, {0x231A, 0x23FF}, {0x24C2, 0x24C2}, {0x25AA, 0x25FE}, {0x2600, 0x27BF}, {0x2934, 0x2935},
    {0x2B05, 0x2B55}, {0x3030, 0x3030}, {0x303D, 0x303D}, {0x3297, 0x3297}, {0x3299, 0x3299}, {0x1F000, 0x1F1E5},
    {0x1F200, 0x1F3FA}, {0x1F400, 0x1FAFF}, {0x1FC00, 0x1FFFD},
};
// Signs written before the number or letters they stand over.
constexpr Range kPrepended[] = {
    {0x0600, 0x0605}, {0x06DD, 0x06DD}, {0x070F, 0x070F}, {0x0890, 0x0891}, {0x08E2, 0x08E2}, {0x0D4E, 0x0D4E},
    {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x111C2, 0x111C3}, {0x1193F, 0x1193F}, {0x11941, 0x11941},
    {0x11A3A, 0x11A3A}, {0x11A84, 0x11A89}, {0x11D46, 0x11D46}, {0x11F02, 0x11F02},
};
// Viramas (combining class 9) of the scripts that join conjuncts.
constexpr Range kViramas[] = {
    {0x094D, 0x094D}, {0x09CD, 0x09CD}, {0x0A4D, 0x0A4D}, {0x0ACD, 0x0ACD}, {0x0B4D, 0x0B4D}, {0x0BCD, 0x0BCD},
    {0x0C4D, 0x0C4D}, {0x0CCD, 0x0CCD}, {0x0D3B, 0x0D3C}, {0x0D4D, 0x0D4D}, {0x0DCA, 0x0DCA}, {0x0F84, 0x0F84},
    {0x1039, 0x103A}, {0x1714, 0x1715}, {0x1734, 0x1734}, {0x17D2, 0x17D2}, {0x1A60, 0x1A60}, {0x1B44, 0x1B44},
    {0x1BAA, 0x1BAB}, {0x1BF2, 0x1BF3}, {0xA806, 0xA806}, {0xA8C4, 0xA8C4}, {0xA953, 0xA953}, {0xA9C0, 0xA9C0},
    {0xAAF6, 0xAAF6}, {0xABED, 0xABED},
};
// Letters of those scripts, a little wider than their consonants: a wider set only joins more.
constexpr Range kIndicLetters[] = {
    {0x0900, 0x0DFF}, {0x0F00, 0x0FFF}, {0x1000, 0x109F}, {0x1700, 0x177F}, {0x1780, 0x17FF}, {0x1A20, 0x1AAF},
    {0x1B00, 0x1BFF}, {0xA800, 0xA82F}, {0xA880, 0xA8DF}, {0xA930, 0xA95F}, {0xA980, 0xA9DF}, {0xAAE0, 0xAAFF},
    {0xABC0, 0xABFF},
};
// clang-format on

template <std::size_t N>
bool within(const Range (&ranges)[N], char32_t c) {
    const Range* after = std::upper_bound(std::begin(ranges), std::end(ranges), c,
                                          [](char32_t value, const Range& r) { return value < r.first; });
    return after != std::begin(ranges) && c <= std::prev(after)->last;
}

bool isControl(Kind k) { return k == Kind::CR || k == Kind::LF || k == Kind::Control; }

// Jamo that make one syllable.
bool hangulJoins(Kind last, Kind next) {
    switch (last) {
        case Kind::L: return next == Kind::L || next == Kind::V || next == Kind::LV || next == Kind::LVT;
        case Kind::LV:
        case Kind::V: return next == Kind::V || next == Kind::T;
        case Kind::LVT:
        case Kind::T: return next == Kind::T;
        default: return false;
    }
}

}  // namespace

Kind characterKind(char32_t c) {
    if (c < 0x00A0) {
        if (c == '\r') return Kind::CR;
        if (c == '\n') return Kind::LF;
        return c < 0x20 || c >= 0x7F ? Kind::Control : Kind::Other;
    }
    if (c == 0x200D) return Kind::Joiner;
    if (c == 0x2028 || c == 0x2029) return Kind::Control;
    if (isCombiningMark(c) || c == 0x200C || c == 0x0E33 || c == 0x0EB3 || c == 0xFF9E || c == 0xFF9F ||
        (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0020 && c <= 0xE007F))
        return Kind::Extend;
    if (c >= 0x1F1E6 && c <= 0x1F1FF) return Kind::Regional;
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0xA960 && c <= 0xA97C)) return Kind::L;
    if ((c >= 0x1160 && c <= 0x11A7) || (c >= 0xD7B0 && c <= 0xD7C6)) return Kind::V;
    if ((c >= 0x11A8 && c <= 0x11FF) || (c >= 0xD7CB && c <= 0xD7FB)) return Kind::T;
    if (c >= 0xAC00 && c <= 0xD7A3) return (c - 0xAC00) % 28 == 0 ? Kind::LV : Kind::LVT;
    if (within(kPictographs, c)) return Kind::Pictograph;
    if (within(kPrepended, c)) return Kind::Prepend;
    return Kind::Other;
}

bool isLineBreak(char32_t c) { return (c >= '\n' && c <= '\r') || c == 0x85 || c == 0x2028 || c == 0x2029; }

void CharacterJoiner::start(char32_t c) {
    const Kind k = characterKind(c);
    // Qt pairs the indicators after a pictograph from the second one, Unicode from the first.
    indicatorRun_ = k == Kind::Regional && last_ == Kind::Pictograph;
    last_ = Kind::Other;
    pictograph_ = joinsPictograph_ = pairOpen_ = viramaOpen_ = false;
    taken(k, c);
}

bool CharacterJoiner::take(char32_t c) {
    const Kind k = characterKind(c);
    bool joins = false;
    if (last_ == Kind::CR && k == Kind::LF)
        joins = true;
    else if (isControl(last_) || isControl(k))
        joins = false;
    else
        joins = hangulJoins(last_, k) || k == Kind::Extend || k == Kind::Joiner || last_ == Kind::Prepend ||
                (k == Kind::Pictograph && joinsPictograph_) || (k == Kind::Regional && pairOpen_);
    joins = joins || (viramaOpen_ && (k == Kind::Other || k == Kind::Prepend) && within(kIndicLetters, c));
    if (joins) taken(k, c);
    return joins;
}

void CharacterJoiner::taken(Kind k, char32_t c) {
    joinsPictograph_ = k == Kind::Joiner && pictograph_;
    pictograph_ = k == Kind::Pictograph || (pictograph_ && k == Kind::Extend);
    pairOpen_ = k == Kind::Regional && (!pairOpen_ || indicatorRun_);
    viramaOpen_ = (k == Kind::Extend && within(kViramas, c)) || (k == Kind::Joiner && viramaOpen_);
    last_ = k;
}

std::size_t nextCharacter(std::u16string_view text, std::size_t at) {
    const auto read = [&](char32_t& c) {
        if (at == text.size()) return false;
        c = text[at++];
        if (c >= 0xD800 && c <= 0xDBFF && at < text.size() && text[at] >= 0xDC00 && text[at] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[at++] - 0xDC00);
        return true;
    };
    CharacterJoiner joiner;
    char32_t c = 0;
    read(c);
    joiner.start(c);
    for (std::size_t before = at; read(c); before = at)
        if (!joiner.take(c)) return before;
    return at;
}

}  // namespace model
