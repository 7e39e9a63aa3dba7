#include "protocol/xml_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using protocol::TBXMLAttribute;
using protocol::TBXMLElement;
using protocol::XMLReader;

std::string text(const TBXMLElement* e) {
    return XMLReader::textForElement(e);
}
std::string name(const TBXMLElement* e) {
    return XMLReader::elementName(e);
}

// Text of the root's first child named `child`.
std::string childText(const XMLReader& r, const char* child) {
    return text(XMLReader::childElementNamed(child, r.rootXMLElement()));
}

TEST(XMLReaderEntities, PredefinedAndNumericReferencesAreDecodedInTexts) {
    XMLReader r(
        "<r><a>S&amp;P 500</a><b>&lt;&gt;&quot;&apos;&#65;&#x42;</b>"
        "<c>&#233;&#x20AC;&#x1F600;</c><d>&amp;amp;</d></r>");
    EXPECT_EQ(childText(r, "a"), "S&P 500");
    EXPECT_EQ(childText(r, "b"), "<>\"'AB");
    EXPECT_EQ(childText(r, "c"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(childText(r, "d"), "&amp;");  // decoded once only
}

TEST(XMLReaderEntities, UnknownUnterminatedOrInvalidReferencesStayAsWritten) {
    XMLReader r(
        "<r><a>&foo;</a><b>a & b</b><c>&amp</c><d>&#;&#x;&#12</d>"
        "<e>&#0;&#1;&#7;&#xD800;&#x110000;&#99999999999;</e><f>&AMP;&#X41;</f></r>");
    EXPECT_EQ(childText(r, "a"), "&foo;");
    EXPECT_EQ(childText(r, "b"), "a & b");
    EXPECT_EQ(childText(r, "c"), "&amp");
    EXPECT_EQ(childText(r, "d"), "&#;&#x;&#12");
    // NUL, control bytes (the wire separators), surrogates and out-of-range code points.
    EXPECT_EQ(childText(r, "e"), "&#0;&#1;&#7;&#xD800;&#x110000;&#99999999999;");
    EXPECT_EQ(childText(r, "f"), "&AMP;&#X41;");
}

TEST(XMLReaderEntities, CDATAContentIsNeverDecoded) {
    XMLReader r(
        "<r><a>x&amp;<![CDATA[&amp;<b>]]>&lt;y</a>"
        "<b>&am<![CDATA[p;]]></b>"
        "<c v=\"&lt;<![CDATA[&gt;]]>&#65;\" w='&amp;&quot;'/></r>");
    EXPECT_EQ(childText(r, "a"), "x&&amp;<b><y");
    // A reference cut by a CDATA section is no reference.
    EXPECT_EQ(childText(r, "b"), "&amp;");
    TBXMLElement* c = XMLReader::childElementNamed("c", r.rootXMLElement());
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("v", c), "<&gt;A");
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("w", c), "&\"");
}

TEST(XMLReader, NoElementsGiveNoRoot) {
    EXPECT_EQ(XMLReader("just text, no tags").rootXMLElement(), nullptr);
    EXPECT_EQ(XMLReader("").rootXMLElement(), nullptr);
    EXPECT_EQ(XMLReader(std::span<const std::uint8_t>()).rootXMLElement(), nullptr);
    EXPECT_EQ(XMLReader().rootXMLElement(), nullptr);
    EXPECT_EQ(XMLReader::fromText("")->rootXMLElement(), nullptr);
    // Reading through none gives empty answers.
    EXPECT_EQ(text(nullptr), "");
    EXPECT_EQ(name(nullptr), "");
    EXPECT_EQ(XMLReader::childElementNamed("a", nullptr), nullptr);
    EXPECT_EQ(XMLReader::nextSiblingNamed("a", nullptr), nullptr);
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("a", nullptr), std::nullopt);
}

