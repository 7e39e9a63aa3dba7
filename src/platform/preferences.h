#pragma once
// The user-defaults store: typed values under text keys, kept in one file under
// $XDG_CONFIG_HOME/<app>/preferences and written atomically by synchronize().
// Reads answer from memory, so a read after a set sees it before any write.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

class Preferences {
public:
    using Bytes = std::vector<std::uint8_t>;
    using StringArray = std::vector<std::string>;
    using Value = std::variant<std::string, bool, std::int64_t, double, StringArray, Bytes>;

    // The process store at the default path (loaded on first use).
    static Preferences& standard();
    // A store backed by `path` (tests); a missing or corrupt file gives an empty
    // store, the corrupt file moved aside to "<path>.unreadable" (then ".2" …).
    explicit Preferences(std::string path);
    ~Preferences();

    std::optional<std::string> stringForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const;                // absent: false
    std::int64_t integerForKey(const std::string& key) const;     // absent: 0
    double doubleForKey(const std::string& key) const;            // absent: 0
    std::optional<StringArray> stringArrayForKey(const std::string& key) const;
    std::optional<Bytes> dataForKey(const std::string& key) const;
    bool hasKey(const std::string& key) const;

    void set(const std::string& key, Value value);
    void remove(const std::string& key);
    // Writes the file (temp file + rename). Returns false, keeping the old file, on failure.
    bool synchronize();
    // The same write on the io queue (the main thread does not wait for the
    // disk); a failure is logged. Writes land in the order they were asked for.
    void synchronizeLater();
    const std::string& path() const { return path_; }

private:
    struct Writer;
    void load();
    void moveAside();
    static constexpr int kAsideNames = 20;
    // A copy of the values and its number: later snapshots have higher numbers.
    std::uint64_t snapshot(std::map<std::string, Value>* values);
    std::optional<Value> get(const std::string& key) const;
    std::string path_;
    mutable std::mutex mutex_;
    std::map<std::string, Value> values_;
    std::uint64_t snapshots_ = 0;
    std::shared_ptr<Writer> writer_;
};

}  // namespace platform
