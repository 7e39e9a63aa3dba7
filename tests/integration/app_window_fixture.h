#pragma once
// Base of the window tests against the simulator: the Qt executor, a reachable
// network, a simulator, a preferences file and a data folder of the test's own, and an
// application delegate whose sounds, links and quits are recorded, not made.
#include <QMessageBox>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kit/core/kit_payloads.h"
#include "kit/qt_main_executor.h"
#include "kit/theme_manager.h"
#include "kit/qt_test_app.h"
#include "shell/app_delegate.h"
#include "integration/sim_process.h"
#include "integration/starting_orders.h"
#include "model/language_string.h"
#include "model/text_value.h"
#include "platform/preferences.h"
#include "platform/reachability.h"
#include "platform/runtime.h"
#include "support/session_test_access.h"

namespace integration {

inline std::string tr(const char* key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

// The alert titled "10980" open now, if any.
inline QMessageBox* refusal() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->isVisible() && box->text().contains(QString::fromStdString(tr("10980"))))
            return box;
    return nullptr;
}

struct RecordedOutput : kit::SoundOutput, kit::SystemNotifier {
    std::vector<std::string> sounds, urls;
    int quits = 0;
    void play(const std::string& name) override { sounds.push_back(name); }
    void show(const QString&, const QString&) override {}
};

class AppWindowTest : public ::testing::Test {
protected:
    explicit AppWindowTest(const std::string& name)
        : path((std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))).string()) {}
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        platform::ReachabilitySource::installDefaultSource(
            std::make_shared<platform::FakeReachabilitySource>(platform::kReachabilityReachable));
        // Downloaded resources land in a folder of the test's own.
        ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        sim = SimProcess::start(TRADING_SIM_PATH, simArguments);
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        prefs = std::make_unique<platform::Preferences>(path);
    }
    void TearDown() override {
        delegate.reset();
        prefs.reset();
        platform::shutdown();
        std::filesystem::remove(path);
        ::unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(dataHome);
        platform::ReachabilitySource::installDefaultSource(nullptr);
        platform::MainExecutor::install(nullptr);
    }
    // The delegate's parts: these preferences, every output recorded.
    shell::AppDelegate::Parts recordedParts() {
        shell::AppDelegate::Parts parts;
        parts.preferences = prefs.get();
        parts.ui.sound = recorder;
        parts.ui.notifier = recorder;
        parts.ui.openUrl = [this](const QUrl& url) { recorder->urls.push_back(url.toString().toStdString()); };
        parts.ui.terminate = [this] { ++recorder->quits; };
        // The news panel finds this simulator's news port from the login's session port.
        return parts;
    }
    // Starts the delegate and logs in (as the simulator's trader); true once the main window is up.
    bool startAndLogIn(shell::AppDelegate::Parts parts, const std::string& user = "trader",
                       const std::string& password = "secret1") {
        delegate = std::make_unique<shell::AppDelegate>(std::move(parts));
        delegate->applicationDidFinishLaunching();
        delegate->window()->setFields({user, password, "127.0.0.1", std::to_string(sim->sessionPort())});
        delegate->loginButtonClicked();
        // Its tables come in slices after the frame, as a trader would see them.
        return kit::testing::runUntil(
            [&] { return delegate->mWindowController() != nullptr && delegate->mWindowController()->built(); },
            10000);
    }

    std::string path;
    std::string dataHome = path + "_data";
    std::vector<std::string> simArguments;  // e.g. a scenario of the test's own
    std::shared_ptr<kit::QtMainExecutor> executor;
    std::unique_ptr<SimProcess> sim;
    std::shared_ptr<RecordedOutput> recorder = std::make_shared<RecordedOutput>();
    std::unique_ptr<platform::Preferences> prefs;
    std::unique_ptr<shell::AppDelegate> delegate;
};

// Logged in with a 0.1 s main-window tick; alerts and the palette are
// cleared after each test.
class LoggedInWindowTest : public AppWindowTest {
protected:
    using AppWindowTest::AppWindowTest;
    void SetUp() override {
        AppWindowTest::SetUp();
        if (HasFatalFailure()) return;
        shell::AppDelegate::Parts parts = recordedParts();
        parts.mainWindow.refreshInterval = std::chrono::milliseconds(100);
        ASSERT_TRUE(startAndLogIn(std::move(parts)));
        main = delegate->mWindowController();
        session = delegate->session().businessbase();
        // The login's starting positions and orders come in answers of their own, after the window.
        const StartingOrders starting = startingOrders("trader");
        const auto holds = [&](bool pending, const std::set<std::string>& wanted) {
            const auto now = ids(pending);
            return std::includes(now.begin(), now.end(), wanted.begin(), wanted.end());
        };
        ASSERT_TRUE(kit::testing::runUntil([&] { return holds(false, starting.positions) && holds(true, starting.pending); },
                                           10000))
            << "the starting positions and pending orders did not arrive";
    }
    void TearDown() override {
        QApplication::setPalette(kit::ThemeManager::palette(0));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(w)) delete w;
        AppWindowTest::TearDown();
    }

    // Screenshots of `shown` in the dark and the light theme, each applied as the application
    // does; `reshow`, if any, then shows the window the way its next opening would.
    void bothThemes(QWidget* shown, const QString& name,
                    const std::function<void(std::int64_t theme)>& reshow = nullptr, int settleMs = 50) {
        for (const std::int64_t theme : {0, 1}) {
            prefs->set("Theme", theme);
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
            if (reshow) reshow(theme);
            kit::testing::runFor(settleMs);
            kit::testing::saveScreenshot(shown, name + (theme == 0 ? "-dark" : "-light"));
        }
    }
    // How many requests the simulator took whose type (or "name:account") is `entry`.
    int sent(const std::string& entry) {
        std::istringstream all(sim->command("received trader"));
        int n = 0;
        for (std::string word; all >> word;) n += word == entry;
        return n;
    }
    // The refusal alert is open and says the text of `key`; closes it.
    static bool refusedWith(const char* key) {
        QMessageBox* box = refusal();
        const bool says = box && box->informativeText().contains(QString::fromStdString(tr(key)));
        delete box;
        return says;
    }

    // The ids in the open (or the pending) collection.
    std::set<std::string> ids(bool pending) const {
        std::set<std::string> out;
        for (const auto& o : pending ? state::viewOf(*session).getPendingOrderCollection() : state::viewOf(*session).getOpenOrderCollection())
            out.insert(pending ? o->PendingOrderId : o->OpenPositionId);
        return out;
    }
    // Runs `place`, then waits for the one new id whose order is `qty` of `code`; "" if none
    // or more than one came. An order sent but not yet taken has no id yet.
    std::string placed(bool pending, const std::string& code, const std::string& qty,
                       const std::function<void()>& place) {
        const std::set<std::string> before = ids(pending);
        place();
        std::vector<std::string> matching;
        kit::testing::runUntil(
            [&] {
                matching.clear();
                for (const auto& o : pending ? state::viewOf(*session).getPendingOrderCollection() : state::viewOf(*session).getOpenOrderCollection())
                    if (const auto& id = pending ? o->PendingOrderId : o->OpenPositionId;
                        !id.empty() && !before.count(id) && o->ItemCode == code &&
                        model::TextValue::doubleValue(o->OrderQty) == model::TextValue::doubleValue(qty))
                        matching.push_back(id);
                return !matching.empty();
            },
            10000);
        return matching.size() == 1 ? matching.front() : std::string();
    }

    shell::MainWindowController* main = nullptr;
    std::shared_ptr<state::BusinessBase> session;
};

}  // namespace integration
