#pragma once
// How the order handlers read a message's fields ("tag=value", in message
// order, a later equal tag winning) and convert the enumerated ones.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "state/message_fields.h"

namespace state::OrderFields {

// Calls fn(tag, value) for every field with a numeric tag, in message order.
template <typename F>
void each(const MessageFields& fields, F&& fn) {
    for (const MessageFields::Field& field : fields) fn(field.tag, field.value);
}

// Wire value to the record's value; 0 for any other value.
std::int32_t orderType(std::string_view wire);
std::int32_t timeInForce(std::string_view wire);
std::int32_t deliveryMode(std::string_view wire);
// 0 buy, 1 sell; nullopt (field left unchanged) for any other value.
std::optional<std::int32_t> side(std::string_view wire);
// "yyyyMMddHHmmss" as "MM/dd/yyyy HH:mm:ss" / "MM/dd/yyyy"; "" for the empty,
// the null and an unreadable date.
std::string time(std::string_view wire);
std::string date(std::string_view wire);
double number(std::string_view text);
std::int32_t integer(std::string_view text);
// True when the text is a number equal to 0 ("0", "0.00"); false for an
// absent, empty or non-numeric text.
bool isZeroQuantity(const std::optional<std::string>& text);

}  // namespace state::OrderFields
