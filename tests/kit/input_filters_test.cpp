#include "kit/core/input_filters.h"

#include <gtest/gtest.h>

namespace kit {
namespace {

struct FilterCase {
    const char* name;
    InputFilter filter;
    const char* before;
    std::size_t start, length;
    const char* replacement;
    bool allowed;
};

class InputFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(InputFilterTest, JudgesTheEdit) {
    const auto& c = GetParam();
    EXPECT_EQ(allowsEdit(c.filter, editAt(c.before, c.start, c.length, c.replacement)), c.allowed);
}

constexpr auto D = InputFilter::Decimal;
constexpr auto D2 = InputFilter::DecimalTwoPlaces;
constexpr auto P = InputFilter::Digits5;

INSTANTIATE_TEST_SUITE_P(Table, InputFilterTest, testing::Values(
    FilterCase{"SecondPointRefused", D, "12.5", 4, 0, ".", false},
    FilterCase{"DigitAfterPoint", D, "12.5", 4, 0, "7", true},
    FilterCase{"PastedPointsRefused", D, "12.5", 4, 0, "3.4", false},
    FilterCase{"PointOverSelectedPoint", D, "12.5", 2, 1, ".", true},
    FilterCase{"PasteReplacingThePoint", D, "12.5", 2, 2, "3.4", true},
    FilterCase{"LetterRefused", D, "12", 2, 0, "a", false},
    FilterCase{"DeletionAlways", D, "12.5", 3, 1, "", true},
    FilterCase{"FourDecimalsAllowed", D, "1.2345", 6, 0, "6", true},
    FilterCase{"TwoDecimalsStop", D2, "12.50", 0, 0, "1", false},
    FilterCase{"TwoDecimalsDeletion", D2, "12.50", 4, 1, "", true},
    FilterCase{"OneDecimalGrows", D2, "12.5", 4, 0, "0", true},
    FilterCase{"TwoPlacesPasteRefused", D2, "12.5", 4, 0, "3.4", false},
    FilterCase{"SixthDigitRefused", P, "65535", 5, 0, "1", false},
    FilterCase{"SelectionReplaced", P, "65535", 1, 2, "1", true},
    FilterCase{"PortLetterRefused", P, "655", 3, 0, "a", false},
    FilterCase{"PortPointRefused", P, "655", 3, 0, ".", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InputFilters, EditBetweenFindsTheInsertedText) {
    EXPECT_EQ(editBetween("12.5", "12.53.4").replacement, "3.4");
    EXPECT_EQ(editBetween("12.5", "12.5").replacement, "");
    EXPECT_EQ(editBetween("1255", "125").replacement, "");
    EXPECT_FALSE(allowsEdit(D, editBetween("12.5", "12.53.4")));
}

TEST(InputFilters, DecimalPlaces) {
    for (auto [text, places] : {std::pair{"12.50", 2}, {"12", 0}, {"1.2.3", 0}, {"3.", 0}, {".125", 3}})
        EXPECT_EQ(findNumberOfDecimalPlaces(text), std::size_t(places)) << text;
}

TEST(InputFilters, HeaderCellCleaning) {
    for (auto [typed, kept] : {std::pair{"1.2.", "1.2"}, {"1a", "1"}, {"", ""}, {"12.5.", "12.5"},
                               {"1.", "1."}, {"x9y", "9"}})
        EXPECT_EQ(headerCellText(typed), kept) << typed;
}

TEST(InputFilters, SeparatorBytesAreRefused) {
    for (char c = 0x01; c <= 0x07; ++c) EXPECT_TRUE(holdsSeparatorByte(std::string("ab") + c)) << int(c);
    EXPECT_FALSE(holdsSeparatorByte("trader\t#\x08\x7f"));
}

}  // namespace
}  // namespace kit
