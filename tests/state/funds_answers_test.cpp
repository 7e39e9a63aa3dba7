// Deposit, withdrawal and online-payment requests on the wire, and what the
// pay-gate and approval answers change and announce.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/language_string.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "protocol/envelope.h"
#include "protocol/message_base.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace state {
namespace {

constexpr char C = '\x05';

std::string record(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) out += fields[i] + (i + 1 < fields.size() ? std::string(1, C) : "\x06");
    return out;
}
// A full-form approval record: id, financial id, beneficiary, benefactor, amounts, type, then the rest.
std::string approvalRecord(const std::string& id, const std::string& beneficiary, const std::string& benefactor,
                           const std::string& requested = "100.5", const std::string& approved = "0.00") {
    return record({id, "0", beneficiary, benefactor, requested, approved, "1", "0", "2", "20240131000000", "Bank",
                   "Main", "S1", "D1"});
}

class FundsAnswersTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        ui.login.setUserName("alice");
        ui.login.setPassword("secret");
        SessionParts parts;
        parts.outgoing = [this](const protocol::RequestMessage& r) {
            sent.push_back(r);
            return true;
        };
        session = BusinessBase::create(ui, ui, std::move(parts));
        SessionTestAccess::setSessionValues(*session, 41, "REF");
        ReferenceData& ref = SessionTestAccess::referenceData(*session);
        ReferenceDataTestAccess::userInfo(ref) = std::make_shared<model::UserInfo>();
        ReferenceDataTestAccess::userInfo(ref)->UserId = 11;
        account->AccountId = 1001;
        for (const char* name : {"PayGateTransactionNotification", "DepositRequestNotification", "WithdrawalRequestNotification"})
            tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(name, [this](const platform::Notification& n) {
                posted.push_back(n.name);
                last[n.name] = n;
            }));
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        FakeTimeTest::TearDown();
    }
    void deliver(std::int32_t type, std::vector<std::string> fields) {
        fields.insert(fields.begin(), "10=" + std::to_string(type));
        state::SessionTestAccess::checkNewMessage(*session, IncomingMessage::ofFields(type, fields));
        loop->runUntilIdle();
    }
    // The decrypted fields of the last message sent, in order.
    std::vector<std::pair<std::string, std::string>> lastSent() const {
        const std::string& text = sent.back().message;
        const std::size_t at = text.find("27=");
        const auto inner = protocol::openEnvelope(text.substr(at + 3, text.find('\x03', at) - at - 3), state::SessionTestAccess::cipherPassword(*session));
        std::vector<std::pair<std::string, std::string>> fields;
        if (!inner) return fields;
        const std::string body = inner->substr(inner->find('\x03') + 1);
        for (std::size_t start = 0, end; (end = body.find('\x03', start)) != std::string::npos; start = end + 1) {
            const std::string field = body.substr(start, end - start);
            fields.emplace_back(field.substr(0, field.find('=')), field.substr(field.find('=') + 1));
        }
        return fields;
    }
    std::string sentValue(const std::string& t) const {
        for (const auto& [k, v] : lastSent())
            if (k == t) return v;
        return "-";
    }
    int count(const std::string& name) const { return static_cast<int>(std::count(posted.begin(), posted.end(), name)); }
    const Funds& funds() const { return state::SessionTestAccess::funds(*session); }

    testing::RecordingUi ui;
    std::vector<protocol::RequestMessage> sent;
    std::shared_ptr<BusinessBase> session;
    std::shared_ptr<model::AccountDetails> account = std::make_shared<model::AccountDetails>();
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
    std::map<std::string, platform::Notification> last;
};

