#pragma once
// A received message's fields, read once: every "tag=value" field in message
// order, and the value of one tag (the last one when the tag repeats). A
// view: the field texts it was read from must outlive it, or be held by the
// owner it is given.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state/shared_text.h"

namespace state {

using FieldList = std::vector<std::string>;

class MessageFields {
public:
    struct Field {
        std::int64_t tag;
        std::string_view value;
        std::string_view text;  // the whole "tag=value"
    };

    // Fields without "=" or without a numeric tag are skipped (the first logged).
    MessageFields(const FieldList& fields);  // NOLINT: handlers are called with field lists too
    MessageFields(const std::vector<std::string_view>& fields);  // NOLINT: a received message's views
    // A received message's views into `owner`, which `shared` hands on.
    MessageFields(const std::vector<std::string_view>& fields, std::shared_ptr<const std::string> owner);

    // nullopt when the message carries no such tag.
    std::optional<std::string_view> find(std::int64_t tag) const;
    // Whichever of the two tags comes last.
    std::optional<std::string_view> findLast(std::int64_t tag, std::int64_t other) const;
    std::optional<std::string> text(std::int64_t tag) const;
    // The value held with the message's text, not copied; copied when the fields have no owner.
    std::optional<SharedText> shared(std::int64_t tag) const;
    // The value read as the type field is read (int32Value); nullopt when absent.
    std::optional<std::int32_t> int32(std::int64_t tag) const;
    bool contains(std::int64_t tag) const { return find(tag).has_value(); }

    // Every readable field, in message order, repeats included.
    std::vector<Field>::const_iterator begin() const { return fields_.begin(); }
    std::vector<Field>::const_iterator end() const { return fields_.end(); }
    std::size_t size() const { return fields_.size(); }

private:
    template <typename Texts>
    void read(const Texts& fields);
    static std::uint64_t bit(std::int64_t tag) { return std::uint64_t{1} << (static_cast<std::uint64_t>(tag) & 63u); }
    std::vector<Field> fields_;
    std::shared_ptr<const std::string> owner_;
    std::uint64_t seen_ = 0;  // one bit per tag modulo 64: clear means absent
};

}  // namespace state
