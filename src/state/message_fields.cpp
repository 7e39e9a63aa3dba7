#include "state/message_fields.h"

#include "platform/log.h"
#include "protocol/message_cracker.h"

namespace state {

MessageFields::MessageFields(const FieldList& fields) { read(fields); }

MessageFields::MessageFields(const std::vector<std::string_view>& fields) { read(fields); }

MessageFields::MessageFields(const std::vector<std::string_view>& fields, std::shared_ptr<const std::string> owner)
    : owner_(std::move(owner)) {
    read(fields);
}

template <typename Texts>
void MessageFields::read(const Texts& fields) {
    fields_.reserve(fields.size());
    std::size_t malformed = 0;
    for (std::string_view field : fields) {
        if (field.empty()) continue;
        std::int64_t tag = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, tag, value)) {
            if (malformed++ == 0)
                platform::Log::debug("setMessage: skipped malformed field \"" + std::string(field.substr(0, 64)) + "\"");
            continue;
        }
        fields_.push_back(Field{tag, value, field});
        seen_ |= bit(tag);
    }
    if (malformed > 1) platform::Log::debug("setMessage: " + std::to_string(malformed) + " malformed fields skipped");
}

std::optional<std::string_view> MessageFields::find(std::int64_t tag) const {
    if ((seen_ & bit(tag)) == 0) return std::nullopt;
    for (auto it = fields_.rbegin(); it != fields_.rend(); ++it)
        if (it->tag == tag) return it->value;
    return std::nullopt;
}

std::optional<std::string_view> MessageFields::findLast(std::int64_t tag, std::int64_t other) const {
    if ((seen_ & (bit(tag) | bit(other))) == 0) return std::nullopt;
    for (auto it = fields_.rbegin(); it != fields_.rend(); ++it)
        if (it->tag == tag || it->tag == other) return it->value;
    return std::nullopt;
}

std::optional<std::string> MessageFields::text(std::int64_t tag) const {
    if (auto v = find(tag)) return std::string(*v);
    return std::nullopt;
}

std::optional<SharedText> MessageFields::shared(std::int64_t tag) const {
    if (auto v = find(tag)) return SharedText::within(owner_, *v);
    return std::nullopt;
}

std::optional<std::int32_t> MessageFields::int32(std::int64_t tag) const {
    if (auto v = find(tag)) return protocol::MessageCracker::int32Value(*v);
    return std::nullopt;
}

}  // namespace state
