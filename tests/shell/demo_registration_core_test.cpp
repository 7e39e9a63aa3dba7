// The demo-account form's rules: the checks in order, the e-mail pattern and
// the deposit amounts of a list.
#include <gtest/gtest.h>

#include "platform/property_list.h"
#include "shell/core/demo_registration_form.h"

namespace shell {
namespace {

TEST(DemoRegistrationForm, FirstFailedCheckInOrder) {
    struct Row {
        model::DemoRegistration form;
        std::optional<std::string> key;
    };
    const Row rows[] = {
        {{"", "", "", "", "", false}, "20225"},
        {{"A", "", "", "", "", false}, "1047"},  // an empty e-mail fails the pattern
        {{"A", "", "a@b.cd", "", "", false}, "20226"},
        {{"A", "1", "a@b.cd", "", "", false}, "20224"},
        {{" ", "1", "a@b.cd", "", "Norway", false}, std::nullopt},  // no trimming; deposit unchecked
    };
    for (const Row& r : rows) EXPECT_EQ(checkRegistrationForm(r.form), r.key) << r.form.name << r.form.email;
}

TEST(DemoRegistrationForm, EmailPatternOnTheWholeText) {
    for (const char* good : {"a@b.cd", "A.B+c%d_e-f@Mail-1.Example.INFO", "x@y.z.com"})
        EXPECT_TRUE(validateEmailWithString(good)) << good;
    for (const char* bad : {"a@b.c", "a@b.abcde", "a@b.cd.e", "a @b.cd", "a@b.cd ", "@b.cd", "a@.cd", "a@b@c.cd",
                            "a@b.c1", "ab.cd"})
        EXPECT_FALSE(validateEmailWithString(bad)) << bad;
}

TEST(DemoRegistrationForm, DepositAmountsOfTheListType) {
    const platform::PlistValue list = platform::PropertyList::parse(
        "<plist><dict><key>Standard</key><array><string>1000</string><string>5000</string></array>"
        "<key>Odd</key><string>7</string></dict></plist>");
    EXPECT_EQ(depositAmounts(list, "Standard"), (std::vector<std::string>{"1000", "5000"}));
    EXPECT_EQ(depositAmounts(list, "Gold"), std::nullopt);
    EXPECT_EQ(depositAmounts(list, "Odd"), std::nullopt);
    EXPECT_EQ(depositAmounts(platform::PlistValue(), "Standard"), std::nullopt);
}

}  // namespace
}  // namespace shell
