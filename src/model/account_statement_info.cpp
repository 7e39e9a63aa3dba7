#include "model/account_statement_info.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <unordered_map>

#include "model/text_value.h"

namespace model {

namespace {

using Transactions = std::vector<std::shared_ptr<FinancialTransactionHistoryInfo>>;

double value(const FinancialTransactionDetails& row) { return row.CrAmount - row.DrAmount; }

double firstOfType(const Transactions& rows, std::int32_t type) {
    for (const auto& row : rows)
        if (row->SubTransactionType == type) return value(*row);
    return 0.0;
}

double sumOfTypes(const Transactions& rows, std::initializer_list<std::int32_t> types) {
    double sum = 0.0;
    for (const auto& row : rows)
        if (std::find(types.begin(), types.end(), row->SubTransactionType) != types.end()) sum += value(*row);
    return sum;
}

template <typename Rows, typename Field>
double sum(const Rows& rows, Field field) {
    double total = 0.0;
    for (const auto& row : rows) total += field(*row);
    return total;
}

double number(std::string_view text) { return TextValue::doubleValue(text); }

template <typename Rows, typename Field>
PieChartDictionary pie(const Rows& rows, Field field) {
    PieChartDictionary out;
    // Keys view the rows' codes: a code seen before costs a lookup, no node.
    std::unordered_map<std::string_view, std::size_t> index;
    for (const auto& row : rows) {
        if (row->ItemCode.empty()) continue;
        const auto [at, added] = index.try_emplace(row->ItemCode, out.PieChartTitle.size());
        if (added) {
            out.PieChartTitle.push_back(row->ItemCode);
            out.PieChartData.push_back(0.0);
        }
        out.PieChartData[at->second] += field(*row);
    }
    return out;
}

template <typename Map>
const typename Map::mapped_type* entry(const Map& map, std::int32_t accountId) {
    const auto it = map.find(std::to_string(accountId));
    return it == map.end() || !it->second ? nullptr : &it->second;
}

}  // namespace

void AccountStatementInfo::beginStatement() {
    InstrumentInfo.clear();
    OpenPositionInfo.clear();
    PendingOrderInfo.clear();
    SettledPositionInfo.clear();
    FinancialTransactionInfo.clear();
    marginCallSummaryInfo.clear();
    clientAddressInfo.clear();
    organizationInfo.clear();
    StartInfo.reset();
    EndInfo.reset();
    loadFailed = false;
}

void AccountStatementInfo::failStatement() {
    beginStatement();
    loadFailed = true;
}

double AccountStatementInfo::getCommission() const { return firstOfType(FinancialTransactionInfo, 4); }
double AccountStatementInfo::getTDS() const { return firstOfType(FinancialTransactionInfo, 5); }
double AccountStatementInfo::getRealizedStorage() const { return firstOfType(FinancialTransactionInfo, 6); }
double AccountStatementInfo::getSettledPL() const {
    return firstOfType(FinancialTransactionInfo, 8) + firstOfType(FinancialTransactionInfo, 7);
}
double AccountStatementInfo::getAdjustments() const { return firstOfType(FinancialTransactionInfo, 9); }
double AccountStatementInfo::getDailyTDS() const { return firstOfType(FinancialTransactionInfo, 15); }
double AccountStatementInfo::getMonthlyTDS() const { return firstOfType(FinancialTransactionInfo, 16); }
double AccountStatementInfo::getDeposit() const { return sumOfTypes(FinancialTransactionInfo, {1, 11, 14}); }
double AccountStatementInfo::getWithDrawal() const { return sumOfTypes(FinancialTransactionInfo, {2, 12}); }
double AccountStatementInfo::getMiscellaneous() const {
    return sumOfTypes(FinancialTransactionInfo, {10, 13, 17, 18, 19});
}

std::shared_ptr<FinancialTransactionHistoryInfo> AccountStatementInfo::getFinancialTransactionHistoryInfo(
    std::int32_t type) const {
    for (const auto& row : FinancialTransactionInfo)
        if (row->SubTransactionType == type) return row;
    return nullptr;
}

AccountStatementInfo::SettledTotals AccountStatementInfo::settledTotals() const {
    SettledTotals t;
    for (const auto& row : SettledPositionInfo) {
        const Order& o = *row;
        t.quantity += number(o.SettledQty());
        t.profitOrLoss += number(o.SettledPL());
        t.commission += o.Commision;
        t.storage += o.Storage;
        t.tds += o.OtherCharges();
    }
    return t;
}

AccountStatementInfo::OpenTotals AccountStatementInfo::openTotals() const {
    OpenTotals t;
    for (const auto& row : OpenPositionInfo) {
        const Order& o = *row;
        t.quantity += number(o.RemainingQty);
        t.profitOrLoss += o.UnrealisedPL;
        t.commission += o.Commision;
        t.storage += o.Storage;
    }
    return t;
}
double AccountStatementInfo::getSettledQuantity() const {
    return sum(SettledPositionInfo, [](const Order& o) { return number(o.SettledQty()); });
}
double AccountStatementInfo::getSettledProfitorLoss() const {
    return sum(SettledPositionInfo, [](const Order& o) { return number(o.SettledPL()); });
}
double AccountStatementInfo::getSettledCommission() const {
    return sum(SettledPositionInfo, [](const Order& o) { return o.Commision; });
}
double AccountStatementInfo::getSettledStorage() const {
    return sum(SettledPositionInfo, [](const Order& o) { return o.Storage; });
}
double AccountStatementInfo::getSettledTDS() const {
    return sum(SettledPositionInfo, [](const Order& o) { return o.OtherCharges(); });
}
double AccountStatementInfo::getOpenQuantity() const {
    return sum(OpenPositionInfo, [](const Order& o) { return number(o.RemainingQty); });
}
double AccountStatementInfo::getOpenProfitorLoss() const {
    return sum(OpenPositionInfo, [](const Order& o) { return o.UnrealisedPL; });
}
double AccountStatementInfo::getOpenCommission() const {
    return sum(OpenPositionInfo, [](const Order& o) { return o.Commision; });
}
double AccountStatementInfo::getOpenStorage() const {
    return sum(OpenPositionInfo, [](const Order& o) { return o.Storage; });
}
double AccountStatementInfo::getPendingQuantity() const {
    return sum(PendingOrderInfo, [](const Order& o) { return number(o.OrderQty); });
}
double AccountStatementInfo::getCancelledQuantity() const {
    return sum(cancelledOrderInfo, [](const Order& o) { return number(o.OrderQty); });
}

double AccountStatementInfo::getSettledPLForItem(const std::string& code) const {
    return sum(SettledPositionInfo,
               [&code](const Order& o) { return o.ItemCode == code ? number(o.SettledPL()) : 0.0; });
}
double AccountStatementInfo::getOpenPLForItem(const std::string& code) const {
    return sum(OpenPositionInfo, [&code](const Order& o) { return o.ItemCode == code ? o.UnrealisedPL : 0.0; });
}

PieChartDictionary AccountStatementInfo::getSettledPLForItems() const {
    return pie(SettledPositionInfo, [](const Order& o) { return number(o.SettledPL()); });
}
PieChartDictionary AccountStatementInfo::getOpendPLForItems() const {
    return pie(OpenPositionInfo, [](const Order& o) { return o.UnrealisedPL; });
}

std::uint64_t AccountStatementInfo::getMarginCallCountForAccountId(std::int32_t accountId) const {
    const auto* found = entry(marginCallSummaryInfo, accountId);
    return found ? (*found)->marginCallCount : 0;
}
std::optional<std::string> AccountStatementInfo::getClientAddressForAccountId(std::int32_t accountId) const {
    const auto* found = entry(clientAddressInfo, accountId);
    return found ? std::optional<std::string>((*found)->address) : std::nullopt;
}
std::optional<std::string> AccountStatementInfo::getCompanyAddressForAccountId(std::int32_t accountId) const {
    const auto* found = entry(organizationInfo, accountId);
    return found ? std::optional<std::string>((*found)->companyAddress) : std::nullopt;
}

}  // namespace model
