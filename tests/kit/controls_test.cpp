#include <QDropEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include "kit/core/kit_payloads.h"
#include "kit/control_texts_walk.h"
#include "kit/controls/custom_drag_view.h"
#include "kit/controls/dark_views.h"
#include "kit/controls/long_list_combo.h"
#include "kit/shown_text.h"
#include "kit/controls/input_filter_fields.h"
#include "kit/controls/price_label.h"
#include "kit/controls/table_header_cell.h"
#include "kit/popover_placement.h"
#include "kit/text_cell_delegate.h"
#include "kit/text_direction.h"
#include "kit/theme_manager.h"
#include "model/language_string.h"
#include "qt_test_app.h"
#include "state/notification_payloads.h"

namespace kit {
namespace {

// What one notification name carried, while the fixture lives.
template <class Payload>
struct Heard {
    explicit Heard(const char* name) {
        auto& center = platform::NotificationCenter::defaultCenter();
        handle = platform::ObserverHandle(&center, center.addObserver(name, [this](const platform::Notification& n) {
            if (auto* p = n.as<Payload>()) payloads.push_back(*p);
        }));
    }
    std::vector<Payload> payloads;
    platform::ObserverHandle handle;
};

TEST(FilteredFields, TypingAndPasting) {
    struct Case {
        const char* name;
        std::function<QLineEdit*()> make;
        const char* start;
        const char* typed;    // typed key by key at the end
        const char* pasted;   // then inserted at once
        const char* result;
    } cases[] = {
        {"port", [] { return new CustomTextField; }, "", "655351a", "", "65535"},
        {"price", [] { return new DecimalInputField; }, "12.5", ".7", "3.4", "12.57"},
        {"price4", [] { return new DecimalInputField; }, "1.234", "5", "", "1.2345"},
        {"amount", [] { return new DecimalTextField; }, "12.5", "09", "", "12.50"},
        {"phone", [] { return new DecimalInputField; }, "", "0049x170", "", "0049170"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<QLineEdit> field(c.make());
        field->setText(c.start);
        field->setCursorPosition(int(field->text().size()));
        QTest::keyClicks(field.get(), c.typed);
        field->insert(c.pasted);
        EXPECT_EQ(field->text().toStdString(), c.result) << c.name;
    }
}

TEST(FilteredFields, PointOverTheSelectedPointIsAllowed) {
    DecimalInputField field;
    field.setText("12.5");
    field.setSelection(2, 1);
    QTest::keyClicks(&field, ".");
    EXPECT_EQ(field.text(), "12.5");
    CustomComboBox combo;
    QTest::keyClicks(combo.lineEdit(), "1.5.0a");
    EXPECT_EQ(combo.currentText(), "1.50");
}

// Under a right-to-left layout a figure keeps its sign before its digits and its place
// in a right-aligned column; Latin words and codes keep the layout's side but read left to
// right (a name's closing period stays at its end); Arabic words follow the layout.
TEST(FiguresLeftToRight, CellsAndFieldsOfFiguresUnderARightToLeftLayout) {
    struct Probe : TextCellDelegate {
        using TextCellDelegate::initStyleOption;
    } delegate;
    QStandardItemModel model(1, 1);
    struct Row {
        const char* text;
        bool figure, isolated;
    };
    for (const Row& row : {Row{"-12.50", true, false}, Row{"1,234.5", true, false},
                           Row{"2026-12-08 10:00:00", true, false}, Row{"1001", true, false},
                           Row{"(5.00)", true, false}, Row{"EURUSD", false, true},
                           Row{"Fernmoor Devices Inc.", false, true}, Row{"", false, false}, Row{"...", false, false},
                           Row{"\u0627\u0644\u0631\u0635\u064a\u062f 12", false, false},
                           Row{"\u0630\u0647\u0628 GOLD", false, false}}) {
        const QString text = QString::fromUtf8(row.text);
        model.setData(model.index(0, 0), text);
        QStyleOptionViewItem option;
        option.direction = Qt::RightToLeft;
        delegate.initStyleOption(&option, model.index(0, 0));
        EXPECT_EQ(option.text, row.isolated ? QChar(0x2066) + text + QChar(0x2069) : text) << row.text;
        EXPECT_EQ(option.direction, row.figure ? Qt::LeftToRight : Qt::RightToLeft) << row.text;
        keepFigureLeftToRight(option);  // the style's pass after the delegate's changes nothing more
        EXPECT_EQ(option.text.size(), text.size() + (row.isolated ? 2 : 0)) << row.text;
    }
    QApplication::setLayoutDirection(Qt::RightToLeft);
    DecimalInputField price;
    CustomComboBox quantity;
    PriceLabel label;
    QLineEdit name;
    EXPECT_TRUE(price.isLeftToRight() && quantity.isLeftToRight() && quantity.lineEdit()->isLeftToRight() &&
                label.isLeftToRight());
    EXPECT_TRUE(name.isRightToLeft());
    QApplication::setLayoutDirection(Qt::LeftToRight);
}

// A long list is sized by its longest text's length, without measuring each item; a short one as Qt sizes it.
TEST(LongListCombo, SizedByTheLongestTextOnceLong) {
    const std::tuple<int, QString, QComboBox::SizeAdjustPolicy> cases[] = {
        {kMeasuredItems - 1, "XAUUSD.SPOT", QComboBox::AdjustToContentsOnFirstShow},
        {kMeasuredItems, "XAUUSD.SPOT", QComboBox::AdjustToMinimumContentsLengthWithIcon},
        {13045, QString(80, 'X'), QComboBox::AdjustToMinimumContentsLengthWithIcon},
    };
    for (const auto& [count, longest, policy] : cases) {
        QComboBox combo;
        for (int i = 0; i < count; ++i) combo.addItem(i == count / 2 ? longest : QString::number(i));
        sizeToItems(combo);
        EXPECT_EQ(combo.sizeAdjustPolicy(), policy) << count;
        const int text = combo.fontMetrics().horizontalAdvance(longest.left(kLongestSizedText));
        EXPECT_GE(combo.sizeHint().width(), text) << count;
        EXPECT_LT(combo.sizeHint().width(), 2 * text + 60) << count;
    }
}

// Codes set at once read as added items: text by the rule, the code as data,
// an icon where one is given, found and chosen; a second set replaces the first.
TEST(LongListCombo, CodesSetAtOnceReadAsAddedItems) {
    QComboBox combo;
    QPixmap dot(8, 8);
    dot.fill(Qt::red);
    int iconsMade = 0;
    for (const int count : {3, 2}) {
        std::vector<std::string> codes;
        for (int i = 0; i < count; ++i) codes.push_back(std::to_string(count * 10 + i) + (i == 2 ? "\u202E" : ""));
        setComboCodes(combo, codes, [&](const std::string& code) {
            ++iconsMade;
            return code == codes[1] ? QIcon(dot) : QIcon();
        });
        ASSERT_EQ(combo.count(), count);
        EXPECT_EQ(combo.itemText(1), QString::number(count * 10 + 1));
        EXPECT_EQ(combo.itemData(1).toString().toStdString(), codes[1]);
        EXPECT_FALSE(combo.itemIcon(1).isNull());
        EXPECT_TRUE(combo.itemIcon(0).isNull());
        EXPECT_EQ(combo.findData(QString::number(count * 10 + 1)), 1);
        EXPECT_EQ(combo.findText(QString::number(count * 10)), 0);
        combo.setCurrentIndex(1);
        EXPECT_EQ(combo.currentText(), QString::number(count * 10 + 1));
        if (count == 3) {
            EXPECT_EQ(combo.itemText(2), kit::shownText(codes[2]));  // the rule: its control shown
            EXPECT_NE(combo.itemText(2).toStdU16String().back(), u'\u202E');
        }
    }
    EXPECT_GT(iconsMade, 0);
    setComboCodes(combo, {"A", "B"});
    EXPECT_TRUE(combo.itemIcon(0).isNull());
}

TEST(TableHeaderCell, CleansEachChangeAndPostsTheFinalText) {
    Heard<state::TextPayload> heard(kTableHeaderEditNotification);
    for (auto [typed, kept] : {std::pair{"1.2.", "1.2"}, {"1a", "1"}, {"x", ""}}) {
        TableHeaderCell cell;
        QTest::keyClicks(&cell, typed);
        EXPECT_EQ(cell.text().toStdString(), kept) << typed;
        QTest::keyClick(&cell, Qt::Key_Return);
    }
    ASSERT_EQ(heard.payloads.size(), 3u);
    EXPECT_EQ(heard.payloads[0].text, "1.2");
    EXPECT_EQ(heard.payloads[2].text, "");
}

TEST(CustomDragView, PostsTheDroppedSymbolWithThePane) {
    Heard<TextListPayload> heard(kChartSymbolDragNotification);
    CustomDragView pane;
    pane.setObjectName("Chart3");
    const auto drop = [&](QMimeData& data) { return pane.performDragOperation(&data); };
    QMimeData text;
    text.setText("EURUSD");
    EXPECT_TRUE(drop(text));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.csv")});
    EXPECT_FALSE(drop(files));
    ASSERT_EQ(heard.payloads.size(), 1u);
    EXPECT_EQ(heard.payloads[0].texts, (std::vector<std::string>{"EURUSD", "Chart3"}));
}

TEST(ControlTexts, TaggedWidgetsTakeTheirKeysText) {
    QWidget window;
    auto* tagged = new QLabel("old", &window);
    tagged->setProperty("tag", 52);
    auto* plain = new QLabel("keep", &window);
    plain->setProperty("tag", 0);
    auto* box = new QGroupBox("old", &window);
    box->setProperty("tag", 1078);
    applyControlTexts(&window, 0);
    EXPECT_EQ(tagged->text().toStdString(), model::LanguageString::stringforSelectedLanguage(0, "0052"));
    EXPECT_NE(tagged->text(), "old");
    EXPECT_EQ(box->title().toStdString(), model::LanguageString::stringforSelectedLanguage(0, "1078"));
    EXPECT_EQ(plain->text(), "keep");
}

class ThemeTest : public ::testing::Test {
protected:
    QWidget window;
    QLineEdit* field = new QLineEdit(&window);
    QTableView* table = new QTableView(&window);
};

TEST_F(ThemeTest, OnlyTheKeysPresentAreHandled) {
    const QColor before = window.palette().color(QPalette::Window);
    ThemeManager::applyTheme({{"TextField", {field}}}, 0);
    EXPECT_EQ(window.palette().color(QPalette::Window), before);
    EXPECT_FALSE(table->property("tcGridColor").isValid());
    EXPECT_EQ(field->property("tcBorderColor").value<QColor>(), QColor::fromRgbF(0.3f, 0.3f, 0.3f));

    ThemeManager::applyTheme({{"Windows", {&window}}, {"TableView", {table}}}, 0);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(table->property("tcGridColor").value<QColor>(), ThemeManager::gridColor(0));
}

TEST_F(ThemeTest, AnUnknownThemeOnlySetsTheBorderWidth) {
    const QColor before = window.palette().color(QPalette::Window);
    ThemeManager::applyTheme({{"Windows", {&window}}, {"TextField", {field}}, {"TableView", {table}}}, 2);
    EXPECT_EQ(field->property("tcBorderWidth").toInt(), 1);
    EXPECT_FALSE(field->property("tcBorderColor").isValid());
    EXPECT_FALSE(table->property("tcGridColor").isValid());
    EXPECT_EQ(window.palette().color(QPalette::Window), before);
}

// A theme change reaches a window whole: the main window's new theme leaves
// the marks of a window opened over it (a ticket) with that window's palette.
TEST_F(ThemeTest, AWindowsMarksFollowOnlyThatWindow) {
    auto* own = new QCheckBox("own", &window);
    auto* ticket = new QWidget(&window, Qt::Tool);
    auto* ticketMark = new QRadioButton("ticket", ticket);
    ThemeManager::applyTheme({{"Windows", {&window}}}, 1);
    ThemeManager::applyTheme({{"Windows", {ticket}}}, 1);
    ThemeManager::applyTheme({{"Windows", {&window}}}, 0);
    EXPECT_EQ(own->palette().color(QPalette::WindowText), ThemeManager::palette(0).color(QPalette::WindowText));
    EXPECT_EQ(ticketMark->palette().color(QPalette::WindowText), ticket->palette().color(QPalette::WindowText));
    EXPECT_EQ(ticket->palette().color(QPalette::Window), ThemeManager::palette(1).color(QPalette::Window));
}

// A page added to a themed window: its own marks alone, not those of a window opened over it.
TEST_F(ThemeTest, APagesMarksAreThemedWithoutTheWindowsOthers) {
    ThemeManager::applyTheme({{"Windows", {&window}}}, 0);
    auto* page = new QWidget(&window);
    auto* mark = new QCheckBox("page", page);
    auto* over = new QWidget(page, Qt::Tool);
    auto* overMark = new QRadioButton("over", over);
    ThemeManager::applyTheme({{"Marks", {page}}}, 0);
    EXPECT_EQ(mark->palette().color(QPalette::Window), QColor(120, 120, 120));
    EXPECT_NE(overMark->palette().color(QPalette::Window), QColor(120, 120, 120));
    EXPECT_EQ(page->palette().color(QPalette::Window), QColor(Qt::black));
}

// Popovers and windows grown by a drawer stay on the screen's available
// geometry: the preferred side, else the other, else clamped.
TEST(PopoverPlacement, FlipsOrClampsIntoTheScreen) {
    const QRect small(0, 20, 400, 300);  // a small screen below a 20-point bar
    const QSize panel(200, 120);
    const struct {
        QRect anchor;
        PopoverSide prefer;
        bool alignRight;
        QPoint origin;
    } cases[] = {
        {{100, 200, 40, 20}, PopoverSide::Above, false, {100, 80}},   // room above
        {{100, 30, 40, 20}, PopoverSide::Above, true, {0, 50}},       // none above: below, right edges met, clamped left
        {{100, 250, 40, 20}, PopoverSide::Below, false, {100, 130}},  // none below: above
        {{300, 140, 40, 20}, PopoverSide::Below, false, {200, 160}},  // right edge clamped
        {{100, 130, 40, 80}, PopoverSide::Below, false, {100, 200}},  // neither side: clamped to the bottom
    };
    for (const auto& c : cases) {
        const QPoint origin = popoverOrigin(c.anchor, panel, small, c.prefer, c.alignRight);
        EXPECT_EQ(origin, c.origin) << c.anchor.y();
        EXPECT_TRUE(small.contains(QRect(origin, panel)));
    }
    // A window larger than the room keeps its top left on the screen.
    EXPECT_EQ(clampedInto(QRect(-50, -10, 500, 400), small).topLeft(), small.topLeft());
}

// A window holding each control, in both themes.
TEST(KitScreenshots, EachControlInBothThemes) {
    for (auto [theme, name] : {std::pair{0, "dark"}, {1, "light"}}) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* form = new QFormLayout;
        auto* port = new CustomTextField;
        port->setText("17001");
        auto* price = new DecimalInputField;
        price->setText("1.23456");
        auto* amount = new DecimalTextField;
        amount->setText("250.50");
        auto* quantity = new CustomComboBox;
        quantity->addItems({"0.1", "1", "10"});
        auto* header = new TableHeaderCell;
        header->setText("1.5");
        form->addRow("Port", port);
        form->addRow("Price", price);
        form->addRow("Amount", amount);
        form->addRow("Quantity", quantity);
        form->addRow("Header", header);
        layout->addLayout(form);

        auto* prices = new QWidget;
        auto* row = new QHBoxLayout(prices);
        auto* bid = new PriceLabel;
        bid->setPrice("1.23456", 2, 1);
        bid->setTextColor(ThemeManager::fallColor());
        auto* ask = new PriceLabel;
        ask->setPrice("1850", 2, 1);
        ask->setTextColor(ThemeManager::riseColor());
        row->addWidget(bid);
        row->addWidget(ask);
        layout->addWidget(prices);

        auto* dark = new DarkBackgroundView;
        auto* darkRow = new QHBoxLayout(dark);
        darkRow->addWidget(new DarkButton("Buy"));
        darkRow->addWidget(new DarkButton("Sell"));
        dark->setMinimumHeight(44);
        layout->addWidget(dark);

        auto* pane = new CustomDragView;
        pane->setObjectName("Chart1");
        pane->setMinimumHeight(30);
        layout->addWidget(pane);

        QStandardItemModel model(3, 3);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                auto* price = new QStandardItem(QString::number(1.2 + r * 0.01 + c, 'f', 5));
                price->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);  // prices right-aligned
                model.setItem(r, c, price);
            }
        auto* table = new QTableView;
        table->setModel(&model);
        table->setMinimumHeight(120);
        layout->addWidget(table);

        ThemeManager::applyTheme({{"Windows", {&window}},
                                  {"TextField", {port, price, amount, quantity->lineEdit(), header}},
                                  {"TableView", {table}}},
                                 theme);
        window.resize(420, 460);
        window.show();
        QApplication::processEvents();
        testing::saveScreenshot(&window, QString("kit-controls-") + name);
    }
}

}  // namespace
}  // namespace kit
