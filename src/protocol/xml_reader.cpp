#include "protocol/xml_reader.h"

#include <algorithm>

#include <cstring>
#include <utility>

#include "platform/log.h"

namespace protocol {

namespace {

constexpr std::string_view kCDATAStart = "<![CDATA[";
constexpr std::string_view kCDATAEnd = "]]>";
constexpr std::string_view kCommentStart = "<!--";
constexpr std::string_view kCommentEnd = "-->";

bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool beginsWith(const char* p, const char* end, std::string_view s) {
    return static_cast<std::size_t>(end - p) >= s.size() && std::memcmp(p, s.data(), s.size()) == 0;
}

char* findChar(char* from, char* end, char c) {
    if (from >= end) return nullptr;
    return static_cast<char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
}

char* findText(char* from, char* end, std::string_view needle) {
    while (from < end) {
        char* p = findChar(from, end, needle[0]);
        if (!p) return nullptr;
        if (beginsWith(p, end, needle)) return p;
        from = p + 1;
    }
    return nullptr;
}

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Characters a reference may stand for: XML's Char production. Control bytes
// (our wire separators among them) and NUL stay written as references.
bool isXMLChar(std::uint32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

std::size_t encodeUTF8(std::uint32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

// Reads the reference starting at the "&" at p. Returns the number of bytes
// written to out (0 when it is not a reference we decode) and sets consumed.
// The output is never longer than the reference itself.
std::size_t decodeReference(const char* p, const char* end, char* out, std::size_t& consumed) {
    const char* q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        bool hex = false;
        if (q < end && *q == 'x') {
            hex = true;
            ++q;
        }
        std::uint32_t cp = 0;
        int digits = 0;
        for (; q < end; ++q) {
            int v = digitValue(*q, hex);
            if (v < 0) break;
            cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
            if (cp > 0x10FFFF) return 0;
            ++digits;
        }
        if (digits == 0 || q >= end || *q != ';' || !isXMLChar(cp)) return 0;
        consumed = static_cast<std::size_t>(q + 1 - p);
        return encodeUTF8(cp, out);
    }
    static constexpr struct {
        std::string_view name;
        char value;
    } kEntities[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
    for (const auto& e : kEntities) {
        if (beginsWith(q, end, e.name)) {
            out[0] = e.value;
            consumed = 1 + e.name.size();
            return 1;
        }
    }
    return 0;
}

// Decodes the references of [r, end) into w (w <= r); returns the new write end.
char* decodeEntities(char* r, char* end, char* w) {
    while (r < end) {
        char* amp = findChar(r, end, '&');
        if (!amp) amp = end;
        std::size_t plain = static_cast<std::size_t>(amp - r);
        if (w != r) std::memmove(w, r, plain);
        w += plain;
        r = amp;
        if (r == end) break;
        char out[4];
        std::size_t consumed = 0;
        std::size_t n = decodeReference(r, end, out, consumed);
        if (n == 0) {
            *w++ = *r++;
            continue;
        }
        std::memcpy(w, out, n);
        w += n;
        r += consumed;
    }
    return w;
}

// A text being collected in the buffer, with the CDATA content inside it that
// must stay literal. The ranges lie in order inside the text.
struct PendingText {
    char* start = nullptr;
    std::vector<std::pair<char*, char*>> literal;

    void begin(char* s) {
        start = s;
        literal.clear();
    }
    void protect(char* from, char* to) {
        if (start) literal.emplace_back(from, to);
    }
    // The text ends at `stop`: decode it in place and end it with NUL.
    void finish(char* stop) {
        if (!start) return;
        char* r = start;
        char* w = start;
        for (auto [from, to] : literal) {
            w = decodeEntities(r, from, w);
            std::size_t n = static_cast<std::size_t>(to - from);
            if (w != from) std::memmove(w, from, n);
            w += n;
            r = to;
        }
        w = decodeEntities(r, stop, w);
        if (w != stop) *w = '\0';
        start = nullptr;
        literal.clear();
    }
};

// Removes the CDATA markers of an attribute value and decodes the rest.
void finishAttributeValue(char* value, char* end) {
    char* r = value;
    char* w = value;
    while (r < end) {
        char* cdata = findText(r, end, kCDATAStart);
        if (!cdata) {
            w = decodeEntities(r, end, w);
            break;
        }
        w = decodeEntities(r, cdata, w);
        char* content = cdata + kCDATAStart.size();
        char* close = findText(content, end, kCDATAEnd);
        if (!close) close = end;
        std::size_t n = static_cast<std::size_t>(close - content);
        std::memmove(w, content, n);
        w += n;
        r = close == end ? end : close + kCDATAEnd.size();
    }
    *w = '\0';
}

// An upper bound of the start tags: every "<" that does not begin a closing
// tag, a comment, CDATA or a declaration.
std::size_t possibleElements(const char* p, std::size_t length) {
    const char* const end = p + length;
    std::size_t count = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p))))) {
        ++p;
        if (p == end || (*p != '/' && *p != '!' && *p != '?')) ++count;
    }
    return count;
}

