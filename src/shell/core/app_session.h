#pragma once
// What the application delegate owns across logins, without the windows: the
// login settings, the run's login cipher, the session of the current attempt,
// the network monitor and the session's calls back to the delegate. The
// windows hear the outcomes through LoginOutcomes. Main thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "shell/core/remembered_credentials.h"
#include "model/login_inputdata.h"
#include "orders/order_mananger.h"
#include "platform/notification_center.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "state/ui_services.h"

namespace platform {
class Reachability;
}
namespace state {
class BusinessBase;
struct SessionParts;
}

namespace shell {

// What the login window does with each outcome of a login.
class LoginOutcomes {
public:
    virtual ~LoginOutcomes() = default;
    // "Message", "Tag" and, for an unsupported version, "URL".
    virtual void loginRefused(const state::LoginMessages& messages) = 0;
    // The text to show before the application ends.
    virtual void loggedInElsewhere(const std::string& message) = 0;
    // `afterLogin`: the session's login had been accepted before the connection ended.
    virtual void connectionLost(bool afterLogin) = 0;
    virtual void loginSucceeded() = 0;
};

class AppSession : public state::SessionHost {
public:
    AppSession(state::UiServices& ui, LoginOutcomes& outcomes);
    ~AppSession() override;
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;

    // --- SessionHost ---------------------------------------------------------
    model::LoginInputdata& logindata() override { return logindata_; }
    std::int64_t selectedLanguage() const override { return selectedLanguage_; }
    bool showConfirmationAlert() const override { return !showConfirmationAlert_ || showConfirmationAlert_(); }
    void showLoginMessages(const state::LoginMessages& messages) override;
    void LogininAnotherLocation(const std::optional<std::string>& serverText) override;
    void ConnectionFailureNotification() override;
    state::LoginCipher& loginCipher() override { return cipher_; }

    void setSelectedLanguage(std::int64_t index) { selectedLanguage_ = index; }
    // Where the order ticket's choice of order reports as alerts is read.
    void readShowConfirmationAlert(std::function<bool()> read) { showConfirmationAlert_ = std::move(read); }

    // --- Logins ----------------------------------------------------------------
    // A new session for the fields (already validated), then the connection.
    void startLogin(const LoginFields& fields);
    // A new session connected for a demo registration at the form's server and
    // port; the old one is disconnected first and no order manager is made.
    void startRegistration(const std::string& server, const std::string& port);
    // Abandons the login under way: a manual disconnect, no alert.
    void cancelLogin();
    const std::shared_ptr<state::BusinessBase>& businessbase() const { return businessbase_; }
    // What the windows see of the current session; null while there is none.
    const state::SessionView* view() const;
    state::SessionCommands* commands() const;
    // The same, for windows that may outlive the session: hold them weakly.
    std::shared_ptr<const state::SessionView> sharedView() const;
    std::shared_ptr<state::SessionCommands> sharedCommands() const;
    // The order manager of the current session; null before the first login.
    orders::OrderMananger* orderManager() const { return orderManager_.get(); }
    // Set by the first successful login, never cleared.
    bool loginSuccess() const { return loginSuccess_; }
    // Replacement components for the sessions this makes (tests).
    state::SessionParts& sessionParts() { return *sessionParts_; }

    // --- Network -----------------------------------------------------------------
    // Watches the internet connection on the default reachability source.
    void StartNetworkMonitoringNotification();
    void stopNetworkMonitoring();
    void reachabilityChanged(bool reachable);

private:
    std::string text(const std::string& key) const;

    state::UiServices& ui_;
    LoginOutcomes& outcomes_;
    model::LoginInputdata logindata_;
    state::LoginCipher cipher_;
    std::int64_t selectedLanguage_ = 0;
    std::function<bool()> showConfirmationAlert_;
    bool loginSuccess_ = false;
    bool sessionLoggedIn_ = false;  // the current session's login was accepted
    std::unique_ptr<state::SessionParts> sessionParts_;
    std::shared_ptr<state::BusinessBase> businessbase_;
    std::unique_ptr<orders::OrderMananger> orderManager_;  // goes before its session
    std::shared_ptr<platform::Reachability> reachability_;
    platform::ObserverHandle reachabilityObserver_;
    platform::ObserverHandle loginObserver_;
};

}  // namespace shell
