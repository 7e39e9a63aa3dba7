// Markup through the kit's tooltips, labels, message boxes and alert: shown as
// typed, nothing loaded, no link opened.
// Long texts cut on a whole character, bidirectional controls shown, wherever a server text enters Qt.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProxyStyle>
#include <QStandardItemModel>
#include <QTableView>
#include <memory>

#include "kit/app_style.h"
#include "kit/common_alert.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "kit/text_cell_delegate.h"
#include "model/shown_text.h"
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

QString u(const char16_t* text) { return QString::fromUtf16(text); }

TEST(ShownText, TheRuleOnQStringsAndWhereverQtIsGivenIt) {
    // The rule's own table of marks is Qt's.
    for (char32_t c = 0; c < 0x110000; ++c) ASSERT_EQ(model::isCombiningMark(c), QChar::isMark(c)) << unsigned(c);

    // UTF-8 is converted only as far as it is shown, with the same result.
    std::string utf8;
    while (utf8.size() < 4 * 1024 * 1024) utf8 += "caf\xC3\xA9 \xE2\x80\xAE\xF0\x9F\x98\x80 ";
    const QString whole = QString::fromStdString(utf8);
    EXPECT_EQ(shownText(utf8), shownText(whole));
    EXPECT_EQ(shownText(whole).size(), kMaxShownLength + 1);

    // A megabyte through every place where a server text enters Qt: what Qt is
    // given is the shown form.
    const QString longText = QString(1024 * 1024, 'x') + QChar(0x202E);
    const qsizetype most = kMaxShownLength + 1;

    std::unique_ptr<QLabel> made(plainLabel(longText)), later(plainLabel());
    setShownText(*later, longText);
    std::unique_ptr<QMessageBox> box(plainMessageBox(QMessageBox::Information, "t", longText));
    setPlainInformativeText(*box, longText);
    const auto alert = CommonAlert::makeAlert(longText.toStdString(), "You have been logged out", "OK");
    const QString labels[] = {made->text(), later->text()};
    for (const QString& given : labels) EXPECT_EQ(given.size(), most);
    // A message box holds fewer, wrappable at its width.
    const QString boxes[] = {box->text(), box->informativeText(), alert->informativeText()};
    for (QString given : boxes) EXPECT_EQ(given.remove(QChar(0x200B)).size(), kMaxAlertLength + 1);
    setShownText(*later, std::string_view("abc\xE2\x80\xAE" "fdp.exe"));
    EXPECT_EQ(later->text(), u(u"abc\uFFFDfdp.exe"));
    alert->show();
    testing::saveScreenshot(alert.get(), "alert-long-reason");
    EXPECT_LE(alert->width(), 2000);
    // A box whose icon is set after it was made (the login's refusals) keeps a line's width.
    const auto refusal = CommonAlert::makeAlert("The connection to the server was lost.", "Connection", "OK");
    refusal->setIcon(QMessageBox::Critical);
    refusal->show();
    EXPECT_GE(refusal->findChild<QLabel*>("qt_msgbox_informativelabel")->width(), CommonAlert::kMinimumTextWidth);
    // An unbroken text wraps inside the alert instead of running past its edge.
    const QLabel* reason = alert->findChild<QLabel*>("qt_msgbox_informativelabel");
    ASSERT_TRUE(reason);
    EXPECT_LE(reason->fontMetrics().boundingRect(reason->contentsRect(), Qt::TextWordWrap, reason->text()).width(),
              reason->contentsRect().width());
    const struct {
        QString text, wrapped;
    } runs[] = {
        {QString(40, 'x') + " " + QString(40, 'y'), QString(40, 'x') + " " + QString(40, 'y')},
        {QString(81, 'x'), QString(40, 'x') + QChar(0x200B) + QString(40, 'x') + QChar(0x200B) + "x"},
        {QString(39, 'x') + u(u"e\u0301xx"), QString(39, 'x') + u(u"e\u0301\u200Bxx")},
        {QString(39, 'x') + u(u"\U0001D400\U0001D400"), QString(39, 'x') + u(u"\U0001D400\u200B\U0001D400")},
        {QString(90, QChar(0x4E2D)), QString(90, QChar(0x4E2D))},  // ideographs break anywhere already
    };
    for (const auto& r : runs) EXPECT_EQ(wrappableText(r.text), r.wrapped) << r.text.toStdString();

    EXPECT_LE(plainToolTip(longText).size(), most);
    EXPECT_LE(plainToolTip("<b>" + longText).size(), most + 64);  // escaped, in its paragraph
    EXPECT_EQ(plainToolTipFor(Qt::DisplayRole, u(u"abc\u202Efdp.exe")), u(u"abc\uFFFDfdp.exe"));

    // A table cell is measured from its shown form, by its delegate and, whatever the delegate, by the style.
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, new QStandardItem(longText));
    QStyleOptionViewItem option;
    const int widest = 2 * option.fontMetrics.horizontalAdvance(QString(kMaxShownLength, 'x'));
    EXPECT_LT(TextCellDelegate().sizeHint(option, model.index(0, 0)).width(), widest);
    option.text = longText;
    option.features |= QStyleOptionViewItem::HasDisplay;
    EXPECT_LT(AppStyle().sizeFromContents(QStyle::CT_ItemViewItem, &option, {}, nullptr).width(), widest);
}

// The style below the app's, keeping the text of each cell it is asked to draw.
class CellRecorder : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter*, const QWidget*) const override {
        if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option); item && element == CE_ItemViewItem)
            drawn = item->text;
    }
    mutable QString drawn;
};

// The style's net: a cell longer than shown, whose model did not give the
// rule's form, drawn in it; the kit's delegate's cells (the rule's form with
// isolates of the kit's) and every short cell as they come.
TEST(ShownText, TheStyleDrawsALongCellInTheRulesForm) {
    AppStyle style;
    auto* recorder = new CellRecorder;
    style.setBaseStyle(recorder);
    QStandardItemModel model(1, 1);
    QTableView plain, kits;
    plain.setModel(&model);
    kits.setModel(&model);
    kits.setItemDelegate(new TextCellDelegate(&kits));
    const QString isolated = QChar(0x2066) + QString(kMaxShownLength, u'x') + QChar(0x2069);
    const struct {
        const char* what;
        QString text;
        const QTableView* view;
        QString drawn;
    } cases[] = {
        {"a short cell in another script", QString::fromUtf16(u"\u9EC4\u91D1 7"), &plain, QString::fromUtf16(u"\u9EC4\u91D1 7")},
        {"a long cell, its control shown", QString(kMaxShownLength - 1, u'x') + QChar(0x202E) + QStringLiteral("yy"), &plain,
         QString(kMaxShownLength - 1, u'x') + QChar(0xFFFD) + QChar(0x2026)},
        {"a long cell with no view", QString(kMaxShownLength + 1, u'x'), nullptr,
         QString(kMaxShownLength, u'x') + QChar(0x2026)},
        {"the kit's delegate's cell", isolated, &kits, isolated},
    };
    for (const auto& c : cases) {
        QStyleOptionViewItem option;
        option.text = c.text;
        option.index = model.index(0, 0);
        option.features |= QStyleOptionViewItem::HasDisplay;
        style.drawControl(QStyle::CE_ItemViewItem, &option, nullptr, c.view);
        EXPECT_EQ(recorder->drawn, c.drawn) << c.what;
    }
}

}  // namespace
}  // namespace kit