TEST(XMLReader, DeclarationsAreSkippedAndTextsTrimmed) {
    XMLReader r(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE note>\n"
        "<note>  hello  </note>");
    TBXMLElement* root = r.rootXMLElement();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(name(root), "note");
    EXPECT_EQ(text(root), "hello");
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(root->nextSibling, nullptr);

    XMLReader tabs("<a>\t\r\n\v\f x \t\n</a>");
    EXPECT_EQ(text(tabs.rootXMLElement()), "x");
    // Bytes above 0x7F are never white space.
    XMLReader high("<a>\xC2\xA0x\xC2\xA0</a>");
    EXPECT_EQ(text(high.rootXMLElement()), "\xC2\xA0x\xC2\xA0");
}

TEST(XMLReader, ParentTextIsDroppedOnlyForAChildWithItsOwnClosingTag) {
    XMLReader closed("<a>hello<b>inner</b>world</a>");
    TBXMLElement* a = closed.rootXMLElement();
    EXPECT_EQ(a->text, nullptr);
    EXPECT_EQ(text(a), "");
    ASSERT_NE(a->firstChild, nullptr);
    EXPECT_EQ(name(a->firstChild), "b");
    EXPECT_EQ(text(a->firstChild), "inner");
    EXPECT_EQ(a->firstChild->parent, a);

    XMLReader selfClosing("<a>hello<b/>world</a>");
    a = selfClosing.rootXMLElement();
    EXPECT_EQ(text(a), "hello");
    TBXMLElement* b = a->firstChild;
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(name(b), "b");
    EXPECT_EQ(b->text, nullptr);
    EXPECT_EQ(b->firstChild, nullptr);
    EXPECT_EQ(a->lastChild, b);

    XMLReader withAttributes("<a><b x='1' y=\"2\"/><c/></a>");
    b = withAttributes.rootXMLElement()->firstChild;
    EXPECT_EQ(name(b), "b");
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("y", b), "2");
    EXPECT_EQ(name(b->nextSibling), "c");
    EXPECT_EQ(b->nextSibling->parent, withAttributes.rootXMLElement());
}

TEST(XMLReader, CommentsStayInTheTextAndCDATAIsLiteral) {
    XMLReader comment("<a>x<!-- c <b>not a child</b> -->y</a>");
    EXPECT_EQ(text(comment.rootXMLElement()), "x<!-- c <b>not a child</b> -->y");
    EXPECT_EQ(comment.rootXMLElement()->firstChild, nullptr);

    XMLReader cdata("<a><![CDATA[a<b]]></a>");
    EXPECT_EQ(text(cdata.rootXMLElement()), "a<b");

    XMLReader two("<a> <![CDATA[a]]>b<![CDATA[ c>]]>d </a>");
    EXPECT_EQ(text(two.rootXMLElement()), "ab c>d");

    // The freed marker bytes become spaces before the next "<", inside the text
    // when that "<" is a comment.
    XMLReader before("<a><![CDATA[x]]>y<!--c-->z</a>");
    EXPECT_EQ(text(before.rootXMLElement()), "xy" + std::string(12, ' ') + "<!--c-->z");

    XMLReader inTag("<a v=\"<![CDATA[1>2]]>\">t</a>");
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("v", inTag.rootXMLElement()), "1>2");
    EXPECT_EQ(text(inTag.rootXMLElement()), "t");
}

TEST(XMLReader, Attributes) {
    XMLReader r("<a  id2 = 'x'\tid = 'one two' empty=\"\" bare=5/>");
    TBXMLElement* a = r.rootXMLElement();
    EXPECT_EQ(name(a), "a");
    std::vector<std::pair<std::string, std::string>> seen;
    for (TBXMLAttribute* at = a->firstAttribute; at; at = at->next) {
        seen.emplace_back(XMLReader::attributeName(at), XMLReader::attributeValue(at));
    }
    std::vector<std::pair<std::string, std::string>> expected = {
        {"id2", "x"}, {"id", "one two"}, {"empty", ""}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("id", a), "one two");
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("i", a), std::nullopt);
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("bare", a), std::nullopt);

    // A name ends at white space or "/".
    XMLReader tab("<a\tb='1'>t</a>");
    EXPECT_EQ(name(tab.rootXMLElement()), "a");
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("b", tab.rootXMLElement()), "1");
}

