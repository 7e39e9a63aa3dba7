#include "protocol/xml_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/log.h"
#include "protocol/byte_scan.h"
#include "protocol/xml_entities.h"

namespace protocol {

namespace {

constexpr std::string_view kCDATAStart = "<![CDATA[";
constexpr std::string_view kCDATAEnd = "]]>";
constexpr std::string_view kCommentStart = "<!--";
constexpr std::string_view kCommentEnd = "-->";

using bytes::isWhite;
using bytes::skipWhite;

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
            w = decodeXmlEntities(r, from, w);
            std::size_t n = static_cast<std::size_t>(to - from);
            if (w != from) std::memmove(w, from, n);
            w += n;
            r = to;
        }
        w = decodeXmlEntities(r, stop, w);
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
            w = decodeXmlEntities(r, end, w);
            break;
        }
        w = decodeXmlEntities(r, cdata, w);
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

// What the caps count, each in one pass: every "<" that does not begin a closing
// tag, a comment, CDATA or a declaration (an upper bound of the start tags),
// and every quote.
struct Tally {
    std::size_t starts = 0;
    std::size_t quotes = 0;
};

Tally tally(const char* p, std::size_t length) {
    return {bytes::countOf(p, p + length, bytes::ByteSet<'<'>{}, bytes::ByteSet<'/', '!', '?'>{}),
            bytes::countOf(p, p + length, bytes::ByteSet<'"', '\''>{})};
}

// Spare record blocks of this thread, taken by its next readers.
template <typename Record>
std::vector<std::unique_ptr<Record[]>>& spareBlocks() {
    thread_local std::vector<std::unique_ptr<Record[]>> spare;
    return spare;
}

// A block from the spares or a new one; records are zeroed when taken.
template <typename Record>
std::unique_ptr<Record[]> takeBlock() {
    auto& spare = spareBlocks<Record>();
    if (spare.empty()) return std::unique_ptr<Record[]>(new Record[XMLReader::kRecordsPerBlock]);
    std::unique_ptr<Record[]> block = std::move(spare.back());
    spare.pop_back();
    return block;
}

template <typename Record>
void keepBlocks(std::vector<std::unique_ptr<Record[]>>& blocks, std::size_t most) {
    auto& spare = spareBlocks<Record>();
    for (auto& block : blocks) {
        if (spare.size() >= most) break;
        spare.push_back(std::move(block));
    }
    blocks.clear();
}

std::uint64_t load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
std::uint32_t load4(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Whether the n bytes at a and b are the same, a word at a time.
[[gnu::always_inline]] inline bool sameBytes(const char* a, const char* b, std::size_t n) {
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8)
            if (load8(a + i) != load8(b + i)) return false;
        return load8(a + n - 8) == load8(b + n - 8);
    }
    if (n >= 4) return load4(a) == load4(b) && load4(a + n - 4) == load4(b + n - 4);
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// Whether the closing tag's name [name, end) is `open`'s (NUL-terminated), white
// space before its ">" allowed. The open name lies earlier in the same buffer, so
// reading it as far as the closing name's length stays inside the buffer.
bool closes(const char* name, const char* end, const char* open) {
    auto n = static_cast<std::size_t>(end - name);
    if (open[n] == '\0' && sameBytes(open, name, n)) return true;
    while (end > name && isWhite(end[-1])) --end;
    if (static_cast<std::size_t>(end - name) == n) return false;
    n = static_cast<std::size_t>(end - name);
    return open[n] == '\0' && sameBytes(open, name, n);
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
    load(text.data(), text.size(), maxElements, nullptr);
}

XMLReader::XMLReader(std::span<const std::uint8_t> data, std::size_t maxElements) {
    load(reinterpret_cast<const char*>(data.data()), data.size(), maxElements, nullptr);
}

XMLReader XMLReader::adopt(std::string&& document, std::size_t maxElements) {
    XMLReader reader;
    reader.load(document.data(), document.size(), maxElements, &document);
    return reader;
}

XMLReader::~XMLReader() { releaseBlocks(); }

void XMLReader::releaseSpareBlocks() {
    std::vector<std::unique_ptr<TBXMLElement[]>>().swap(spareBlocks<TBXMLElement>());
    std::vector<std::unique_ptr<TBXMLAttribute[]>>().swap(spareBlocks<TBXMLAttribute>());
}

void XMLReader::releaseBlocks() {
    keepBlocks(elementBlocks_, kSpareElementBlocks);
    keepBlocks(attributeBlocks_, kSpareAttributeBlocks);
}

XMLReader::XMLReader(XMLReader&& other) noexcept
    : rootXMLElement_(std::exchange(other.rootXMLElement_, nullptr)),
      elementBlocks_(std::move(other.elementBlocks_)),
      attributeBlocks_(std::move(other.attributeBlocks_)),
      currentElement_(std::exchange(other.currentElement_, 0)),
      currentAttribute_(std::exchange(other.currentAttribute_, 0)),
      bytes_(std::move(other.bytes_)),
      bytesLength_(std::exchange(other.bytesLength_, 0)),
      refusal_(std::move(other.refusal_)),
      rootClosed_(std::exchange(other.rootClosed_, false)) {
    other.elementBlocks_.clear();
    other.attributeBlocks_.clear();
}

