#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "kit/core/kit_payloads.h"
#include "kit/common_alert.h"
#include "kit/qt_sound_output.h"
#include "kit/qt_ui_services.h"
#include "kit/shown_text.h"
#include "kit/theme_manager.h"
#include "model/language_string.h"
#include "platform/log.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "qt_test_app.h"

namespace kit {
namespace {

using testing::runFor;
using testing::runUntil;
using Phase = BannerLifecycle::Phase;

struct Recorder : SoundOutput, SystemNotifier {
    std::vector<std::string> sounds, urls;
    std::vector<QString> notices;
    int quits = 0;
    void play(const std::string& name) override { sounds.push_back(name); }
    void show(const QString& title, const QString& text) override { notices.push_back(title + "|" + text); }
};

struct FakeSession {
    bool answer = true;
    std::vector<std::string> activated;
    bool userNotificationCenterShouldPresentNotification(const state::Banner&) const { return answer; }
    void userNotificationCenterDidActivateNotification(const state::Banner& b) { activated.push_back(b.subtitle); }
    void userNotificationCenterDidDeliverNotification(const state::Banner&) {}
};

class BannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorder = std::make_shared<Recorder>();
        QtUiServices::Parts parts;
        parts.sound = recorder;
        parts.notifier = recorder;
        parts.openUrl = [this](const QUrl& url) { recorder->urls.push_back(url.toString().toStdString()); };
        parts.terminate = [this] { ++recorder->quits; };
        parts.bannerTiming = timing;
        ui = std::make_unique<QtUiServices>(prefs, "TradingClient", parts);
    }
    void TearDown() override {
        ui.reset();
        platform::shutdown();
    }
    AppUserNotificationBannerController* deliver(const std::string& subtitle, double delay = 5.0,
                                                 bool buttons = false, int lineBreakMode = 0) {
        state::Banner b;
        b.title = ui->bundleName();
        b.subtitle = subtitle;
        b.informativeText = "The connection to the trading server was lost.";
        b.dismissDelayTime = delay;
        b.hasActionButton = buttons;
        b.lineBreakMode = lineBreakMode;
        ui->deliverBanner(b);
        return ui->customUserNotificationCenter().notificationBannerController();
    }
    static bool shown(QPointer<AppUserNotificationBannerController> b) { return b && b->phase() == Phase::Shown; }

    BannerTiming timing{40, 40};
    platform::Preferences prefs{"/nonexistent/kit-test-preferences"};
    std::shared_ptr<Recorder> recorder;
    std::unique_ptr<QtUiServices> ui;
};

TEST_F(BannerTest, SlidesInAtTheTopRightAndPlaysItsSoundWhateverTheSoundKey) {
    prefs.set("SoundKey", true);
    QWidget typing;  // the ticket the trader types in keeps the keyboard
    typing.show();
    QPointer banner = deliver("Network", 5.0);
    typing.activateWindow();
    ASSERT_TRUE(runUntil([&] { return QApplication::activeWindow() == &typing; }));
    ASSERT_TRUE(runUntil([&] { return shown(banner); }));
    runFor(50);
    EXPECT_EQ(QApplication::activeWindow(), &typing);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(banner->geometry().right() + 1, screen.right() + 1 - 15);
    EXPECT_EQ(banner->geometry().top(), screen.top() + int(banner->frames().shown.y - screen.top()));
    EXPECT_EQ(banner->width(), 380);
    EXPECT_TRUE(banner->userNotification().presented);
    EXPECT_EQ(recorder->sounds, std::vector<std::string>{"AppUserNotificationDefaultSound"});
    ui->playSound("order");  // silenced by SoundKey
    EXPECT_EQ(recorder->sounds.size(), 1u);
    testing::saveScreenshot(banner, "banner-network");
}

TEST_F(BannerTest, DismissalsDuringAnAnimationAreDropped) {
    timing = {300, 300};
    SetUp();
    QPointer banner = deliver("Slow", -1.0, true);
    banner->otherButton()->click();  // during the slide-in
    EXPECT_EQ(banner->phase(), Phase::SlidingIn);
    ASSERT_TRUE(runUntil([&] { return shown(banner); }));
    banner->otherButton()->click();
    EXPECT_EQ(banner->phase(), Phase::SlidingOut);
    ASSERT_TRUE(runUntil([&] { return banner.isNull(); }));
}

TEST_F(BannerTest, TwoBannersGoEachAtItsOwnTimeAndNoDelayMeansStay) {
    QPointer first = deliver("First", 0.3);
    runFor(150);
    QPointer second = deliver("Second", 1.2);
    QPointer stays = deliver("Stays", -1.0);
    // Stacked: none covers another.
    const auto bottom = [](const auto& b) { return b->frames().shown.y + b->frames().shown.height; };
    EXPECT_GT(second->frames().shown.y, bottom(first));
    EXPECT_GT(stays->frames().shown.y, bottom(second));
    ASSERT_TRUE(runUntil([&] { return first.isNull(); }));
    EXPECT_TRUE(shown(second));
    ASSERT_TRUE(runUntil([&] { return second.isNull(); }));
    runFor(200);
    EXPECT_TRUE(shown(stays));
}