TEST_F(FundsAnswersTest, RequestsOnTheWire) {
    model::NewDeposit deposit;
    deposit.accountDetail = account;
    deposit.mode = 2;
    deposit.amount = 100.5;
    deposit.depositDate = "20240131";
    deposit.bankName = "Bank";
    commandsOf(*session).sendDepositRequest(deposit);
    std::vector<std::string> order;
    for (const auto& [t, v] : lastSent()) order.push_back(t);
    EXPECT_EQ(order, (std::vector<std::string>{"10", "1063", "1035", "535", "20", "1040", "1059", "1060", "23", "19", "21"}));
    EXPECT_EQ(sentValue("1035"), "801");
    EXPECT_EQ(sentValue("535"), "(null)");
    EXPECT_EQ(sentValue("20"), "42");
    EXPECT_EQ(sentValue("1059"), record({"0", "0", "1001", "(null)", "100.50", "0.00", "1", "0", "2", "20240131", "Bank",
                                         "(null)", "(null)", "(null)"}));
    model::NewWithdrawal withdrawal{0, account, 100.5, "cash"};
    commandsOf(*session).sendWithdrawalRequest(withdrawal);
    EXPECT_EQ(sentValue("1035"), "802");
    EXPECT_EQ(sentValue("535"), "cash");
    EXPECT_EQ(sentValue("1059"), record({"0", "0", "(null)", "1001", "100.50", "0.00", "2", "0", "0", "(null)", "(null)",
                                         "(null)", "(null)", "(null)"}));
    deposit.mode = 3;
    deposit.amount = 100;
    deposit.estimatedAmount = 0.1;
    deposit.email = "a@b.c";
    commandsOf(*session).sendDepositRequest(deposit);
    order.clear();
    for (const auto& [t, v] : lastSent()) order.push_back(t);
    EXPECT_EQ(order, (std::vector<std::string>{"10", "145", "1152", "34", "1038", "564", "535", "20", "1040", "23", "19", "21"}));
    EXPECT_EQ(sentValue("1038"), "100");
    EXPECT_EQ(sentValue("564"), "0.1");
    EXPECT_EQ(sentValue("20"), "42");  // the counter is read, not advanced
    // A separator byte in a text sends nothing.
    const std::size_t before = sent.size();
    deposit.mode = 2;
    deposit.bankName = "Ba\x05nk";
    commandsOf(*session).sendDepositRequest(deposit);
    withdrawal.remarks = "x\x03y";
    commandsOf(*session).sendWithdrawalRequest(withdrawal);
    EXPECT_EQ(sent.size(), before);
}

TEST_F(FundsAnswersTest, PayGateNotificationCarriesTheRecordAsItsAnswerLeftIt) {
    std::vector<std::int64_t> statuses;
    auto& center = platform::NotificationCenter::defaultCenter();
    const auto token = center.addObserver("PayGateTransactionNotification", [&](const platform::Notification& n) {
        statuses.push_back(n.as<PayGateUpdate>()->data->status);
    });
    // Both answers read before either notification is delivered.
    state::SessionTestAccess::checkNewMessage(*session, IncomingMessage::ofFields(94, {"10=94", "147=7", "145=1", "34=1001", "572=1", "1015=0"}));
    state::SessionTestAccess::checkNewMessage(*session, IncomingMessage::ofFields(98, {"10=98", "147=7", "572=2"}));
    loop->runUntilIdle();
    center.removeObserver(token);
    EXPECT_EQ(statuses, (std::vector<std::int64_t>{1, 2}));
}

