#include "protocol/tag_map.h"

#include <charconv>
#include <cmath>
#include <tuple>

namespace protocol {

void TagMap::set(std::int64_t tag, std::string value) {
    if ((seen_ & bit(tag)) == 0) {
        seen_ |= bit(tag);
        entries_.emplace_back(tag, std::move(value));
        return;
    }
    for (auto& e : entries_) {
        if (e.first == tag) {
            e.second = std::move(value);
            return;
        }
    }
    entries_.emplace_back(tag, std::move(value));
}

void TagMap::set(std::int64_t tag, std::string_view value) {
    if ((seen_ & bit(tag)) == 0) {
        seen_ |= bit(tag);
        entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(tag), std::forward_as_tuple(value));
        return;
    }
    for (auto& e : entries_) {
        if (e.first == tag) {
            e.second.assign(value);
            return;
        }
    }
    entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(tag), std::forward_as_tuple(value));
}

void TagMap::setNumber(std::int64_t tag, long long value) { set(tag, std::to_string(value)); }

void TagMap::setNumber(std::int64_t tag, unsigned long long value) { set(tag, std::to_string(value)); }

void TagMap::setNumber(std::int64_t tag, double value) { set(tag, formatDecimal(value)); }

const std::string* TagMap::find(std::int64_t tag) const {
    if ((seen_ & bit(tag)) == 0) return nullptr;
    for (const auto& e : entries_)
        if (e.first == tag) return &e.second;
    return nullptr;
}

std::optional<std::string> TagMap::get(std::int64_t tag) const {
    if (const std::string* v = find(tag)) return *v;
    return std::nullopt;
}

void TagMap::erase(std::int64_t tag) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first == tag) {
            entries_.erase(it);
            return;
        }
    }
}

std::string formatDecimal(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (value == 0) return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace protocol
