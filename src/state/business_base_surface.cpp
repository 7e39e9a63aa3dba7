// The session as the windows see it: lookups over the components' records and
// the commands that are not plain forwards to an existing operation.
#include "model/login_inputdata.h"
#include "platform/main_executor.h"
#include "state/business_base.h"
#include "state/profit_loss.h"

namespace state {
double SessionView::CalculateFloatingPL(const model::ItemDetails* item, std::int32_t side, double quantity,
                                        double orderPrice, double currentPrice) {
    return ProfitLoss::CalculateFloatingPL(item, side, quantity, orderPrice, currentPrice);
}

std::shared_ptr<model::ItemDetails> BusinessBase::instrument(const std::string& code) const {
    return reference_.instrument(code);
}
std::shared_ptr<model::ItemDetails> BusinessBase::instrumentById(std::int32_t instrumentId) const {
    return reference_.instrumentById(instrumentId);
}
std::vector<std::string> BusinessBase::watchlistCodes() const { return reference_.selectedSymbols(); }
std::vector<std::string> BusinessBase::instrumentCodes() const {
    std::vector<std::string> codes;
    codes.reserve(reference_.ItemCollection().size());
    for (const auto& [code, item] : reference_.ItemCollection()) codes.push_back(code);
    return codes;
}
std::vector<std::shared_ptr<model::ItemDetails>> BusinessBase::watchlistInstruments() const {
    return reference_.watchlistInstruments();
}
std::shared_ptr<model::SessionSettings> BusinessBase::sessionSetting(const std::string& settingId) const {
    return reference_.sessionSetting(settingId);
}
std::optional<std::vector<std::string>> BusinessBase::marketDepth(const std::string& code, DepthSide side) const {
    return feed_->marketDepth(code, side == DepthSide::Buy);
}
std::optional<std::string> BusinessBase::chartData(const std::string& chartKey) const {
    return dataService_->chartData(chartKey);
}
std::optional<platform::TimePoint> BusinessBase::chartDataTime(const std::string& chartKey) const {
    return dataService_->chartDataTime(chartKey);
}

std::shared_ptr<model::AccountDetails> BusinessBase::account(const std::string& accountNumber) const {
    return reference_.account(accountNumber);
}
std::int32_t BusinessBase::currentAccountSelected() const { return accountLedger_->currentAccountSelected(); }
std::shared_ptr<model::AccountDetails> BusinessBase::selectedAccount() const {
    return account(std::to_string(currentAccountSelected()));
}
std::shared_ptr<model::UserInfo> BusinessBase::userInfo() const { return reference_.userInfo(); }
std::shared_ptr<model::GroupDetails> BusinessBase::group(const std::string& groupId) const {
    return reference_.group(groupId);
}
std::shared_ptr<model::ChatRoom> BusinessBase::chatRoom(const std::string& roomKey) const {
    return chat_->chatRoom(roomKey);
}
namespace {
template <typename T>
std::vector<std::shared_ptr<const T>> listOf(const OrderedDictionary<std::shared_ptr<T>>& collection) {
    std::vector<std::shared_ptr<const T>> out;
    out.reserve(collection.size());
    for (const auto& [key, value] : collection) out.push_back(value);
    return out;
}
}  // namespace
std::vector<std::shared_ptr<const model::ChatGroup>> BusinessBase::chatGroups() const {
    return listOf(chat_->GroupChatCollection());
}
std::shared_ptr<const model::ChatUser> BusinessBase::chatUser(const std::string& userName) const {
    const auto* user = chat_->UserChatCollection().find(userName);
    return user ? *user : nullptr;
}
std::vector<std::shared_ptr<const model::ChatQueue>> BusinessBase::chatQueues() const {
    return listOf(chat_->ChatQueueCollection());
}
std::vector<std::shared_ptr<const model::ChatUser>> BusinessBase::chatUsers() const {
    return listOf(chat_->UserChatCollection());
}
std::string BusinessBase::chatUserName() const { return chat_->chatUserName(); }

void BusinessBase::setChatUserName(const std::string& name) { chat_->setChatUserName(name); }
void BusinessBase::openContactRoom(const std::string& userName) { chat_->CreateRoomforChat(userName); }
void BusinessBase::markNoticeRead(const std::string& roomKey) { chat_->markNoticeRead(roomKey); }
std::optional<std::string> BusinessBase::takeParkedText(const std::string& roomKey) {
    return chat_->takeParkedText(roomKey);
}
void BusinessBase::requestRoomMessage(const std::string& roomKey) {
    if (const auto room = chat_->chatRoom(roomKey)) chat_->requestRoomMessage(*room);
}
void BusinessBase::requestChatMessageAcknowledgement(const std::string& roomKey) {
    if (const auto room = chat_->chatRoom(roomKey)) chat_->requestChatMessageAcknowledgement(*room);
}
void BusinessBase::sendChat(const std::string& roomKey, const std::string& text) { chat_->SendChat(roomKey, text); }
void BusinessBase::sendChatMessage(const std::string& text, const std::string& roomId, const std::string& roomName) {
    chat_->SendNewChatMessageToServer(text, roomId, roomName);
}
void BusinessBase::sendChatQueueRequest(const std::string& queueId, const std::string& text) {
    chat_->SendChatQueueRequest(queueId, text);
}

std::vector<std::shared_ptr<model::FileResource>> BusinessBase::resourceSearchResults() const {
    return reference_.resourceSearchResults();
}

std::shared_ptr<model::BankDetails> BusinessBase::bankDetails() const { return funds_->bankDetails(); }
std::uint64_t BusinessBase::bankDetailsRequest() const { return funds_->bankDetailsRequest(); }
std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>> BusinessBase::approvalRequests() const {
    return funds_->approvalRequests();
}
std::map<std::uint64_t, std::shared_ptr<model::FinancialApproval>> BusinessBase::financialApprovals() const {
    return funds_->financialApprovals();
}
std::vector<std::shared_ptr<model::PayGateSetting>> BusinessBase::payGateSettings() const {
    return funds_->payGateSettings();
}
std::vector<std::shared_ptr<model::FinancialTransactionDetails>> BusinessBase::financialTransactions() const {
    return funds_->FinancialTransactionCollection();
}
const model::AccountStatementInfo& BusinessBase::accountStatement() const { return funds_->accountStatementInfo(); }
std::shared_ptr<model::TradeCurrency> BusinessBase::tradeCurrency(std::uint64_t currencyId) const {
    const auto* held = reference_.tradeCurrencyCollection().find(std::to_string(currencyId));
    return held ? *held : nullptr;
}
FinancialRequestRules BusinessBase::financialRequestRules() const {
    const model::LoginInputdata& login = host_.logindata();
    return {login.canSpecifyBankDetails(), login.canWithdrawFloatingPL(), login.minimumBalance()};
}

std::vector<std::string> BusinessBase::journalLines() const { return journal_.JournalDataCollection(); }
std::string BusinessBase::ServerTime() const { return ping_->serverTimeText(); }
std::int32_t BusinessBase::networkspeedStatus() const { return ping_->speedStatus(); }
bool BusinessBase::isNetworkAvailable() const { return conn_ && conn_->isNetworkAvailable; }
std::string BusinessBase::loginUserName() const { return host_.logindata().userName(); }
std::string BusinessBase::loginPassword() const { return host_.logindata().password(); }
bool BusinessBase::isConnected() const { return conn_ && conn_->isConnected(); }

void BusinessBase::setCurrentAccountSelected(std::int32_t accountId) {
    accountLedger_->setCurrentAccountSelected(accountId);
}
void BusinessBase::setNetworkAvailable(bool available) {
    platform::assertMainThread();
    if (conn_) conn_->isNetworkAvailable = available;
}
void BusinessBase::scheduleSpeedCheck() { ping_->scheduleSpeedCheck(); }

// ---------------------------------------------------------------------------
// Commands carried out by the owning component

void BusinessBase::recalculateAccounts() { accountLedger_->recalculateAccounts(); }
void BusinessBase::recalculateChangedAccounts() {
    while (!recalculateChangedAccountsStep()) {}
}
bool BusinessBase::recalculateChangedAccountsStep() {
    // A turn ends as a recomputation begins.
    if (!recomputing_) ticked_.endTurn();
    recomputing_ = !accountLedger_->recalculateChangedAccountsStep(AccountLedger::kRecomputeStepPositions);
    return !recomputing_;
}
const RecomputedFigures& BusinessBase::recomputedFigures() const { return accountLedger_->lastRecomputed(); }
const TickedInstrumentsTurn& BusinessBase::tickedInstruments() const { return ticked_.last(); }
const InstrumentLog& BusinessBase::statusChanges() const { return feed_->statusChanges(); }
void BusinessBase::calculateAccountDetails(model::AccountDetails& account) {
    accountLedger_->calculateAccountDetails(account);
}
double BusinessBase::calculateCurrencyConversionForValue(double value, const model::Order& position) const {
    return accountLedger_->calculateCurrencyConversionForValue(value, position);
}
void BusinessBase::setExecutedPositionState(bool search) { orderBook_->setExecutedPositionSearch(search); }
void BusinessBase::clearExecutedOrderSearchCollection() { orderBook_->clearExecutedOrderSearchCollection(); }
void BusinessBase::ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>& codes, bool subscribe) {
    feed_->ProcessSubscribeandUnSubscribeItems(codes, subscribe);
}
void BusinessBase::reconnectZMQandSubscribeAllItems() { feed_->reconnectZMQandSubscribeAllItems(); }
std::int32_t BusinessBase::requestChartData(const std::string& symbol, const std::string& interval,
                                            std::int32_t points) {
    return dataService_->requestChartData(symbol, interval, points);
}
void BusinessBase::requestExecutedPosition(const model::SearchInfo& search) {
    orderBook_->requestExecutedPosition(search);
}
void BusinessBase::requestFinancialTransactions(const model::SearchInfo& search) {
    funds_->requestFinancialTransactions(search);
}
void BusinessBase::clearFinancialTransactions() { funds_->clearFinancialTransactions(); }
void BusinessBase::requestAccountStatement(const model::StatementQuery& query) { funds_->requestAccountStatement(query); }
void BusinessBase::requestCancelledOrderHistoryForAccount(const model::StatementQuery& query) {
    funds_->requestCancelledOrderHistoryForAccount(query);
}
std::uint64_t BusinessBase::requestBankDetails(const model::AccountDetails& account) {
    return funds_->requestBankDetails(account);
}
void BusinessBase::requestApprovalRequest() { funds_->requestApprovalRequest(); }
void BusinessBase::requestFinancialApprovals() { funds_->requestFinancialApprovals(); }
void BusinessBase::requestGetAllPayGateSettings() { funds_->requestGetAllPayGateSettings(); }
void BusinessBase::sendDepositRequest(const model::NewDeposit& deposit) { funds_->sendDepositRequest(deposit); }
void BusinessBase::sendWithdrawalRequest(const model::NewWithdrawal& withdrawal) {
    funds_->sendWithdrawalRequest(withdrawal);
}
void BusinessBase::requestAdvancedInstrumentInfo() { reference_.requestAdvancedInstrumentInfo(*this); }
void BusinessBase::requestSessionSchedule(std::uint64_t marketId) { reference_.requestSessionSchedule(*this, marketId); }
void BusinessBase::requestUserMapWithMyAccount(std::int32_t accountId) {
    reference_.requestUserMapWithMyAccount(*this, accountId);
}
void BusinessBase::requestEditUserAccountAccessByClient(const model::UserAccountMaps& map) {
    reference_.requestEditUserAccountAccessByClient(*this, map);
}
void BusinessBase::requestResourceSearchForTypes(const std::vector<std::string>& types) {
    reference_.requestResourceSearchForTypes(*this, types);
}
void BusinessBase::requestFileResourceDownload(const model::FileResource& resource) {
    reference_.requestFileResourceDownload(*this, resource);
}
void BusinessBase::requestFileResourceForExtension(const std::string& text) {
    reference_.requestFileResourceForExtension(*this, text);
}
void BusinessBase::DemoUserCreationRequest(const model::DemoRegistration& form) {
    login_->DemoUserCreationRequest(form);
}
void BusinessBase::changeMyPassword(const std::string& oldPassword, const std::string& newPassword) {
    login_->changeMyPassword(oldPassword, newPassword);
}

}  // namespace state