TEST(XMLReader, QuotedGreaterThanEndsTheTag) {
    XMLReader r("<a x=\"1>2\" y='3'>t</a>");
    TBXMLElement* a = r.rootXMLElement();
    EXPECT_EQ(a->firstAttribute, nullptr);
    EXPECT_EQ(text(a), "2\" y='3'>t");
}

TEST(XMLReader, TextStartingWithGreaterThanIsNone) {
    XMLReader r("<a>>x</a>");
    EXPECT_EQ(r.rootXMLElement()->text, nullptr);
}

// What XML's document production refuses leaves no root and says why; the
// same shapes written well are read whole.
TEST(XMLReaderBadInput, DocumentsThatAreNotWellFormedAreRefused) {
    const struct {
        const char* document;
        bool refused;
    } cases[] = {
        {"<r><a>1</x><b>2</b></r>", true},
        {"<NewDataSet><Table/></NewDataSe>", true},
        {"<rss><channel/></rs>", true},
        {"<r><ab>1</a></r>", true},
        {"<r><a>1</ab></r>", true},
        {"<r><a></r></a>", true},
        {"</x><a>1</a>", true},
        {"<a>1</a></x>", true},
        {"<a>1</a><b>2</b>", true},
        {"<a/><b/>", true},
        {"<a>1</a>text", true},
        {"<a>1</a><!-- c -->x", true},
        {"<a>1</a><?p?>x", true},
        {"<a>1</a><![CDATA[x]]>", true},
        {"<a>1</a><!DOCTYPE a>", true},
        {"<a>1</a>  \r\n", false},
        {"<a>1</a><!-- after --> <?p x?>\n", false},
        {"<a >1</a \n>", false},
        {"<a\tb='1'>t</a>", false},
        {"<x:a><b></b><c/></x:a>", false},
        {"<?xml version='1.0'?>\n<!DOCTYPE r>\n<r/>", false},
    };
    for (const auto& c : cases) {
        const XMLReader r(c.document);
        EXPECT_EQ(r.refusal().empty(), !c.refused) << c.document;
        EXPECT_EQ(r.rootXMLElement() == nullptr, c.refused) << c.document;
        EXPECT_EQ(r.rootClosed(), !c.refused) << c.document;
    }
}

TEST(XMLReader, ManyElementsSpanRecordBlocks) {
    std::string doc = "<NewDataSet>";
    for (int i = 0; i < 250; ++i) {
        doc += "<Table id='" + std::to_string(i) + "'><ID>" + std::to_string(i) + "</ID></Table>";
    }
    doc += "</NewDataSet>";
    XMLReader r(doc);
    TBXMLElement* root = r.rootXMLElement();
    ASSERT_NE(root, nullptr);
    int count = 0;
    TBXMLElement* previous = nullptr;
    for (TBXMLElement* t = XMLReader::childElementNamed("Table", root); t;
         t = XMLReader::nextSiblingNamed("Table", t)) {
        EXPECT_EQ(t->parent, root);
        EXPECT_EQ(t->previousSibling, previous);
        EXPECT_EQ(XMLReader::valueOfAttributeNamed("id", t), std::to_string(count));
        TBXMLElement* id = XMLReader::childElementNamed("ID", t);
        ASSERT_NE(id, nullptr);
        EXPECT_EQ(id->parent, t);
        EXPECT_EQ(text(id), std::to_string(count));
        previous = t;
        ++count;
    }
    EXPECT_EQ(count, 250);
    EXPECT_EQ(root->lastChild, previous);
    EXPECT_EQ(XMLReader::childElementNamed("Missing", root), nullptr);
}

