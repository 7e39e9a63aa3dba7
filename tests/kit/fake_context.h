#pragma once
// A login's window context over a session of the test's own: the fake sheet
// host and opener, a ticker, preferences in a file of the test's own, and
// the alerts kept as "title: message" and the addresses opened.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kit/core/preference_manager.h"
#include "kit/fake_hosts.h"
#include "kit/live_ticker.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "platform/preferences.h"
#include "state/ui_services.h"

namespace kit::testing {

class AlertRecorder : public state::UiServices {
public:
    void showAlert(const std::string& message, const std::string& title) override {
        alerts.push_back(title + ": " + message);
    }
    void deliverBanner(const state::Banner&) override {}
    void showLocalNotification(const std::string&, const std::string&) override {}
    void playSound(const std::string&) override {}
    void openUrl(const std::string& url) override { urls.push_back(url); }
    void terminate() override {}
    std::string bundleName() const override { return "TradingClient"; }
    std::vector<std::string> alerts;
    std::vector<std::string> urls;
};

struct FakeContext {
    // `session` keeps view and commands alive (the parts that hold them weakly).
    FakeContext(const state::SessionView& view, state::SessionCommands& commands, orders::OrderMananger& manager,
                std::shared_ptr<const void> session, std::chrono::milliseconds tick = std::chrono::milliseconds(1000))
        : ticker([] {}, tick),
          context{view,
                  commands,
                  manager,
                  0,
                  [](const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); },
                  [this] { return theme; },
                  ui,
                  sheets,
                  opener,
                  ticker,
                  preferences,
                  std::move(session)} {
        ticker.start();
    }
    ~FakeContext() { std::filesystem::remove(path); }

    std::int64_t theme = 0;
    std::string path =
        (std::filesystem::temp_directory_path() / ("window_context_" + std::to_string(::getpid()))).string();
    platform::Preferences store{path};
    PreferenceManager preferences{store};
    AlertRecorder ui;
    FakeSheetHost sheets;
    FakeWindowOpener opener;
    LiveTicker ticker;
    WindowContext context;
};

}  // namespace kit::testing
