// The "PACKED" road of the login reference data: sections cut at 0x07 and
// numbered from 0 (PackedSection), records at 0x06, fields at 0x05; the
// section number alone says what a section holds and the field position which
// property a field sets. Each record makes a new record, stored under the decimal form of its
// converted id ("%d" / "%lu"), replacing any earlier one.
#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/log.h"
#include "protocol/separator_bytes.h"
#include "state/packed_records.h"
#include "state/record_setters.h"
#include "state/text_conversions.h"
#include "state/reference_data.h"

namespace state {

namespace TC = TextConversion;

namespace {

using Fields = std::vector<std::string_view>;

}  // namespace

void ReferenceData::FillPackedDetails(std::string_view text, PackedLoginRecords& records) {
    const std::vector<std::string_view> sections = TC::split(text, protocol::SectionByte);
    FillPackedSections(sections, 0, sections.size(), records);
}

void ReferenceData::FillPackedSections(const std::vector<std::string_view>& sections, std::size_t from,
                                       std::size_t to, PackedLoginRecords& records) {
    using Section = PackedSection;
    if (from == 0) userInfo_.reset();  // each login data carries its own user
    for (std::size_t number = from; number < std::min(to, sections.size()); ++number) {
        const std::string_view s = sections[number];
        try {
            switch (static_cast<Section>(number)) {
                case Section::UserInfo: FillPackedUserInfoDetails(s); break;
                case Section::ProductInfo: FillPackedProductInfoDetails(s); break;
                case Section::ItemTypes: FillPackedItemType(s); break;
                case Section::SessionSettings: FillPackedSessionSettingCollection(s); break;
                case Section::Instruments:
                    FillPackedItemDetails(std::move(records.instruments));
                    LoadItemstoWatchlist();
                    break;
                case Section::Groups: FillPackedGroupDetails(s); break;
                case Section::GroupInstruments: FillPackedGroupInstruments(std::move(records.groupInstruments)); break;
                case Section::Accounts:
                    FillPackedAccountDetails(s);
                    SetAllSymbolsSpread();
                    break;
                case Section::LoginInfos: FillPackedLoginInfoDetails(s); break;
                case Section::Resources: fillResourceDetails(s); break;
                case Section::CurrencyList: fillCurrencyListDetails(s); break;
                case Section::TradeCurrencies: fillTradeCurrencyDetails(s); break;
                default: break;  // not read
            }
        } catch (const std::exception& e) {
            platform::Log::debug("Login data section " + std::to_string(number) + " not filled: " + e.what());
        }
    }
}

// ---------------------------------------------------------------------------
// User, product and login information

// The record replaces the user only once it is read whole.
void ReferenceData::FillPackedUserInfoDetails(std::string_view section) {
    if (TC::recordZero(section, protocol::RowByte).empty()) {
        // A refusal carries none; the login data's own check reports a missing one.
        platform::Log::debug("Login data without a user record");
        return;
    }
    auto user = std::make_shared<model::UserInfo>();
    model::UserInfo& u = *user;
    const Fields f = TC::split(TC::recordZero(section, protocol::RowByte), protocol::ColumnByte);
    for (std::size_t i = 0; i < f.size(); ++i) {
        switch (i) {
            case 0: u.UserId = TC::intValue(f[i]); break;
            case 1: u.LastRefId = TC::intValue(f[i]); break;
            case 2: u.NewRefId = TC::intValue(f[i]); break;
            case 3: u.DdeEnabled = TC::boolValue(f[i]) ? 1 : 0; break;
            case 4: u.UserEnabled = TC::boolValue(f[i]); break;
            case 5: u.UserTypeId = TC::intValue(f[i]); break;
            case 6: u.ForceLogoutRefId = TC::intValue(f[i]); break;
            case 7: u.ForceLogoutLoadServerId = TC::intValue(f[i]); break;
            case 8: u.AppModeId = TC::intValue(f[i]); break;
            case 9: u.CanChangePassword = TC::boolValue(f[i]); break;
            case 10: u.tradePubPort = TC::intValue(f[i]); break;
            case 11: u.marketdepthPort = TC::intValue(f[i]); break;
            case 12: u.hdServerPort = TC::intValue(f[i]); break;
            case 15:
                // A bad currency id leaves it unset; the user stands without it.
                try {
                    u.systemCurrencyId = TC::nonNegativeInteger(f[i]);
                } catch (const std::exception& e) {
                    platform::Log::error(std::string("User record: system currency not read: ") + e.what());
                }
                break;
            default: break;  // 13 and 14 are not read
        }
    }
    userInfo_ = std::move(user);
}

// Only the product id is kept (name and builds are not).
void ReferenceData::FillPackedProductInfoDetails(std::string_view section) {
    if (!userInfo_) return;
    const Fields f = TC::split(TC::recordZero(section, protocol::RowByte), protocol::ColumnByte);
    userInfo_->productID = TC::nonNegativeInt(f[0]);
}

// A record with fewer than three fields is skipped on its own; the later
// records are still read.
void ReferenceData::FillPackedLoginInfoDetails(std::string_view section) {
    for (std::string_view record : TC::split(section, protocol::RowByte)) {
        if (record.empty()) continue;
        const Fields f = TC::split(record, protocol::ColumnByte);
        if (f.size() < 3) {
            platform::Log::debug("Login information record with " + std::to_string(f.size()) +
                                 " fields: skipped");
            continue;
        }
        const std::int32_t code = TC::intValue(f[2]);
        if (code <= 0 || !protocol::LoginInfoMessage::isEnumDefined(code)) continue;
        auto message = std::make_shared<protocol::LoginInfoMessage>();
        message->DisplayMode = TC::intValue(f[0]);
        message->Message.assign(f[1]);
        message->ErrorCode = code;
        loginInfos_.set(std::to_string(code), std::move(message));
    }
}

// ---------------------------------------------------------------------------
// Accounts

void ReferenceData::FillPackedAccountDetails(std::string_view section) {
    TC::eachRecord(section, "Account", [this](const Fields& f) {
        auto record = std::make_shared<model::AccountDetails>();
        model::AccountDetails& a = *record;
        for (std::size_t i = 0; i < f.size(); ++i) {
            const std::string_view v = f[i];
            switch (i) {
                case 0: a.AccountId = TC::intValue(v); break;
                case 1: a.GroupId.assign(v); break;
                case 2: a.tradeAccountType = TC::integerValue(v); break;
                case 4: a.Balance = TC::doubleValue(v); break;
                case 5: a.UnrealisedPL = TC::doubleValue(v); break;
                case 6: a.LeverageOnPositions = TC::doubleValue(v); break;
                case 7: a.CollateralSecurity = TC::doubleValue(v); break;
                case 8: a.UsedMargin = TC::doubleValue(v); break;
                case 9: a.Equity = TC::doubleValue(v); break;
                case 10: a.AvailableMargin = TC::doubleValue(v); break;
                case 12: a.HedgeModeId = TC::intValue(v); break;
                case 13: a.TradeRouteId = TC::intValue(v); break;
                case 14: a.AutoExecutionModeId = TC::intValue(v); break;
                case 15: a.AccountName.assign(v); break;
                case 16: a.AccountEnabled = TC::boolValue(v); break;
                case 17: a.InstrumentLimit = TC::intValue(v); break;
                case 18: a.WatchlistItemLimit = TC::intValue(v); break;
                case 19: setAccountAccessTypeId(a, TC::intValue(v)); break;
                case 20: setTradingStatusId(a, TC::intValue(v)); break;
                case 22: a.AccumulatingStorage = TC::doubleValue(v); break;
                case 23: a.primaryAccountHolderUserid = TC::nonNegativeInteger(v); break;
                case 24: a.availableOrderTypes = TC::intValue(v); break;
                case 28: a.accountSettings = static_cast<std::int64_t>(TC::intValue(v)); break;
                case 33: a.currencyID = TC::nonNegativeInteger(v); break;
                case 34: a.accountSettings2.assign(v); break;
                case 35: a.oneSideMargin = TC::doubleValue(v); break;
                default: break;
            }
        }
        // An empty id field reads 0 and is stored under "0".
        accounts_.set(std::to_string(a.AccountId), std::move(record));
    });
}

// ---------------------------------------------------------------------------
// Groups and group instruments

void ReferenceData::FillPackedGroupDetails(std::string_view section) {
    TC::eachRecord(section, "Group", [this](const Fields& f) {
        auto record = std::make_shared<model::GroupDetails>();
        model::GroupDetails& g = *record;
        for (std::size_t i = 0; i < f.size(); ++i) {
            const std::string_view v = f[i];
            switch (i) {
                case 0: g.GroupId = TC::intValue(v); break;
                case 1: g.Name.assign(v); break;
                case 2: g.TradingEnabled = TC::boolValue(v); break;
                case 3: g.CompanyId = TC::intValue(v); break;
                case 5: g.IsNewsEnabled = TC::boolValue(v); break;
                case 6: g.IsMailEnabled = TC::boolValue(v); break;
                case 7: g.IsChatEnabled = TC::boolValue(v); break;
                case 8: g.IsEAEnabled = TC::boolValue(v); break;
                case 9: g.InstrumentLimit = TC::intValue(v); break;
                case 10: g.WatchlistItemLimit = TC::intValue(v); break;
                case 11: g.MaxOrderQty = TC::doubleValue(v); break;
                case 12: g.OrderQtyStep = TC::doubleValue(v); break;
                case 13: g.IsTrailingStopEnabled = TC::boolValue(v); break;
                case 14: g.MarginCallLevel = TC::doubleValue(v); break;
                case 15: g.StopOutLevel = TC::doubleValue(v); break;
                case 16: g.LeverageOnFProfit = TC::intValue(v); break;
                case 17: g.RevLeverageOnFLoss = TC::intValue(v); break;
                case 18: g.ReportHistoryDaysLimit = TC::intValue(v); break;
                case 19: g.SendMailReports = TC::boolValue(v); break;
                case 20: g.SendExecutionSMS = TC::boolValue(v); break;
                case 21: g.CreditRating = TC::intValue(v); break;
                default: break;
            }
        }
        // Replaces an earlier group together with its instruments.
        groups_.set(std::to_string(g.GroupId), std::move(record));
    });
}

void ReferenceData::FillPackedGroupInstruments(std::vector<std::shared_ptr<model::GroupInstruments>> records) {
    FillPackedGroupInstrumentRange(records);
}

void ReferenceData::FillPackedGroupInstrumentRange(std::span<std::shared_ptr<model::GroupInstruments>> records) {
    // Rows come by group: the group is looked up again only when the id changes
    // (this section adds no group).
    std::optional<std::int32_t> lastGroupId;
    std::shared_ptr<model::GroupDetails>* group = nullptr;
    for (std::shared_ptr<model::GroupInstruments>& record : records) {
        const std::int32_t groupId = record->GroupId;
        if (lastGroupId != groupId) {
            group = groups_.find(std::to_string(groupId));
            lastGroupId = groupId;
        }
        if (!group || !*group) {
            platform::Log::debug("Group instrument of unknown group " + std::to_string(groupId) + ": dropped");
            continue;
        }
        (*group)->GroupInstrumentCollection[std::to_string(record->InstrumentId)] = std::move(record);
    }
}

// ---------------------------------------------------------------------------
// Session settings

void ReferenceData::FillPackedSessionSettingCollection(std::string_view section) {
    TC::eachRecord(section, "Session setting", [this](const Fields& f) {
        auto record = std::make_shared<model::SessionSettings>();
        model::SessionSettings& s = *record;
        for (std::size_t i = 0; i < f.size(); ++i) {
            const std::string_view v = f[i];
            switch (i) {
                case 0: s.settingsID = TC::nonNegativeInt(v); break;
                case 1: s.settingsName.assign(v); break;
                // In this order allowNewTpSl ends with editLimitOrder when present.
                case 2: setEnterLimitOrder(s, TC::boolValue(v)); break;
                case 3: setEnterMarketOrder(s, TC::boolValue(v)); break;
                case 4: setEditLimitOrder(s, TC::boolValue(v)); break;
                case 5: s.editMarketOrder = TC::boolValue(v); break;
                case 6: s.executeOrders = TC::boolValue(v); break;
                case 7: s.publishMarketData = TC::boolValue(v); break;
                case 8: s.publishTradeData = TC::boolValue(v); break;
                case 9: s.matchMMWithMMOrders = TC::boolValue(v); break;
                case 10: s.enterMarketMakerOrder = TC::boolValue(v); break;
                case 11: s.editMarketMakertOrder = TC::boolValue(v); break;
                case 12: s.sessionColor = sessionColorFor(TC::intValue(v)); break;
                case 13: s.useELP = TC::boolValue(v); break;
                case 15: s.marketTradingStatus = TC::nonNegativeInteger(v); break;
                default: break;  // 14 is not read
            }
        }
        sessionSettings_.set(std::to_string(s.settingsID), std::move(record));
    });
}

}  // namespace state
