// Fuzz target for the session's decode path: one frame split into its fields,
// envelopes opened, compressed messages and login data inflated, and what
// they carry de-framed again. The first byte picks how the rest arrives:
// 0 as the frame itself, 1 as the text of a compressed message (105), 2 as
// the text of an envelope (76) sealed with the login's key. Built with
// libFuzzer when fuzzing; otherwise the corpus is replayed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "model/base64.h"
#include "platform/log.h"
#include "protocol/envelope.h"
#include "protocol/msg_type.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "state/incoming_path.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

const std::string kLoginKey = "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE";

// A frame body with its start and end bytes removed.
std::string unframed(std::string_view body) {
    const std::string frame = protocol::frameMessage(body);
    return frame.substr(1, frame.size() - 2);
}

// A compressed message carrying `text`: Base64 of its little-endian length and its gzip stream.
std::string compressedFrame(const std::string& text) {
    std::string payload;
    for (int i = 0; i < 4; ++i) payload += static_cast<char>((text.size() >> (8 * i)) & 0xff);
    payload += model::DataAdditions::gzipDeflate(text).value_or("");
    std::string body;
    protocol::appendField(body, protocol::tag::MessageType, std::to_string(static_cast<int>(protocol::MsgType::Compressed)));
    protocol::appendField(body, protocol::tag::CompressedPayload, model::Base64::encodeBase64WithData(payload).value_or(""));
    return unframed(body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (platform::Log::setSink([](platform::LogLevel, const std::string&) {}),
                               platform::Log::setMinimumLevel(platform::LogLevel::Error), true);
    (void)quiet;
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);

    std::vector<state::IncomingMessage> delivered;
    state::IncomingPath path({
        [&](state::IncomingMessage m) { delivered.push_back(std::move(m)); },
        [](std::vector<std::string>, protocol::MsgType) {},
        [] {},
        [] {},
        [](const std::string& key) { require(!key.empty()); },
    });
    path.startLogin("trader", "secret", kLoginKey);

    switch (data[0] % 3) {
        case 0: path.decodeFrame(rest); break;
        case 1: path.decodeFrame(compressedFrame(rest)); break;
        default:
            if (auto body = protocol::sealEnvelopeBody(rest, kLoginKey, false)) path.decodeFrame(unframed(*body));
            break;
    }

    for (const auto& m : delivered) {
        const auto type = protocol::msgType(m.type);
        // Carriers are opened, never handed on; only login data carries a payload.
        require(type != protocol::MsgType::Envelope && type != protocol::MsgType::Compressed);
        require(!m.fields.empty());
        const bool login = type == protocol::MsgType::LoginData || type == protocol::MsgType::LoginRefused;
        require(login || (!m.payload && !m.payloadRefused));
        require(!(m.payload && m.payloadRefused));
    }
    return 0;
}
