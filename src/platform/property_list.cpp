#include "platform/property_list.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/base64.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace platform {

namespace {

const PlistValue& noneValue() {
    static const PlistValue none;
    return none;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// A <real>'s text: a number, or the infinities and NaN as serialize() writes
// them ("inf", "-inf", "nan"; any case, "infinity" too).
double readReal(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && isSpace(text[first])) ++first;
    while (last > first && isSpace(text[last - 1])) --last;
    std::string word = text.substr(first, last - first);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool negative = !word.empty() && word[0] == '-';
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.erase(0, 1);
    if (word == "inf" || word == "infinity")
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    if (word == "nan") return std::numeric_limits<double>::quiet_NaN();
    return readDouble(text);
}

// A small XML reader for the property-list vocabulary. Any error makes the whole document fail.
class Parser {
public:
    explicit Parser(const std::string& s) : s_(s) {}

    bool document(PlistValue* root) {
        skipMisc();
        std::string name;
        bool selfClosing = false;
        if (!openTag(&name, &selfClosing)) return false;
        if (name == "plist") {
            if (selfClosing) return false;
            skipMisc();
            if (!value(root, 0)) return false;
            skipMisc();
            if (!closeTag("plist")) return false;
        } else {
            // A bare value without the <plist> wrapper.
            if (!valueBody(name, selfClosing, root, 0)) return false;
        }
        skipMisc();
        return pos_ == s_.size();
    }

private:
    static constexpr int kMaxDepth = 200;

    bool starts(const char* lit) const { return s_.compare(pos_, std::char_traits<char>::length(lit), lit) == 0; }

    void skipSpace() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }

    bool skipPast(const char* lit) {
        auto at = s_.find(lit, pos_);
        if (at == std::string::npos) {
            pos_ = s_.size();
            return false;
        }
        pos_ = at + std::char_traits<char>::length(lit);
        return true;
    }

    // White space, comments, the XML declaration, processing instructions and DOCTYPE.
    void skipMisc() {
        for (;;) {
            skipSpace();
            if (starts("\xEF\xBB\xBF")) {
                pos_ += 3;
            } else if (starts("<?")) {
                if (!skipPast("?>")) return;
            } else if (starts("<!--")) {
                if (!skipPast("-->")) return;
            } else if (starts("<!DOCTYPE")) {
                if (!skipPast(">")) return;
            } else {
                return;
            }
        }
    }