TEST_F(BannerTest, ActivationTellsTheDelegateAndSlidesEveryBannerOut) {
    FakeSession session;
    ui->customUserNotificationCenter().setDelegate(delegateFor(session));
    QPointer other = deliver("Other", -1.0);
    prefs.set("LanguageKey", std::int64_t(7));  // unnamed buttons speak the selected language
    QPointer update = deliver("Update", -1.0, true);
    ASSERT_TRUE(runUntil([&] { return shown(other) && shown(update); }));
    EXPECT_EQ(update->otherButton()->text(), "Fermer");
    EXPECT_EQ(update->actionButton()->text(), "Afficher");
    testing::saveScreenshot(update, "banner-update");

    session.answer = false;  // the delegate declines: nothing moves
    update->actionButton()->click();
    EXPECT_TRUE(session.activated.empty());
    session.answer = true;
    QTest::mouseClick(update, Qt::LeftButton, {}, QPoint(20, 20));  // a click on the banner: type 1
    EXPECT_EQ(session.activated, std::vector<std::string>{"Update"});
    ASSERT_TRUE(runUntil([&] { return other.isNull() && update.isNull(); }));
}

TEST_F(BannerTest, WithoutADelegateAClickChangesNothing) {
    QPointer banner = deliver("Plain", -1.0, true);
    ASSERT_TRUE(runUntil([&] { return shown(banner); }));
    std::vector<std::int64_t> types;
    auto& center = platform::NotificationCenter::defaultCenter();
    platform::ObserverHandle handle(&center, center.addObserver(kBannerActivatedNotification,
        [&](const platform::Notification& n) { types.push_back(n.as<ActivationTypePayload>()->type); }));
    banner->actionButton()->click();
    EXPECT_EQ(types, std::vector<std::int64_t>{2});
    runFor(100);
    EXPECT_TRUE(shown(banner));
}

// A banner keeps its texts as it shows them; the address its action opens is kept whole.
TEST_F(BannerTest, KeepsOnlyWhatItShowsAndItsAddressWhole) {
    std::string opened;
    auto delegate = std::make_shared<AppUserNotificationCenterDelegate>();
    delegate->shouldPresent = [](const AppUserNotification&) { return true; };
    delegate->didActivate = [&](const AppUserNotification& n) { opened = n.userInfo.at("AppDownloadURL"); };
    ui->customUserNotificationCenter().setDelegate(delegate);
    const std::string address = "https://example.com/" + std::string(1 << 20, 'a');
    state::Banner b;
    b.subtitle = std::string(4 << 20, 's');
    b.informativeText = std::string(4 << 20, 't');
    b.hasActionButton = true;
    b.dismissDelayTime = -1;
    b.userInfo = {{"AppDownloadURL", address}};
    ui->deliverBanner(b);
    QPointer banner = ui->customUserNotificationCenter().notificationBannerController();
    ASSERT_TRUE(runUntil([&] { return shown(banner); }));
    EXPECT_EQ(banner->userNotification().subtitle, std::string(kMaxAlertLength, 's') + "\xE2\x80\xA6");
    EXPECT_EQ(banner->userNotification().informativeText, std::string(kMaxAlertLength, 't') + "\xE2\x80\xA6");
    banner->actionButton()->click();
    EXPECT_EQ(opened, address);
}

TEST_F(BannerTest, WrappedTextMakesTheBannerTaller) {
    QPointer brief = deliver("Short", -1.0, false, 4);
    state::Banner b;
    b.subtitle = "Long";
    b.informativeText = "A margin call was raised on account 10023: the equity fell below "
                        "the maintenance margin; please deposit funds or close positions <b>now</b> 100%d.";
    b.dismissDelayTime = -1;
    b.lineBreakMode = 0;
    ui->deliverBanner(b);
    QPointer tall = ui->customUserNotificationCenter().notificationBannerController();
    ASSERT_TRUE(runUntil([&] { return shown(brief) && shown(tall); }));
    EXPECT_LE(brief->height(), 70);
    EXPECT_GT(tall->height(), brief->height());
    EXPECT_TRUE(tall->informativeTextLabel()->text().contains("<b>now</b> 100%d"));
    testing::saveScreenshot(tall, "banner-wrapped");
}

TEST_F(BannerTest, AlertShowsItsTextLiterally) {
    auto alert = CommonAlert::makeAlert("Order 12 filled at 100%d <b>1.2345</b>", "Trade", "OK");
    EXPECT_EQ(alert->textFormat(), Qt::PlainText);
    EXPECT_EQ(alert->informativeText(), "Order 12 filled at 100%d <b>1.2345</b>");
    int plainLabels = 0;
    for (auto* label : alert->findChildren<QLabel*>())
        if (label->text() == alert->informativeText() || label->text() == "Trade")
            plainLabels += label->textFormat() == Qt::PlainText;
    EXPECT_EQ(plainLabels, 2);
    EXPECT_EQ(alert->text(), "Trade");
    EXPECT_EQ(alert->icon(), QMessageBox::Information);
    for (auto [theme, name] : {std::pair{0, "dark"}, {1, "light"}}) {
        alert->setPalette(ThemeManager::palette(theme));
        alert->adjustSize();
        testing::saveScreenshot(alert.get(), QString("alert-trade-") + name);
    }
}

