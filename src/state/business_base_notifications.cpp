// What the session tells the windows: notifications, banners, alerts, sounds.
// Every post, banner, alert and sound happens on the main thread.
#include <cstdio>

#include "model/financial_enum.h"
#include "model/formatter.h"
#include "model/login_inputdata.h"
#include "model/text_value.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "state/business_base.h"
#include "state/notification_payloads.h"
#include "state/resource_files.h"
#include "state/session_notifications.h"

namespace state {

namespace {
platform::NotificationCenter& center() { return platform::NotificationCenter::defaultCenter(); }

std::shared_ptr<const TextPayload> roomPayload(const std::optional<std::string>& roomId) {
    return roomId ? std::make_shared<const TextPayload>(*roomId) : nullptr;
}
}  // namespace

void BusinessBase::commonBanner(const std::string& message, const std::string& title) {
    Banner banner;
    banner.title = ui_.bundleName();
    banner.subtitle = title;
    banner.informativeText = message;
    banner.dismissDelayTime = 5.0;
    ui_.deliverBanner(banner);
}

void BusinessBase::HistoryDataUpdateNotification() {
    for (const char* name : notifications::kTableNotifications) center().post(name);
}

void BusinessBase::postNotification(const std::string& name) {
    onMain([name](BusinessBase&) { center().post(name); });
}

void BusinessBase::postAboutSelf(const std::string& name, std::shared_ptr<const SessionPayload> payload) {
    if (!payload) payload = std::make_shared<const SessionPayload>(shared_from_this());
    center().post(name, std::move(payload), this);
}

void BusinessBase::watchlistUpdateNotification() {
    postAboutSelf(notifications::kWatchlistUpdate);
}

void BusinessBase::passwordChangeNotification() {
    postAboutSelf(notifications::kPasswordChange);
}

void BusinessBase::demoUserCreationNotification(const std::string& userAndPassword) {
    postAboutSelf(notifications::kDemoUserCreation,
                  std::make_shared<const DemoUserCreated>(shared_from_this(), userAndPassword));
}

void BusinessBase::demoUserCreationFailureNotification() { ui_.showAlert(text("0314"), ui_.bundleName()); }

void BusinessBase::sendRoomCreationNotification(const std::string& roomCreationKey) {
    postAboutSelf(notifications::kChatRoomCreation,
                  std::make_shared<const ChatRoomCreated>(shared_from_this(), roomCreationKey));
}

void BusinessBase::UpdateChatNotification(const std::string& name) {
    postAboutSelf(name);
}

void BusinessBase::NewChatMessageNotification(const std::vector<std::string>& m) {
    if (m.empty()) return;
    if (m.size() < 3) {
        platform::Log::debug("Chat message with fewer than three parts: no banner");
        return;
    }
    const std::string& sender = m[0];
    if (sender.empty()) return;
    // Messages of the user themself raise no banner.
    if (sender == host_.logindata().userName() || sender == chat_->chatUserName) return;
    TriggerNewChatNotification(m[2], m[1]);
}

void BusinessBase::TriggerNewChatNotification(const std::string& a, const std::string& b) {
    Banner banner;
    banner.title = ui_.bundleName();
    banner.subtitle = text("20240") + " : " + a;
    banner.informativeText = b;
    banner.dismissDelayTime = 15.0;
    ui_.deliverBanner(banner);
    ui_.showLocalNotification(banner.subtitle, b);
}

void BusinessBase::chartDataReceivedNotification(std::uint64_t n) {
    onMain([n](BusinessBase&) {
        center().post(std::string(notifications::kChartDataReceived) + std::to_string(n),
                      std::make_shared<const TextPayload>(std::to_string(n)));
    });
}

void BusinessBase::CloseHedgedPositionsNotification() {
    postAboutSelf(notifications::kCloseHedgePosition);
}

void BusinessBase::ShowSettledOrderNotification(const std::string& t) {
    onMain([t](BusinessBase& s) {
        s.HistoryDataUpdateNotification();
        std::vector<std::string> p;
        std::size_t start = 0;
        while (true) {
            std::size_t pos = t.find('#', start);
            p.push_back(t.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
            if (pos == std::string::npos) break;
            start = pos + 1;
        }
        if (p.size() < 3) {
            platform::Log::debug("Settled-order text with fewer than three parts: no banner");
            return;
        }
        std::string message = "#" + p[2] + "\n" + s.text("1020") + " " + p[0] + " @" + p[1] + " ";
        std::string title = s.text("10980");
        s.commonBanner(message, title);
        s.ui_.showLocalNotification(title, message);
    });
}

void BusinessBase::ChatQueueStatusUpdateNotification() {
    postAboutSelf(notifications::kChatQueueStatusUpdate);
}

void BusinessBase::OrderRejectionNotification(const std::string& reason) {
    onMain([reason](BusinessBase& s) {
        std::string message = s.text("0072") + " : " + s.text("0538") + "\n" + s.text("0728") + " " + reason;
        std::string title = s.text("11006");
        s.commonBanner(message, title);
        s.ui_.showLocalNotification(title, message);
    });
}

void BusinessBase::bulkCloseRejectedNotification(const std::string& reference, const std::string& reason) {
    auto result = std::make_shared<BulkCloseResult>();
    result->status = BulkCloseResult::kRejected;
    result->reference = reference;
    result->reason = reason;
    onMain([result](BusinessBase&) { center().post(notifications::kBulkClose, result); });
}

void BusinessBase::bulkCloseSettledNotification(const std::shared_ptr<model::Order>& settled) {
    auto result = std::make_shared<BulkCloseResult>();
    result->status = BulkCloseResult::kSettled;
    result->settled = settled;
    onMain([result](BusinessBase&) { center().post(notifications::kBulkClose, result); });
}

void BusinessBase::orderexecutedNotification(const std::shared_ptr<model::Order>& o) {
    if (!o) return;
    if (model::TextValue::doubleValue(o->RemainingQty) <= 0) return;
    std::string side = text(o->tradingMode == model::Order::kBuy ? "20218" : "20219");
    side = model::Formatter::fillIndexedText(side, {o->RemainingQty, o->ItemCode});
    std::string message = text("0012") + " : " + o->AccountNumber + "\n" + text("0075") + " : " + o->OpenPositionId +
                          "\n" + side + " @ " + o->OrderPrice;
    onMain([message](BusinessBase& s) { s.TradeConfirmationNotification(message); });
    appendJournal(JournalData::getOrderJournalData(6, *o, journalContext()));
}

void BusinessBase::TradeConfirmationNotification(const std::string& message) {
    ui_.playSound("order");
    std::string title = text("0307");
    if (host_.showConfirmationAlert())
        ui_.showAlert(message, title);
    else
        commonBanner(message, title);
    ui_.showLocalNotification(title, message);
}

void BusinessBase::LoginSuccessNotification() {
    center().post(notifications::kLoginSuccess);
    ui_.playSound("welcome");
}

void BusinessBase::appUpdateNotification(const std::string& u) {
    Banner banner;
    banner.title = "App Updates Available";
    banner.subtitle = model::Formatter::fillIndexedText(text("20252"), {"\n"});
    banner.informativeText = u;
    banner.hasActionButton = true;
    banner.actionButtonTitle = "Download";
    banner.dismissDelayTime = -1;
    banner.lineBreakMode = 0;
    banner.soundName = "AppUserNotificationDefaultSound2";
    banner.userInfo = {{"AppDownloadURL", u}};
    ui_.deliverBanner(banner);
}

void BusinessBase::userNotificationCenterDidActivateNotification(const Banner& banner) {
    auto it = banner.userInfo.find("AppDownloadURL");
    if (it == banner.userInfo.end() || it->second.empty()) return;
    if (!ResourceFiles::isOpenableUrl(it->second)) {
        platform::Log::warning("Download address refused (not http or https): " + it->second);
        return;
    }
    ui_.openUrl(it->second);
    ui_.terminate();
}

void BusinessBase::PendingOrderNotification(const std::shared_ptr<model::Order>& order) {
    center().post(notifications::kPendingOrder, std::make_shared<const OrderPayload>(order));
}

void BusinessBase::MarginCallNotification(const std::string& account) {
    Banner banner;
    banner.title = ui_.bundleName();
    banner.subtitle = text("0012") + " : " + account;
    banner.informativeText = text("20217");
    banner.dismissDelayTime = 30.0;
    ui_.deliverBanner(banner);
    ui_.showLocalNotification(banner.subtitle, banner.informativeText);
}

void BusinessBase::depositwithdrawalNotification() { center().post(notifications::kDepositWithdrawalTable); }

void BusinessBase::executedPositionSearchNotification() { center().post(notifications::kExecutedPositionTable); }

void BusinessBase::accountStatementUpdateNotification() {
    onMain([](BusinessBase&) { center().post(notifications::kAccountStatement); });
}

void BusinessBase::bankDetailsReceivedNotification() { center().post(notifications::kBankDetails); }

void BusinessBase::NewMessageNotification(const std::string& subtitle) {
    Banner banner;
    banner.title = ui_.bundleName();
    banner.subtitle = subtitle;
    banner.informativeText = text("1073");
    banner.dismissDelayTime = 30.0;
    ui_.deliverBanner(banner);
    ui_.showLocalNotification(subtitle, banner.informativeText);
}

void BusinessBase::NewMessagesNotification(const std::string& count) {
    Banner banner;
    banner.title = ui_.bundleName();
    banner.subtitle = text("0099");
    banner.informativeText = model::Formatter::fillIndexedText(text("20234"), {count});
    banner.dismissDelayTime = 15.0;
    ui_.deliverBanner(banner);
    ui_.showLocalNotification(banner.subtitle, banner.informativeText);
}

void BusinessBase::NoticeMessageReceivedNotification(const std::optional<std::string>& roomId) {
    center().post(notifications::kNoticeMessageReceived, roomPayload(roomId));
}

void BusinessBase::RecentConversationMessageReceivedNotification(const std::optional<std::string>& roomId) {
    center().post(notifications::kRecentConversationReceived, roomPayload(roomId));
}

void BusinessBase::payGateTransactionResponseNotification(std::shared_ptr<const PayGateUpdate> update) {
    onMain([update](BusinessBase&) { center().post(notifications::kPayGateTransaction, update); });
}

void BusinessBase::approvalNotificationForActionType(std::int64_t k, const ApprovalNotice& r) {
    auto line = [](const std::string& label, const std::string& value) { return label + '\x03' + value; };
    auto day = [](const std::string& wire) {
        return model::Formatter::formatDateandTimeFromString(wire, model::Formatter::kWireFormat,
                                                             model::Formatter::kDateFormat)
            .value_or("(null)");
    };
    auto amount = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2f", v);
        return std::string(buf);
    };
    if (k == approval::Deposit) {
        // The detail row "0714" shows how the deposit was made.
        std::vector<std::string> lines = {
            line(text("0725"), std::to_string(r.approvalRequestId)),
            line(text("0012"), std::to_string(r.beneficiaryAccount)),
            line(text("0726"), day(r.requestedDateTime)),
            line(text("0714"), model::FinancialEnum::getFinancialTransferMode(static_cast<std::int64_t>(r.transferMode))),
            line(text("0715"), day(r.dateOfTransaction)),
            line(text("0590"), amount(r.approvedAmount)),
            line(text("0624"), r.bankName),
            line(text("0716"), r.branch),
            line(text("0717"), r.sourceBankAccount),
            line(text("0718"), r.destinationBankAccount),
            line(text("0622"), r.remarks),
        };
        auto details = std::make_shared<const DetailLines>(std::move(lines));
        onMain([details](BusinessBase&) { center().post(notifications::kDepositRequest, details); });
    } else if (k == approval::Withdrawal) {
        std::vector<std::string> lines = {
            line(text("0725"), std::to_string(r.approvalRequestId)),
            line(text("0012"), std::to_string(r.benefactorAccount)),
            line(text("0726"), day(r.requestedDateTime)),
            line(text("0590"), amount(r.approvedAmount)),
            line(text("0622"), r.remarks),
        };
        auto details = std::make_shared<const DetailLines>(std::move(lines));
        onMain([details](BusinessBase&) { center().post(notifications::kWithdrawalRequest, details); });
    } else if (k == approval::ApprovedNotice || k == approval::AccountNotice) {
        const char* titleKey = nullptr;
        std::uint64_t account = 0;
        if (r.approvalSubType == 1) {
            titleKey = k == approval::ApprovedNotice ? "1181" : "1183";
            account = r.beneficiaryAccount;
        } else if (r.approvalSubType == 2) {
            titleKey = k == approval::ApprovedNotice ? "1182" : "1184";
            account = r.benefactorAccount;
        } else {
            return;  // no title or text for other sub-types
        }
        std::string title = text(titleKey);
        std::string message = text("0012") + " : " + std::to_string(account) + "\n" + text("0590") + " : " +
                              amount(r.approvedAmount);
        onMain([title, message](BusinessBase& s) {
            s.commonBanner(message, title);
            s.ui_.showLocalNotification(title, message);
        });
    }
}

}  // namespace state
