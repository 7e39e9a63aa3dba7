// The login window, the main window and the ticket in each of the twelve languages:
// no text clipped, every glyph in a font, Arabic, Dari and Pashto right to left.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDateTimeEdit>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTextLayout>
#include <QToolButton>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "charts/chart_controller.h"
#include "charts/chart_view_controller.h"
#include "charts/plot/xy_graph.h"
#include "integration/app_window_fixture.h"
#include "kit/app_style.h"
#include "kit/open_request.h"
#include "kit/two_line_text.h"
#include "model/language_string.h"
#include "shell/core/login_form.h"
#include "shell/login_window.h"
#include "shell/main_window_controller.h"
#include "state/notification_payloads.h"
#include "trading/trade_ticket_window_controller.h"

namespace {

using kit::testing::runUntil;
using model::LanguageString;

// The visible labels and buttons of `window` whose text is wider than the room it has: its
// own width, or the part of it its parents leave visible.
std::vector<std::string> clippedTexts(QWidget* window) {
    // What a scroll area holds is scrolled to, not cut.
    const auto visibleWidth = [](QWidget* w) {
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (qobject_cast<QAbstractScrollArea*>(p)) return w->width();
        return w->visibleRegion().boundingRect().width();
    };
    std::vector<std::string> out;
    const auto widest = [](const QFontMetrics& metrics, const QString& text) {
        int width = 0;
        for (const QString& line : text.split('\n')) width = std::max(width, metrics.horizontalAdvance(line));
        return width;
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty() || label->textFormat() == Qt::RichText) continue;
        const int room = std::min(label->contentsRect().width(), visibleWidth(label)) -
                         2 * label->margin() - std::max(0, label->indent());
        if (label->wordWrap() ? label->height() < label->heightForWidth(label->width())
                              : widest(label->fontMetrics(), label->text()) > room)
            out.push_back("label \"" + label->text().toStdString() + "\"");
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || button->text().isEmpty()) continue;
        // A tool button is as wide as its text and a small frame; the others as their style asks.
        const auto* tool = qobject_cast<QToolButton*>(button);
        const int room = std::min(button->width(), visibleWidth(button));
        if (tool ? widest(button->fontMetrics(), button->text()) + 4 > room : room < button->sizeHint().width())
            out.push_back("button \"" + button->text().toStdString() + "\"");
    }
    return out;
}

// The fonts that draw `text` in `font`, fallbacks included; with `missing`, those of them that lack a glyph of it.
QStringList drawingFonts(const QString& text, const QFont& font, bool missing = false) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns())
        if (!missing || run.glyphIndexes().contains(0)) families.append(run.rawFont().familyName());
    families.removeDuplicates();
    return families;
}

// Characters of `text` drawn as the missing glyph in `font` and the fonts the toolkit falls back to.
QString missingGlyphs(const QString& text, const QFont& font) { return drawingFonts(text, font, true).join(' '); }

std::vector<std::string> tableTexts(const std::string& folder) {
    std::ifstream in(std::filesystem::path(TC_SOURCE_DIR) / "resources" / (folder + ".lproj") / "Localizable.strings");
    std::vector<std::string> out;
    for (const auto& [key, text] : model::StringTable::parse(std::string(std::istreambuf_iterator<char>(in), {})))
        out.push_back(text);
    return out;
}

class LanguageWindowsTest : public integration::AppWindowTest, public ::testing::WithParamInterface<int> {
protected:
    LanguageWindowsTest() : AppWindowTest("language_windows") {}
    void SetUp() override {
        // As the application draws; the test start's style was made before the application, unowned.
        if (!dynamic_cast<kit::AppStyle*>(QApplication::style())) {
            QStyle* before = QApplication::style();
            kit::installAppStyle(false);
            if (!before->parent()) delete before;
        }
        AppWindowTest::SetUp();
    }
    void TearDown() override {
        QApplication::setPalette(kit::ThemeManager::palette(0));
        AppWindowTest::TearDown();
        QApplication::setLayoutDirection(Qt::LeftToRight);
    }
    std::string folder() const { return LanguageString::languageFolder(GetParam()); }
    QString shotName(const char* window) const { return QString("%1-%2").arg(window, QString::fromStdString(folder())); }
    bool rightToLeft() const { return folder() == "ar" || folder() == "fa-AF" || folder() == "ps-AF"; }
    // Dark and light screenshots of `window`, themed as the application themes it.
    void bothThemes(QWidget* window, const char* name) {
        for (const std::int64_t theme : {1, 0}) {
            prefs->set("Theme", theme);
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
            kit::testing::runFor(100);
            kit::testing::saveScreenshot(window, shotName(name) + (theme ? "-light" : "-dark"));
        }
    }
};

