#include "platform/preferences.h"

#include <cstdio>
#include <type_traits>

#include "platform/log.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"

namespace platform {

namespace {

std::string numberText(double d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", d);
    return buf;
}

std::string serialized(const std::map<std::string, Preferences::Value>& values) {
    using StringArray = Preferences::StringArray;
    PlistValue root;
    root.type = PlistValue::Type::Dict;
    for (const auto& [key, value] : values) {
        PlistValue v;
        std::visit(
            [&v](const auto& x) {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    v.type = PlistValue::Type::String;
                    v.text = x;
                } else if constexpr (std::is_same_v<T, bool>) {
                    v.type = PlistValue::Type::Bool;
                    v.boolean = x;
                } else if constexpr (std::is_same_v<T, std::int64_t>) {
                    v.type = PlistValue::Type::Integer;
                    v.integer = x;
                } else if constexpr (std::is_same_v<T, double>) {
                    v.type = PlistValue::Type::Real;
                    v.real = x;
                } else if constexpr (std::is_same_v<T, StringArray>) {
                    v.type = PlistValue::Type::Array;
                    for (const auto& s : x) {
                        PlistValue e;
                        e.type = PlistValue::Type::String;
                        e.text = s;
                        v.array.push_back(std::move(e));
                    }
                } else {
                    v.type = PlistValue::Type::Data;
                    v.text.assign(x.begin(), x.end());
                }
            },
            value);
        root.dict.emplace_back(key, std::move(v));
    }
    return PropertyList::serialize(root);
}

}  // namespace

// The file side: one writer at a time, and never an older snapshot over a newer one.
struct Preferences::Writer {
    std::mutex mutex;
    std::uint64_t written = 0;  // the newest snapshot in the file

    bool write(const std::string& path, std::uint64_t snapshot, const std::map<std::string, Value>& values) {
        std::lock_guard<std::mutex> lock(mutex);
        if (snapshot <= written) return true;
        const std::string bytes = serialized(values);
        // Remembered credentials live here: owner-only file and folder.
        if (!Paths::writePrivateFileAtomically(path, bytes)) return false;
        written = snapshot;
        return true;
    }
};

Preferences& Preferences::standard() {
    static Preferences prefs(Paths::join(Paths::configFolder(), "preferences"));
    return prefs;
}

Preferences::Preferences(std::string path) : path_(std::move(path)), writer_(std::make_shared<Writer>()) { load(); }

Preferences::~Preferences() = default;

