#pragma once
// Answers of the funds requests: an approval request (693) is registered and
// answered with 694; an online payment (93) is answered with its master (94),
// status (98) and result (96) answers.
#include <string>
#include <vector>

#include "wire_message.h"

namespace sim {

class FundsDesk {
public:
    // `mode` (the "funds-answer" switch): "" normal; "error" a master answer with
    // error 5; "bad-beneficiary" an 801 whose record credits account 0;
    // "unanswered" no answer; "duplicate" the master answer twice; "unknown"
    // status and result for a request never opened; "short-result" the result in
    // its three-field form; "amount-cent" an 801 booking the amounts a cent higher.
    std::vector<WireMessage> handle(const WireMessage& request, const std::string& mode);

private:
    std::vector<WireMessage> approval(const WireMessage& request, const std::string& mode);
    std::vector<WireMessage> payment(const WireMessage& request, const std::string& mode);

    long long nextApprovalId_ = 9001;
    long long nextPaymentId_ = 5001;
    long long nextTransactionId_ = 7001;
};

}  // namespace sim
