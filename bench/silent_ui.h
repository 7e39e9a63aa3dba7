#pragma once
// The windows and the application delegate of a session, doing nothing, for benches.
#include <string>

#include "model/login_inputdata.h"
#include "state/ui_services.h"

namespace bench {

class SilentUi : public state::UiServices, public state::SessionHost {
public:
    void showAlert(const std::string&, const std::string&) override {}
    void deliverBanner(const state::Banner&) override {}
    void showLocalNotification(const std::string&, const std::string&) override {}
    void playSound(const std::string&) override {}
    void openUrl(const std::string&) override {}
    void terminate() override {}
    std::string bundleName() const override { return "bench"; }
    model::LoginInputdata& logindata() override { return login; }
    std::int64_t selectedLanguage() const override { return 0; }
    bool showConfirmationAlert() const override { return false; }
    void showLoginMessages(const state::LoginMessages&) override {}
    void LogininAnotherLocation(const std::optional<std::string>&) override {}
    void ConnectionFailureNotification() override { failed = true; }
    state::LoginCipher& loginCipher() override { return cipher; }
    model::LoginInputdata login;
    state::LoginCipher cipher;
    bool failed = false;
};

}  // namespace bench