TEST(XMLReader, LoginTableAsTheServerSendsIt) {
    XMLReader r(
        "<NewDataSet>\r\n  <Table>\r\n    <AccountId>07</AccountId>\r\n"
        "    <Name>S&amp;P Traders</Name>\r\n    <Empty />\r\n  </Table>\r\n"
        "  <Table1>\r\n    <Value>  1.5 </Value>\r\n  </Table1>\r\n</NewDataSet>");
    TBXMLElement* root = r.rootXMLElement();
    EXPECT_EQ(root->text, nullptr);
    TBXMLElement* table = root->firstChild;
    EXPECT_EQ(name(table), "Table");
    EXPECT_EQ(text(XMLReader::childElementNamed("AccountId", table)), "07");
    EXPECT_EQ(text(XMLReader::childElementNamed("Name", table)), "S&P Traders");
    TBXMLElement* empty = XMLReader::childElementNamed("Empty", table);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->text, nullptr);
    EXPECT_EQ(name(table->nextSibling), "Table1");
    EXPECT_EQ(text(table->nextSibling->firstChild), "1.5");
}

TEST(XMLReaderBadInput, UnterminatedCommentKeepsWhatCameBefore) {
    XMLReader r("<r><a>1</a><b>x<!-- never closed <c>y</c>");
    TBXMLElement* root = r.rootXMLElement();
    EXPECT_EQ(childText(r, "a"), "1");
    TBXMLElement* b = XMLReader::childElementNamed("b", root);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->firstChild, nullptr);
    EXPECT_EQ(text(b), "x<!-- never closed <c>y</c>");
}

TEST(XMLReaderBadInput, UnterminatedCDATAKeepsWhatCameBefore) {
    XMLReader open("<r><a>1</a><b>&amp;<![CDATA[&amp;<c>");
    EXPECT_EQ(childText(open, "a"), "1");
    TBXMLElement* b = XMLReader::childElementNamed("b", open.rootXMLElement());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->firstChild, nullptr);
    EXPECT_EQ(text(b), "&<![CDATA[&amp;<c>");

    XMLReader noTagAfter("<a>1<![CDATA[x]]>");
    EXPECT_EQ(text(noTagAfter.rootXMLElement()), "1<![CDATA[x]]>");

    // The tag around an unterminated CDATA section never ends.
    XMLReader inAttribute("<r><a v='<![CDATA[x'>t</a></r>");
    ASSERT_NE(inAttribute.rootXMLElement(), nullptr);
    EXPECT_EQ(name(inAttribute.rootXMLElement()), "r");
    EXPECT_EQ(inAttribute.rootXMLElement()->firstChild, nullptr);
}

TEST(XMLReaderBadInput, NulByteEndsTheDocument) {
    const std::string doc("<r><a>x\0y</a><b/></r>", 21);
    XMLReader r(doc);
    TBXMLElement* root = r.rootXMLElement();
    ASSERT_NE(root, nullptr);
    ASSERT_NE(root->firstChild, nullptr);
    EXPECT_EQ(text(root->firstChild), "x");
    EXPECT_EQ(root->firstChild->nextSibling, nullptr);

    const std::uint8_t data[] = {'<', 'a', '>', 'z', '<', '/', 'a', '>', 0, '<', 'b', '/', '>'};
    XMLReader fromData(std::span<const std::uint8_t>(data, sizeof data));
    EXPECT_EQ(text(fromData.rootXMLElement()), "z");
    EXPECT_EQ(fromData.rootXMLElement()->nextSibling, nullptr);
}

TEST(XMLReaderBadInput, UnendedTagStopsTheParse) {
    XMLReader r("<r><a>1</a><b");
    EXPECT_EQ(childText(r, "a"), "1");
    EXPECT_EQ(XMLReader::childElementNamed("b", r.rootXMLElement()), nullptr);
    // A tag cut short by "<" ends there; the "<" is consumed with it.
    XMLReader cut("<a <b>c</a>");
    EXPECT_EQ(name(cut.rootXMLElement()), "a");
    EXPECT_EQ(cut.rootXMLElement()->firstChild, nullptr);
    EXPECT_EQ(text(cut.rootXMLElement()), "b>c");
}

