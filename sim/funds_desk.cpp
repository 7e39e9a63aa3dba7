#include "funds_desk.h"

#include <cstdio>
#include <cstdlib>

#include "scenario.h"

namespace sim {

namespace {
// A key as a gateway hands it out: characters a query string must escape.
const char* kTransactionKey = "K7 +&=/?q";
}  // namespace

std::vector<WireMessage> FundsDesk::handle(const WireMessage& request, const std::string& mode) {
    if (mode == "unanswered") return {};
    if (request.type() == 693) return approval(request, mode);
    if (request.type() == 93) return payment(request, mode);
    return {};
}

std::vector<WireMessage> FundsDesk::approval(const WireMessage& m, const std::string& mode) {
    const std::string action = m.get(1035);
    if (action != "801" && action != "802") return {};
    const long long id = nextApprovalId_++;
    // The received record under the new id; accounts, amounts, mode and texts as sent.
    std::string text = m.get(1059);
    if (!text.empty() && text.back() == kRow) text.pop_back();
    std::vector<std::string> fields = split(text, kColumn);
    if (fields.empty()) return {};
    fields[0] = std::to_string(id);
    if (mode == "bad-beneficiary" && action == "801" && fields.size() > 2) fields[2] = "0";
    // The back office approves the amount asked.
    if (fields.size() > 5) fields[5] = fields[4];
    // The back office books the amount a cent higher than asked.
    if (mode == "amount-cent" && fields.size() > 5)
        for (std::size_t i : {4u, 5u}) {
            char amount[64];
            std::snprintf(amount, sizeof amount, "%.2f", std::strtod(fields[i].c_str(), nullptr) + 0.01);
            fields[i] = amount;
        }
    WireMessage out(694);
    out.add(1035, action)
        .add(1054, id)
        .add(1059, joinColumns(fields) + kRow)
        .add(1060, "0")
        .add(1055, "1")
        .add(1056, "0")
        .add(1057, "0")
        .add(1063, m.get(1063))
        .add(1040, m.get(1040))
        .add(1058, packedNow())
        .add(535, m.get(535))
        .add(147, "0");
    return {out};
}

std::vector<WireMessage> FundsDesk::payment(const WireMessage& m, const std::string& mode) {
    const long long request = mode == "unknown" ? 999999 : nextPaymentId_++;
    WireMessage master(94);
    master.add(19, m.get(19))
        .add(147, request)
        .add(145, m.get(145))
        .add(34, m.get(34))
        .add(572, "1")
        .add(1058, packedNow())
        .add(1015, mode == "error" ? "5" : "0")
        .add(1038, m.get(1038))
        .add(1040, m.get(1040))
        .add(535, m.get(535))
        .add(1152, m.get(1152))
        .add(551, kTransactionKey);
    std::vector<WireMessage> out;
    if (mode != "unknown") out.push_back(master);
    if (mode == "duplicate") out.push_back(master);
    if (mode == "error") return out;
    const std::string now = packedNow();
    WireMessage status(98);
    status.add(147, request).add(146, now).add(148, now).add(149, now).add(572, "2").add(150, "1").add(49, "0");
    out.push_back(status);
    const long long transaction = nextTransactionId_++;
    const std::string payId = "PAY" + std::to_string(transaction);
    WireMessage result(96);
    result.add(1015, "0");
    if (mode == "short-result") {
        result.add(1061, joinColumns({std::to_string(request), payId, m.get(1038)}) + kRow).add(1062, "1");
    } else {
        result.add(1061, joinColumns({std::to_string(transaction), std::to_string(request), "PR" + std::to_string(request),
                                      m.get(1038), now, "1", "0", "AUTH1", "USD", "Approved", payId, "low", "card",
                                      "visa", "0", "3"}) +
                             kRow)
            .add(1062, "0");
    }
    out.push_back(result);
    return out;
}

}  // namespace sim
