// Fuzz target for the XML reader. Built with libFuzzer when fuzzing; otherwise
// the checked-in corpus is replayed through it as an ordinary test.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "protocol/xml_reader.h"

namespace {

using protocol::TBXMLAttribute;
using protocol::TBXMLElement;
using protocol::XMLReader;

void require(bool condition) {
    if (!condition) std::abort();
}

// Walks the whole tree without recursion and checks every link; returns the
// number of elements and attributes seen.
std::size_t walk(const XMLReader& reader) {
    std::size_t seen = 0;
    const TBXMLElement* root = reader.rootXMLElement();
    if (!root) return 0;
    require(root->parent == nullptr && root->nextSibling == nullptr && root->previousSibling == nullptr);
    const TBXMLElement* e = root;
    while (e) {
        ++seen;
        require(e->name != nullptr);
        volatile std::size_t n = std::strlen(e->name);
        if (e->text) n = n + std::strlen(e->text);
        for (const TBXMLAttribute* a = e->firstAttribute; a; a = a->next) {
            require(a->name && a->value);
            n = n + std::strlen(a->name) + std::strlen(a->value);
            ++seen;
        }
        if (e->firstChild) {
            require(e->firstChild->parent == e && e->firstChild->previousSibling == nullptr);
            require(e->lastChild && e->lastChild->parent == e && e->lastChild->nextSibling == nullptr);
        } else {
            require(e->lastChild == nullptr);
        }
        if (e->nextSibling)
            require(e->nextSibling->previousSibling == e && e->nextSibling->parent == e->parent);
        if (e->firstChild) {
            e = e->firstChild;
            continue;
        }
        while (e && !e->nextSibling) e = e->parent;
        if (e) e = e->nextSibling;
    }
    (void)XMLReader::childElementNamed("Table", root);
    (void)XMLReader::nextSiblingNamed("Table", root->firstChild);
    (void)XMLReader::valueOfAttributeNamed("id", root);
    return seen;
}

// Names, texts and attributes in document order, each element's depth marked.
std::string dump(const XMLReader& reader) {
    std::string out;
    const TBXMLElement* e = reader.rootXMLElement();
    std::size_t depth = 0;
    while (e) {
        out.append(depth, '>').append(e->name).append("|").append(e->text ? e->text : "(none)");
        for (const TBXMLAttribute* a = e->firstAttribute; a; a = a->next) out.append("|@").append(a->name).append("=").append(a->value);
        out += '\n';
        if (e->firstChild) {
            e = e->firstChild;
            ++depth;
            continue;
        }
        while (e && !e->nextSibling) {
            e = e->parent;
            --depth;
        }
        if (e) e = e->nextSibling;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XMLReader fromData(std::span<const std::uint8_t>(data, size));
    XMLReader fromText(std::string_view(reinterpret_cast<const char*>(data), size));
    // Both forms read the same bytes and must give the same tree.
    require(walk(fromData) == walk(fromText));
    // A buffer taken over reads as the copied one; the records come from blocks earlier inputs let go.
    const XMLReader adopted = XMLReader::adopt(std::string(reinterpret_cast<const char*>(data), size));
    require(walk(adopted) == walk(fromText) && dump(adopted) == dump(fromText));
    return 0;
}