TEST_F(BannerTest, AlertsSpeakTheSelectedLanguageAndKeepARefusalOnOneLine) {
    const std::string refusal = "Order rejected: the market is closed.";
    for (std::int64_t language = 0; language < 12; ++language) {
        prefs.set("LanguageKey", language);
        ui->showAlert(refusal, "Information");
        QPointer<QMessageBox> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) shown = box;
        ASSERT_TRUE(shown) << language;
        ASSERT_EQ(shown->buttons().size(), 1);
        EXPECT_EQ(shown->buttons().front()->text().toStdString(),
                  model::LanguageString::stringforSelectedLanguage(language, "0167"))
            << model::LanguageString::languageFolder(language);
        // The message is not wrapped into a narrow column.
        const auto* text = shown->findChild<QLabel*>("qt_msgbox_informativelabel");
        ASSERT_TRUE(text);
        EXPECT_GE(text->width(), QFontMetrics(text->font()).horizontalAdvance(QString::fromStdString(refusal)));
        if (language == 5) testing::saveScreenshot(shown, "alert-refusal-ar");
        shown->buttons().front()->click();  // opened, not run
        ASSERT_TRUE(runUntil([&] { return shown.isNull(); }));
    }
}

TEST_F(BannerTest, OnlyWebAddressesAreOpenedAndNoticesWaitASecond) {
    int refusals = 0;
    platform::Log::setSink([&](platform::LogLevel, const std::string& line) {
        refusals += line.rfind("Failed to open url", 0) == 0;
    });
    // Each refusal is logged, the ill-formed web addresses too.
    for (const char* url : {"file:///etc/passwd", "javascript:alert(1)", "", "https://example.com/app.dmg",
                            "http://example.com/", "http://[::1", "https://a%zz/"})
        ui->openUrl(url);
    platform::Log::setSink([](platform::LogLevel, const std::string&) {});
    EXPECT_EQ(recorder->urls, (std::vector<std::string>{"https://example.com/app.dmg", "http://example.com/"}));
    EXPECT_EQ(refusals, 5);
    ui->showLocalNotification("Trade", "Bought 1 lot");
    runFor(600);
    EXPECT_TRUE(recorder->notices.empty());
    ASSERT_TRUE(runUntil([&] { return !recorder->notices.empty(); }));
    EXPECT_EQ(recorder->notices, std::vector<QString>{"Trade|Bought 1 lot"});
    ui->terminate();
    EXPECT_EQ(recorder->quits, 1);
}

// Settled ids, rejection reasons and confirmations reach the tray in the rule's form.
TEST_F(BannerTest, NotificationsAreShownTexts) {
    const auto u = [](const char16_t* text) { return QString::fromUtf16(text); };
    QString lines;
    for (int i = 0; i < 39; ++i) lines += "line\n";
    std::string pile = "e";
    for (int i = 0; i < 20; ++i) pile += "\xCC\x81";
    const QString spelt = u(u"A\u200DC\u200DC\u200DO\u200DU\u200DN\u200DT\u200D \u200DS\u200DU\u200DS\u200DP\u200DE\u200DN"
                            u"\u200DD\u200DE\u200DD end");
    const struct {
        std::string title, text;
        QString shown;
    } cases[] = {
        {"Settled", std::string(1 << 20, '7'), "Settled|" + QString(kMaxAlertLength, '7') + QChar(0x2026)},
        {"Order \xE2\x80\xAE" "1", "abc\xE2\x80\xAE" "fdp.exe", u(u"Order \uFFFD1|abc\uFFFDfdp.exe")},
        {"Marks", pile, "Marks|e" + QString(model::kMaxMarksPerCharacter, QChar(0x0301)) + QChar(0x2026)},
        {"Joined", spelt.toStdString(), "Joined|" + spelt},
        {"Lines", (lines + "line\nmore\n").toStdString(), "Lines|" + lines + "line" + QChar(0x2026)},
    };
    for (const auto& c : cases) ui->showLocalNotification(c.title, c.text);
    ASSERT_TRUE(runUntil([&] { return recorder->notices.size() == std::size(cases); }));
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(recorder->notices[i], cases[i].shown) << cases[i].title;
}

TEST(QtSoundOutput, NamedSoundsComeFromTheSoundsFolder) {
    for (const char* name : {"welcome", "order", "cancelOrder", "connectionLost", "AppUserNotificationDefaultSound",
                             "AppUserNotificationDefaultSound2"})
        EXPECT_FALSE(QtSoundOutput::soundPath(name).isEmpty()) << name;
    for (const char* name : {"", "missing", "../sounds/welcome", "/etc/passwd"})
        EXPECT_TRUE(QtSoundOutput::soundPath(name).isEmpty()) << name;
    QtSoundOutput().play("welcome");  // silent without an audio device, never blocking
}

}  // namespace
}  // namespace kit
