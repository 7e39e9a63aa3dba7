// Fuzz target for the price feed's router and decoders (tick, depth, status
// with its framed message). Built with libFuzzer when fuzzing; otherwise the
// checked-in corpus is replayed as an ordinary test.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/item_details.h"
#include "protocol/frame_decoder.h"
#include "protocol/message_base.h"
#include "state/double_tick_decoder.h"
#include "state/price_feed.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool finite(double v) { return std::isfinite(v); }

// Instruments made on demand; the code's first byte picks the spread type so
// that every spread rule sees the decoded prices.
struct Instruments {
    std::map<std::string, std::unique_ptr<model::ItemDetails>> byCode;
    model::ItemDetails* find(const std::string& code) {
        auto& item = byCode[code];
        if (!item) {
            item = std::make_unique<model::ItemDetails>();
            item->Code = code;
            item->Spreadtype = code.empty() ? 0 : static_cast<unsigned char>(code[0]) % 5;
            item->BidSpread = 3;
            item->AskSpread = 2;
            item->priceTick = 0.0001;
        }
        return item.get();
    }
};

void checkItem(const model::ItemDetails& item) {
    for (double v : {item.Bid, item.Ask, item.Last, item.High, item.Low, item.Open, item.PrevClose}) require(finite(v));
    require(item.CurrentTradeSessionSettingId >= 0);
}

void checkTick(std::string_view text) {
    require(state::test::agreesWithDoubles(text));
    const auto update = state::PriceFeed::PriceUpdateDecode(text);
    if (!update) return;
    require(update->ItemCode == text.substr(0, text.find('\x04')));
    require(update->DotPosition >= 1.0 && finite(update->DotPosition));
    require(update->Time.empty() || update->Time.size() == 19);
    for (double v : {update->Last, update->Bid, update->Ask, update->High, update->Low, update->Open,
                     update->PreviousClose})
        require(finite(v));
}

void checkDepth(const state::MarketDepthUpdate& depth) {
    require(!depth.code.empty() && depth.code.find(';') == std::string::npos);
    for (const auto* side : {&depth.buy, &depth.sell})
        for (const std::string& level : *side)
            require(!level.empty() && level.find_first_of("|;") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Instruments instruments;
    int depths = 0, statuses = 0;
    state::PriceFeed::Values values = state::PriceFeed::decode(text);
    if (auto* tick = std::get_if<model::PriceUpdate>(&values)) {
        if (model::ItemDetails* item = instruments.find(tick->ItemCode)) state::PriceFeed::UpdateItemCollection(*item, *tick);
    } else if (auto* depth = std::get_if<state::MarketDepthUpdate>(&values)) {
        ++depths;
        checkDepth(*depth);
    } else if (auto* status = std::get_if<state::StatusFrame>(&values)) {
        ++statuses;
        const std::string& frame = status->frame;
        require(!frame.empty() && frame.find(';') == std::string::npos);
        // The session's path: de-framed, decoded, then the status cracker.
        protocol::FrameDecoder decoder;
        decoder.feed(frame, [&](std::string_view body) {
            if (auto m = protocol::MessageBase::decodeFrame(body)) {
                std::vector<std::string> fields;
                for (std::string_view f : m->messageArray()) fields.emplace_back(f);
                state::PriceFeed::messageCrackerOnInstrumentStatusChange(
                    fields, [&](const std::string& code) { return instruments.find(code); });
            }
        });
    }

    const auto kind = state::PriceFeed::kindOf(text);
    require(depths <= 1 && statuses <= 1);
    require(depths == 0 || kind == state::PriceFeed::Kind::Depth);
    require(statuses == 0 || kind == state::PriceFeed::Kind::Status);
    if (kind == state::PriceFeed::Kind::Tick) checkTick(text);
    for (const auto& [code, item] : instruments.byCode) checkItem(*item);
    return 0;
}
