// Resident memory while oversized input is refused. Built without the
// sanitizers (their shadow memory and quarantine would hide what is freed);
// the peak is reset before each case through /proc/self/clear_refs.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

#include "model/base64.h"
#include "platform/log.h"
#include "protocol/compressed_payload.h"
#include "protocol/login_data_limits.h"
#include "protocol/payload_prefix.h"
#include "protocol/xml_reader.h"

namespace protocol {
namespace {

constexpr long kMiB = 1024 * 1024;
constexpr long kBudget = 100 * kMiB;

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// The highest resident size since the last reset.
long peakBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) * 1024;
    return 0;
}

bool resetPeak() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

// How far a call raised the resident size: at its peak, and once it returned.
template <typename F>
void expectWithinBudget(const char* what, F&& call) {
    const long before = residentBytes();
    const bool peakKnown = resetPeak();
    call();
    EXPECT_LT(residentBytes() - before, kBudget) << what;
    if (peakKnown) {
        EXPECT_LT(peakBytes() - before, kBudget) << what;
    }
}

// gzip of `size` bytes of 'a' after `noise` bytes that do not compress,
// deflated in slices so the input is never held whole.
std::string gzipOfRepeatedByte(std::size_t size, std::size_t noise = 0) {
    const std::string slice(kMiB, 'a');
    z_stream s{};
    deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    std::string out;
    char buffer[1 << 16];
    std::string start(noise, '\0');
    std::uint32_t state = 1;
    for (char& c : start) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    s.next_in = reinterpret_cast<Bytef*>(start.data());
    s.avail_in = static_cast<uInt>(start.size());
    while (s.avail_in > 0) {
        s.next_out = reinterpret_cast<Bytef*>(buffer);
        s.avail_out = sizeof buffer;
        deflate(&s, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - s.avail_out);
    }
    for (std::size_t left = size;;) {
        const std::size_t n = std::min(left, slice.size());
        left -= n;
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(slice.data()));
        s.avail_in = static_cast<uInt>(n);
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            s.next_out = reinterpret_cast<Bytef*>(buffer);
            s.avail_out = sizeof buffer;
            deflate(&s, flush);
            out.append(buffer, sizeof buffer - s.avail_out);
        } while (s.avail_out == 0);
        if (left == 0) break;
    }
    deflateEnd(&s);
    return out;
}

class InputCapsMemory : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Log::setSink([](platform::LogLevel, const std::string&) {});
    }
    void TearDown() override { platform::Log::setSink(nullptr); }
};

TEST_F(InputCapsMemory, APayloadThatInflatesFarPastTheCapIsRefused) {
    // Any cap: the inflater stops at it.
    constexpr std::size_t kCap = 32u * kMiB;
    constexpr std::size_t kInflated = 300u * kMiB;
    const std::string stream = gzipOfRepeatedByte(kInflated);
    ASSERT_LT(stream.size(), 400u * 1024u);
    const struct {
        const char* what;
        std::size_t prefix;
    } cases[] = {
        {"true size, past the cap", kInflated},
        {"prefix at the cap", kCap},
        {"small prefix", 1000},
    };
    for (const auto& c : cases) {
        const std::string payload = *model::Base64::encodeBase64WithData(testing::payloadPrefix(c.prefix) + stream);
        expectWithinBudget(c.what, [&] { EXPECT_FALSE(inflatePayload(payload, kCap)) << c.what; });
    }
}

// A few MB of login data that state or inflate to gigabytes: refused, at
// bounded memory, before and while inflating.
TEST_F(InputCapsMemory, ALoginDataBombIsRefused) {
    constexpr std::size_t kInflated = 1024u * kMiB;
    const std::string stream = gzipOfRepeatedByte(kInflated, 3 * kMiB);
    ASSERT_LT(stream.size(), 5u * kMiB);
    ASSERT_GT(stream.size() * kMaxLoginCompressionRatio, kMaxXmlLoginDataSize);
    const struct {
        const char* what;
        std::size_t prefix;
        bool packed;
        bool tooLarge;
    } cases[] = {
        {"states gigabytes", 0xFFFFFFFF, true, true},
        {"states the XML ceiling", kMaxXmlLoginDataSize, false, false},
        {"states the compact ceiling", kMaxPackedLoginDataSize, true, false},
        {"states what is inflated at once", kInflateCheckedAbove, true, false},
    };
    for (const auto& c : cases) {
        const std::string field = *model::Base64::encodeBase64WithData(testing::payloadPrefix(c.prefix) + stream);
        expectWithinBudget(c.what, [&] {
            const LoginPayload out = inflateLoginData(field, c.packed);
            EXPECT_FALSE(out.text) << c.what;
            EXPECT_EQ(out.tooLarge.has_value(), c.tooLarge) << c.what;
        });
    }
}

TEST_F(InputCapsMemory, XmlPastTheElementOrAttributeCapIsRefused) {
    const struct {
        const char* what;
        std::string start, repeated;
    } cases[] = {{"elements past the cap", "", "<a>"}, {"attributes past the cap", "<a ", "b=\"\" "}};
    for (const auto& c : cases) {
        std::string doc = c.start;
        doc.reserve((XMLReader::kMaxElements + 1) * c.repeated.size() + c.start.size());
        for (std::size_t i = 0; i <= XMLReader::kMaxElements; ++i) doc += c.repeated;
        expectWithinBudget(c.what, [&] {
            XMLReader reader(doc);
            EXPECT_EQ(reader.rootXMLElement(), nullptr) << c.what;
            EXPECT_NE(reader.refusal().find("refused"), std::string::npos) << c.what;
        });
    }
}

}  // namespace
}  // namespace protocol
