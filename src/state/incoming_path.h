#pragma once
// The session's incoming path on "NewQueue": splits a frame into its fields,
// opens envelopes, inflates compressed messages and login data, switches to
// the session key at the login data, and hands each complete message on.
// The key and the credentials it derives from are locked: envelopes are
// opened on "NewQueue" and sealed on the main thread.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/deployment_constants.h"

#include "platform/clock.h"
#include "protocol/frame_decoder.h"
#include "protocol/login_data_limits.h"
#include "protocol/msg_type.h"
#include "state/channel_table.h"
#include "state/packed_records.h"
#include "state/xml_login_cells.h"

namespace state {

// A message on its way from "NewQueue" to the main thread.
struct IncomingMessage {
    // The frame's text; shared, so that a copy's fields stay valid.
    std::shared_ptr<const std::string> text;
    // Views over `text`: the body split at 0x03, the length element and empty fields after the first removed.
    std::vector<std::string_view> fields;
    std::int32_t type = 0;
    // The inflated text of tag 1050 for the login data (33) and the refusal (47).
    std::optional<std::string> payload;
    // The payload was there but refused (over its cap or not inflatable).
    bool payloadRefused = false;
    // The refused payload holds more than the client loads: its size and the limit.
    std::optional<protocol::LoginDataTooLarge> tooLarge;
    // The large sections of a compact payload, read on "NewQueue".
    std::shared_ptr<PackedLoginRecords> packedRecords;
    // XML login data cut into cells on "NewQueue", its text moved there from `payload`.
    std::shared_ptr<XmlLoginCells> xmlCells;
    // The request a request-channel reply answers.
    std::optional<protocol::RequestKind> requestKind;
    // When a ping answer came off the line ("NewQueue"): its round trip ends there.
    std::optional<platform::WallTime> receivedAt;
    // Only the TCP session's messages set the session's request id and server time.
    bool fromSession = true;

    // The fields and type of one frame (start and end bytes removed); nullopt, logged, when it is no message.
    // A frame inside `owner` is viewed there, not copied.
    static std::optional<IncomingMessage> decode(std::string_view frame,
                                                 const std::shared_ptr<const std::string>& owner = nullptr);
    // A message of these "tag=value" fields, as the session or a test makes one.
    static IncomingMessage ofFields(std::int32_t type, const std::vector<std::string>& fields);
};

// The messages of a channel's framed text that the channel may carry; the
// rest is logged and dropped. Pure decoding: any thread. The messages view
// the shared text itself.
std::vector<IncomingMessage> channelMessages(std::shared_ptr<const std::string> text, Channel channel,
                                             const std::optional<protocol::RequestKind>& kind);
std::vector<IncomingMessage> channelMessages(std::string_view text, Channel channel,
                                             const std::optional<protocol::RequestKind>& kind);

class IncomingPath {
public:
    struct Hooks {
        // A complete message, for the main thread.
        std::function<void(IncomingMessage)> deliver;
        // The fields of an envelope or a compressed message, whose own session
        // values count before the message it carries.
        std::function<void(std::vector<std::string>, protocol::MsgType)> carrierValues;
        // The server may close the line next: that close is no failure.
        std::function<void()> expectClose;
        // The server asked for a relogin: its close of the line leads to it.
        std::function<void()> expectRelogin;
        // The session key derived from the login data.
        std::function<void(const std::string&)> newSessionKey;
    };
    explicit IncomingPath(Hooks hooks) : hooks_(std::move(hooks)) {}

    // A new login: the credentials the session key derives from, and the key
    // envelopes use until then.
    void startLogin(std::string user, std::string password, std::string loginKey,
                    std::string packedFormat = deployment::kPackedDataFormat);
    void setPassword(std::string password);
    // The session key once the login data arrived, else the login's key.
    std::string cipherPassword() const;
    std::optional<std::string> sessionKey() const;

    // One frame, start and end bytes removed ("NewQueue").
    void decodeFrame(std::string frame);

private:
    // De-frames text unwrapped from an envelope or a compressed message.
    void processText(const std::string& text);
    void switchKey(const std::optional<std::string>& referenceId);

    Hooks hooks_;
    static constexpr int kMaxUnwrapDepth = 4;
    std::array<protocol::FrameDecoder, kMaxUnwrapDepth> innerFrames_{
        protocol::FrameDecoder(protocol::kMaxSessionFrameSize), protocol::FrameDecoder(protocol::kMaxSessionFrameSize),
        protocol::FrameDecoder(protocol::kMaxSessionFrameSize), protocol::FrameDecoder(protocol::kMaxSessionFrameSize)};
    std::optional<std::string> lastServerTimeSeen_;
    int decodeDepth_ = 0;

    mutable std::mutex keyMutex_;
    std::optional<std::string> sessionKey_;
    std::string loginKey_;
    std::string user_;
    std::string password_;
    std::string packedFormat_ = deployment::kPackedDataFormat;  // tag 160 of the compact login data
};

}  // namespace state
