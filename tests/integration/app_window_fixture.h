#pragma once
// Base of the window tests against the simulator: the Qt executor, a reachable
// network, a simulator and a preferences file of the test's own, and an
// application delegate whose sounds, links and quits are recorded, not made.
#include <QMessageBox>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kit/qt_main_executor.h"
#include "kit/theme_manager.h"
#include "kit/qt_test_app.h"
#include "shell/app_delegate.h"
#include "integration/sim_process.h"
#include "model/language_string.h"
#include "platform/preferences.h"
#include "platform/reachability.h"
#include "platform/runtime.h"

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
    void show(const std::string&, const std::string&) override {}
};

class AppWindowTest : public ::testing::Test {
protected:
    explicit AppWindowTest(const std::string& name)
        : path((std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))).string()) {}
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        platform::ReachabilitySource::installDefaultSource(
            std::make_shared<platform::FakeReachabilitySource>(platform::kReachabilityReachable));
        sim = SimProcess::start(TRADING_SIM_PATH);
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        prefs = std::make_unique<platform::Preferences>(path);
    }
    void TearDown() override {
        delegate.reset();
        prefs.reset();
        platform::shutdown();
        std::filesystem::remove(path);
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
        return parts;
    }
    // Starts the delegate and logs in as the simulator's trader; true once the main window is up.
    bool startAndLogIn(shell::AppDelegate::Parts parts) {
        delegate = std::make_unique<shell::AppDelegate>(std::move(parts));
        delegate->applicationDidFinishLaunching();
        delegate->window()->setFields({"trader", "secret1", "127.0.0.1", std::to_string(sim->sessionPort())});
        delegate->loginButtonClicked();
        return kit::testing::runUntil([&] { return delegate->mWindowController() != nullptr; }, 10000);
    }

    std::string path;
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
    }
    void TearDown() override {
        QApplication::setPalette(kit::ThemeManager::palette(0));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(w)) delete w;
        AppWindowTest::TearDown();
    }

    shell::MainWindowController* main = nullptr;
    std::shared_ptr<state::BusinessBase> session;
};

}  // namespace integration
