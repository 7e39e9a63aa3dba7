#include "state/reference_data.h"

namespace state {

ReferenceData::ReferenceData() = default;
ReferenceData::~ReferenceData() = default;

const protocol::LoginInfoMessage* ReferenceData::firstLoginRecord() const {
    const auto* first = loginInfoMessageCollection.first();
    return first ? first->second.get() : nullptr;
}

}  // namespace state