XMLReader& XMLReader::operator=(XMLReader&& other) noexcept {
    if (this != &other) {
        releaseBlocks();
        rootXMLElement_ = std::exchange(other.rootXMLElement_, nullptr);
        elementBlocks_ = std::move(other.elementBlocks_);
        attributeBlocks_ = std::move(other.attributeBlocks_);
        currentElement_ = std::exchange(other.currentElement_, 0);
        currentAttribute_ = std::exchange(other.currentAttribute_, 0);
        bytes_ = std::move(other.bytes_);
        bytesLength_ = std::exchange(other.bytesLength_, 0);
        refusal_ = std::move(other.refusal_);
        rootClosed_ = std::exchange(other.rootClosed_, false);
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

void XMLReader::load(const char* data, std::size_t length, std::size_t maxElements, std::string* owned) {
    if (!data || length == 0) return;
    // A NUL byte ends the document.
    if (const void* nul = std::memchr(data, '\0', length)) {
        length = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
    }
    const Tally counted = tally(data, length);
    if (counted.starts > maxElements) {
        refusal_ = "XML document with more than " + std::to_string(maxElements) + " elements refused";
        platform::Log::warning(refusal_);
        return;
    }
    // Each attribute value is quoted: two quotes per attribute at least.
    if (counted.quotes / 2 > maxElements) {
        refusal_ = "XML document with more than " + std::to_string(maxElements) + " attributes refused";
        platform::Log::warning(refusal_);
        return;
    }
    if (owned) {
        bytes_ = std::make_unique<std::string>(std::move(*owned));
        bytes_->resize(length);
    } else {
        bytes_ = std::make_unique<std::string>(data, length);
    }
    bytesLength_ = length;
    decodeBytes();
}

TBXMLElement* XMLReader::nextAvailableElement() {
    if (elementBlocks_.empty() || currentElement_ >= kRecordsPerBlock) {
        elementBlocks_.push_back(takeBlock<TBXMLElement>());
        currentElement_ = 0;
    }
    TBXMLElement* element = &elementBlocks_.back()[currentElement_++];
    *element = TBXMLElement{};
    if (!rootXMLElement_) rootXMLElement_ = element;
    return element;
}

TBXMLAttribute* XMLReader::nextAvailableAttribute() {
    if (attributeBlocks_.empty() || currentAttribute_ >= kRecordsPerBlock) {
        attributeBlocks_.push_back(takeBlock<TBXMLAttribute>());
        currentAttribute_ = 0;
    }
    TBXMLAttribute* attribute = &attributeBlocks_.back()[currentAttribute_++];
    *attribute = TBXMLAttribute{};
    return attribute;
}

// One pass from "<" to "<" with the open element as the only state, so the
// depth of the document costs no stack.
void XMLReader::decodeBytes() {
    char* const begin = bytes_->data();
    char* const end = begin + bytesLength_;
    TBXMLElement* open = nullptr;
    PendingText pending;
    // Leaving this loop, the root did not close (the document is cut short):
    // rootClosed_ stays false.

    char* lt = findChar(begin, end, '<');
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
            if (!open) return refuse("a closing tag with no open element", lt);
            if (!closes(lt + 2, tagEnd, open->name)) return refuse("a closing tag that does not match its element", lt);
            trimText(open);
            open = open->parent;
            if (!open) return readAfterRoot(tagEnd + 1);
            if (open->firstChild) open->text = nullptr;
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
            // Bytes up to " " end it too: white space, and control bytes no name holds.
            while (nameEnd < tagEnd && static_cast<unsigned char>(*nameEnd) > ' ' && *nameEnd != '/') ++nameEnd;
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
            } else if (!open) {
                return readAfterRoot(tagEnd + 1);
            }
        }
        lt = findChar(tagEnd + 1, end, '<');
    }
    pending.finish(end);
}

// After the root only white space, comments and processing instructions may come.
void XMLReader::readAfterRoot(char* from) {
    char* const end = bytes_->data() + bytesLength_;
    for (char* p = const_cast<char*>(skipWhite(from, end)); p < end; p = const_cast<char*>(skipWhite(p, end))) {
        if (*p != '<') return refuse("text after the root element", p);
        if (beginsWith(p, end, kCommentStart)) {
            char* close = findText(p + kCommentStart.size(), end, kCommentEnd);
            if (!close) return;  // unended
            p = close + kCommentEnd.size();
        } else if (p + 1 < end && p[1] == '?') {
            char* close = findChar(p + 2, end, '>');
            if (!close) return;  // unended
            p = close + 1;
        } else {
            return refuse(p + 1 < end && p[1] == '/'   ? "a closing tag with no open element"
                          : p + 1 < end && p[1] == '!' ? "markup after the root element"
                                                       : "a second root element",
                          p);
        }
    }
    rootClosed_ = true;
}

// What XML's document production refuses leaves an empty reader.
void XMLReader::refuse(const char* what, const char* at) {
    refusal_ = std::string("XML document refused: ") + what + " at byte " + std::to_string(at - bytes_->data());
    platform::Log::warning(refusal_);
    rootXMLElement_ = nullptr;
    rootClosed_ = false;
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
