#pragma once
// The one rule for a text from the server, a chat partner or a file before it
// is laid out, measured, printed or made a window title: at most a display
// length of UTF-16 units and kMaxShownLines lines, cut where a character
// (model/text_character.h) begins, then "…"; at most kMaxMarksPerCharacter
// marks kept on one character, "…" where more were; and the explicit
// bidirectional controls (U+202A-U+202E, U+2066-U+2069) shown as U+FFFD, so
// that the text cannot reorder itself or what surrounds it. Invalid UTF-8 and
// lone surrogates read as U+FFFD. Only what is shown is read: the cost is
// bounded by the display length, whatever the text's size. The rule of a
// shown text is that text.
#include <cstddef>
#include <string>
#include <string_view>

namespace model {

// A few screens of one line: more is never read, and laying it out costs.
inline constexpr std::size_t kMaxShownLength = 4000;
// Lines kept: a banner or a label of more runs past the screen.
inline constexpr std::size_t kMaxShownLines = 40;
// Marks, joiners and modifiers kept after a character's base: more than any
// script or emoji sequence needs, few enough that a pile costs no layout time.
inline constexpr std::size_t kMaxMarksPerCharacter = 16;

// Shown: the bidirectional controls become U+FFFD (a server text). Kept: for a
// text the app composed with isolates of its own around shown parts.
enum class BidiControls { Shown, Kept };

std::u16string shownText(std::u16string_view text, std::size_t maxLength = kMaxShownLength,
                         BidiControls controls = BidiControls::Shown);
std::string shownText(std::string_view utf8, std::size_t maxLength = kMaxShownLength,
                      BidiControls controls = BidiControls::Shown);
// UTF-8 in, UTF-16 out: what the kit hands to Qt.
std::u16string shownUtf16(std::string_view utf8, std::size_t maxLength = kMaxShownLength,
                          BidiControls controls = BidiControls::Shown);

// True when the rule leaves the text as it is: printable ASCII only, within
// maxLength (no mark, control, line break or cut applies).
bool shownAsIs(std::string_view utf8, std::size_t maxLength = kMaxShownLength);

bool isBidiControl(char32_t c);
// General category M (Mn, Mc, Me), as Qt's tables have it.
bool isCombiningMark(char32_t c);

}  // namespace model
