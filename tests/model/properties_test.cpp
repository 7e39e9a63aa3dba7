// Round-trip properties over many generated inputs, and hostile inputs that
// must be refused rather than misread.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "model/base64.h"
#include "model/decimal.h"
#include "model/formatter.h"
#include "model/language_string.h"

namespace {

std::mt19937 rng(20240102);

std::string randomBytes(std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> len(0, maxLength);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(len(rng), '\0');
    for (auto& c : s) c = static_cast<char>(byte(rng));
    return s;
}

std::string randomText(std::size_t maxLength) {
    static const std::vector<std::string> pieces = {"a", "Z", "0", " ", "\n", "\t", "{", "}", "\\", "%", "$",
                                                    "@", "\"", "'", "<", ">", "\xC3\xA4", "\xE2\x82\xAC",
                                                    "\xF0\x9F\x98\x80", "\\'e9", "{\\rtf1", "\\u-3913?"};
    std::uniform_int_distribution<std::size_t> len(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string s;
    for (std::size_t n = len(rng); n > 0; --n) s += pieces[pick(rng)];
    return s;
}

TEST(Properties, Base64RoundTrips) {
    for (int i = 0; i < 2000; ++i) {
        const std::string data = randomBytes(200);
        const std::string text = model::DataAdditions::base64Encoding(data);
        ASSERT_EQ(model::Base64::decodeBase64WithString(text), data);
        ASSERT_EQ(model::DataAdditions::dataWithBase64EncodedString(text), data);
        ASSERT_EQ(model::Base64::decodeBase64WithString(model::DataAdditions::base64EncodingWithLineLength(data, 64)),
                  data);
        // Arbitrary text either decodes or is refused; it never yields more bytes than it has characters.
        const std::string junk = randomBytes(64);
        const auto decoded = model::Base64::decodeBase64WithString(junk);
        if (decoded) {
            ASSERT_LE(decoded->size(), junk.size());
        }
    }
}

TEST(Properties, GzipRoundTripsAndRefusesNoise) {
    for (int i = 0; i < 300; ++i) {
        const std::string data = randomBytes(3000);
        ASSERT_EQ(model::DataAdditions::gzipInflate(*model::DataAdditions::gzipDeflate(data), data.size()), data);
        const std::string noise = "\x1F\x8B" + randomBytes(100);
        const auto out = model::DataAdditions::gzipInflate(noise, 1u << 16);
        if (out) {
            ASSERT_LE(out->size(), 1u << 16);
        }
    }
}

TEST(Properties, DecimalTextRoundTripsAndRemainderBound) {
    std::uniform_int_distribution<long long> mantissa(-99999999999LL, 99999999999LL);
    std::uniform_int_distribution<int> scale(0, 8);
    for (int i = 0; i < 3000; ++i) {
        const auto a = model::Decimal(mantissa(rng)).multiply(model::Decimal::parse("1e-" + std::to_string(scale(rng))));
        auto b = model::Decimal(mantissa(rng) % 100000).multiply(model::Decimal::parse("1e-" + std::to_string(scale(rng))));
        ASSERT_EQ(model::Decimal::parse(a.toString()), a) << a.toString();
        if (b.isZero()) continue;
        const auto r = a.moduloFor(b);
        // |r| < |b|, and a - r is a whole multiple of b.
        ASSERT_LT(r.absoluteNumber(), b.absoluteNumber()) << a.toString() << " mod " << b.toString();
        const auto q = a.subtract(r).divide(b);
        ASSERT_EQ(q.rounded(0, model::RoundingMode::TowardZero), q) << a.toString() << " mod " << b.toString();
    }
}

TEST(Properties, RtfRoundTripsAndWireDatesReformatBack) {
    for (int i = 0; i < 1000; ++i) {
        std::string text = randomText(40);
        ASSERT_EQ(model::Formatter::convertRTFtoString(model::Formatter::convertStringtoRTF(text)), text) << text;
        const std::string junk = randomText(40);
        model::Formatter::convertRTFtoString("{\\rtf1 " + junk);  // any result, never a fault
    }
    std::uniform_int_distribution<int> year(1, 9999), month(1, 12), day(1, 28), hour(0, 23), minute(0, 59);
    for (int i = 0; i < 2000; ++i) {
        char wire[32];
        std::snprintf(wire, sizeof wire, "%04d%02d%02d%02d%02d%02d", year(rng), month(rng), day(rng), hour(rng),
                      minute(rng), minute(rng));
        const auto shown = model::Formatter::formatDateandTimeFromString(std::string(wire), "yyyyMMddHHmmss",
                                                                         "dd MMM yyyy hh:mm:ss a");
        ASSERT_TRUE(shown) << wire;
        ASSERT_EQ(model::Formatter::formatDateandTimeFromString(*shown, "dd MMM yyyy hh:mm:ss a", "yyyyMMddHHmmss"),
                  wire);
    }
}

TEST(Properties, StringTableLinesEscapeBack) {
    for (int i = 0; i < 1000; ++i) {
        std::string text = randomText(20);
        std::string escaped;
        for (char c : text) {
            if (c == '\\' || c == '"') {
                escaped += '\\';
                escaped += c;
            } else if (c == '\n') {
                escaped += "\\n";
            } else if (c == '\t') {
                escaped += "\\t";
            } else {
                escaped += c;
            }
        }
        const auto table = model::StringTable::parse("\"1234\" = \"" + escaped + "\";\n");
        ASSERT_EQ(table.at("1234"), text);
    }
}

}  // namespace
