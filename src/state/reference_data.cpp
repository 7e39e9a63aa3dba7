#include "state/reference_data.h"

namespace state {

ReferenceData::ReferenceData() = default;
ReferenceData::~ReferenceData() = default;

bool ReferenceData::updateAccount(const std::string& accountId,
                                  const std::function<void(model::AccountDetails&)>& change) {
    const auto* found = AccountDetailCollection.find(accountId);
    if (!found || !*found) return false;
    change(**found);
    return true;
}

const protocol::LoginInfoMessage* ReferenceData::firstLoginRecord() const {
    const auto* first = loginInfoMessageCollection.first();
    return first ? first->second.get() : nullptr;
}

}  // namespace state
