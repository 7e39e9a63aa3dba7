#include "shell/core/app_session.h"

#include <string_view>

#include "model/formatter.h"
#include "model/language_string.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/reachability.h"
#include "state/business_base.h"

namespace shell {

AppSession::AppSession(state::UiServices& ui, LoginOutcomes& outcomes)
    : ui_(ui), outcomes_(outcomes), sessionParts_(std::make_unique<state::SessionParts>()) {
    auto& center = platform::NotificationCenter::defaultCenter();
    loginObserver_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kLoginSuccess, [this](const platform::Notification&) {
            loginSuccess_ = true;
            sessionLoggedIn_ = true;
            outcomes_.loginSucceeded();
        }));
}

AppSession::~AppSession() {
    stopNetworkMonitoring();
    if (businessbase_) commands()->disconnectServer();
}

const state::SessionView* AppSession::view() const { return businessbase_.get(); }
state::SessionCommands* AppSession::commands() const { return businessbase_.get(); }
std::shared_ptr<const state::SessionView> AppSession::sharedView() const { return businessbase_; }
std::shared_ptr<state::SessionCommands> AppSession::sharedCommands() const { return businessbase_; }

std::string AppSession::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(selectedLanguage_, key);
}

void AppSession::showLoginMessages(const state::LoginMessages& messages) { outcomes_.loginRefused(messages); }

void AppSession::LogininAnotherLocation(const std::optional<std::string>& serverText) {
    // The server's sentence keeps its own stop; a bare one gets the "!".
    const std::string server = serverText.value_or("");
    std::string message = text("0008");
    if (!server.empty()) message += " : " + server;
    if (server.empty() || std::string_view(".!?").find(server.back()) == std::string_view::npos) message += " !";
    outcomes_.loggedInElsewhere(message);
}

void AppSession::ConnectionFailureNotification() {
    // The session grades the network speed 3.5 s later itself.
    ui_.playSound("connectionLost");
    outcomes_.connectionLost(sessionLoggedIn_);
}

void AppSession::startLogin(const LoginFields& fields) {
    platform::assertMainThread();
    logindata_.setUserName(fields.userName);
    logindata_.setPassword(fields.password);
    logindata_.setIPAddress(fields.server);
    std::int32_t port = 0;
    try {
        port = std::stoi(fields.port);
    } catch (const std::exception&) {
        port = 0;  // the connection fails and is reported as a drop
    }
    logindata_.setPortNo(port);
    if (businessbase_) commands()->disconnectServer();
    sessionLoggedIn_ = false;
    orderManager_.reset();  // it holds the old session
    businessbase_ = state::BusinessBase::create(*this, ui_, *sessionParts_);
    const auto parts = businessbase_->orderManagerParts();
    orderManager_ = std::make_unique<orders::OrderMananger>(parts.view, parts.services, parts.reference, parts.book, parts.commands);
    commands()->StreamingConnection(true, false);
}

void AppSession::startRegistration(const std::string& server, const std::string& port) {
    platform::assertMainThread();
    logindata_.setIPAddress(server);
    std::int32_t number = 0;
    try {
        number = std::stoi(port);
    } catch (const std::exception&) {
        number = 0;
    }
    logindata_.setPortNo(number);
    if (businessbase_) commands()->disconnectServer();  // manual: no connection-lost alert
    sessionLoggedIn_ = false;
    orderManager_.reset();  // it holds the old session; a registration needs none
    businessbase_ = state::BusinessBase::create(*this, ui_, *sessionParts_);
    commands()->StreamingConnection(true, true);
}

void AppSession::cancelLogin() {
    if (businessbase_) commands()->disconnectServer();
}

void AppSession::StartNetworkMonitoringNotification() {
    reachability_ = platform::Reachability::reachabilityForInternetConnection();
    if (!reachability_) return;
    auto& center = platform::NotificationCenter::defaultCenter();
    reachabilityObserver_ = platform::ObserverHandle(
        &center, center.addObserver(
                     platform::kReachabilityChangedNotification,
                     [this](const platform::Notification& n) {
                         if (const auto* change = n.as<platform::ReachabilityChange>(); change && change->reachability)
                             reachabilityChanged(change->reachability->isReachable());
                     },
                     reachability_.get()));
    reachability_->startNotifier();
}

void AppSession::stopNetworkMonitoring() {
    reachabilityObserver_.reset();
    if (reachability_) reachability_->stopNotifier();
    reachability_.reset();
}

void AppSession::reachabilityChanged(bool reachable) {
    platform::assertMainThread();
    if (reachable) {
        platform::Log::info("Notification Says Reachable");
        if (businessbase_) commands()->setNetworkAvailable(true);
        if (loginSuccess_ && businessbase_) commands()->reconnectZMQandSubscribeAllItems();
        return;
    }
    platform::Log::info("Notification Says Unreachable");
    if (businessbase_) {
        commands()->setNetworkAvailable(false);
        if (loginSuccess_ && view()->isConnected()) commands()->scheduleSpeedCheck();
    }
    state::Banner banner;
    banner.title = ui_.bundleName();
    banner.subtitle = text("1078");
    banner.informativeText = text("1074");
    banner.dismissDelayTime = 5.0;
    ui_.deliverBanner(banner);
}

}  // namespace shell
