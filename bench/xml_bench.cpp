// XML reader throughput on data-set documents of 2, 20 and 100 MB against
// expat (SAX, counting handlers) on the same bytes in the same run; resident
// memory per element of a document of empty elements.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <expat.h>
#include <unistd.h>

#include "protocol/xml_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;

// A data-service answer: rows of named columns, some attributes, escaped text
// and an occasional CDATA section, as the server sends them.
std::string makeDocument(std::size_t targetBytes) {
    std::string doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<NewDataSet>\r\n";
    doc.reserve(targetBytes + 4096);
    char row[1024];
    for (unsigned i = 0; doc.size() < targetBytes; ++i) {
        int n = std::snprintf(row, sizeof row,
                              "  <Table diffgr:id=\"Table%u\" msdata:rowOrder=\"%u\">\r\n"
                              "    <InstrumentId>%u</InstrumentId>\r\n"
                              "    <Code>XAU%04u</Code>\r\n"
                              "    <Description>Gold &amp; Silver %u</Description>\r\n"
                              "    <TickSize>0.01</TickSize>\r\n"
                              "    <ContractSize>100</ContractSize>\r\n"
                              "    <Bid>%u.%02u</Bid>\r\n"
                              "    <Ask>%u.%02u</Ask>\r\n"
                              "    <Note>%s</Note>\r\n"
                              "    <Flags />\r\n"
                              "  </Table>\r\n",
                              i, i, i, i % 10000, i, 1800 + i % 100, i % 100, 1801 + i % 100, i % 100,
                              i % 16 == 0 ? "<![CDATA[a<b & c]]>" : "none");
        doc.append(row, static_cast<std::size_t>(n));
    }
    doc += "</NewDataSet>\r\n";
    return doc;
}

// Current resident size (not the peak), from /proc/self/statm.
long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Best of kRuns; `prepare` runs before each timed call, untimed.
template <typename P, typename F>
double bestSeconds(P&& prepare, F&& f) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

struct Counts {
    std::size_t elements = 0, attributes = 0, textBytes = 0;
};

void XMLCALL onStart(void* data, const XML_Char*, const XML_Char** attributes) {
    auto* c = static_cast<Counts*>(data);
    ++c->elements;
    for (; *attributes; attributes += 2) ++c->attributes;
}
void XMLCALL onEnd(void*, const XML_Char*) {}
void XMLCALL onText(void* data, const XML_Char*, int length) {
    static_cast<Counts*>(data)->textBytes += static_cast<std::size_t>(length);
}

Counts expatParse(const std::string& doc) {
    Counts counts;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &counts);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    if (XML_Parse(parser, doc.data(), static_cast<int>(doc.size()), 1) != XML_STATUS_OK)
        std::fprintf(stderr, "expat: %s\n", XML_ErrorString(XML_GetErrorCode(parser)));
    XML_ParserFree(parser);
    return counts;
}

// Every element of the tree visited, as a table fill visits them.
std::size_t countElements(const protocol::XMLReader& reader) {
    std::size_t count = 0;
    std::vector<const protocol::TBXMLElement*> pending;
    if (reader.rootXMLElement()) pending.push_back(reader.rootXMLElement());
    while (!pending.empty()) {
        const protocol::TBXMLElement* e = pending.back();
        pending.pop_back();
        ++count;
        if (e->nextSibling) pending.push_back(e->nextSibling);
        if (e->firstChild) pending.push_back(e->firstChild);
    }
    return count;
}

void measure(std::size_t targetBytes) {
    const std::string doc = makeDocument(targetBytes);
    const double mb = static_cast<double>(doc.size()) / (1024.0 * 1024.0);
    Counts counts;
    const double expat = bestSeconds([] {}, [&] { counts = expatParse(doc); });
    std::size_t elements = 0;
    // The reader takes the answer's buffer over: each run gets a fresh copy, untimed.
    std::string copy;
    const double moved = bestSeconds([&] { copy = doc; }, [&] {
        protocol::XMLReader reader(std::move(copy));
        elements = countElements(reader);
    });
    const double copied = bestSeconds([] {}, [&] {
        protocol::XMLReader reader(std::string_view{doc});
        elements = countElements(reader);
    });
    std::printf("document %.1f MB: %zu elements (expat %zu)\n", mb, elements, counts.elements);
    std::printf("  expat SAX:               %8.1f MB/s\n", mb / expat);
    std::printf("  XMLReader, buffer moved: %8.1f MB/s  ratio %.2fx expat\n", mb / moved, expat / moved);
    std::printf("  XMLReader, copied:       %8.1f MB/s  ratio %.2fx expat\n", mb / copied, expat / copied);
}

}  // namespace

int main() {
    for (std::size_t mb : {2u, 20u, 100u}) measure(mb * 1024u * 1024u);

    // Resident bytes per element while a reader holds a document of "<a>".
    constexpr std::size_t kElements = 2'000'000;
    std::string flat;
    flat.reserve(kElements * 3);
    for (std::size_t i = 0; i < kElements; ++i) flat += "<a>";
    // On a thread of its own: this thread keeps spare record blocks from the runs above.
    std::thread([&] {
        const long before = residentBytes();
        protocol::XMLReader reader(flat);
        const long held = residentBytes() - before;
        std::printf("reader of %zu \"<a>\" elements: %.1f resident bytes per element (input 3)\n", kElements,
                    static_cast<double>(held) / kElements);
    }).join();
    return 0;
}