void trimText(TBXMLElement* element) {
    char* t = element->text;
    if (!t) return;
    while (isWhite(*t)) ++t;
    std::size_t n = std::strlen(t);
    while (n > 0 && isWhite(t[n - 1])) t[--n] = '\0';
    element->text = t;
}

}  // namespace

XMLReader::XMLReader() = default;

XMLReader::XMLReader(std::string_view text, std::size_t maxElements) {
    load(text.data(), text.size(), maxElements);
}

XMLReader::XMLReader(std::span<const std::uint8_t> data, std::size_t maxElements) {
    load(reinterpret_cast<const char*>(data.data()), data.size(), maxElements);
}

XMLReader::~XMLReader() = default;

XMLReader::XMLReader(XMLReader&& other) noexcept
    : rootXMLElement_(std::exchange(other.rootXMLElement_, nullptr)),
      elementBlocks_(std::move(other.elementBlocks_)),
      attributeBlocks_(std::move(other.attributeBlocks_)),
      currentElement_(std::exchange(other.currentElement_, 0)),
      currentAttribute_(std::exchange(other.currentAttribute_, 0)),
      bytes_(std::move(other.bytes_)),
      bytesLength_(std::exchange(other.bytesLength_, 0)),
      refusal_(std::move(other.refusal_)) {
    other.elementBlocks_.clear();
    other.attributeBlocks_.clear();
}

XMLReader& XMLReader::operator=(XMLReader&& other) noexcept {
    if (this != &other) {
        rootXMLElement_ = std::exchange(other.rootXMLElement_, nullptr);
        elementBlocks_ = std::move(other.elementBlocks_);
        attributeBlocks_ = std::move(other.attributeBlocks_);
        currentElement_ = std::exchange(other.currentElement_, 0);
        currentAttribute_ = std::exchange(other.currentAttribute_, 0);
        bytes_ = std::move(other.bytes_);
        bytesLength_ = std::exchange(other.bytesLength_, 0);
        refusal_ = std::move(other.refusal_);
        other.elementBlocks_.clear();
        other.attributeBlocks_.clear();
    }
    return *this;
}

std::unique_ptr<XMLReader> XMLReader::fromText(std::string_view text) {
    return std::make_unique<XMLReader>(text);
}

std::unique_ptr<XMLReader> XMLReader::fromData(std::span<const std::uint8_t> data) {
    return std::make_unique<XMLReader>(data);
}

void XMLReader::load(const char* data, std::size_t length, std::size_t maxElements) {
    if (!data || length == 0) return;
    // A NUL byte ends the document.
    if (const void* nul = std::memchr(data, '\0', length)) {
        length = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
    }
    if (possibleElements(data, length) > maxElements) {
        refusal_ = "XML document with more than " + std::to_string(maxElements) + " elements refused";
        platform::Log::warning(refusal_);
        return;
    }
    // Each attribute value is quoted: two quotes per attribute at least.
    const auto quotes = static_cast<std::size_t>(std::count(data, data + length, '"') + std::count(data, data + length, '\''));
    if (quotes / 2 > maxElements) {
        refusal_ = "XML document with more than " + std::to_string(maxElements) + " attributes refused";
        platform::Log::warning(refusal_);
        return;
    }
    bytes_ = std::make_unique<char[]>(length + 1);
    std::memcpy(bytes_.get(), data, length);
    bytes_[length] = '\0';
    bytesLength_ = length;
    decodeBytes();
}

