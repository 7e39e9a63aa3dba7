#pragma once
// What tests and benchmarks reach inside a session for: the incoming path
// past the connection, the components to fill them directly, the session
// values to seed, and the drop of the line.
#include <cstdint>
#include <optional>
#include <string>

#include "state/business_base.h"

namespace state {

struct SessionTestAccess {
    // One frame as "NewQueue" hands it on.
    static void NewMessage(BusinessBase& s, std::string frame) { s.NewMessage(std::move(frame)); }
    // One decoded message on the main thread.
    static void checkNewMessage(BusinessBase& s, IncomingMessage m) { s.checkNewMessage(std::move(m)); }
    static void ProcessNewMessage(BusinessBase& s, const FieldList& fields, std::int32_t type,
                                  const std::optional<std::string>& payload = std::nullopt) {
        s.ProcessNewMessage(fields, type, payload);
    }
    static std::string cipherPassword(const BusinessBase& s) { return s.cipherPassword(); }
    static std::optional<std::string> sessionKey(const BusinessBase& s) { return s.sessionKey(); }

    static ReferenceData& referenceData(BusinessBase& s) { return s.reference_; }
    static OrderBook& orderBook(BusinessBase& s) { return *s.orderBook_; }
    static AccountLedger& accountLedger(BusinessBase& s) { return *s.accountLedger_; }
    static Chat& chat(BusinessBase& s) { return *s.chat_; }
    static FeedChannels& feedChannels(BusinessBase& s) { return *s.feed_; }
    static PingMonitor& pingMonitor(BusinessBase& s) { return *s.ping_; }
    static DataServiceAnswers& dataServiceAnswers(BusinessBase& s) { return *s.dataService_; }
    static Funds& funds(BusinessBase& s) { return *s.funds_; }
    static LoginHandshake& loginHandshake(BusinessBase& s) { return *s.login_; }
    static Journal& journal(BusinessBase& s) { return s.journal_; }

    // The request id and reference id a login's messages set.
    static void setSessionValues(BusinessBase& s, std::int32_t requestId, std::optional<std::string> referenceId) {
        s.values_.setRequestId(requestId);
        s.values_.setReferenceId(std::move(referenceId));
    }
    // What the last ping answer set.
    static void setServerDate(BusinessBase& s, platform::WallTime date) { s.ping_->serverDate = date; }
    static void setNetworkSpeed(BusinessBase& s, std::int32_t grade) { s.ping_->networkspeedStatus = grade; }
    static void setServerTime(BusinessBase& s, const std::string& text) { s.ping_->ServerTime = text; }
    static void connectionFailure(BusinessBase& s, const std::string& error) { s.connectionFailure(error); }
    // The line came up again (a relogin); the login request goes out on the main thread.
    static void connectionDidConnect(BusinessBase& s) { s.connectionDidConnect(false); }
};

// The interfaces a session implements, for tests that hold the session itself.
inline SessionView& viewOf(BusinessBase& s) { return s; }
inline SessionCommands& commandsOf(BusinessBase& s) { return s; }
inline SessionServices& servicesOf(BusinessBase& s) { return s; }

}  // namespace state
