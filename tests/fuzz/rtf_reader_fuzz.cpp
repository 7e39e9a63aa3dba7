// Fuzz target for the RTF reader and writer. Built with libFuzzer when fuzzing;
// otherwise the checked-in corpus is replayed through it as an ordinary test.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/formatter.h"
#include "model/rtf_reader.h"
#include "platform/utf8.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool isUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const auto len = static_cast<std::size_t>(platform::utf8SequenceLength(lead));
        if (len == 0 || i + len > s.size()) return false;
        if (len > 1 && !platform::utf8SecondByteFits(lead, static_cast<unsigned char>(s[i + 1]))) return false;
        for (std::size_t k = 2; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += len;
    }
    return true;
}

// What the writer keeps of a valid UTF-8 text: tab and LF, CR and CRLF as LF,
// no other control character (C0, DEL, C1).
std::string kept(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else if (b == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xA0) {
            ++i;
        } else if (b == '\t' || b == '\n' || (b >= 0x20 && b != 0x7F)) {
            out += s[i];
        }
    }
    return out;
}

void writesAndReadsBack(const std::string& text) {
    const std::string rtf = model::Formatter::convertStringtoRTF(text);
    for (const char c : rtf) {
        const auto b = static_cast<unsigned char>(c);
        require(b == '\n' || (b >= 0x20 && b < 0x7F));
    }
    require(model::Formatter::convertRTFtoString(rtf) == kept(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string text = model::RTFReader::ConvertRTFtoString(input);
    require(isUtf8(text));
    require(text.size() <= 3 * size + 3);
    if (input.compare(0, 5, "{\\rtf") != 0) {
        require(model::Formatter::convertRTFtoString(input) == input);
    }
    writesAndReadsBack(text);
    if (isUtf8(input)) writesAndReadsBack(input);
    return 0;
}
