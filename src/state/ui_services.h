#pragma once
// What the session asks of the windows (alerts, banners, system notifications,
// sounds, opening addresses) and of the application delegate. The application
// implements both; tests record what they are asked.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "state/login_cipher.h"

namespace model {
class LoginInputdata;
}

namespace state {

// A desktop banner as the banner centre shows it.
struct Banner {
    std::string title;
    std::string subtitle;
    std::string informativeText;
    bool hasActionButton = false;
    std::string actionButtonTitle;
    double dismissDelayTime = 5.0;  // seconds; -1 keeps it until the user closes it
    int lineBreakMode = 0;
    std::string soundName = "AppUserNotificationDefaultSound";
    std::map<std::string, std::string> userInfo;
};

namespace ResourceFiles {
// Only http and https addresses are handed to the browser.
bool isOpenableUrl(const std::string& url);
}  // namespace ResourceFiles

// The dictionary handed to showLoginMessages: "Message", "Tag" and, for an update, "URL".
using LoginMessages = std::map<std::string, std::string>;

class UiServices {
public:
    virtual ~UiServices() = default;

    // Modal informational alert; returns when the user has closed it.
    virtual void showAlert(const std::string& message, const std::string& title) = 0;
    virtual void deliverBanner(const Banner& banner) = 0;
    // A system notification delivered one second later with the default sound.
    virtual void showLocalNotification(const std::string& title, const std::string& text) = 0;
    // Silent when the name is empty or the user turned sounds off.
    virtual void playSound(const std::string& name) = 0;
    virtual void openUrl(const std::string& url) = 0;
    virtual void terminate() = 0;
    // The application's name, used as the title of banners.
    virtual std::string bundleName() const = 0;

};

// The application delegate as the session reaches it: the login settings, the
// selected language and the calls made on the main thread.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // The one login-settings record of the run (the session writes `password`).
    virtual model::LoginInputdata& logindata() = 0;
    // Index of the selected user-interface language.
    virtual std::int64_t selectedLanguage() const = 0;
    // Trade confirmations as modal alerts rather than banners.
    virtual bool showConfirmationAlert() const = 0;
    virtual void showLoginMessages(const LoginMessages& messages) = 0;
    // The server's text (tag 105), none when the message carries none.
    virtual void LogininAnotherLocation(const std::optional<std::string>& serverText) = 0;
    // The session dropped without a manual disconnect: sound, login form, alert.
    virtual void ConnectionFailureNotification() = 0;
    // The run's login cipher; the shipped key in the login settings stays as it is.
    virtual LoginCipher& loginCipher() = 0;
};

}  // namespace state
