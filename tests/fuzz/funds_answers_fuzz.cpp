// Fuzz target for the funds answers: the pay-gate answers (94, 96, 98), the
// approval answer (694, every action type) and the funds data-service answers
// (bank details, approvals, pay-gate settings, deposits and withdrawals).
// Each line of the input is one message, "type|tag=value|...", or a
// data-service answer, "1024|request|answer text" (the text taken whole).
// Built with libFuzzer when fuzzing; otherwise the corpus is replayed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_session.h"
#include "protocol/msg_type.h"
#include "state/data_service_answers.h"
#include "state/dispatcher.h"
#include "state/funds.h"

namespace {

using fuzz::require;
using protocol::MsgType;

constexpr std::size_t kMaxMessages = 32;

// The data-service requests whose answers the funds fill.
bool fundsRequest(std::string_view name) {
    for (std::string_view known : {"getbankaccounts", "getapprovalrequest", "getfinancialapprovals", "paygategetsettings",
                                   "getfinancialtransactions"})
        if (name == known) return true;
    return false;
}

// Every record sits under its own id, never 0.
void checkFunds(const state::Funds& funds) {
    for (const auto& [id, request] : funds.approvalRequests()) require(id != 0 && request && request->approvalRequestId == id);
    for (const auto& [id, record] : funds.financialApprovals()) require(id != 0 && record && record->approvalRequestId == id);
    for (const auto& [key, payment] : funds.payGateTransactions())
        require(payment && payment->requestId != 0 && key == std::to_string(payment->requestId));
    for (const auto& [key, setting] : funds.payGateSettingsCollection())
        require(setting && key == std::to_string(setting->payGateId));
    for (const auto& row : funds.FinancialTransactionCollection()) require(row != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession fs;
    auto& s = *fs.session;
    // Components of their own, so that each input starts with no funds held.
    state::Funds funds(state::servicesOf(s), state::SessionTestAccess::referenceData(s),
                       state::SessionTestAccess::orderBook(s));
    state::Dispatcher table;
    funds.registerHandlers(table);
    state::DataServiceAnswers answers(state::servicesOf(s), state::SessionTestAccess::referenceData(s),
                                      state::SessionTestAccess::orderBook(s), funds, state::SessionTestAccess::chat(s),
                                      state::SessionTestAccess::feedChannels(s));
    const std::optional<std::string> noPayload;
    const std::optional<protocol::RequestKind> noKind;
    std::size_t messages = 0;
    for (std::string_view line : fuzz::split(std::string_view(reinterpret_cast<const char*>(data), size), '\n')) {
        if (++messages > kMaxMessages) break;
        const std::string_view type = line.substr(0, line.find('|'));
        if (type == std::to_string(protocol::toInt(MsgType::DataServiceResponse))) {
            const std::string_view rest = line.substr(std::min(line.size(), type.size() + 1));
            const std::size_t bar = rest.find('|');
            if (bar == std::string_view::npos || !fundsRequest(rest.substr(0, bar))) continue;
            protocol::RequestKind kind{protocol::toInt(MsgType::DataServiceRequest), std::string(rest.substr(0, bar)), 0, 0};
            answers.processDSResponse(std::string(rest.substr(bar + 1)), std::nullopt, kind.name, kind);
        } else {
            bool carried = false;
            for (MsgType t : {MsgType::PayGateMasterResponse, MsgType::PayGateTransactionResponse,
                              MsgType::PayGateStatusResponse, MsgType::ApprovalResponse})
                carried = carried || type == std::to_string(protocol::toInt(t));
            if (!carried) continue;
            auto fields = fuzz::split(line, '|');
            fields.erase(fields.begin());
            const state::MessageFields read(fields);
            table.dispatch(state::Dispatch{read, protocol::msgType(std::stoi(std::string(type))), noPayload, false, noKind});
        }
        fs.idle();
        checkFunds(funds);
    }
    fs.checkHeld();
    return 0;
}
