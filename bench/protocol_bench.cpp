// Builds, frames and enciphers new-order requests; splits and parses 20-field
// bodies against a plain memchr scan of the same bytes; reads single messages
// of 20, 200 and 2,000 fields (cost per field).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/deployment_constants.h"
#include "protocol/app_context.h"
#include "protocol/frame_decoder.h"
#include "protocol/message_base.h"
#include "protocol/separator_bytes.h"

namespace {

using Clock = std::chrono::steady_clock;

class CountingContext : public protocol::AppContext {
public:
    std::size_t sentBytes = 0;
    std::size_t sentCount = 0;
    std::optional<std::string> userName() const override { return std::string("trader1"); }
    std::optional<std::string> password() const override { return std::string("pw"); }
    std::optional<std::string> productName() const override { return std::string("TradeDesk"); }
    std::optional<std::string> productVersion() const override { return std::string("1.0.0"); }
    std::optional<std::string> securityKey() const override { return std::string(deployment::kSecurityKey); }
    std::int32_t requestId() const override { return 41; }
    std::optional<std::string> referenceId() const override { return std::string("REF9"); }
    std::optional<std::string> serverTime() const override { return std::string("20261207101455"); }
    std::string packedLocalTime() const override { return "20261207101500"; }
    void sendMessage(protocol::RequestMessage r) override {
        sentBytes += r.message.size();
        ++sentCount;
    }
    void stampPingTime() override {}
};

void fillNewOrder(protocol::MessageBase& m, int i) {
    m.setMessagetype(60);
    m.setNeworderrequestType(0);
    auto& d = m.messageDataDictionary();
    d.setNumber(10, 60);
    d.set(34, "7001");
    d.set(23, "trader1");
    d.setNumber(33, 42 + i);
    d.set(19, "REF9");
    d.set(12, "GOLD");
    d.set(32, "29");
    d.set(117, "51");
    d.set(37, "2");
    d.set(38, "1950.5");
    d.set(39, "");
    d.set(40, "");
    d.set(90, "0.3");
    d.set(36, "45");
    d.set(77, "0");
    d.set(24, "0");
    d.set(56, "1950.2");
    d.set(54, "1950.5");
    d.set(61, "1950.4");
    d.set(60, "1960");
    d.set(62, "1940");
    d.set(67, "20261207101459");
    d.set(78, "20261207101455");
}

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    // 1. Build + frame + encrypt.
    if (only.empty() || only == "build") {
        CountingContext ctx;
        protocol::MessageBase m(&ctx);
        for (int i = 0; i < 200; ++i) {  // warm-up (and the cipher's key cache)
            fillNewOrder(m, i);
            m.BuildMessage();
        }
        int n = 0;
        const auto start = Clock::now();
        auto now = start;
        while (seconds(start, now) < 1.0) {
            for (int k = 0; k < 100; ++k, ++n) {
                fillNewOrder(m, n);
                m.BuildMessage();
            }
            now = Clock::now();
        }
        std::printf("new-order build+frame+encrypt: %.0f requests/s (target >= 50000), %zu sent\n",
                    n / seconds(start, now), ctx.sentCount);
    }

    // 2. Split + parse of 20-field bodies against a memchr scan.
    if (only.empty() || only == "parse") {
        std::string stream;
        const int kFrames = 2000;
        for (int f = 0; f < kFrames; ++f) {
            std::string body = "10=62" "\x03";
            for (int t = 1; t < 20; ++t)
            {
                body.append(std::to_string(20 + t * 7)).append("=").append(std::to_string(1000000 + f * 31 + t));
                body.append(".25").push_back(protocol::FieldEndByte);
            }
            stream.push_back(protocol::FrameStartByte);
            stream.append(std::to_string(body.size()));
            stream.push_back(protocol::FieldEndByte);
            stream.append(body);
            stream.push_back(protocol::FrameEndByte);
        }
        const int kRounds = 200;

        std::size_t scanHits = 0;
        auto t0 = Clock::now();
        for (int r = 0; r < kRounds; ++r) {
            const char* p = stream.data();
            const char* end = p + stream.size();
            while (p < end) {
                const void* hit = std::memchr(p, protocol::FieldEndByte, static_cast<std::size_t>(end - p));
                if (!hit) break;
                ++scanHits;
                p = static_cast<const char*>(hit) + 1;
            }
        }
        const double scanSecs = seconds(t0, Clock::now());

        std::size_t parsed = 0;
        std::size_t tags = 0;
        protocol::FrameDecoder dec;
        t0 = Clock::now();
        for (int r = 0; r < kRounds; ++r) {
            dec.feedMessages(stream, [&](protocol::MessageBase&& m) {
                ++parsed;
                tags += m.messageDataDictionary().size();
            });
        }
        const double parseSecs = seconds(t0, Clock::now());
        const double scanRate = static_cast<double>(kFrames) * kRounds / scanSecs;
        const double parseRate = static_cast<double>(parsed) / parseSecs;
        std::printf("memchr scan: %.0f bodies/s (%zu separators)\n", scanRate, scanHits);
        std::printf("split+parse: %.0f bodies/s (%zu tags)\n", parseRate, tags);
        std::printf("ratio parse/scan: %.3f (target >= 0.25)\n", parseRate / scanRate);
    }

    // 3. One message of n distinct tags: the cost per field should not grow with n.
    if (only.empty() || only == "fields") {
        constexpr long kFieldsPerSize = 4'000'000;
        double at20 = 0, at2000 = 0;
        for (int fields : {20, 200, 2000}) {
            std::string frame = "0";
            frame.push_back(protocol::FieldEndByte);
            frame.append("10=62").push_back(protocol::FieldEndByte);
            for (int t = 1; t < fields; ++t) {
                frame.append(std::to_string(100 + t * 7)).append("=").append(std::to_string(1000 + t));
                frame.push_back(protocol::FieldEndByte);
            }
            const long rounds = kFieldsPerSize / fields;
            std::size_t tags = 0;
            const auto t0 = Clock::now();
            for (long r = 0; r < rounds; ++r)
                tags += protocol::MessageBase::decodeFrame(frame)->messageDataDictionary().size();
            const double secs = seconds(t0, Clock::now());
            const double perField = secs * 1e9 / (static_cast<double>(rounds) * fields);
            std::printf("read a %4d-field message: %6.1f ns per field (%zu tags)\n", fields, perField, tags);
            (fields == 20 ? at20 : at2000) = perField;
        }
        std::printf("per field at 2,000 / at 20: %.2fx (target <= 2x)\n", at2000 / at20);
    }
    return 0;
}
