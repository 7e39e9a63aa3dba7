#pragma once
// The message object. Outgoing: a caller sets the type (and for 60, 72 and
// 1023 the sub-type), empties the dictionary, stores every tag's value (tag 10
// included) and calls BuildMessage, which writes the type's fixed tag list,
// frames it and hands it to the session, enciphered in an envelope or plain.
// Incoming: decodeFrame() makes one from a received frame.
//
// One instance serves one thread at a time; a request built off the owner's
// thread uses an instance of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/tag_map.h"

namespace protocol {

class AppContext;
namespace detail {
struct BuilderLayout;
}

struct BuildResult {
    enum class Status {
        Sent,       // handed to the session's send operation
        NoBuilder,  // the type or sub-type has no builder: nothing built
        Refused,    // a value holds a separator byte or is not a finite number: nothing sent
        Failed,     // no session, no cipher password, or the cipher failed: nothing sent
    };
    Status status = Status::NoBuilder;
    std::string error;  // why nothing was sent (empty when sent)
    bool sent() const { return status == Status::Sent; }
};

class MessageBase {
public:
    // Without a session: builders frame but cannot send (Failed).
    MessageBase() = default;
    explicit MessageBase(AppContext* context) : context_(context) {}

    std::int64_t messagetype() const { return messagetype_; }
    void setMessagetype(std::int64_t t) { messagetype_ = t; }
    std::int32_t neworderrequestType() const { return neworderrequestType_; }
    void setNeworderrequestType(std::int32_t t) { neworderrequestType_ = t; }
    std::int32_t editorderrequestType() const { return editorderrequestType_; }
    void setEditorderrequestType(std::int32_t t) { editorderrequestType_ = t; }
    std::int32_t dsrequestType() const { return dsrequestType_; }
    void setDsrequestType(std::int32_t t) { dsrequestType_ = t; }
    std::int64_t messagetagvalue() const { return messagetagvalue_; }
    void setMessagetagvalue(std::int64_t v) { messagetagvalue_ = v; }
    std::int64_t messagetagkey() const { return messagetagkey_; }
    void setMessagetagkey(std::int64_t v) { messagetagkey_ = v; }

    TagMap& messageDataDictionary() { return tags_; }
    const TagMap& messageDataDictionary() const { return tags_; }
    void setMessageDataDictionary(TagMap tags) { tags_ = std::move(tags); }

    // Body length of the last frame built (an envelope's own body for enveloped requests).
    std::uint64_t messageLength() const { return messageLength_; }
    // The last request frame built, before any envelope.
    const std::string& lastFrame() const { return lastFrame_; }

    AppContext* context() const { return context_; }
    void setContext(AppContext* context) { context_ = context; }

    // Builds and sends the request chosen by the type and sub-type, then
    // empties the dictionary. Type and sub-types are kept.
    BuildResult BuildMessage();

    // Builders, one per outgoing message.
    BuildResult BuildLoginRequestMessage();              // 32, initial envelope
    BuildResult BuildPasswordChangeRequestMessage();     // 37
    BuildResult BuildPlaceNewOrderRequestMessage();      // 60/0
    BuildResult BuildOffsetOrderRequestMessage();        // 60/1
    BuildResult BuildEditBracketOrderRequestMessage();   // 72/0
    BuildResult BuildEditWorkingOrderRequestMessage();   // 72/1-2
    BuildResult BuildBulkOrderRequest();                 // 77
    BuildResult buildClosePositionsRequest();            // 82
    BuildResult buildPayGateMasterRequest();             // 93
    BuildResult BuildNewRoomCreationRequest();           // 601
    BuildResult BuildNewChatMessage();                   // 603
    BuildResult BuildChatMessageAcknowledgement();       // 608
    BuildResult BuildGetOfflineMessageRequest();         // 613
    BuildResult BuildGetRoomMessageRequest();            // 615
    BuildResult BuildGetContacListInfoRequest();         // 617
    BuildResult BuildGetRecentConversationRequest();     // 626
    BuildResult BuildNewChatRequestToQueue();            // 678
    BuildResult buildApprovalRequest();                  // 693
    BuildResult buildControlClientMessageRequest();      // 1002, plain
    BuildResult BuildPingConnectionRequestMessage();     // 1018; stamps the ping time
    BuildResult BuildDSRequest();                        // 1023/0, plain
    BuildResult BuildEqityHitDSRequest();                // 1023/1
    BuildResult BuildFinancialTransactionsDSRequest();   // 1023/2
    BuildResult BuildAccountStatementDSRequest();        // 1023/3
    BuildResult BuildBankDetailsDSRequest();             // 1023/4
    BuildResult BuildExecutedPositionDSRequest();        // 1023/5
    BuildResult buildInstrumentDSRequest();              // 1023/6
    BuildResult buildSessionScheduleDSRequest();         // 1023/7
    BuildResult buildUserMapWithMyAccountDSRequest();    // 1023/8
    BuildResult buildEditUserAccountAccessDSRequest();   // 1023/9
    BuildResult buildCancelledOrderHistoryDSRequest();   // 1023/10
    BuildResult buildDSRequestResourceSearch();          // 1023/11
    BuildResult buildDSRequestResourceDownload();        // 1023/12, multipart reply
    BuildResult buildAllPayGateSettingsDSRequest();      // 1023/13
    BuildResult BuildDemoUserCreationRequestMessage();   // 1026, initial envelope
    BuildResult BuildChartDataRequest();                 // 1040, plain
    BuildResult BuildCloseHedgedPositions();             // 1052

    // Envelopes `frame` (type 76) with the context's cipher password and
    // hands it to the session with `isZMQ` = `toZMQ`.
    BuildResult EncryptMessage(const std::string& frame, bool isInitialRequest, bool toZMQ);

    // Incoming: fills the dictionary from received fields. The tag is the
    // digits before a field's first "=", the value the rest of the field; a
    // later field with the same tag replaces the value. Malformed fields are
    // skipped (logged), empty ones silently.
    void setMessage(const std::vector<std::string_view>& fields);
    void setMessage(const std::vector<std::string>& fields);

    // A complete received frame (start and end bytes removed): the length
    // element is dropped, the type read from the first field, the fields
    // parsed. nullopt (logged) when it holds no field or is not UTF-8.
    static std::optional<MessageBase> decodeFrame(std::string_view frame);
    // The fields as received (type field first, a trailing empty element included).
    std::vector<std::string_view> messageArray() const;

private:
    BuildResult selectAndBuild();
    BuildResult build(const detail::BuilderLayout& layout);
    BuildResult deliver(const detail::BuilderLayout& layout, const std::string& frame);

    AppContext* context_ = nullptr;
    std::int64_t messagetype_ = 0;
    std::int32_t neworderrequestType_ = 0;
    std::int32_t editorderrequestType_ = 0;
    std::int32_t dsrequestType_ = 0;
    std::int64_t messagetagvalue_ = 0;
    std::int64_t messagetagkey_ = 0;
    std::uint64_t messageLength_ = 0;
    TagMap tags_;
    std::string lastFrame_;
    // Received fields as one text, from the type field on.
    std::string received_;
};

}  // namespace protocol
