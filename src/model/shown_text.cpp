#include "model/shown_text.h"

#include <array>

#include "model/text_character.h"
#include "platform/utf8.h"

namespace model {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kEllipsis = 0x2026;
constexpr std::size_t kNoLimit = std::size_t(-1);

std::size_t utf16Units(char32_t c) { return c >= 0x10000 ? 2 : 1; }

class Utf16Reader {
public:
    explicit Utf16Reader(std::u16string_view text) : text_(text) {}
    bool next(char32_t& c) {
        if (at_ == text_.size()) return false;
        const char16_t unit = text_[at_++];
        c = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && at_ < text_.size() && text_[at_] >= 0xDC00 && text_[at_] <= 0xDFFF)
            c = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text_[at_++] - 0xDC00);
        else if (unit >= 0xD800 && unit <= 0xDFFF)
            c = kReplacement;
        return true;
    }

private:
    std::u16string_view text_;
    std::size_t at_ = 0;
};

// Each invalid sequence (its longest valid start) reads as one U+FFFD.
class Utf8Reader {
public:
    explicit Utf8Reader(std::string_view text) : text_(text) {}
    bool next(char32_t& c) {
        if (at_ == text_.size()) return false;
        const auto lead = byte(at_++);
        const int length = platform::utf8SequenceLength(lead);
        c = kReplacement;
        if (length == 1) c = lead;
        if (length <= 1 || at_ == text_.size() || !platform::utf8SecondByteFits(lead, byte(at_))) return true;
        char32_t value = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k, ++at_) {
            if (at_ == text_.size() || (byte(at_) & 0xC0) != 0x80) return true;
            value = (value << 6) | (byte(at_) & 0x3F);
        }
        c = value;
        return true;
    }

private:
    unsigned char byte(std::size_t i) const { return static_cast<unsigned char>(text_[i]); }
    std::string_view text_;
    std::size_t at_ = 0;
};

struct Utf16Writer {
    std::u16string out;
    void put(char32_t c) {
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
};

struct Utf8Writer {
    std::string out;
    void put(char32_t c) { platform::appendUtf8(out, c); }
};

// The rule, over code points. A character is gathered whole before it is
// shown, so the cut falls where one begins; what a character holds beyond the
// bound is dropped and shown as "…".
template <class Reader, class Writer>
void apply(Reader reader, Writer& writer, std::size_t maxLength, BidiControls controls) {
    // Marks dropped from a pile are read at most this far before the rest is cut.
    const std::size_t readLimit = maxLength < kNoLimit / 4 ? 2 * maxLength + 64 : kNoLimit;
    const auto next = [&reader, controls](char32_t& c) {
        if (!reader.next(c)) return false;
        if (controls == BidiControls::Shown && isBidiControl(c)) c = kReplacement;
        return true;
    };
    std::array<char32_t, 1 + kMaxMarksPerCharacter> character{};
    CharacterJoiner joiner;
    std::size_t length = 0, read = 0, lines = 1;
    // Where the last character shown begins, when it ends in a sign that joins what follows:
    // a "…" after it would join it too, so a cut drops it.
    std::size_t prefixedAt = kNoLimit;
    char32_t c = 0;
    bool more = next(c), cut = false;
    while (more) {
        if (isLineBreak(c) && ++lines > kMaxShownLines) {
            cut = true;
            break;
        }
        std::size_t count = 0, units = utf16Units(c);
        character[count++] = c;
        joiner.start(c);
        bool dropped = false;
        ++read;
        while ((more = next(c)) && read < readLimit && joiner.take(c)) {
            ++read;
            if (count == character.size()) {
                dropped = true;
                continue;
            }
            character[count++] = c;
            units += utf16Units(c);
        }
        // Read no further: the rest is cut, and one "…" says so.
        const bool last = read >= readLimit && more;
        dropped = dropped && !last;
        if (length + units + (dropped ? 1 : 0) > maxLength) {
            cut = true;
            break;
        }
        prefixedAt = characterKind(character[count - 1]) == CharacterJoiner::Kind::Prepend && !dropped
                         ? writer.out.size()
                         : kNoLimit;
        for (std::size_t i = 0; i < count; ++i) writer.put(character[i]);
        if (dropped) writer.put(kEllipsis);
        length += units + (dropped ? 1 : 0);
        if (last) {
            cut = true;
            break;
        }
    }
    if (!cut) return;
    if (prefixedAt != kNoLimit) writer.out.resize(prefixedAt);
    writer.put(kEllipsis);
}

}  // namespace

bool shownAsIs(std::string_view utf8, std::size_t maxLength) {
    if (utf8.size() > maxLength) return false;
    for (const char c : utf8)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

bool isBidiControl(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

std::u16string shownText(std::u16string_view text, std::size_t maxLength, BidiControls controls) {
    Utf16Writer writer;
    apply(Utf16Reader(text), writer, maxLength, controls);
    return std::move(writer.out);
}

std::string shownText(std::string_view utf8, std::size_t maxLength, BidiControls controls) {
    Utf8Writer writer;
    apply(Utf8Reader(utf8), writer, maxLength, controls);
    return std::move(writer.out);
}

std::u16string shownUtf16(std::string_view utf8, std::size_t maxLength, BidiControls controls) {
    Utf16Writer writer;
    apply(Utf8Reader(utf8), writer, maxLength, controls);
    return std::move(writer.out);
}

}  // namespace model
