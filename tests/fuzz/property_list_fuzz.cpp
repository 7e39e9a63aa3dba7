// Fuzz target for the property-list reader: whatever it reads, written back
// and read again, gives the same tree. Built with libFuzzer when fuzzing;
// otherwise the checked-in corpus is replayed as an ordinary test.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/property_list.h"

namespace {

using platform::PlistValue;

void require(bool condition) {
    if (!condition) std::abort();
}

bool same(const PlistValue& a, const PlistValue& b) {
    if (a.type != b.type) return false;
    switch (a.type) {
        case PlistValue::Type::None: return true;
        case PlistValue::Type::String:
        case PlistValue::Type::Date:
        case PlistValue::Type::Data: return a.text == b.text;
        case PlistValue::Type::Integer: return a.integer == b.integer;
        case PlistValue::Type::Real: return a.real == b.real || (std::isnan(a.real) && std::isnan(b.real));
        case PlistValue::Type::Bool: return a.boolean == b.boolean;
        case PlistValue::Type::Array:
            if (a.array.size() != b.array.size()) return false;
            for (std::size_t i = 0; i < a.array.size(); ++i)
                if (!same(a.array[i], b.array[i])) return false;
            return true;
        case PlistValue::Type::Dict:
            if (a.dict.size() != b.dict.size()) return false;
            for (std::size_t i = 0; i < a.dict.size(); ++i)
                if (a.dict[i].first != b.dict[i].first || !same(a.dict[i].second, b.dict[i].second)) return false;
            return true;
    }
    return false;
}

// The readings never throw, whatever the value.
void read(const PlistValue& v) {
    (void)v.stringValue();
    (void)v.boolValue();
    (void)v.integerValue();
    (void)v.doubleValue();
    (void)v["key"];
    for (const auto& e : v.array) read(e);
    for (const auto& [key, e] : v.dict) read(e);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const PlistValue root = platform::PropertyList::parse(text);
    read(root);
    if (root.isNone()) return 0;
    const std::string written = platform::PropertyList::serialize(root);
    require(same(root, platform::PropertyList::parse(written)));
    return 0;
}
