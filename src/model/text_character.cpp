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
    last_ = Kind::Other;
    pictograph_ = joinsPictograph_ = pairOpen_ = false;
    taken(characterKind(c));
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
    if (joins) taken(k);
    return joins;
}

void CharacterJoiner::taken(Kind k) {
    joinsPictograph_ = k == Kind::Joiner && pictograph_;
    pictograph_ = k == Kind::Pictograph || (pictograph_ && k == Kind::Extend);
    pairOpen_ = k == Kind::Regional && !pairOpen_;
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