// A document cut anywhere before the end of its root leaves it open.
TEST(XMLReaderBadInput, DocumentsCutShortLeaveTheRootOpen) {
    const std::string whole = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- <x> -->\n<NewDataSet>\n<Table><a>1</a></Table>\n</NewDataSet >\r\n";
    EXPECT_TRUE(XMLReader(whole).rootClosed());
    for (std::size_t cut = 0; cut + 2 < whole.size(); ++cut) EXPECT_FALSE(XMLReader(whole.substr(0, cut)).rootClosed()) << cut;
    const struct {
        std::string document;
        bool closed;
    } cases[] = {{"<NewDataSet />", true}, {"<r a='1'></r>", true}, {"<r></r><!-- after -->\n", true},
                 {std::string("<r></r>\0", 8), true}, {"<r><b/>", false}, {"<a><b><a></a>", false},
                 {std::string("<r>\0</r>", 8), false}, {"<r></r><s>", false}, {"<r></r><!-- cut", false},
                 {"<r><![CDATA[x</r>", false}, {"<!-- only -->", false}, {"", false}};
    for (const auto& c : cases) EXPECT_EQ(XMLReader(c.document).rootClosed(), c.closed) << c.document;
    // A reader refused at its cap has no root to close.
    EXPECT_FALSE(XMLReader("<r><a/><b/></r>", 2).rootClosed());
}

TEST(XMLReaderBadInput, LongRunOfCDATASectionsStaysLinear) {
    // Handled one section at a time with a search and a move each, this run would
    // take minutes; the result is the same either way.
    constexpr int kSections = 300000;
    std::string doc = "<a>";
    for (int i = 0; i < kSections; ++i) doc += "<![CDATA[x]]>";
    doc += "</a>";
    XMLReader r(doc);
    EXPECT_EQ(text(r.rootXMLElement()), std::string(kSections, 'x'));
}

// Start tags are counted before anything is copied; a refused document leaves
// an empty reader, and the next document is read in full.
TEST(XMLReaderBadInput, DocumentsPastTheElementCapAreRefused) {
    const std::string three = "<r><a/><b>x</b></r>";
    const struct {
        std::string doc;
        std::size_t cap;
        bool read;
    } cases[] = {
        {three, 3, true},
        {three, 2, false},
        {"<?xml version='1.0'?><r><!-- c --></r>", 1, true},
        {"<a><a><a><a>", 3, false},
        {"<r>" + std::string(1000, '<') + "</r>", 1000, false},
    };
    for (const auto& c : cases) {
        XMLReader r(c.doc, c.cap);
        EXPECT_EQ(r.rootXMLElement() != nullptr, c.read) << c.doc.substr(0, 40) << " cap " << c.cap;
        EXPECT_EQ(r.refusal().empty(), c.read) << c.doc.substr(0, 40) << " cap " << c.cap;
    }
    XMLReader next(three, 3);
    ASSERT_NE(next.rootXMLElement(), nullptr);
    EXPECT_EQ(childText(next, "b"), "x");
}