void Preferences::load() {
    std::string bytes;
    if (!Paths::readFile(path_, &bytes)) return;  // no file yet: an empty store
    PlistValue root = PropertyList::parse(bytes);
    if (root.type != PlistValue::Type::Dict) {
        moveAside();
        return;
    }
    std::map<std::string, Value> values;
    for (const auto& [key, v] : root.dict) {
        switch (v.type) {
            case PlistValue::Type::String:
            case PlistValue::Type::Date: values[key] = v.text; break;
            case PlistValue::Type::Bool: values[key] = v.boolean; break;
            case PlistValue::Type::Integer: values[key] = v.integer; break;
            case PlistValue::Type::Real: values[key] = v.real; break;
            case PlistValue::Type::Data: values[key] = Bytes(v.text.begin(), v.text.end()); break;
            case PlistValue::Type::Array: {
                StringArray list;
                bool strings = true;
                for (const auto& e : v.array) {
                    if (e.type != PlistValue::Type::String) {
                        strings = false;
                        break;
                    }
                    list.push_back(e.text);
                }
                if (strings)
                    values[key] = std::move(list);
                else
                    Log::debug("Preferences: skipped a list that is not text under " + key);
                break;
            }
            default: Log::debug("Preferences: skipped an unsupported value under " + key); break;
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    values_ = std::move(values);
}

// The first write would replace an unreadable file: the trader's remembered
// user and watchlists might still be found in it, so it is kept aside.
void Preferences::moveAside() {
    for (int n = 1; n <= kAsideNames; ++n) {
        const std::string aside = path_ + ".unreadable" + (n > 1 ? "." + std::to_string(n) : "");
        if (Paths::exists(aside)) continue;
        if (::rename(path_.c_str(), aside.c_str()) == 0) {
            Log::warning("Preferences file unreadable, moved to " + aside + "; using defaults");
            return;
        }
        break;
    }
    Log::error("Preferences file unreadable and not moved aside; using defaults: " + path_);
}

std::optional<Preferences::Value> Preferences::get(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> Preferences::stringForKey(const std::string& key) const {
    auto v = get(key);
    if (!v) return std::nullopt;
    return std::visit(
        [](const auto& x) -> std::optional<std::string> {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::string>) return x;
            else if constexpr (std::is_same_v<T, bool>) return std::string(x ? "1" : "0");
            else if constexpr (std::is_same_v<T, std::int64_t>) return std::to_string(x);
            else if constexpr (std::is_same_v<T, double>) return numberText(x);
            else return std::nullopt;
        },
        *v);
}

bool Preferences::boolForKey(const std::string& key) const {
    auto v = get(key);
    if (!v) return false;
    return std::visit(
        [](const auto& x) -> bool {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::string>) return readBool(x);
            else if constexpr (std::is_same_v<T, bool>) return x;
            else if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>) return x != 0;
            else return false;
        },
        *v);
}

std::int64_t Preferences::integerForKey(const std::string& key) const {
    auto v = get(key);
    if (!v) return 0;
    PlistValue p;
    if (auto s = std::get_if<std::string>(&*v)) return readInteger(*s);
    if (auto b = std::get_if<bool>(&*v)) return *b ? 1 : 0;
    if (auto i = std::get_if<std::int64_t>(&*v)) return *i;
    if (auto d = std::get_if<double>(&*v)) {
        p.type = PlistValue::Type::Real;
        p.real = *d;
        return p.integerValue();  // clamps out-of-range values
    }
    return 0;
}

double Preferences::doubleForKey(const std::string& key) const {
    auto v = get(key);
    if (!v) return 0;
    if (auto s = std::get_if<std::string>(&*v)) return readDouble(*s);
    if (auto b = std::get_if<bool>(&*v)) return *b ? 1 : 0;
    if (auto i = std::get_if<std::int64_t>(&*v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&*v)) return *d;
    return 0;
}

std::optional<Preferences::StringArray> Preferences::stringArrayForKey(const std::string& key) const {
    auto v = get(key);
    if (!v) return std::nullopt;
    if (auto a = std::get_if<StringArray>(&*v)) return *a;
    return std::nullopt;
}

std::optional<Preferences::Bytes> Preferences::dataForKey(const std::string& key) const {
    auto v = get(key);
    if (!v) return std::nullopt;
    if (auto b = std::get_if<Bytes>(&*v)) return *b;
    return std::nullopt;
}

bool Preferences::hasKey(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return values_.count(key) != 0;
}

void Preferences::set(const std::string& key, Value value) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_[key] = std::move(value);
}

void Preferences::remove(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.erase(key);
}

std::uint64_t Preferences::snapshot(std::map<std::string, Value>* values) {
    std::lock_guard<std::mutex> lock(mutex_);
    *values = values_;
    return ++snapshots_;
}

bool Preferences::synchronize() {
    std::map<std::string, Value> values;
    const std::uint64_t n = snapshot(&values);
    return writer_->write(path_, n, values);
}

void Preferences::synchronizeLater() {
    auto values = std::make_shared<std::map<std::string, Value>>();
    const std::uint64_t n = snapshot(values.get());
    ioQueue()->async([writer = writer_, path = path_, n, values] {
        if (!writer->write(path, n, *values)) Log::error("Preferences not written: " + path);
    });
}

}  // namespace platform