TEST_F(FundsAnswersTest, PayGateAnswers) {
    const std::vector<std::string> master = {"147=7", "145=1", "34=1001", "572=1", "1015=0", "1038=100", "551=K +&=/?",
                                             "535=(null)"};
    deliver(94, master);
    ASSERT_EQ(funds().payGateTransactions().size(), 1u);
    const auto held = *funds().payGateTransactions().find("7");
    EXPECT_EQ(held->transactionKey, "K +&=/?");
    EXPECT_EQ(held->remarks, "");  // sent without a remark
    deliver(94, {"147=7", "1038=999"});  // known: the held record, unchanged, nothing posted
    EXPECT_EQ(held->payRequestAmount, 100.0);
    deliver(94, {"147=8", "1015=3"});    // refused: nothing stored
    EXPECT_EQ(count("PayGateTransactionNotification"), 1);
    EXPECT_EQ(funds().payGateTransactions().size(), 1u);

    deliver(98, {"147=7", "146=T1", "148=T2", "149=T3", "572=2", "49=1"});
    deliver(98, {"147=7", "146=", "148=T4"});  // 146 kept, 148 replaced, 149 cleared
    deliver(98, {"147=99", "146=X"});          // unknown: nothing
    EXPECT_EQ(held->initiatedTime, "T1");
    EXPECT_EQ(held->redirectedTime, "T4");
    EXPECT_EQ(held->notifiedTime, "");
    EXPECT_FALSE(held->isClosed);
    EXPECT_EQ(count("PayGateTransactionNotification"), 3);

    const std::string full = record({"31", "7", "PR", "99.5", "D", "1", "2", "A", "USD", "ok", "PAY9", "r", "m", "md", "0", "3"});
    deliver(96, {"1015=5", "1061=" + full, "1062=0"});
    const auto* update = last["PayGateTransactionNotification"].as<PayGateUpdate>();
    ASSERT_TRUE(update);
    EXPECT_EQ(update->state, PayGateUpdate::kTransactionAnswer);
    EXPECT_EQ(update->error, 5);
    EXPECT_EQ(held->transactionId, 31u);
    EXPECT_EQ(held->payTransactionId, "PAY9");
    ASSERT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 1u);
    EXPECT_NE(state::SessionTestAccess::journal(*session).JournalDataCollection()[0].find(model::LanguageString::stringforSelectedLanguage(0, "20300")),
              std::string::npos);
    deliver(96, {"1061=7\x05PAY10\x05" "12.5", "1062=1"});  // the short form clears the other copied fields
    EXPECT_EQ(held->payTransactionId, "PAY10");
    EXPECT_EQ(held->payApprovedAmount, 12.5);
    EXPECT_EQ(held->transactionId, 0u);
    EXPECT_EQ(held->currency, "");
    deliver(96, {"1061=" + record({"32", "55", "PR"})});  // unknown request: made from the result
    ASSERT_TRUE(funds().payGateTransactions().find("55"));
    EXPECT_EQ((*funds().payGateTransactions().find("55"))->accountId, 0u);
    const int before = count("PayGateTransactionNotification");
    for (const char* bad : {"1061=", "1062=0"}) deliver(96, {bad});
    EXPECT_EQ(count("PayGateTransactionNotification"), before);
}

