// The typed roads: what each hands to Qt for a hostile text.
#include <gtest/gtest.h>

#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace kit {
namespace {

const std::string kOverride = "GO\xE2\x80\xAE" "LD";

TEST(OwnText, ExactRoadsKeepEveryCharacterAndTheTitleIsolatesItsId) {
    const std::string longText(5000, 'a');
    struct Case {
        const char* road;
        QString given;
        QString expected;
    } cases[] = {
        {"exact input keeps a control", exactText(ExactInput(kOverride)), QString::fromUtf8(kOverride.c_str())},
        {"exact input keeps its length", exactText(ExactInput(longText)), QString(5000, u'a')},
        {"a file path", filePath("/tmp/\xD7\x90.png"), QString::fromUtf8("/tmp/\xD7\x90.png")},
        {"an id isolated after the app's words", numberedTitle(QStringLiteral("Offset"), "\xD7\x90\xD7\x91", QStringLiteral(" (B)")),
         QStringLiteral("Offset #") + QChar(0x2068) + QString::fromUtf8("\xD7\x90\xD7\x91") + QChar(0x2069) +
             QStringLiteral(" (B)")},
        {"an id's control shown, the isolates the app's own", numberedTitle(QStringLiteral("Close"), kOverride),
         QStringLiteral("Close #") + QChar(0x2068) + shownText(kOverride) + QChar(0x2069)},
        {"a composed row keeps its isolates", composedText("\xE2\x81\xA8" "Bob\xE2\x81\xA9: hi"),
         QString::fromUtf8("\xE2\x81\xA8" "Bob\xE2\x81\xA9: hi")},
    };
    for (const Case& c : cases) EXPECT_EQ(c.given, c.expected) << c.road;
    EXPECT_FALSE(numberedTitle(QString(), kOverride).contains(QChar(0x202E)));
    EXPECT_LT(composedText(std::string(1 << 20, 'x')).size(), 2 * kMaxShownLength);
}

}  // namespace
}  // namespace kit