TEST(XMLReaderBadInput, HundredThousandLevelsDoNotOverflowTheStack) {
    constexpr int kDepth = 100000;
    std::string doc;
    doc.reserve(kDepth * 8 + 16);
    for (int i = 0; i < kDepth; ++i) doc += "<e>";
    doc += "&amp;";
    for (int i = 0; i < kDepth; ++i) doc += "</e>";

    auto r = XMLReader::fromText(doc);
    int depth = 0;
    TBXMLElement* e = r->rootXMLElement();
    TBXMLElement* innermost = nullptr;
    for (; e; e = e->firstChild) {
        ++depth;
        innermost = e;
        if (e->firstChild) {
            EXPECT_EQ(e->text, nullptr);
            EXPECT_EQ(e->firstChild->parent, e);
        }
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(text(innermost), "&");

    // Never closed: every element stays open under the previous one.
    std::string unclosed;
    for (int i = 0; i < kDepth; ++i) unclosed += "<e a='1'>";
    XMLReader u(unclosed);
    depth = 0;
    for (e = u.rootXMLElement(); e; e = e->firstChild) ++depth;
    EXPECT_EQ(depth, kDepth);
}

// The caps count before anything is read: every "<" not opening "</", "<!" or
// "<?" is an element, every two quotes an attribute, wherever they fall.
TEST(XMLReaderBadInput, CapsCountTheSameAtEveryOffset) {
    // Refused after the caps for what follows the root, but never at a cap.
    const auto overCap = [](const XMLReader& r) { return r.refusal().find("more than") != std::string::npos; };
    const std::string body = "<r a='1'><b/></r><!--<c>--><?p?><![CDATA[<d>]]></x>\"\"<";
    for (std::size_t pad = 0; pad < 40; ++pad) {
        const std::string doc = std::string(pad, ' ') + body + std::string(pad % 7, 'z');
        std::size_t starts = 0, quotes = 0;
        for (std::size_t i = 0; i < doc.size(); ++i) {
            quotes += doc[i] == '"' || doc[i] == '\'';
            starts += doc[i] == '<' && (i + 1 == doc.size() || std::string_view("/!?").find(doc[i + 1]) == std::string_view::npos);
        }
        ASSERT_EQ(starts, 5u);
        EXPECT_FALSE(overCap(XMLReader(doc, starts))) << pad;
        EXPECT_TRUE(overCap(XMLReader(doc, starts - 1))) << pad;
        // Pairs of quotes past the cap refuse too.
        EXPECT_FALSE(overCap(XMLReader(doc + std::string(6, '\''), starts))) << pad;
        EXPECT_TRUE(overCap(XMLReader(doc + std::string(8, '\''), starts))) << pad;
    }
}

TEST(XMLReader, AdoptedBufferReadsAsACopyAndKeepsItsTreeWhenMoved) {
    const std::string doc = "<r k='v'><a>x &amp; y</a><![CDATA[<z>]]><b/></r>";
    XMLReader copied(doc);
    XMLReader adopted = XMLReader::adopt(std::string(doc));
    TBXMLElement* root = adopted.rootXMLElement();
    XMLReader moved(std::move(adopted));
    ASSERT_EQ(moved.rootXMLElement(), root);
    EXPECT_EQ(childText(moved, "a"), "x & y");
    EXPECT_EQ(childText(moved, "a"), childText(copied, "a"));
    EXPECT_EQ(text(moved.rootXMLElement()), text(copied.rootXMLElement()));
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("k", moved.rootXMLElement()), "v");
    // A short document, a NUL inside, a refused one: as the copying road.
    EXPECT_EQ(text(XMLReader::adopt("<a>1</a>").rootXMLElement()), "1");
    EXPECT_EQ(text(XMLReader::adopt(std::string("<a>1\0</a><b/>", 12)).rootXMLElement()), "1");
    EXPECT_FALSE(XMLReader::adopt("<a><b>", 1).refusal().empty());
}

// Records come back to later readers zeroed: no link of an earlier tree shows.
TEST(XMLReader, ReusedRecordBlocksStartEmpty) {
    std::string wide = "<r>";
    for (int i = 0; i < 1000; ++i) wide += "<c a='1'><d>t</d></c>";
    { XMLReader first(wide + "</r>"); ASSERT_NE(first.rootXMLElement(), nullptr); }
    XMLReader flat("<r>" + std::string(500, ' ') + "<x/><y/></r>");
    const TBXMLElement* x = flat.rootXMLElement()->firstChild;
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->firstChild, nullptr);
    EXPECT_EQ(x->firstAttribute, nullptr);
    EXPECT_EQ(x->text, nullptr);
    EXPECT_EQ(name(x->nextSibling), "y");
    EXPECT_EQ(x->nextSibling->nextSibling, nullptr);
}

TEST(XMLReader, MovedReaderKeepsItsTree) {
    XMLReader a("<a k='v'>text</a>");
    TBXMLElement* root = a.rootXMLElement();
    XMLReader b(std::move(a));
    EXPECT_EQ(b.rootXMLElement(), root);
    EXPECT_EQ(text(b.rootXMLElement()), "text");
    XMLReader c;
    c = std::move(b);
    EXPECT_EQ(XMLReader::valueOfAttributeNamed("k", c.rootXMLElement()), "v");
    EXPECT_TRUE(c.rootClosed());
}

}  // namespace