TEST_P(LanguageWindowsTest, TextsFitRenderAndReadInTheLanguagesDirection) {
    prefs->set("LanguageKey", std::int64_t(GetParam()));
    delegate = std::make_unique<shell::AppDelegate>(recordedParts());
    delegate->applicationDidFinishLaunching();
    shell::LoginWindow* login = delegate->window();
    ASSERT_EQ(login->languagesComboBox->currentIndex(), GetParam());
    EXPECT_EQ(QApplication::layoutDirection(), rightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    // Another language chosen in the list turns the direction as it reads.
    delegate->setLanguage(GetParam() == 5 ? 0 : 5);
    EXPECT_EQ(login->isRightToLeft(), GetParam() != 5);
    delegate->setLanguage(GetParam());
    EXPECT_EQ(login->isRightToLeft(), rightToLeft());

    // Its name in the list and every text of its table have a font that holds their glyphs.
    ASSERT_NE(missingGlyphs(QString(QChar(0xE000)), login->font()), "");  // a character no font holds is found
    const QString name = QString::fromStdString(shell::languageNames()[GetParam()]);
    EXPECT_EQ(missingGlyphs(name, login->languagesComboBox->font()), "") << name.toStdString();
    for (const std::string& text : tableTexts(folder()))
        EXPECT_EQ(missingGlyphs(QString::fromStdString(text), login->font()), "") << folder() << ": " << text;

    runUntil([&] { return login->isVisible(); });
    kit::testing::runFor(50);
    EXPECT_EQ(clippedTexts(login), std::vector<std::string>()) << "login window in " << folder();
    kit::testing::saveScreenshot(login, shotName("login"));

    login->setFields({"trader", "secret1", "127.0.0.1", std::to_string(sim->sessionPort())});
    delegate->loginButtonClicked();
    ASSERT_TRUE(runUntil([&] { return delegate->mWindowController() && delegate->mWindowController()->built(); }, 10000));
    shell::MainWindowController* main = delegate->mWindowController();
    ASSERT_TRUE(runUntil([&] { return !main->context().view.watchlistCodes().empty(); }, 10000));
    const std::string symbol = main->context().view.watchlistCodes().front();
    // The chart panes have drawn their bars.
    ASSERT_TRUE(runUntil([&] {
        for (auto* chart : main->chartViewControllers)
            if (!chart->chartController()->graph() || chart->chartController()->graph()->plots().empty()) return false;
        return true;
    }, 10000));
    kit::testing::runFor(100);
    // The status strip's texts arrive with the first status messages; its layout settles a
    // turn later: a text still cut after that is a fault.
    runUntil([&] { return clippedTexts(main->window()).empty(); }, 3000);
    EXPECT_EQ(clippedTexts(main->window()), std::vector<std::string>()) << "main window in " << folder();
    // Nothing holds it wider than ./run's 1280x800 screen.
    EXPECT_LE(main->window()->minimumSizeHint().width(), 1280) << folder();
    // At 1280 every toolbar item shows in the toolbar, none behind its "»".
    main->window()->resize(1280, 800);
    kit::testing::runFor(50);
    for (QAction* item : main->mainToolbar->actions()) {
        EXPECT_TRUE(item->isSeparator() || main->mainToolbar->widgetForAction(item)->isVisible()) << item->iconText().toStdString();
    }
    kit::testing::saveScreenshot(main->window(), shotName("main"));
    // The status clock names the month in the language, in a font that joins its letters.
    platform::NotificationCenter::defaultCenter().post(state::notifications::kNetworkSpeed,
                                                       std::make_shared<state::TextPayload>("20241230235959"));
    EXPECT_EQ(main->ServerTimeTextField->text().toStdString(),
              LanguageString::stringforSelectedLanguage(GetParam(), "90751") + " 30, 2024 23:59:59");
    EXPECT_EQ(main->ServerTimeTextField->font().family() == "monospace", !rightToLeft()) << folder();

    ASSERT_TRUE(main->openWindow("TradeTicketWindowController", kit::itemRequest(symbol)));
    auto* ticket = dynamic_cast<trading::TradeTicketWindowController*>(main->keptWindow("TradeTicketWindowController"));
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(runUntil([&] { return ticket->isVisible() && !ticket->HighTextLabel->text().isEmpty(); }, 10000));
    kit::testing::runFor(100);
    EXPECT_EQ(clippedTexts(ticket), std::vector<std::string>()) << "ticket in " << folder();

    // The quote line's words are drawn by one font, so that their letters join; its figures by a
    // monospaced one.
    for (kit::QuoteLineLabel* label : {ticket->LowTextLabel, ticket->HighTextLabel}) {
        const QString word = label->text().section(" : ", 0, 0);
        EXPECT_EQ(drawingFonts(word, label->font()).size(), 1) << word.toStdString();
        EXPECT_EQ(drawingFonts(label->figuresText(), label->figureFont()),
                  QStringList{QFontInfo(label->figureFont()).family()})
            << label->text().toStdString();
    }
    // Figures read left to right in a right-to-left window: the ticket's fields and the chart.
    EXPECT_EQ(ticket->isRightToLeft(), rightToLeft());
    for (QLineEdit* field : ticket->findChildren<QLineEdit*>()) {
        if (field->validator()) {
            EXPECT_TRUE(field->isLeftToRight()) << field->objectName().toStdString();
        }
    }
    EXPECT_TRUE(ticket->TradeChart->isLeftToRight());

    // A drawer button's arrow points to the side its drawer opens on, mirrored or not.
    for (const auto& [button, drawer] : {std::pair{ticket->marketDepthChartButton, ticket->rightDrawer},
                                         std::pair{ticket->multitradeButton, ticket->leftDrawer}}) {
        button->click();
        ASSERT_TRUE(runUntil([&] { return drawer->isVisible(); }));
        const bool opensLeft = drawer->mapTo(ticket, drawer->rect().center()).x() < ticket->width() / 2;
        EXPECT_TRUE(button->text().contains(opensLeft ? "<<" : ">>")) << button->text().toStdString();
        EXPECT_FALSE(button->text().contains(opensLeft ? ">>" : "<<")) << button->text().toStdString();
    }
    // The depth tables' and the accounts' headers are read whole.
    kit::testing::runFor(50);
    for (QTableView* table : {ticket->BuyMarketDepthTableView, ticket->SellMarketDepthTableView, ticket->multitradeTableView})
        for (int c = 0; c < table->model()->columnCount(); ++c) {
            const QString title = table->model()->headerData(c, Qt::Horizontal).toString();
            EXPECT_LE(kit::widestLine(title, table->horizontalHeader()->fontMetrics()) + 8, table->columnWidth(c))
                << title.toStdString();
        }
    if (folder() == "ar") kit::testing::saveScreenshot(ticket, shotName("ticket-drawers"));
    ticket->marketDepthChartButton->click();
    ticket->multitradeButton->click();
    ASSERT_TRUE(runUntil([&] { return !ticket->rightDrawer->isVisible() && !ticket->leftDrawer->isVisible(); }));
    if (folder() != "ar") return;

    bothThemes(main->window(), "main");
    bothThemes(ticket, "ticket");
    ASSERT_TRUE(main->runCommand("AccountStatementButtonClicked"));
    QWidget* statement = main->keptWindow("AccountStatementWindowController");
    ASSERT_TRUE(statement && runUntil([&] { return statement->isVisible(); }));
    EXPECT_TRUE(statement->isRightToLeft());
    for (QDateTimeEdit* date : statement->findChildren<QDateTimeEdit*>()) {
        EXPECT_TRUE(date->isLeftToRight()) << date->text().toStdString();
    }
    kit::testing::runFor(1000);
    bothThemes(statement, "statement");
    ASSERT_TRUE(main->runCommand("ChatButtonClicked"));
    QWidget* chat = main->keptWindow("ChatWindowController");
    ASSERT_TRUE(chat && runUntil([&] { return chat->isVisible(); }));
    chat->resize(760, 520);
    bothThemes(chat, "chat");
}

INSTANTIATE_TEST_SUITE_P(Each, LanguageWindowsTest, ::testing::Range(0, 12), [](const auto& info) {
    std::string name = LanguageString::languageFolder(info.param);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

}  // namespace