TEST_F(FundsAnswersTest, ApprovalAnswers) {
    auto approval = [this](const std::string& action, std::vector<std::string> more) {
        more.insert(more.begin(), "1035=" + action);
        deliver(694, more);
    };
    // Sent without a remark, the request comes back with the wire's "(null)": no remark shown.
    approval("801", {"1054=5", "1059=" + approvalRecord("5", "1001", "(null)"), "1060=0", "1055=1", "147=0", "535=(null)"});
    ASSERT_EQ(funds().approvalRequests().count(5), 1u);
    const auto request = funds().approvalRequests().at(5);
    EXPECT_TRUE(request->isOpen);
    EXPECT_EQ(request->approvalSubType, 1);
    const auto* details = last["DepositRequestNotification"].as<DepositRequestDetails>();
    ASSERT_TRUE(details);
    EXPECT_EQ(details->lines.size(), 11u);
    EXPECT_EQ(details->lines.back(), model::LanguageString::stringforSelectedLanguage(0, "0622") + "\x03");
    EXPECT_EQ(details->request, request);
    // Ignored: a held id, a record of another id, beneficiary 0, no id, a malformed or short record.
    approval("801", {"1054=5", "1059=" + approvalRecord("5", "1002", "(null)")});
    approval("801", {"1054=6", "1059=" + approvalRecord("9", "1001", "(null)")});
    approval("801", {"1054=6", "1059=" + approvalRecord("6", "0", "(null)")});
    approval("801", {"1059=" + approvalRecord("0", "1001", "(null)")});
    approval("801", {"1054=6", "1059=" + approvalRecord("6", "1001", "(null)", "abc")});
    approval("801", {"1054=6", "1059=6\x05" "0\x05" "1001"});
    approval("0", {"1054=5", "1055=0"});
    EXPECT_EQ(funds().approvalRequests().size(), 1u);
    EXPECT_TRUE(request->isOpen);
    EXPECT_EQ(funds().financialApprovals().at(5)->beneficiaryAccount, 1001u);
    // An online payment's deposit is stored, not announced; a withdrawal always is.
    approval("801", {"1054=6", "1059=" + approvalRecord("6", "1001", "(null)"), "147=44"});
    approval("802", {"1054=7", "1059=" + approvalRecord("7", "(null)", "1001")});
    EXPECT_EQ(funds().approvalRequests().size(), 3u);
    EXPECT_EQ(count("DepositRequestNotification"), 1);
    EXPECT_EQ(count("WithdrawalRequestNotification"), 1);
    EXPECT_EQ(last["WithdrawalRequestNotification"].as<DetailLines>()->lines.size(), 5u);

    approval("927", {"1054=5", "1055=0", "1064=88"});
    EXPECT_FALSE(request->isOpen);
    EXPECT_EQ(request->refRequestId, 88u);
    approval("929", {"1054=5", "1057=1", "1059=" + record({"5", "0", "(null)", "(null)", "70", "60.25", "1"}), "1060=1"});
    EXPECT_TRUE(request->isReadyToPost);
    EXPECT_EQ(request->information->requestedAmount, 70.0);
    EXPECT_EQ(request->information->approvedAmount, 60.25);
    EXPECT_EQ(request->information->beneficiaryAccount, 1001u);
    // 930 updates the stored record; on a request without one it attaches the answer's.
    approval("930", {"1054=5", "1059=" + record({"5", "0", "1001", "(null)", "70", "65", "1"}), "1060=1"});
    EXPECT_EQ(funds().financialApprovals().at(5)->approvedAmount, 65.0);
    EXPECT_EQ(funds().financialApprovals().at(5)->bankName, "Bank");  // the short form leaves the texts
    SessionTestAccess::funds(*session).fillApprovalRequest(record({"12", "3", "1", "0", "0", "T", "0", "11", "r", "2"}));
    approval("929", {"1054=12", "1056=1", "1059=" + approvalRecord("12", "(null)", "1001")});
    EXPECT_TRUE(funds().approvalRequests().at(12)->isRequestSentToCMS);
    EXPECT_FALSE(funds().approvalRequests().at(12)->information);
    approval("931", {"1054=12", "1059=" + approvalRecord("12", "(null)", "1001", "5", "4")});
    ASSERT_TRUE(funds().approvalRequests().at(12)->information);
    EXPECT_EQ(funds().financialApprovals().at(12), funds().approvalRequests().at(12)->information);
    ASSERT_EQ(ui.banners.size(), 2u);
    EXPECT_EQ(ui.banners[1].subtitle, model::LanguageString::stringforSelectedLanguage(0, "1184"));
}

// A record of another request is refused whole: it would be filed under the held one.
TEST_F(FundsAnswersTest, ApprovalChangesWithARecordOfAnotherRequestAreIgnored) {
    deliver(694, {"1035=801", "1054=5", "1059=" + approvalRecord("5", "1001", "(null)"), "1060=0", "1055=1", "147=0"});
    const auto request = funds().approvalRequests().at(5);
    for (const char* action : {"927", "929", "930", "931"}) {
        SCOPED_TRACE(action);
        deliver(694, {std::string("1035=") + action, "1054=5", "1055=0", "1059=" + record({"9", "0", "1002", "(null)", "7", "7", "1"}),
                      "1060=1"});
        EXPECT_TRUE(request->isOpen);
        EXPECT_EQ(funds().financialApprovals().at(5)->approvalRequestId, 5u);
        EXPECT_EQ(request->information->beneficiaryAccount, 1001u);
        EXPECT_EQ(request->information->requestedAmount, 100.5);
    }
    EXPECT_TRUE(ui.banners.empty());
}

}  // namespace
}  // namespace state
