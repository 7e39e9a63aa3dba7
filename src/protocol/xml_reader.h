#pragma once
// A small forgiving in-memory XML reader. The document is copied once into a
// buffer of the reader's own (or handed over, by adopt()) and cut in place into NUL-terminated names, texts
// and attribute values; elements and attributes are plain records taken from
// pooled blocks and linked into a tree. Everything lives as long as the reader.
//
// Callers walk the tree themselves from `rootXMLElement()` through the
// `firstChild` / `nextSibling` links. Comments stay inside the text around
// them; a parent's text is dropped once a child with its own closing tag is
// read; CDATA content stays literal; the five predefined entities and numeric
// character references are decoded in texts and attribute values (never inside
// CDATA), anything else is left as written.
//
// Each closing tag must name the element it closes. A stray or mismatched
// closing tag, a second root element, or anything after the root but white
// space, comments and processing instructions refuses the document: it is
// logged, said by refusal(), and leaves no root. A document cut short is no
// refusal: it keeps what was read, and rootClosed() says it did not end.
//
// Each element costs a record of eight pointers, so the number of elements is
// capped: a document that may hold more (every "<" not followed by "/", "!" or
// "?" counts, before anything is copied) is refused, logged, and leaves an
// empty reader. Attributes are capped alike (two quotes count as one).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace protocol {

struct TBXMLAttribute {
    char* name;
    char* value;
    TBXMLAttribute* next;
};

struct TBXMLElement {
    char* name;
    char* text;  // none when the element has no text
    TBXMLAttribute* firstAttribute;
    TBXMLElement* parent;  // none for a top-level element
    TBXMLElement* firstChild;
    TBXMLElement* lastChild;
    TBXMLElement* nextSibling;
    TBXMLElement* previousSibling;
};

class XMLReader {
  public:
    static constexpr std::size_t kMaxElements = 4u * 1024u * 1024u;

    // An empty reader: no root, no records, no buffer.
    XMLReader();
    // Copies the document and parses it at once.
    explicit XMLReader(std::string_view text, std::size_t maxElements = kMaxElements);
    explicit XMLReader(std::span<const std::uint8_t> data, std::size_t maxElements = kMaxElements);
    ~XMLReader();

    XMLReader(const XMLReader&) = delete;
    XMLReader& operator=(const XMLReader&) = delete;
    // Records and texts are heap blocks, so pointers into them survive a move.
    XMLReader(XMLReader&&) noexcept;
    XMLReader& operator=(XMLReader&&) noexcept;

    // Takes the document's buffer over instead of copying it; the text is cut in place.
    static XMLReader adopt(std::string&& document, std::size_t maxElements = kMaxElements);
    // A reader of its own on the heap, for holders that keep one.
    static std::unique_ptr<XMLReader> fromText(std::string_view text);
    static std::unique_ptr<XMLReader> fromData(std::span<const std::uint8_t> data);

    // The first element of the document, or none.
    TBXMLElement* rootXMLElement() const { return rootXMLElement_; }
    // Why the document was refused; empty when it was read.
    const std::string& refusal() const { return refusal_; }
    // Whether the root was closed (by a closing tag or its own "/>") with no
    // element left open and no tag, comment or CDATA section left unended: false
    // for a document cut short, also where a NUL byte ended it.
    bool rootClosed() const { return rootClosed_; }

    // Empty text when the record or its text is none.
    static std::string elementName(const TBXMLElement* element);
    static std::string textForElement(const TBXMLElement* element);
    static std::string attributeName(const TBXMLAttribute* attribute);
    static std::string attributeValue(const TBXMLAttribute* attribute);

    // The value of the first attribute whose name matches exactly; none if no match.
    static std::optional<std::string> valueOfAttributeNamed(std::string_view name,
                                                            const TBXMLElement* element);
    // The first child whose name matches exactly; none if no match.
    static TBXMLElement* childElementNamed(std::string_view name, const TBXMLElement* parentElement);
    // The same search, starting at the element's next sibling.
    static TBXMLElement* nextSiblingNamed(std::string_view name, const TBXMLElement* searchFromElement);

    static constexpr std::size_t kRecordsPerBlock = 100;
    // Blocks a thread keeps for its next readers once one is released, so
    // that a large answer after another reuses memory already paged in.
    static constexpr std::size_t kSpareElementBlocks = 10'000;  // a million records, 64 MB
    static constexpr std::size_t kSpareAttributeBlocks = 5'000;
    // Frees the blocks this thread keeps, after an answer larger than the next ones will be.
    static void releaseSpareBlocks();

  private:
    // Checks the caps, then takes (or copies) the document and parses it;
    // nothing when empty or past a cap.
    void load(const char* data, std::size_t length, std::size_t maxElements, std::string* owned);
    void releaseBlocks();
    void decodeBytes();
    // Reads what follows the closed root; sets rootClosed_ or refuses.
    void readAfterRoot(char* from);
    void refuse(const char* what, const char* at);
    void readAttributes(TBXMLElement* element, char* from, char* tagEnd);
    TBXMLElement* nextAvailableElement();
    TBXMLAttribute* nextAvailableAttribute();

    TBXMLElement* rootXMLElement_ = nullptr;
    std::vector<std::unique_ptr<TBXMLElement[]>> elementBlocks_;
    std::vector<std::unique_ptr<TBXMLAttribute[]>> attributeBlocks_;
    std::size_t currentElement_ = 0;    // records taken from the newest element block
    std::size_t currentAttribute_ = 0;  // records taken from the newest attribute block
    // The document, NUL-terminated; a heap object, so texts survive a move of the reader.
    std::unique_ptr<std::string> bytes_;
    std::size_t bytesLength_ = 0;
    std::string refusal_;
    bool rootClosed_ = false;
};

}  // namespace protocol