    // Reads "<name attrs>" or "<name attrs/>".
    bool openTag(std::string* name, bool* selfClosing) {
        if (pos_ >= s_.size() || s_[pos_] != '<') return false;
        ++pos_;
        std::size_t start = pos_;
        while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' ||
                                    s_[pos_] == '-' || s_[pos_] == ':'))
            ++pos_;
        if (pos_ == start) return false;
        *name = s_.substr(start, pos_ - start);
        // Attributes are skipped, honouring quotes.
        char quote = 0;
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                *selfClosing = pos_ > start && s_[pos_ - 1] == '/';
                ++pos_;
                return true;
            } else if (c == '<') {
                return false;
            }
            ++pos_;
        }
        return false;
    }

    bool closeTag(const std::string& name) {
        skipSpace();
        if (!starts("</")) return false;
        pos_ += 2;
        if (s_.compare(pos_, name.size(), name) != 0) return false;
        pos_ += name.size();
        skipSpace();
        if (pos_ >= s_.size() || s_[pos_] != '>') return false;
        ++pos_;
        return true;
    }

    // Character data up to the closing tag, with entities and CDATA resolved.
    bool text(const std::string& name, std::string* out) {
        std::string t;
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (starts("<![CDATA[")) {
                pos_ += 9;
                auto end = s_.find("]]>", pos_);
                if (end == std::string::npos) return false;
                t.append(s_, pos_, end - pos_);
                pos_ = end + 3;
            } else if (starts("<!--")) {
                if (!skipPast("-->")) return false;
            } else if (c == '<') {
                if (!closeTag(name)) return false;
                *out = std::move(t);
                return true;
            } else if (c == '&') {
                auto end = s_.find(';', pos_);
                if (end == std::string::npos || end - pos_ > 12) return false;
                std::string ent = s_.substr(pos_ + 1, end - pos_ - 1);
                if (ent == "amp") t += '&';
                else if (ent == "lt") t += '<';
                else if (ent == "gt") t += '>';
                else if (ent == "quot") t += '"';
                else if (ent == "apos") t += '\'';
                else if (ent.size() > 1 && ent[0] == '#') {
                    unsigned long cp = 0;
                    const char* first = ent.data() + 1;
                    int base = 10;
                    if (*first == 'x' || *first == 'X') {
                        ++first;
                        base = 16;
                    }
                    auto r = std::from_chars(first, ent.data() + ent.size(), cp, base);
                    if (r.ec != std::errc() || r.ptr != ent.data() + ent.size() || cp == 0 || cp > 0x10FFFF ||
                        (cp >= 0xD800 && cp <= 0xDFFF))
                        return false;
                    appendUtf8(t, static_cast<std::uint32_t>(cp));
                } else {
                    return false;
                }
                pos_ = end + 1;
            } else {
                t += c;
                ++pos_;
            }
        }
        return false;
    }

    bool value(PlistValue* out, int depth) {
        std::string name;
        bool selfClosing = false;
        if (!openTag(&name, &selfClosing)) return false;
        return valueBody(name, selfClosing, out, depth);
    }

    bool valueBody(const std::string& name, bool selfClosing, PlistValue* out, int depth) {
        if (depth > kMaxDepth) return false;
        if (name == "true" || name == "false") {
            out->type = PlistValue::Type::Bool;
            out->boolean = name == "true";
            out->text.assign(1, out->boolean ? '1' : '0');
            return selfClosing || closeTag(name);
        }
        if (name == "dict") {
            out->type = PlistValue::Type::Dict;
            if (selfClosing) return true;
            for (;;) {
                skipMisc();
                if (starts("</")) return closeTag(name);
                std::string keyTag;
                bool keyEmpty = false;
                if (!openTag(&keyTag, &keyEmpty) || keyTag != "key") return false;
                std::string key;
                if (!keyEmpty && !text("key", &key)) return false;
                skipMisc();
                PlistValue v;
                if (!value(&v, depth + 1)) return false;
                out->dict.emplace_back(std::move(key), std::move(v));
            }
        }
        if (name == "array") {
            out->type = PlistValue::Type::Array;
            if (selfClosing) return true;
            for (;;) {
                skipMisc();
                if (starts("</")) return closeTag(name);
                PlistValue v;
                if (!value(&v, depth + 1)) return false;
                out->array.push_back(std::move(v));
            }
        }
        std::string t;
        if (!selfClosing && !text(name, &t)) return false;
        if (name == "string") {
            out->type = PlistValue::Type::String;
            out->text = std::move(t);
        } else if (name == "integer") {
            out->type = PlistValue::Type::Integer;
            out->integer = readInteger(t);
            out->real = static_cast<double>(out->integer);
            out->text = std::move(t);
        } else if (name == "real") {
            out->type = PlistValue::Type::Real;
            out->real = readReal(t);
            out->text = std::move(t);
        } else if (name == "date") {
            out->type = PlistValue::Type::Date;
            out->text = std::move(t);
        } else if (name == "data") {
            out->type = PlistValue::Type::Data;
            auto bytes = base64::decode(t);
            if (!bytes) return false;
            out->text = std::move(*bytes);
        } else {
            return false;
        }
        return true;
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

void escape(std::string& out, const std::string& text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
}

void write(std::string& out, const PlistValue& v, int indent) {
    std::string pad(static_cast<std::size_t>(indent), '\t');
    out += pad;
    switch (v.type) {
        case PlistValue::Type::None:
        case PlistValue::Type::String:
            out += "<string>";
            escape(out, v.text);
            out += "</string>\n";
            break;
        case PlistValue::Type::Integer: out += "<integer>" + std::to_string(v.integer) + "</integer>\n"; break;
        case PlistValue::Type::Real: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g", v.real);
            out += std::string("<real>") + buf + "</real>\n";
            break;
        }
        case PlistValue::Type::Bool: out += v.boolean ? "<true/>\n" : "<false/>\n"; break;
        case PlistValue::Type::Date:
            out += "<date>";
            escape(out, v.text);
            out += "</date>\n";
            break;
        case PlistValue::Type::Data: out += "<data>" + base64::encode(v.text) + "</data>\n"; break;
        case PlistValue::Type::Array:
            out += "<array>\n";
            for (const auto& e : v.array) write(out, e, indent + 1);
            out += pad + "</array>\n";
            break;
        case PlistValue::Type::Dict:
            out += "<dict>\n";
            for (const auto& [key, e] : v.dict) {
                out += pad + "\t<key>";
                escape(out, key);
                out += "</key>\n";
                write(out, e, indent + 1);
            }
            out += pad + "</dict>\n";
            break;
    }
}

}  // namespace

