#pragma once
// The account statement of a login: the instruments, positions, orders,
// account figures, financial transactions, margin calls and addresses of one
// account over a period, and every total the statement shows. Made once per
// session; its containers are only emptied and refilled. No total is stored:
// each is computed from the containers when asked for.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/account_history_info.h"
#include "model/client_address_info.h"
#include "model/funds_records.h"
#include "model/margin_call_summary_info.h"
#include "model/order.h"
#include "model/organization_info.h"
#include "model/statement_rows.h"

namespace model {

// The data of a profit/loss pie: codes and sums, index for index.
struct PieChartDictionary {
    std::vector<std::string> PieChartTitle;
    std::vector<double> PieChartData;
};

class AccountStatementInfo {
public:
    AccountStatementInfo() = default;
    AccountStatementInfo(const AccountStatementInfo&) = delete;
    AccountStatementInfo& operator=(const AccountStatementInfo&) = delete;

    // Instrument id text -> instrument with its closing prices.
    std::unordered_map<std::string, std::shared_ptr<InstrumentHistoryInfo>> InstrumentInfo;
    std::vector<std::shared_ptr<OpenPositionHistoryInfo>> OpenPositionInfo;
    std::vector<std::shared_ptr<PendingOrderHistoryInfo>> PendingOrderInfo;
    std::vector<std::shared_ptr<SettledPositionHistoryInfo>> SettledPositionInfo;
    std::vector<std::shared_ptr<Order>> cancelledOrderInfo;
    std::shared_ptr<AccountHistoryInfo> StartInfo;
    std::shared_ptr<AccountHistoryInfo> EndInfo;
    std::vector<std::shared_ptr<FinancialTransactionHistoryInfo>> FinancialTransactionInfo;
    // Account id text -> record.
    std::map<std::string, std::shared_ptr<MarginCallSummaryInfo>> marginCallSummaryInfo;
    std::map<std::string, std::shared_ptr<ClientAddressInfo>> clientAddressInfo;
    std::map<std::string, std::shared_ptr<OrganizationInfo>> organizationInfo;

    // Set when the last statement answer held no statement (refused, empty,
    // not XML, none in time): the containers above are empty and show nothing.
    bool loadFailed = false;

    // Empties what a statement answer refills (every container but the
    // cancelled orders) and forgets the start and end figures; clears loadFailed.
    void beginStatement();
    // The same for an answer that failed: loadFailed set.
    void failStatement();

    // Financial-transaction totals: credit minus debit of the first row of a
    // type, or summed over every row of a set of types.
    double getCommission() const;
    double getTDS() const;
    double getRealizedStorage() const;
    double getSettledPL() const;
    double getAdjustments() const;
    double getDailyTDS() const;
    double getMonthlyTDS() const;
    double getDeposit() const;
    double getWithDrawal() const;
    double getMiscellaneous() const;
    bool isDailyTDSAvailable() const { return getDailyTDS() != 0.0; }
    bool isMonthlyTDSAvailable() const { return getMonthlyTDS() != 0.0; }
    // The first row of the type, or null.
    std::shared_ptr<FinancialTransactionHistoryInfo> getFinancialTransactionHistoryInfo(std::int32_t type) const;

    // Sums over every position and order row.
    struct SettledTotals {
        double quantity = 0, profitOrLoss = 0, commission = 0, storage = 0, tds = 0;
    };
    struct OpenTotals {
        double quantity = 0, profitOrLoss = 0, commission = 0, storage = 0;
    };
    // Every sum of the rows in one pass over them (each as its getter gives it).
    SettledTotals settledTotals() const;
    OpenTotals openTotals() const;
    double getSettledQuantity() const;
    double getSettledProfitorLoss() const;
    double getSettledCommission() const;
    double getSettledStorage() const;
    double getSettledTDS() const;
    double getOpenQuantity() const;
    double getOpenProfitorLoss() const;
    double getOpenCommission() const;
    double getOpenStorage() const;
    double getPendingQuantity() const;
    double getCancelledQuantity() const;

    // Per instrument code.
    double getSettledPLForItem(const std::string& code) const;
    double getOpenPLForItem(const std::string& code) const;
    // Codes in the order of their first row; rows without a code are left out.
    PieChartDictionary getSettledPLForItems() const;
    PieChartDictionary getOpendPLForItems() const;

    // Per account id; 0 or nothing without an entry.
    std::uint64_t getMarginCallCountForAccountId(std::int32_t accountId) const;
    std::optional<std::string> getClientAddressForAccountId(std::int32_t accountId) const;
    std::optional<std::string> getCompanyAddressForAccountId(std::int32_t accountId) const;
};

}  // namespace model
