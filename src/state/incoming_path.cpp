#include "state/incoming_path.h"

#include "platform/log.h"
#include "protocol/envelope.h"
#include "protocol/login_data_limits.h"
#include "protocol/message_cracker.h"
#include "protocol/separator_bytes.h"
#include "protocol/session_key.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "state/shared_text.h"
#include "state/text_conversions.h"

namespace state {

using protocol::MsgType;

std::optional<IncomingMessage> IncomingMessage::decode(std::string_view frame,
                                                      const std::shared_ptr<const std::string>& owner) {
    if (!protocol::isValidUtf8(frame)) {
        platform::Log::error("Frame is not UTF-8 text: dropped");
        return std::nullopt;
    }
    IncomingMessage msg;
    // Views over the owner or one copy of the frame: a frame of many empty fields costs no more than its text.
    SharedText held = SharedText::within(owner, frame);
    std::shared_ptr<const std::string> text = std::move(held.owner);
    const std::string_view body = held.view;
    std::size_t start = body.find(protocol::FieldEndByte);  // after the length
    while (start != std::string_view::npos) {
        ++start;
        const std::size_t end = body.find(protocol::FieldEndByte, start);
        const std::string_view field = body.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!field.empty() || msg.fields.empty()) msg.fields.push_back(field);
        start = end;
    }
    msg.text = std::move(text);
    if (msg.fields.empty()) {
        platform::Log::error("Frame without fields: dropped");
        return std::nullopt;
    }
    auto typeText = protocol::MessageCracker::GetMessageValue(msg.fields.front(), "=");
    msg.type = typeText ? protocol::MessageCracker::int32Value(*typeText) : 0;
    return msg;
}

IncomingMessage IncomingMessage::ofFields(std::int32_t type, const std::vector<std::string>& fields) {
    std::string joined;
    for (const std::string& f : fields) joined.append(f).push_back(protocol::FieldEndByte);
    IncomingMessage msg;
    auto text = std::make_shared<const std::string>(std::move(joined));
    std::size_t at = 0;
    for (const std::string& f : fields) {
        msg.fields.push_back(std::string_view(*text).substr(at, f.size()));
        at += f.size() + 1;
    }
    msg.text = std::move(text);
    msg.type = type;
    return msg;
}

std::vector<IncomingMessage> channelMessages(std::string_view text, Channel channel,
                                             const std::optional<protocol::RequestKind>& kind) {
    return channelMessages(std::make_shared<const std::string>(text), channel, kind);
}

std::vector<IncomingMessage> channelMessages(std::shared_ptr<const std::string> text, Channel channel,
                                             const std::optional<protocol::RequestKind>& kind) {
    // A frame left unfinished here cannot join the session's next message.
    protocol::FrameDecoder frames(protocol::kMaxAnswerSize);
    std::vector<IncomingMessage> decoded, carried;
    // A fresh decoder hands each whole frame as a view into `text`.
    const bool whole = frames.feed(*text, [&decoded, &text](std::string_view frame) {
        if (auto msg = IncomingMessage::decode(frame, text)) decoded.push_back(std::move(*msg));
    });
    if (!whole) platform::Log::error(std::string("Message on the ") + channelName(channel) + " channel over the size limit: dropped");
    for (IncomingMessage& msg : decoded) {
        if (!channelCarries(channel, protocol::msgType(msg.type), kind)) {
            platform::Log::warning("Message of type " + std::to_string(msg.type) + " on the " + channelName(channel) +
                                   " channel: dropped");
            continue;
        }
        msg.requestKind = kind;
        msg.fromSession = false;
        carried.push_back(std::move(msg));
    }
    return carried;
}

void IncomingPath::startLogin(std::string user, std::string password, std::string loginKey,
                              std::string packedFormat) {
    std::lock_guard<std::mutex> lock(keyMutex_);
    packedFormat_ = std::move(packedFormat);
    user_ = std::move(user);
    password_ = std::move(password);
    loginKey_ = std::move(loginKey);
}

void IncomingPath::setPassword(std::string password) {
    std::lock_guard<std::mutex> lock(keyMutex_);
    password_ = std::move(password);
}

std::string IncomingPath::cipherPassword() const {
    std::lock_guard<std::mutex> lock(keyMutex_);
    if (sessionKey_) return *sessionKey_;
    return loginKey_;
}

std::optional<std::string> IncomingPath::sessionKey() const {
    std::lock_guard<std::mutex> lock(keyMutex_);
    return sessionKey_;
}

