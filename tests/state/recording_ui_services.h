#pragma once
// Keeps what the session asked of the windows and of the application, in order.
#include <string>
#include <vector>

#include "model/login_inputdata.h"
#include "state/ui_services.h"

namespace state::testing {

class RecordingUi : public UiServices, public SessionHost {
public:
    struct Alert {
        std::string message;
        std::string title;
    };
    struct Local {
        std::string title;
        std::string text;
    };

    // UiServices
    void showAlert(const std::string& message, const std::string& title) override {
        alerts.push_back({message, title});
        events.push_back("alert");
    }
    void deliverBanner(const Banner& banner) override {
        banners.push_back(banner);
        events.push_back("banner");
    }
    void showLocalNotification(const std::string& title, const std::string& text) override {
        locals.push_back({title, text});
        events.push_back("local");
    }
    void playSound(const std::string& name) override {
        sounds.push_back(name);
        events.push_back("sound:" + name);
    }
    void openUrl(const std::string& url) override { opened.push_back(url); }
    void terminate() override { terminated = true; }
    std::string bundleName() const override { return "TradingClient"; }

    // SessionHost
    model::LoginInputdata& logindata() override { return login; }
    std::int64_t selectedLanguage() const override { return language; }
    bool showConfirmationAlert() const override { return confirmationAlert; }
    void showLoginMessages(const LoginMessages& messages) override {
        loginMessages.push_back(messages);
        events.push_back("showLoginMessages");
    }
    void LogininAnotherLocation(const std::optional<std::string>& serverText) override {
        anotherLocation.push_back(serverText.value_or("(none)"));
        events.push_back("LogininAnotherLocation");
    }
    void ConnectionFailureNotification() override {
        ++failures;
        events.push_back("ConnectionFailureNotification");
    }

    LoginCipher& loginCipher() override { return cipher; }

    model::LoginInputdata login;
    LoginCipher cipher;
    std::int64_t language = 0;
    bool confirmationAlert = false;

    std::vector<std::string> events;
    std::vector<Alert> alerts;
    std::vector<Banner> banners;
    std::vector<Local> locals;
    std::vector<std::string> sounds;
    std::vector<std::string> opened;
    bool terminated = false;
    std::vector<LoginMessages> loginMessages;
    std::vector<std::string> anotherLocation;
    int failures = 0;
};

}  // namespace state::testing