TBXMLElement* XMLReader::nextAvailableElement() {
    if (elementBlocks_.empty() || currentElement_ >= kRecordsPerBlock) {
        elementBlocks_.push_back(std::make_unique<TBXMLElement[]>(kRecordsPerBlock));
        currentElement_ = 0;
    }
    TBXMLElement* element = &elementBlocks_.back()[currentElement_++];
    if (!rootXMLElement_) rootXMLElement_ = element;
    return element;
}

TBXMLAttribute* XMLReader::nextAvailableAttribute() {
    if (attributeBlocks_.empty() || currentAttribute_ >= kRecordsPerBlock) {
        attributeBlocks_.push_back(std::make_unique<TBXMLAttribute[]>(kRecordsPerBlock));
        currentAttribute_ = 0;
    }
    return &attributeBlocks_.back()[currentAttribute_++];
}

// One pass from "<" to "<" with the open element as the only state, so the
// depth of the document costs no stack.
void XMLReader::decodeBytes() {
    char* const end = bytes_.get() + bytesLength_;
    TBXMLElement* open = nullptr;
    PendingText pending;

    char* lt = findChar(bytes_.get(), end, '<');
    while (lt) {
        if (beginsWith(lt, end, kCommentStart)) {
            // Skipped, but left inside the surrounding text.
            char* close = findText(lt + kCommentStart.size(), end, kCommentEnd);
            if (!close) break;
            lt = findChar(close + kCommentEnd.size(), end, '<');
            continue;
        }

        if (beginsWith(lt, end, kCDATAStart)) {
            // The next tag, past any further CDATA sections.
            char* next = lt;
            while (next && beginsWith(next, end, kCDATAStart)) {
                char* close = findText(next + kCDATAStart.size(), end, kCDATAEnd);
                next = close ? findChar(close + kCDATAEnd.size(), end, '<') : nullptr;
            }
            if (!next) {
                pending.protect(lt, end);
                break;
            }
            // Drop the markers of every section before that tag: each content moves
            // over its "<![CDATA[", the text after its "]]>" moves along, and the
            // freed bytes become spaces just before the tag, which trimming removes.
            // One pass for the whole run keeps a long run of sections linear.
            char* w = lt;
            for (char* section = lt; section < next;) {
                char* content = section + kCDATAStart.size();
                char* close = findText(content, next, kCDATAEnd);
                std::size_t contentLength = static_cast<std::size_t>(close - content);
                std::memmove(w, content, contentLength);
                pending.protect(w, w + contentLength);
                w += contentLength;
                char* after = close + kCDATAEnd.size();
                char* following = findChar(after, next, '<');
                if (!following) following = next;
                std::size_t plainLength = static_cast<std::size_t>(following - after);
                std::memmove(w, after, plainLength);
                w += plainLength;
                section = following;
            }
            std::memset(w, ' ', static_cast<std::size_t>(next - w));
            lt = next;
            continue;
        }

        // A tag ends at the first "<" or ">" outside CDATA; quotes do not protect.
        char* tagEnd = nullptr;
        for (char* p = lt + 1; p < end;) {
            if (*p == '>') {
                tagEnd = p;
                break;
            }
            if (*p == '<') {
                if (!beginsWith(p, end, kCDATAStart)) {
                    tagEnd = p;
                    break;
                }
                char* e = findText(p + kCDATAStart.size(), end, kCDATAEnd);
                if (!e) break;
                p = e + kCDATAEnd.size();
                continue;
            }
            ++p;
        }
        if (!tagEnd) break;

        const bool selfClosing = tagEnd[-1] == '/' && tagEnd - 1 > lt;
        *tagEnd = '\0';
        *lt = '\0';
        pending.finish(lt);

        const char kind = lt[1];
        if (kind == '!' || kind == '?') {
            // Declaration or processing instruction.
        } else if (kind == '/') {
            // Closing tag; its name is not checked.
            if (open) {
                trimText(open);
                open = open->parent;
                if (open && open->firstChild) open->text = nullptr;
            }
        } else {
            TBXMLElement* element = nextAvailableElement();
            element->name = lt + 1;
            if (open) {
                element->parent = open;
                if (!open->firstChild) open->firstChild = element;
                if (open->lastChild) {
                    open->lastChild->nextSibling = element;
                    element->previousSibling = open->lastChild;
                }
                open->lastChild = element;
            }

            char* nameEnd = lt + 1;
            while (nameEnd < tagEnd && *nameEnd != ' ' && *nameEnd != '/') ++nameEnd;
            if (nameEnd < tagEnd) {
                *nameEnd = '\0';
                readAttributes(element, nameEnd + 1, tagEnd);
            }

            if (!selfClosing) {
                open = element;
                char* text = tagEnd + 1;
                if (text >= end || *text != '>') {
                    element->text = text;
                    pending.begin(text);
                }
            }
        }
        lt = findChar(tagEnd + 1, end, '<');
    }
    pending.finish(end);
}

