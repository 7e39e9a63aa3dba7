#include "model/language_string.h"

#include <mutex>

#include "platform/log.h"
#include "platform/paths.h"
#include "platform/resource_bundle.h"

namespace model {

namespace {

struct State {
    std::mutex mutex;
    std::map<std::string, std::string> localization;
    // Tables by full path of the file, so that a change of resources folder reads afresh.
    std::map<std::string, std::shared_ptr<const StringTable::Map>> tables;
};

State& state() {
    static State s;
    return s;
}

// Reads a quoted string starting at `i` (on the opening quote); false when malformed.
bool readQuoted(const std::string& line, std::size_t& i, std::string& out) {
    if (i >= line.size() || line[i] != '"') return false;
    ++i;
    out.clear();
    while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= line.size()) return false;
        const char e = line[i++];
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '"':
            case '\\':
                out += e;
                break;
            default:
                out += '\\';
                out += e;
                break;
        }
    }
    return false;
}

void skipBlanks(const std::string& line, std::size_t& i) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
}

std::shared_ptr<const StringTable::Map> tableFor(const std::string& folder) {
    if (!platform::Paths::isPlainFileName(folder)) return nullptr;
    // A table read once is found again without touching the disk.
    const std::string path = platform::Paths::join(
        platform::Paths::join(platform::ResourceBundle::resourceDirectory(), folder + ".lproj"),
        LanguageString::kTableFileName);
    State& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        auto it = s.tables.find(path);
        if (it != s.tables.end()) return it->second;
    }
    const std::string dir = platform::ResourceBundle::languageDirectory(folder);
    if (dir.empty() || !platform::Paths::exists(dir)) return nullptr;
    std::string text;
    auto table = std::make_shared<StringTable::Map>();
    if (platform::Paths::readFile(path, &text)) {
        std::vector<std::size_t> bad;
        *table = StringTable::parse(text, &bad);
        for (std::size_t line : bad) {
            platform::Log::debug("String table " + path + ": line " + std::to_string(line) + " skipped");
        }
    } else {
        platform::Log::debug("String table missing: " + path);
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.tables.emplace(path, table).first->second;
}

}  // namespace

StringTable::Map StringTable::parse(const std::string& text, std::vector<std::size_t>* badLines) {
    Map table;
    std::size_t start = 0;
    std::size_t lineNumber = 0;
    // A UTF-8 byte-order mark is not part of the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        ++lineNumber;
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t i = 0;
        skipBlanks(line, i);
        if (i == line.size() || line.compare(i, 2, "//") == 0 || line.compare(i, 2, "/*") == 0) {
            if (end == text.size()) break;
            continue;
        }
        std::string key;
        std::string value;
        bool ok = readQuoted(line, i, key);
        skipBlanks(line, i);
        ok = ok && i < line.size() && line[i++] == '=';
        skipBlanks(line, i);
        ok = ok && readQuoted(line, i, value);
        skipBlanks(line, i);
        ok = ok && i < line.size() && line[i++] == ';';
        skipBlanks(line, i);
        ok = ok && (i == line.size() || line.compare(i, 2, "//") == 0);
        if (ok) {
            table[key] = value;
        } else if (badLines != nullptr) {
            badLines->push_back(lineNumber);
        }
        if (end == text.size()) break;
    }
    return table;
}

bool LanguageString::readsRightToLeft(std::int64_t languageIndex) {
    const std::string folder = languageFolder(languageIndex);
    return folder == "ar" || folder == "fa-AF" || folder == "ps-AF";
}

const std::vector<std::string>& LanguageString::languageFolders() {
    static const std::vector<std::string> folders = {"en",         "zh-Hans", "ne",      "fa-AF",
                                                     "ps-AF",      "ar",      "ru",      "fr",
                                                     "indonesien", "Bengali", "spanish", "albanian"};
    return folders;
}

std::string LanguageString::languageFolder(std::int64_t languageIndex) {
    const auto& folders = languageFolders();
    if (languageIndex < 0 || static_cast<std::uint64_t>(languageIndex) >= folders.size()) return folders[0];
    return folders[static_cast<std::size_t>(languageIndex)];
}

std::string LanguageString::setLanguageKey(const std::string& key) {
    if (key.empty() || key.size() >= 4) return key;
    return std::string(4 - key.size(), '0') + key;
}

std::string LanguageString::getProductBasedKeyForKey(const std::string& key) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.localization.find(key);
    return it == s.localization.end() ? key : it->second;
}

std::string LanguageString::stringforSelectedLanguage(std::int64_t languageIndex, const std::string& key) {
    const std::string productKey = getProductBasedKeyForKey(key);
    const auto table = tableFor(languageFolder(languageIndex));
    if (!table) return {};
    auto it = table->find(productKey);
    return it == table->end() ? productKey : it->second;
}

void LanguageString::setProductLocalizationList(std::map<std::string, std::string> list) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.localization = std::move(list);
}

void LanguageString::clearCache() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.tables.clear();
}

}  // namespace model
