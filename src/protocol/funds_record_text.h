#pragma once
// The compact text of the funds records that travel inside a tag.
#include <cstdint>
#include <optional>
#include <string>

#include "model/funds_records.h"

namespace protocol {

// A financial approval's record for tag 1059: mode 0 the 14 fields of the
// full form, any other mode the first 7; 0x05 between fields, 0x06 after the
// last. A deposit's benefactor and a withdrawal's beneficiary are written
// "(null)", as is an empty text. Nothing when a text holds one of 0x01-0x07.
std::optional<std::string> financialApprovalText(const model::FinancialApproval& approval, std::int64_t mode);

}  // namespace protocol