void XMLReader::readAttributes(TBXMLElement* element, char* from, char* tagEnd) {
    enum class State { Between, InName, BeforeValue, InValue, InCDATA };
    State state = State::Between;
    char* name = nullptr;
    char* value = nullptr;
    char quote = '\0';
    TBXMLAttribute* last = nullptr;

    for (char* c = from; c < tagEnd; ++c) {
        switch (state) {
            case State::Between:
                if (!isWhite(*c)) {
                    name = c;
                    state = State::InName;
                }
                break;
            case State::InName:
                if (*c == '=' || isWhite(*c)) {
                    *c = '\0';
                    state = State::BeforeValue;
                }
                break;
            case State::BeforeValue:
                if (*c == '\'' || *c == '"') {
                    quote = *c;
                    value = c + 1;
                    state = State::InValue;
                }
                break;
            case State::InValue:
                if (*c == '<' && beginsWith(c, tagEnd, kCDATAStart)) {
                    c += kCDATAStart.size() - 1;
                    state = State::InCDATA;
                } else if (*c == quote) {
                    *c = '\0';
                    finishAttributeValue(value, c);
                    TBXMLAttribute* attribute = nextAvailableAttribute();
                    attribute->name = name;
                    attribute->value = value;
                    if (last) {
                        last->next = attribute;
                    } else {
                        element->firstAttribute = attribute;
                    }
                    last = attribute;
                    state = State::Between;
                }
                break;
            case State::InCDATA:
                if (beginsWith(c, tagEnd, kCDATAEnd)) {
                    c += kCDATAEnd.size() - 1;
                    state = State::InValue;
                }
                break;
        }
    }
}

std::string XMLReader::elementName(const TBXMLElement* element) {
    return element && element->name ? std::string(element->name) : std::string();
}

std::string XMLReader::textForElement(const TBXMLElement* element) {
    return element && element->text ? std::string(element->text) : std::string();
}

std::string XMLReader::attributeName(const TBXMLAttribute* attribute) {
    return attribute && attribute->name ? std::string(attribute->name) : std::string();
}

std::string XMLReader::attributeValue(const TBXMLAttribute* attribute) {
    return attribute && attribute->value ? std::string(attribute->value) : std::string();
}

std::optional<std::string> XMLReader::valueOfAttributeNamed(std::string_view name,
                                                            const TBXMLElement* element) {
    if (!element) return std::nullopt;
    for (const TBXMLAttribute* a = element->firstAttribute; a; a = a->next) {
        if (a->name && std::string_view(a->name) == name) return attributeValue(a);
    }
    return std::nullopt;
}

TBXMLElement* XMLReader::childElementNamed(std::string_view name, const TBXMLElement* parentElement) {
    if (!parentElement) return nullptr;
    for (TBXMLElement* e = parentElement->firstChild; e; e = e->nextSibling) {
        if (e->name && std::string_view(e->name) == name) return e;
    }
    return nullptr;
}

TBXMLElement* XMLReader::nextSiblingNamed(std::string_view name, const TBXMLElement* searchFromElement) {
    if (!searchFromElement) return nullptr;
    for (TBXMLElement* e = searchFromElement->nextSibling; e; e = e->nextSibling) {
        if (e->name && std::string_view(e->name) == name) return e;
    }
    return nullptr;
}

}  // namespace protocol
