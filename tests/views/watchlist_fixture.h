#pragma once
// A session holding instruments, their types and trading sessions, for the
// watchlist's tests; the requests it sends are kept, not sent.
#include <memory>
#include <string>
#include <vector>

#include "model/item_details.h"
#include "model/item_type.h"
#include "model/session_settings.h"
#include "platform/log.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"
#include "state/reference_data.h"

namespace views::testing {

class WatchlistSession {
public:
    WatchlistSession() {
        platform::Log::setSink([](platform::LogLevel, const std::string&) {});
        state::SessionParts parts;
        parts.outgoing = [this](const protocol::RequestMessage& r) {
            sent.push_back(r);
            return true;
        };
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        type(1, "Commodities");
        type(2, "Currencies");
        setting(1, "Open", 0x008000);
        setting(2, "Closed", 0xFF0000);
    }
    ~WatchlistSession() { platform::Log::setSink(nullptr); }

    state::ReferenceData& data() { return state::SessionTestAccess::referenceData(*session); }

    void type(std::int32_t id, const std::string& name) {
        auto t = std::make_shared<model::ItemType>();
        t->InstrumentTypeId = id;
        t->InstrumentTypeName = name;
        state::ReferenceDataTestAccess::ItemTypeCollection(data()).set(std::to_string(id), t);
    }
    void setting(std::uint64_t id, const std::string& name, std::uint32_t rgb) {
        auto s = std::make_shared<model::SessionSettings>();
        s->settingsID = id;
        s->settingsName = name;
        s->sessionColor = model::RGBAColor::fromRGB(rgb);
        state::ReferenceDataTestAccess::SessionSettingCollection(data()).set(std::to_string(id), s);
    }
    // An active instrument of type 1 in setting 1, added to the watchlist.
    std::shared_ptr<model::ItemDetails> item(const std::string& code, double bid, double ask) {
        auto i = std::make_shared<model::ItemDetails>();
        i->Code = code;
        i->Name = code + " name";
        i->InstrumentTypeId = 1;
        i->InstrumentTypeName = "Commodities";
        i->DecimalPlaces = 2;
        i->priceTick = 0.01;
        i->Bid = bid;
        i->Ask = ask;
        i->Last = i->Open = i->High = i->Low = i->PrevClose = bid;
        i->UpdateTime = "01/02/2024 14:30:05";
        i->instrumentTradingStatus = 1;
        i->CurrentTradeSessionSettingId = 1;
        state::ReferenceDataTestAccess::ItemCollection(data()).set(code, i);
        state::ReferenceDataTestAccess::selectedSymbols(data()).push_back(code);
        return i;
    }

    state::testing::RecordingUi ui;
    std::vector<protocol::RequestMessage> sent;  // kept from the channels
    std::shared_ptr<state::BusinessBase> session;
};

}  // namespace views::testing