PlistValue::PlistValue() = default;
PlistValue::PlistValue(const PlistValue&) = default;
PlistValue::PlistValue(PlistValue&&) noexcept = default;
PlistValue& PlistValue::operator=(const PlistValue&) = default;
PlistValue& PlistValue::operator=(PlistValue&&) noexcept = default;
PlistValue::~PlistValue() = default;

const PlistValue& PlistValue::operator[](const std::string& key) const {
    if (type != Type::Dict) return noneValue();
    // The last of duplicate keys wins, as with the platform's reader.
    for (auto it = dict.rbegin(); it != dict.rend(); ++it)
        if (it->first == key) return it->second;
    return noneValue();
}

std::string PlistValue::stringValue() const {
    switch (type) {
        case Type::String:
        case Type::Date:
        case Type::Data: return text;
        case Type::Integer: return std::to_string(integer);
        case Type::Real: return text.empty() ? std::to_string(real) : text;
        case Type::Bool: return boolean ? "1" : "0";
        default: return {};
    }
}

bool PlistValue::boolValue() const {
    switch (type) {
        case Type::Bool: return boolean;
        case Type::Integer: return integer != 0;
        case Type::Real: return real != 0;
        case Type::String: return readBool(text);
        default: return false;
    }
}

std::int64_t PlistValue::integerValue() const {
    switch (type) {
        case Type::Integer: return integer;
        case Type::Real: {
            if (std::isnan(real)) return 0;
            if (real >= 9.2233720368547758e18) return std::numeric_limits<std::int64_t>::max();
            if (real <= -9.2233720368547758e18) return std::numeric_limits<std::int64_t>::min();
            return static_cast<std::int64_t>(real);
        }
        case Type::Bool: return boolean ? 1 : 0;
        case Type::String: return readInteger(text);
        default: return 0;
    }
}

double PlistValue::doubleValue() const {
    switch (type) {
        case Type::Integer: return static_cast<double>(integer);
        case Type::Real: return real;
        case Type::Bool: return boolean ? 1 : 0;
        case Type::String: return readDouble(text);
        default: return 0;
    }
}

PlistValue PropertyList::parse(const std::string& xml) {
    PlistValue root;
    Parser parser(xml);
    if (!parser.document(&root)) return PlistValue{};
    return root;
}

PlistValue PropertyList::readFile(const std::string& path) {
    std::string bytes;
    if (!Paths::readFile(path, &bytes)) return PlistValue{};
    PlistValue root = parse(bytes);
    if (root.isNone() && !bytes.empty()) Log::debug("Property list unreadable: " + path);
    return root;
}

std::string PropertyList::serialize(const PlistValue& root) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    write(out, root, 0);
    out += "</plist>\n";
    return out;
}

bool readBool(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i >= text.size()) return false;
    char c = text[i];
    return (c >= '1' && c <= '9') || c == 'Y' || c == 'y' || c == 'T' || c == 't';
}

std::int64_t readInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Up to 18 digits cannot overflow: read without a check per digit.
    {
        std::int64_t magnitude = 0;
        std::size_t at = i;
        for (; at < text.size() && at - i < 18 && text[at] >= '0' && text[at] <= '9'; ++at)
            magnitude = magnitude * 10 + (text[at] - '0');
        if (at == text.size() || text[at] < '0' || text[at] > '9') return negative ? -magnitude : magnitude;
    }
    // Accumulate as a negative number so that the minimum is reachable.
    const std::int64_t min = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool overflow = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int d = text[i] - '0';
        if (overflow) continue;
        if (value < (min + d) / 10) {
            overflow = true;
            continue;
        }
        value = value * 10 - d;
    }
    if (overflow) return negative ? min : std::numeric_limits<std::int64_t>::max();
    if (negative) return value;
    return value == min ? std::numeric_limits<std::int64_t>::max() : -value;
}

double readDouble(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::size_t numberStart = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    }
    if (i == numberStart || (i == numberStart + 1 && text[numberStart] == '.')) return 0;
    std::size_t mantissaEnd = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
            mantissaEnd = j;
        }
    }
    double value = 0;
    auto r = std::from_chars(text.data() + numberStart, text.data() + mantissaEnd, value);
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on range errors: saturate like strtod.
        bool tiny = false;
        for (std::size_t k = numberStart; k < mantissaEnd; ++k) {
            if (text[k] == 'e' || text[k] == 'E') {
                tiny = k + 1 < mantissaEnd && text[k + 1] == '-';
                break;
            }
        }
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

}  // namespace platform