void IncomingPath::processText(const std::string& text) {
    if (decodeDepth_ >= kMaxUnwrapDepth) {
        platform::Log::error("Message nested too deep: dropped");
        return;
    }
    // One buffer per nesting level: an envelope inside an envelope must not
    // run into the tail of the text that carried it.
    protocol::FrameDecoder& frames = innerFrames_[static_cast<std::size_t>(decodeDepth_)];
    ++decodeDepth_;
    bool ok = frames.feed(text, [this](std::string_view frame) { decodeFrame(std::string(frame)); });
    --decodeDepth_;
    if (!ok) platform::Log::error("Unwrapped message exceeds the size limit: dropped");
}

// The session key replaces the shipped key before anything after the login
// data is opened.
void IncomingPath::switchKey(const std::optional<std::string>& referenceId) {
    if (!referenceId || !lastServerTimeSeen_) {
        platform::Log::error("Login data without reference id or server time: session key not changed");
        return;
    }
    std::string user, pass;
    {
        std::lock_guard<std::mutex> lock(keyMutex_);
        user = user_;
        pass = password_;
    }
    std::string key = protocol::GenerateNewEncryptionKey(user, pass, *referenceId, *lastServerTimeSeen_);
    hooks_.newSessionKey(key);
    std::lock_guard<std::mutex> lock(keyMutex_);
    sessionKey_ = std::move(key);
}

void IncomingPath::decodeFrame(std::string frame) {
    namespace tag = protocol::tag;
    const auto owner = std::make_shared<const std::string>(std::move(frame));
    std::optional<IncomingMessage> decoded = IncomingMessage::decode(*owner, owner);
    if (!decoded) return;
    IncomingMessage& msg = *decoded;
    const MsgType type = protocol::msgType(msg.type);

    std::optional<std::string> referenceId, serverTime, cipherText, compressed;
    bool packed = false;
    for (std::string_view field : msg.fields) {
        std::int64_t number = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, number, value)) continue;
        switch (number) {
            case tag::ReferenceId: referenceId = std::string(value); break;
            case tag::ServerTime: serverTime = std::string(value); break;
            case tag::CipherText: cipherText = std::string(value); break;
            case tag::CompressedPayload: compressed = std::string(protocol::compressedPayloadOfField(field)); break;
            case tag::DataFormat: {
                std::lock_guard<std::mutex> lock(keyMutex_);
                packed = value == packedFormat_;
                break;
            }
            default: break;
        }
    }
    if (serverTime) lastServerTimeSeen_ = serverTime;
    if (type == MsgType::PingAnswer) msg.receivedAt = platform::defaultClock().wallNow();
    // The server may close the line right after a refusal or a "logged in
    // elsewhere"; the dispatcher disconnects on both, so that close is no failure.
    if (type == MsgType::LoggedInElsewhere || type == MsgType::LoginRefused) hooks_.expectClose();
    if (type == MsgType::UserReloginRequest && hooks_.expectRelogin) hooks_.expectRelogin();
    if (type == MsgType::Envelope || type == MsgType::Compressed)
        hooks_.carrierValues(std::vector<std::string>(msg.fields.begin(), msg.fields.end()), type);

    switch (type) {
        case MsgType::Envelope: {
            auto plain = cipherText ? protocol::openEnvelope(*cipherText, cipherPassword()) : std::nullopt;
            if (!plain) {
                platform::Log::error("Envelope that does not open with the current key: dropped");
                return;
            }
            processText(*plain);
            return;
        }
        case MsgType::Compressed: {
            platform::Log::debug("CompressedMessage");
            auto text = compressed ? protocol::decompressData(*compressed, protocol::kMaxCompressedMessageSize) : std::nullopt;
            if (!text) {
                platform::Log::error("Compressed message that does not inflate: dropped");
                return;
            }
            processText(*text);
            return;
        }
        case MsgType::LoginData:
            switchKey(referenceId);
            [[fallthrough]];
        case MsgType::LoginRefused:
            if (compressed) {
                protocol::LoginPayload data = protocol::inflateLoginData(*compressed, packed);
                compressed.reset();
                msg.payload = std::move(data.text);
                msg.tooLarge = data.tooLarge;
                if (msg.payload && packed) msg.packedRecords = PackedLoginRecords::read(*msg.payload, &msg.tooLarge);
                if (msg.payload && !packed) msg.tooLarge = protocol::xmlLoginOverCeiling(*msg.payload);
                if (msg.tooLarge) {
                    platform::Log::error("Login data refused, larger than the client loads: " + msg.tooLarge->describe());
                    msg.payload.reset();
                }
                if (!msg.payload) {
                    if (!msg.tooLarge) platform::Log::error("Login data refused: not inflatable");
                    msg.payloadRefused = true;
                }
                if (type == MsgType::LoginData && !packed) msg.xmlCells = XmlLoginCells::read(msg.payload);
            }
            break;
        default:
            break;
    }
    hooks_.deliver(std::move(msg));
}

}  // namespace state
