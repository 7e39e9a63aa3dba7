// Markup through the kit's tooltips, labels, message boxes and alert: shown as
// typed, nothing loaded, no link opened.
#include <gtest/gtest.h>

#include <QLabel>
#include <memory>

#include "kit/common_alert.h"
#include "kit/plain_text.h"
#include "qt_test_app.h"
#include "shown_as_typed.h"

namespace kit {
namespace {

using testing::markupTexts;
using testing::shownAs;
using testing::shownBy;

void expectLabelsShow(const QMessageBox& box, const QString& typed) {
    bool found = false;
    for (const QLabel* label : box.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        const testing::Shown shown = shownBy(*label);
        EXPECT_TRUE(shown.loaded.isEmpty()) << shown.loaded.join(",").toStdString();
        found |= shown.text == typed;
    }
    EXPECT_TRUE(found) << typed.toStdString();
}

TEST(PlainText, MarkupIsShownAsTypedEverywhere) {
    for (const QString& typed : markupTexts()) {
        SCOPED_TRACE(typed.toStdString());
        const testing::Shown tip = shownAs(plainToolTip(typed));
        EXPECT_EQ(tip.text, typed);
        EXPECT_TRUE(tip.loaded.isEmpty());
        EXPECT_EQ(plainToolTipFor(Qt::DisplayRole, typed), typed);

        std::unique_ptr<QLabel> label(plainLabel(typed));
        EXPECT_EQ(shownBy(*label).text, typed);
        EXPECT_TRUE(shownBy(*label).loaded.isEmpty());

        std::unique_ptr<QMessageBox> box(plainMessageBox(QMessageBox::Information, "t", typed));
        setPlainInformativeText(*box, "second " + typed);
        expectLabelsShow(*box, typed);
        expectLabelsShow(*box, "second " + typed);

        const auto alert = CommonAlert::makeAlert(typed.toStdString(), "title", "OK");
        expectLabelsShow(*alert, typed);
    }
    // Qt's own guess would have read the file and hidden the link.
    EXPECT_EQ(shownAs("<img src=/dev/zero>").loaded, QStringList{"/dev/zero"});
    EXPECT_EQ(shownAs("<a href=\"file:///x\">x</a>").text, "x");
}

}  // namespace
}  // namespace kit
