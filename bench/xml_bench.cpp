// XML reader throughput on a 20 MB data-set document, against a plain memchr
// scan for "<" over the same bytes in the same run; resident memory per element
// of a document of empty elements.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <unistd.h>

#include "protocol/xml_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kTargetBytes = 20u * 1024u * 1024u;
constexpr int kRuns = 5;

// A data-service answer: rows of named columns, some attributes, escaped text
// and an occasional CDATA section, as the server sends them.
std::string makeDocument() {
    std::string doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<NewDataSet>\r\n";
    doc.reserve(kTargetBytes + 4096);
    char row[1024];
    for (unsigned i = 0; doc.size() < kTargetBytes; ++i) {
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

template <typename F>
double bestSeconds(F&& f) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main() {
    const std::string doc = makeDocument();
    const double mb = static_cast<double>(doc.size()) / (1024.0 * 1024.0);

    volatile std::size_t sink = 0;
    const double scan = bestSeconds([&] {
        std::size_t count = 0;
        const char* p = doc.data();
        const char* end = p + doc.size();
        while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p))))) {
            ++count;
            ++p;
        }
        sink = count;
    });
    const std::size_t tags = sink;

    std::size_t rows = 0;
    const double parse = bestSeconds([&] {
        protocol::XMLReader reader(doc);
        std::size_t n = 0;
        for (auto* t = reader.rootXMLElement() ? reader.rootXMLElement()->firstChild : nullptr; t;
             t = t->nextSibling) {
            ++n;
        }
        rows = n;
    });

    std::printf("document: %.1f MB, %zu \"<\", %zu rows\n", mb, tags, rows);
    std::printf("memchr scan for \"<\": %8.1f MB/s\n", mb / scan);
    std::printf("XMLReader parse:      %8.1f MB/s\n", mb / parse);
    std::printf("ratio (parse / scan): %.3f  (scan is %.1fx faster)\n", scan / parse, parse / scan);

    // Resident bytes per element while a reader holds a document of "<a>".
    constexpr std::size_t kElements = 2'000'000;
    std::string flat;
    flat.reserve(kElements * 3);
    for (std::size_t i = 0; i < kElements; ++i) flat += "<a>";
    const long before = residentBytes();
    {
        protocol::XMLReader reader(flat);
        const long held = residentBytes() - before;
        std::printf("reader of %zu \"<a>\" elements: %.1f resident bytes per element (input 3)\n", kElements,
                    static_cast<double>(held) / kElements);
    }
    return 0;
}
