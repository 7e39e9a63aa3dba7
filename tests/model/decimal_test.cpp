#include "model/decimal.h"

#include <gtest/gtest.h>

namespace {

using model::Decimal;
using model::RoundingMode;

Decimal D(const char* text) {
    return Decimal::parse(text);
}

std::string mod(const char* a, const char* b) {
    return D(a).moduloFor(D(b)).toString();
}

TEST(Decimal, ParseAndPrint) {
    EXPECT_EQ(D("1.2345").toString(), "1.2345");
    EXPECT_EQ(D("-0.000100").toString(), "-0.0001");
    EXPECT_EQ(D("1200").toString(), "1200");
    EXPECT_EQ(D("1.5e3").toString(), "1500");
    EXPECT_EQ(D(".5").toString(), "0.5");
    EXPECT_EQ(D("-0").toString(), "0");
    EXPECT_TRUE(D("").isNaN());
    EXPECT_TRUE(D("1.2.3").isNaN());
    EXPECT_TRUE(D("abc").isNaN());
    EXPECT_TRUE(D("1e").isNaN());
    EXPECT_FALSE(Decimal::fromString(" 1"));
    // 38 significant digits are kept; the 39th rounds.
    EXPECT_EQ(D("12345678901234567890123456789012345678").toString(),
              "12345678901234567890123456789012345678");
    EXPECT_EQ(D("1.23456789012345678901234567890123456789").toString(),
              "1.2345678901234567890123456789012345679");
    EXPECT_EQ(Decimal::fromDouble(0.1).toString(), "0.1");
    EXPECT_EQ(Decimal::fromDouble(-1.001).toString(), "-1.001");
    EXPECT_TRUE(Decimal::fromDouble(1.0 / 0.0).isNaN());
    EXPECT_DOUBLE_EQ(D("1.2345").toDouble(), 1.2345);
    EXPECT_EQ(D("-7.9").intValue(), -7);
    EXPECT_EQ(D("99999999999").intValue(), 2147483647);
}

TEST(Decimal, Arithmetic) {
    EXPECT_EQ((D("0.1") + D("0.2")).toString(), "0.3");
    EXPECT_EQ((D("1") - D("1.0001")).toString(), "-0.0001");
    EXPECT_EQ((D("1.5") * D("-0.25")).toString(), "-0.375");
    EXPECT_EQ((D("1") / D("3")).toString(), "0.33333333333333333333333333333333333333");
    EXPECT_EQ((D("2") / D("3")).toString(), "0.66666666666666666666666666666666666667");
    EXPECT_TRUE((D("1") / D("0")).isNaN());
    EXPECT_EQ((D("1e100") + D("1e-100")).toString().size(), 101u);  // rounded to 38 digits: 1 and 100 zeros
    EXPECT_EQ(D("9e127").multiply(D("100")).exponent(), 127);
    EXPECT_TRUE(D("1e127").multiply(D("1e39")).isNaN());  // overflow
    EXPECT_LT(D("-2"), D("1"));
    EXPECT_EQ(D("1.50"), D("1.5"));
    EXPECT_GT(D("0.0002"), D("0.0001"));
}

TEST(Decimal, Rounding) {
    EXPECT_EQ(D("1.25").rounded(1, RoundingMode::Plain).toString(), "1.3");
    EXPECT_EQ(D("-1.25").rounded(1, RoundingMode::Plain).toString(), "-1.3");
    EXPECT_EQ(D("1.25").rounded(1, RoundingMode::Bankers).toString(), "1.2");
    EXPECT_EQ(D("-1.21").rounded(1, RoundingMode::Down).toString(), "-1.3");
    EXPECT_EQ(D("-1.29").rounded(1, RoundingMode::Up).toString(), "-1.2");
    EXPECT_EQ(D("1.001").rounded(2, RoundingMode::AwayFromZero).toString(), "1.01");
    EXPECT_EQ(D("-1.001").rounded(2, RoundingMode::AwayFromZero).toString(), "-1.01");
    EXPECT_EQ(D("9.999").rounded(2, RoundingMode::Plain).toString(), "10");
    EXPECT_EQ(D("0.004").rounded(2, RoundingMode::Plain).toString(), "0");
}

TEST(Decimal, ModuloIsExact) {
    EXPECT_EQ(mod("7", "2"), "1");
    EXPECT_EQ(mod("7.5", "0.25"), "0");
    EXPECT_EQ(mod("1.2345", "0.0001"), "0");
    EXPECT_EQ(mod("1.23456", "0.0001"), "0.00006");
    EXPECT_EQ(mod("-7", "2"), "-1");
    EXPECT_EQ(mod("7", "-2"), "1");
    EXPECT_EQ(mod("-7", "-2"), "-1");
    // The direction comes from the integer parts, zero counting as positive.
    EXPECT_EQ(mod("-0.5", "2"), "1.5");
    EXPECT_EQ(mod("0.35", "0.1"), "0.05");
    EXPECT_EQ(mod("1.1", "0.1"), "0");  // a double would leave 0.0999...
    // 39 digits keep 38: 10^38 mod 0.3 = (10^39 mod 3) / 10; 10^37 + 1 is exact.
    EXPECT_EQ(mod("100000000000000000000000000000000000001", "0.3"), "0.1");
    EXPECT_EQ(mod("10000000000000000000000000000000000001", "0.3"), "0.2");
    EXPECT_EQ(mod("12345678901234567890", "0.00000001"), "0");
    EXPECT_TRUE(D("7").moduloFor(D("0")).isNaN());
    EXPECT_TRUE(D("7").moduloFor(D("x")).isNaN());
    EXPECT_EQ(D("0").moduloFor(D("0.5")).toString(), "0");
}

TEST(Decimal, Helpers) {
    EXPECT_EQ(D("12.75").decimalPlaces().toString(), "0.75");
    EXPECT_EQ(D("-12.75").decimalPlaces().toString(), "-0.75");
    EXPECT_EQ(D("1.2345").moduloForDouble(0.0001).toString(), "0");
    EXPECT_EQ(D("1.23").moduloForDouble(0.1).toString(), "0.03");
    // "%f" keeps six decimals: a divisor below that reads as zero.
    EXPECT_TRUE(D("1").moduloForDouble(0.0000001).isNaN());
    EXPECT_EQ(D("-3.5").absoluteNumber().toString(), "3.5");
    EXPECT_EQ(D("3").greaterNumber(D("4")).toString(), "4");
    EXPECT_EQ(D("3").smallerNumber(D("4")).toString(), "3");
    EXPECT_EQ(D("5").smallerNumber(D("4")).toString(), "4");
}

}  // namespace
