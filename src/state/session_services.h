#pragma once
// What a component needs of the rest of its session: the one send path, the
// session values, the string tables, the journal, posts on the main thread
// and the notification poster. The session implements it; components hold it
// by reference in place of the session. Main thread only, except what
// protocol::AppContext allows from other threads.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "protocol/app_context.h"
#include "state/channel_table.h"
#include "state/journal_data.h"
#include "state/ui_services.h"

namespace protocol {
class ConnectionBase;
class MessageBase;
}  // namespace protocol

namespace state {

class BusinessBase;
struct IncomingMessage;
struct SessionPayload;

class SessionServices : public protocol::AppContext {
public:
    // --- The one send path --------------------------------------------------
    // The shared outgoing message: filled, then built, which sends it.
    virtual protocol::MessageBase& outgoingMessage() = 0;
    virtual protocol::ConnectionBase& connection() = 0;
    // The number of the request this session last queued on the request
    // channel (protocol::RequestKind::sequence); 0 before one.
    virtual std::uint64_t lastQueuedRequest() const = 0;
    virtual void disconnectServer() = 0;

    // --- Session values (main thread) ----------------------------------------
    // The request id the next request carries: the last one seen plus one.
    std::int64_t nextRequestId() const { return static_cast<std::int64_t>(requestId()) + 1; }
    // Raises the request id for a request that answers under its own id; returns it.
    virtual std::int32_t takeRequestId() = 0;
    // The server's time of the last ping answer; nullopt before one.
    virtual std::optional<platform::WallTime> serverDate() const = 0;
    // A password change the server accepted: the login settings and the next
    // key derivation use it.
    virtual void acceptNewPassword(const std::string& password) = 0;

    // --- Texts and journal ------------------------------------------------------
    // The text of a language-table key in the selected language.
    virtual std::string text(const std::string& key) const = 0;
    virtual std::string GetOrderRejectionReason(std::int32_t code) const = 0;
    // Appends a journal line; its table is announced.
    virtual void appendJournal(const std::string& line) = 0;
    // The context the journal builders read (language, login settings, server time).
    virtual JournalContext journalContext() const = 0;

    // --- Main thread, host and windows -------------------------------------------
    // Runs `fn` on the main thread later, if the session still lives.
    virtual void onMain(std::function<void()> fn) = 0;
    // Null once the session died: what a timer or a network thread holds.
    virtual std::weak_ptr<const void> lifetime() const = 0;
    virtual SessionHost& host() = 0;
    virtual UiServices& ui() = 0;
    // A list behind the table notification `name` changed: it is posted once
    // on the main thread after this slice, however many changes announce it.
    virtual void tableChanged(const char* name) = 0;
    // A fill spread over several main-thread slices: the messages that arrive
    // meanwhile wait, in order, until it releases them. The line going (or a
    // new one) drops what is held: a fill continues only while `stillHolding`
    // the number its hold returned.
    virtual std::uint64_t holdMessages() = 0;
    virtual bool stillHolding(std::uint64_t hold) const = 0;
    // A fill holds the messages now.
    virtual bool holdingMessages() const = 0;
    virtual void releaseMessages() = 0;
    // Posts `name` with the session as sender; `payload` wraps the session (none: the session alone).
    using PayloadOf = std::function<std::shared_ptr<const SessionPayload>(std::shared_ptr<BusinessBase>)>;
    virtual void postAboutSession(const std::string& name, const PayloadOf& payload = nullptr) = 0;
    // Framed text of a channel, dispatched as the session's own messages.
    virtual void dispatchChannelText(std::string_view text, Channel channel,
                                     const std::optional<protocol::RequestKind>& kind) = 0;
    // Messages a channel's text was decoded into off the main thread, dispatched in order.
    virtual void dispatchChannelMessages(std::vector<IncomingMessage> messages) = 0;
    // A request-channel request dropped without an answer: its owner learns it as an empty answer.
    virtual void requestUnanswered(const protocol::RequestKind& kind) = 0;
};

// A banner with the app's name, `title` and `message`, shown for 5 s.
void commonBanner(UiServices& ui, const std::string& message, const std::string& title);

}  // namespace state
