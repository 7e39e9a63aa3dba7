// Reading a 1 MB RTF document and writing 1 MB of mixed-script text, each
// beside a byte-by-byte copy of the same input measured in the same run.
#include <chrono>
#include <cstdio>
#include <string>

#include "model/formatter.h"
#include "model/rtf_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kSize = 1 << 20;

template <typename F>
double secondsFor(int iterations, F&& body) {
    const auto start = Clock::now();
    for (int i = 0; i < iterations; ++i) body();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

volatile std::size_t gSink = 0;

// Paragraphs of text with \'hh and \u escapes, and a picture group of hex digits
// every 64 paragraphs, filling about a quarter of the document.
std::string makeDocument() {
    std::string doc = "{\\rtf1\\ansi\\ansicpg1252\\uc1{\\fonttbl{\\f0\\fswiss Helvetica;}}\\pard\\f0\\fs24 ";
    for (int n = 0; doc.size() < kSize - 200; ++n) {
        doc += "Price caf\\'e9 \\u8364\\'80 \\u20013?\\u25991? moved {\\b up} by 1.25\\par\n";
        if (n % 64 == 63) {
            doc += "{\\*\\shppict{\\pict\\pngblip ";
            for (int k = 0; k < 80; ++k) doc += "89504e470d0a1a0a0000000d49484452\n";
            doc += "}}";
        }
    }
    doc += "}";
    return doc;
}

std::string makeText() {
    const std::string line = "Order filled at 1.2345 \xC3\xA9t\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 "
                             "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A \xD0\x96\xD0\xB8 \xE0\xA4\xB9\xE0\xA4\xBF "
                             "\xF0\x9F\x98\x80 {ok}\n";
    std::string text;
    while (text.size() + line.size() <= kSize) text += line;
    return text;
}

std::string copyBytes(const std::string& in) {
    std::string out;
    for (const char c : in) out += c;
    return out;
}

void report(const char* what, const std::string& input, int iterations, double seconds, double baseline) {
    const double mb = static_cast<double>(input.size()) * iterations / (1 << 20);
    std::printf("%-34s %8.1f MB/s   byte copy %8.1f MB/s   ratio %5.1fx\n", what, mb / seconds, mb / baseline,
                seconds / baseline);
}

}  // namespace

int main() {
    const int iterations = 20;
    const std::string document = makeDocument();
    const std::string text = makeText();

    const double read = secondsFor(iterations, [&] { gSink = gSink + model::RTFReader::ConvertRTFtoString(document).size(); });
    const double readCopy = secondsFor(iterations, [&] { gSink = gSink + copyBytes(document).size(); });
    report("read 1 MB RTF document", document, iterations, read, readCopy);

    const double write = secondsFor(iterations, [&] { gSink = gSink + model::Formatter::convertStringtoRTF(text).size(); });
    const double writeCopy = secondsFor(iterations, [&] { gSink = gSink + copyBytes(text).size(); });
    report("write 1 MB mixed-script text", text, iterations, write, writeCopy);

    std::printf("document %zu bytes -> %zu bytes of text; text %zu bytes -> %zu bytes of RTF\n", document.size(),
                model::RTFReader::ConvertRTFtoString(document).size(), text.size(),
                model::Formatter::convertStringtoRTF(text).size());
    return 0;
}
