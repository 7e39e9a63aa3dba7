#include "model/base64.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using model::Base64;
namespace DA = model::DataAdditions;
// Far above every output here.
constexpr std::size_t kCap = 1u << 24;

TEST(Base64, StrictDecoder) {
    EXPECT_EQ(Base64::decodeBase64WithString("QUJD"), "ABC");
    EXPECT_EQ(Base64::decodeBase64WithString("QU JD\n"), "ABC");
    EXPECT_EQ(Base64::decodeBase64WithString("\tQU\r\nJD\f"), "ABC");
    EXPECT_FALSE(Base64::decodeBase64WithString("QUJ*"));
    EXPECT_EQ(Base64::decodeBase64WithString("QQ=="), "A");
    EXPECT_EQ(Base64::decodeBase64WithString("QUI="), "AB");
    EXPECT_FALSE(Base64::decodeBase64WithString("Q==="));
    EXPECT_FALSE(Base64::decodeBase64WithString("QUJDR="));
    EXPECT_FALSE(Base64::decodeBase64WithString("QUJD\xC3\xA4"));  // not ASCII
    EXPECT_EQ(Base64::decodeBase64WithString(""), "");
    // "=" does not end the decoding: what follows fills the next positions.
    EXPECT_EQ(Base64::decodeBase64WithString("QUI=QUJD"), std::string("AB\x10"
                                                                      "P\x90"));
    // The bits of an unfinished byte are dropped.
    EXPECT_EQ(Base64::decodeBase64WithString("QUJDRA"), "ABCD");
}

TEST(Base64, Encoders) {
    EXPECT_EQ(Base64::encodeBase64WithData("abc"), "YWJj");
    EXPECT_EQ(Base64::encodeBase64WithData("a"), "YQ==");
    EXPECT_EQ(Base64::encodeBase64WithData("ab"), "YWI=");
    EXPECT_FALSE(Base64::encodeBase64WithData(""));
    EXPECT_EQ(Base64::encodeBase64WithString("\xC3\xA4"), "w6Q=");
    EXPECT_EQ(DA::base64Encoding(""), "");
    EXPECT_EQ(DA::base64Encoding(std::string("\xFB\xFF", 2)), "+/8=");
    EXPECT_EQ(DA::base64EncodingWithLineLength("abcdefghijkl", 8), "YWJjZGVm\nZ2hpamts\n");
    EXPECT_EQ(DA::base64EncodingWithLineLength("abcdefghijkl", 6), "YWJjZGVm\nZ2hpamts\n");  // at or beyond
    EXPECT_EQ(DA::base64EncodingWithLineLength("abcdefghi", 8), "YWJjZGVm\nZ2hp");
}

TEST(Base64, LenientDecoder) {
    EXPECT_EQ(DA::dataWithBase64EncodedString("QU*JD"), "ABC");
    EXPECT_EQ(DA::dataWithBase64EncodedString("QUJDQQ==QUJD"), "ABCA");  // ends at the first "="
    EXPECT_EQ(DA::dataWithBase64EncodedString("QUI="), "AB");
    EXPECT_EQ(DA::dataWithBase64EncodedString("Q="), "@");  // one character still yields a byte
    EXPECT_EQ(DA::dataWithBase64EncodedString(""), "");
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    EXPECT_EQ(DA::dataWithBase64EncodedString(DA::base64EncodingWithLineLength(all, 76)), all);
    EXPECT_EQ(Base64::decodeBase64WithString(*Base64::encodeBase64WithData(all)), all);
}

std::string zlibCompress(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
             static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

TEST(Gzip, RoundTripAndHeaders) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "row " + std::to_string(i) +
                "\x05"
                "value\x06";
    const auto gz = DA::gzipDeflate(text);
    ASSERT_TRUE(gz);
    ASSERT_GE(gz->size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>((*gz)[0]), 0x1F);  // gzip magic
    EXPECT_EQ(static_cast<unsigned char>((*gz)[1]), 0x8B);
    EXPECT_EQ(DA::gzipInflate(*gz, kCap), text);
    EXPECT_EQ(DA::gzipInflate(zlibCompress(text), kCap), text);  // zlib header
    EXPECT_EQ(DA::gzipDeflate(""), "");
    EXPECT_EQ(DA::gzipInflate("", kCap), "");
    // Incompressible input larger than one growth step.
    std::string noise;
    unsigned x = 12345;
    for (int i = 0; i < 100000; ++i) noise += static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    EXPECT_EQ(DA::gzipInflate(*DA::gzipDeflate(noise), kCap), noise);
}

TEST(Gzip, DamagedInputGivesNothing) {
    const std::string text(10000, 'z');
    const auto gz = *DA::gzipDeflate(text);
    EXPECT_FALSE(DA::gzipInflate("x", kCap));
    EXPECT_FALSE(DA::gzipInflate(gz.substr(0, gz.size() / 2), kCap));  // truncated
    EXPECT_FALSE(DA::gzipInflate(gz.substr(0, gz.size() - 1), kCap));  // trailer cut
    std::string corrupt = gz;
    corrupt[corrupt.size() / 2] ^= 0x55;
    EXPECT_FALSE(DA::gzipInflate(corrupt, kCap));
    EXPECT_FALSE(DA::gzipInflate("not compressed at all", kCap));
    // A trailer that misstates the size is caught by zlib's length check.
    for (std::size_t from_end : {1u, 4u}) {
        std::string lying = gz;
        lying[lying.size() - from_end] ^= 0x01;
        EXPECT_FALSE(DA::gzipInflate(lying, kCap));
    }
}

TEST(Gzip, OutputCap) {
    const std::string text(100000, 'q');
    const auto gz = *DA::gzipDeflate(text);
    EXPECT_EQ(DA::gzipInflate(gz, 100000), text);  // exactly at the cap
    EXPECT_FALSE(DA::gzipInflate(gz, 99999));      // one byte over
    EXPECT_EQ(DA::gzipInflate(gz, 100001), text);
    // A small bomb: 64 MiB of zeros in well under 100 KB, refused under a 1 MiB cap.
    const auto bomb = *DA::gzipDeflate(std::string(64u << 20, '\0'));
    EXPECT_LT(bomb.size(), 100000u);
    EXPECT_FALSE(DA::gzipInflate(bomb, 1u << 20));
}

TEST(Gzip, FilesInflateByExtension) {
    char dir[] = "/tmp/gzip_testXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string gzPath = std::string(dir) + "/calendar.ics.gz";
    const std::string plainPath = std::string(dir) + "/calendar.gzip";
    std::ofstream(gzPath, std::ios::binary) << *DA::gzipDeflate("BEGIN:VCALENDAR");
    std::ofstream(plainPath, std::ios::binary) << "plain bytes";
    EXPECT_EQ(DA::dataWithUncompressedContentsOfFile(gzPath), "BEGIN:VCALENDAR");
    EXPECT_EQ(DA::dataWithUncompressedContentsOfFile(plainPath), "plain bytes");
    EXPECT_FALSE(DA::dataWithUncompressedContentsOfFile(std::string(dir) + "/missing"));
    std::remove(gzPath.c_str());
    std::remove(plainPath.c_str());
    rmdir(dir);
}

}  // namespace
