#pragma once
// Where one character of a shown text ends: a base with its marks, a CR LF, a
// Hangul syllable of jamo, a prefixed number sign, a flag's pair of regional
// indicators, an emoji with its modifiers and the pictographs joined to it by
// U+200D, an Indic conjunct (a virama joins the consonant after it). A joiner
// only keeps another pictograph on a pictograph; after anything else it stays
// on what precedes it and joins nothing more. Every character Qt draws as one
// (its grapheme clusters) is one here too: where Qt differs from the Unicode
// rules (indicators right after a pictograph), the rule joins what both join.
#include <cstddef>
#include <string_view>

namespace model {

class CharacterJoiner {
public:
    enum class Kind : unsigned char { Other, CR, LF, Control, Extend, Joiner, Regional, Prepend, L, V, T, LV, LVT, Pictograph };

    // Begins a character with `c`.
    void start(char32_t c);
    // Whether `c` continues the character begun; if it does, it is taken.
    bool take(char32_t c);

private:
    void taken(Kind kind, char32_t c);

    Kind last_ = Kind::Other;
    bool pictograph_ = false;  // a pictograph, then only marks
    bool joinsPictograph_ = false;  // ... then U+200D
    bool pairOpen_ = false;  // a regional indicator without its pair
    bool indicatorRun_ = false;  // indicators right after a pictograph: joined whole
    bool viramaOpen_ = false;  // a virama (and a joiner): the next consonant joins
};

CharacterJoiner::Kind characterKind(char32_t c);
// A line feed, carriage return, vertical tab, form feed, next line, line or paragraph separator.
bool isLineBreak(char32_t c);
// The index after the character that begins at `at` (at < text.size()).
std::size_t nextCharacter(std::u16string_view text, std::size_t at);

}  // namespace model
