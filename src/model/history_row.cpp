#include "model/history_row.h"

#include <cstring>

#include "model/text_value.h"
#include "platform/log.h"

namespace model {

HistoryRow::HistoryRow(std::string_view row) {
    fields_.reserve(32);
    std::size_t start = 0;
    while (true) {
        const void* hit =
            start < row.size() ? std::memchr(row.data() + start, kFieldSeparator, row.size() - start) : nullptr;
        if (hit == nullptr) {
            fields_.push_back(row.substr(start));
            break;
        }
        const auto end = static_cast<std::size_t>(static_cast<const char*>(hit) - row.data());
        fields_.push_back(row.substr(start, end - start));
        start = end + 1;
    }
}

std::uint64_t HistoryRow::unsignedInteger(std::size_t i) const { return TextValue::unsignedLongLongValue(field(i)); }

std::int32_t HistoryRow::integer(std::size_t i) const { return TextValue::intValue(field(i)); }

bool HistoryRow::boolean(std::size_t i) const { return TextValue::boolValue(field(i)); }

void HistoryRow::logShortRow(const char* record, std::size_t fields, std::size_t needed) {
    platform::Log::debug(std::string(record) + ": row skipped, " + std::to_string(fields) + " fields of " +
                         std::to_string(needed));
}

double HistoryRow::number(std::size_t i) const { return TextValue::doubleValue(field(i)); }

}  // namespace model
