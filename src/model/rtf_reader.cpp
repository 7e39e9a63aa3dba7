#include "model/rtf_reader.h"

#include <algorithm>

#include "platform/utf8.h"

namespace model {

namespace {

constexpr int kEnd = -1;

enum class Kind : std::uint8_t { Character, Destination, Property, Special };
enum Special : std::uint8_t { kBin, kHex, kSkipDest };

struct Keyword {
    std::string_view word;
    Kind kind;
    std::uint8_t index;  // the character written, or the special action
};

constexpr Keyword kKeywords[] = {
    {"par", Kind::Character, '\n'},
    {"\n", Kind::Character, '\n'},
    {"\r", Kind::Character, '\n'},
    {"emspace", Kind::Character, ' '},
    {"enspace", Kind::Character, ' '},
    {"~", Kind::Character, ' '},
    {"lquote", Kind::Character, '\''},
    {"rquote", Kind::Character, '\''},
    {"-", Kind::Character, '-'},
    {"_", Kind::Character, '-'},
    {"emdash", Kind::Character, '-'},
    {"endash", Kind::Character, '-'},
    {"line", Kind::Character, '\n'},
    {"page", Kind::Character, '\n'},
    {"pagebb", Kind::Character, '\n'},
    {"outlinelevel", Kind::Character, '\n'},
    {"tab", Kind::Character, '\t'},
    {"ldblquote", Kind::Character, '"'},
    {"rdblquote", Kind::Character, '"'},
    {"{", Kind::Character, '{'},
    {"}", Kind::Character, '}'},
    {"\\", Kind::Character, '\\'},
    {"author", Kind::Destination, 0},
    {"buptim", Kind::Destination, 0},
    {"colortbl", Kind::Destination, 0},
    {"comment", Kind::Destination, 0},
    {"creatim", Kind::Destination, 0},
    {"doccomm", Kind::Destination, 0},
    {"fonttbl", Kind::Destination, 0},
    {"footer", Kind::Destination, 0},
    {"footerf", Kind::Destination, 0},
    {"footerl", Kind::Destination, 0},
    {"footerr", Kind::Destination, 0},
    {"footnote", Kind::Destination, 0},
    {"ftncn", Kind::Destination, 0},
    {"ftnsep", Kind::Destination, 0},
    {"ftnsepc", Kind::Destination, 0},
    {"header", Kind::Destination, 0},
    {"headerf", Kind::Destination, 0},
    {"headerl", Kind::Destination, 0},
    {"headerr", Kind::Destination, 0},
    {"info", Kind::Destination, 0},
    {"keywords", Kind::Destination, 0},
    {"operator", Kind::Destination, 0},
    {"pict", Kind::Destination, 0},
    {"printim", Kind::Destination, 0},
    {"private1", Kind::Destination, 0},
    {"revtim", Kind::Destination, 0},
    {"rxe", Kind::Destination, 0},
    {"stylesheet", Kind::Destination, 0},
    {"subject", Kind::Destination, 0},
    {"tc", Kind::Destination, 0},
    {"title", Kind::Destination, 0},
    {"txe", Kind::Destination, 0},
    {"xe", Kind::Destination, 0},
    {"f", Kind::Property, 0},
    {"fs", Kind::Property, 0},
    {"b", Kind::Property, 0},
    {"i", Kind::Property, 0},
    {"li", Kind::Property, 0},
    {"ri", Kind::Property, 0},
    {"fi", Kind::Property, 0},
    {"qc", Kind::Property, 0},
    {"ql", Kind::Property, 0},
    {"qr", Kind::Property, 0},
    {"qj", Kind::Property, 0},
    {"bin", Kind::Special, kBin},
    {"*", Kind::Special, kSkipDest},
    {"'", Kind::Special, kHex},
};
static_assert(std::size(kKeywords) == 69);

const Keyword* findKeyword(std::string_view word) {
    for (const Keyword& k : kKeywords) {
        if (k.word == word) return &k;
    }
    return nullptr;
}

bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(int c) { return c >= '0' && c <= '9'; }

int hexDigit(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Bytes from hexadecimal escapes and binary runs are code page 1252.
std::uint32_t cp1252(unsigned b) {
    static constexpr std::uint16_t kHigh[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b;
}

bool isHighSurrogate(std::uint32_t cp) { return cp >= 0xD800 && cp < 0xDC00; }
bool isLowSurrogate(std::uint32_t cp) { return cp >= 0xDC00 && cp < 0xE000; }

}  // namespace

std::string RTFReader::ConvertRTFtoString(std::string_view rtf) {
    RTFReader reader(rtf);
    return reader.initwithRTF();
}

std::string RTFReader::initwithRTF() {
    destinationString_.reserve(source_.size());
    if (!parse()) return "";
    return std::move(destinationString_);
}

bool RTFReader::parse() {
    for (int c = getCharacterFromBuffer(); c != kEnd; c = getCharacterFromBuffer()) {
        if (internalState_ == Internal::Binary) {
            if (cbBin_-- <= 1) internalState_ = Internal::Normal;
            if (!binaryDropped_) parseCharacter(cp1252(static_cast<unsigned>(c)));
            continue;
        }
        switch (c) {
            case '\n':
            case '\r':
                break;
            case '\\':
                if (!parseNextKeyword()) return false;
                break;
            case '{':
                if (!pushState()) return false;
                break;
            case '}':
                if (!popState()) return false;
                break;
            default:
                if (internalState_ == Internal::Hex) {
                    const int digit = hexDigit(c);
                    if (digit < 0) return false;
                    hexValue_ = hexValue_ * 16 + static_cast<unsigned>(digit);
                    if (++hexDigits_ == 2) {
                        const unsigned value = hexValue_;
                        internalState_ = Internal::Normal;
                        hexValue_ = 0;
                        hexDigits_ = 0;
                        parseCharacter(cp1252(value));
                    }
                } else if (c >= 0x80) {
                    readUtf8Character(static_cast<unsigned char>(c));
                } else {
                    parseCharacter(static_cast<std::uint32_t>(c));
                }
        }
    }
    if (!psave_.empty()) return false;
    if (pendingHigh_ != 0) platform::appendUtf8(destinationString_, 0xFFFD);
    return true;
}

int RTFReader::getCharacterFromBuffer() {
    if (putBufferLength_ > 0) return putBuffer_[--putBufferLength_];
    if (bufferPosition_ < source_.size()) return static_cast<unsigned char>(source_[bufferPosition_++]);
    return kEnd;
}

void RTFReader::putCharacter(int c) {
    if (putBufferLength_ < putBuffer_.size()) putBuffer_[putBufferLength_++] = static_cast<unsigned char>(c);
}

bool RTFReader::parseNextKeyword() {
    int c = getCharacterFromBuffer();
    if (c == kEnd) return false;
    if (!isLetter(c)) {
        const char symbol = static_cast<char>(c);
        translateKeyword(std::string_view(&symbol, 1), false);
        return true;
    }
    std::array<char, kMaxKeywordLength> word{};
    std::size_t length = 0;
    while (isLetter(c)) {
        if (length == word.size()) return false;
        word[length++] = static_cast<char>(c);
        c = getCharacterFromBuffer();
    }
    bool negative = false;
    if (c == '-') {
        negative = true;
        c = getCharacterFromBuffer();
        if (c == kEnd) return false;
    }
    bool hasParam = false;
    if (isDigit(c)) {
        // Saturates far below the top of the type, so no value wraps.
        constexpr std::int64_t kSaturation = 100'000'000'000'000'000;
        std::int64_t value = 0;
        std::size_t digits = 0;
        while (isDigit(c)) {
            if (++digits > kMaxParameterDigits) return false;
            if (value < kSaturation) value = value * 10 + (c - '0');
            c = getCharacterFromBuffer();
        }
        lParam_ = negative ? -value : value;
        hasParam = true;
    }
    if (c != ' ' && c != kEnd) putCharacter(c);
    translateKeyword(std::string_view(word.data(), length), hasParam);
    return true;
}

void RTFReader::translateKeyword(std::string_view keyword, bool hasParam) {
    // While the fallback of a \u is skipped, a control word or symbol counts as one
    // character (a binary run with its \bin); a hexadecimal escape counts when it ends.
    if (fallbackLeft_ > 0 && keyword != "'") {
        --fallbackLeft_;
        if (keyword == "bin") {
            internalState_ = Internal::Binary;
            cbBin_ = std::max<std::int64_t>(lParam_, 0);
            binaryDropped_ = true;
        }
        return;
    }
    const Keyword* entry = findKeyword(keyword);
    if (!entry) {
        if (fSkipDestIfUnk_) destinationState_ = Destination::Skip;
        fSkipDestIfUnk_ = false;
        unicodeKeyword(keyword, hasParam);
        return;
    }
    fSkipDestIfUnk_ = false;
    switch (entry->kind) {
        case Kind::Character:
            parseCharacter(entry->index);
            break;
        case Kind::Destination:
            destinationState_ = Destination::Skip;
            break;
        case Kind::Property:
            break;
        case Kind::Special:
            if (entry->index == kBin) {
                internalState_ = Internal::Binary;
                cbBin_ = std::max<std::int64_t>(lParam_, 0);
                binaryDropped_ = false;
            } else if (destinationState_ != Destination::Skip) {
                if (entry->index == kHex) internalState_ = Internal::Hex;
                if (entry->index == kSkipDest) fSkipDestIfUnk_ = true;
            }
            break;
    }
}

// \uN writes the UTF-16 unit N (negative N as N + 65536) and skips the \ucN
// fallback characters after it; \ucN holds until its group closes.
void RTFReader::unicodeKeyword(std::string_view keyword, bool hasParam) {
    if (!hasParam) return;
    if (keyword == "uc") {
        unicodeSkip_ = std::clamp<std::int64_t>(lParam_, 0, 0xFFFF);
    } else if (keyword == "u" && destinationState_ == Destination::Normal) {
        const std::int64_t n = lParam_ < 0 ? lParam_ + 0x10000 : lParam_;
        parseCharacter(n >= 0 && n <= 0xFFFF ? static_cast<std::uint32_t>(n) : 0xFFFD);
        fallbackLeft_ = unicodeSkip_;
    }
}

// A character of the input text arrives as its UTF-8 bytes; a broken
// sequence reads as U+FFFD and its first foreign byte is read again.
void RTFReader::readUtf8Character(unsigned char lead) {
    const int length = platform::utf8SequenceLength(lead);
    if (length == 0) {
        parseCharacter(0xFFFD);
        return;
    }
    std::uint32_t cp = lead & (0x7Fu >> length);
    for (int k = 1; k < length; ++k) {
        const int next = getCharacterFromBuffer();
        const bool fits = next != kEnd && (k == 1 ? platform::utf8SecondByteFits(lead, static_cast<unsigned char>(next))
                                                  : (next & 0xC0) == 0x80);
        if (!fits) {
            if (next != kEnd) putCharacter(next);
            parseCharacter(0xFFFD);
            return;
        }
        cp = (cp << 6) | (static_cast<unsigned>(next) & 0x3F);
    }
    parseCharacter(cp);
}

void RTFReader::parseCharacter(std::uint32_t cp) {
    if (destinationState_ == Destination::Skip) return;
    if (fallbackLeft_ > 0) {
        --fallbackLeft_;
        return;
    }
    storeCharacter(cp);
}

void RTFReader::storeCharacter(std::uint32_t cp) {
    if (pendingHigh_ != 0) {
        if (isLowSurrogate(cp)) {
            cp = 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (cp - 0xDC00);
            pendingHigh_ = 0;
            platform::appendUtf8(destinationString_, cp);
            return;
        }
        pendingHigh_ = 0;
        platform::appendUtf8(destinationString_, 0xFFFD);
    }
    if (isHighSurrogate(cp)) {
        pendingHigh_ = cp;
        return;
    }
    platform::appendUtf8(destinationString_, isLowSurrogate(cp) ? 0xFFFD : cp);
}

bool RTFReader::pushState() {
    if (psave_.size() >= kMaxGroupDepth) return false;
    fallbackLeft_ = 0;
    psave_.push_back(Save{destinationState_, internalState_, unicodeSkip_});
    internalState_ = Internal::Normal;
    return true;
}

bool RTFReader::popState() {
    fallbackLeft_ = 0;
    if (psave_.empty()) return false;
    destinationState_ = psave_.back().destination;
    internalState_ = psave_.back().internal;
    unicodeSkip_ = psave_.back().unicodeSkip;
    psave_.pop_back();
    return true;
}

}  // namespace model
