#include "state/currency_fillers.h"

#include <string_view>
#include <vector>

#include "model/text_value.h"
#include "platform/log.h"
#include "state/text_conversions.h"

namespace state::CurrencyFillers {

namespace {

namespace tv = model::TextValue;
namespace TC = TextConversion;
using Fields = std::vector<std::string_view>;

// Positions 0 to `last` of a currency record.
void setCurrencyFields(model::TradeCurrency& c, const Fields& f, std::size_t last) {
    for (std::size_t pos = 0; pos < f.size() && pos <= last; ++pos) {
        const std::string_view v = f[pos];
        switch (pos) {
            case 0: c.currencyID = TC::nonNegativeInteger(v); break;
            case 1: c.currencyCode = std::string(v); break;
            case 2: c.instrumentID = TC::nonNegativeInteger(v); break;
            case 3: c.bidRate = tv::doubleValue(v); break;
            case 4: c.askRate = tv::doubleValue(v); break;
            case 5: c.conversionMode = tv::longLongValue(v); break;
            case 6: c.isDirect = tv::boolValue(v); break;
            case 7: c.depositRate = tv::doubleValue(v); break;
            default: break;
        }
    }
}

}  // namespace

std::string resourceKey(const model::ResourceDetails& r) {
    return r.iconResourceId.empty() ? r.caption : r.iconResourceId;
}

void fillResourceDetails(ResourceMap& resources, std::string_view section) {
    TC::eachRecord(section, "Resource", [&resources](const Fields& f) {
        auto r = std::make_shared<model::ResourceDetails>();
        for (std::size_t pos = 0; pos < f.size() && pos <= 10; ++pos) {
            const std::string_view v = f[pos];
            switch (pos) {
                case 0: r->resourceId = TC::nonNegativeInteger(v); break;
                case 1: r->caption = std::string(v); break;
                case 2: r->URL = std::string(v); break;
                case 3: r->iconResourceId = std::string(v); break;
                case 4: r->groupName = std::string(v); break;
                case 5: r->resourceType = std::string(v); break;
                case 6: r->productId = TC::nonNegativeInteger(v); break;
                case 7: r->isNew = tv::boolValue(v); break;
                case 8: r->showFocus = tv::boolValue(v); break;
                case 9: r->enabled = tv::boolValue(v); break;
                case 10: r->extraData = tv::boolValue(v); break;
                default: break;
            }
        }
        std::string key = resourceKey(*r);
        if (key.empty()) {
            platform::Log::debug("Resource record without a caption or file name (" + std::to_string(f.size()) +
                                 " fields): skipped");
            return;
        }
        resources.set(std::move(key), std::move(r));
    });
}

void fillCurrencyListDetails(TradeCurrencyMap& currencies, std::string_view section) {
    TC::eachRecord(section, "Currency", [&currencies](const Fields& f) {
        auto c = std::make_shared<model::CurrenyList>();
        setCurrencyFields(*c, f, 5);
        std::string key = std::to_string(c->currencyID);
        currencies.set(std::move(key), std::move(c));
    });
}

void fillTradeCurrencyDetails(TradeCurrencyMap& currencies, AccountMap& accounts, std::string_view section) {
    TC::eachRecord(section, "Trade currency", [&currencies](const Fields& f) {
        auto c = std::make_shared<model::TradeCurrency>();
        setCurrencyFields(*c, f, 7);
        std::string key = std::to_string(c->currencyID);
        currencies.set(std::move(key), std::move(c));
    });
    for (auto& [id, account] : accounts) {
        if (!account) continue;
        const std::shared_ptr<model::TradeCurrency>* c = currencies.find(std::to_string(account->currencyID));
        account->tradeCurrency = c ? *c : nullptr;
    }
}

}  // namespace state::CurrencyFillers
