#include "json_value.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace sim {

class JsonParser {
public:
    explicit JsonParser(const std::string& t) : t_(t) {}

    JsonValue document() {
        JsonValue v = value(0);
        skip();
        if (p_ != t_.size()) fail("trailing text");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& what) {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(p_));
    }
    void skip() {
        while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\n' || t_[p_] == '\r')) ++p_;
    }
    bool literal(const char* word) {
        const std::string w(word);
        if (t_.compare(p_, w.size(), w) == 0) {
            p_ += w.size();
            return true;
        }
        return false;
    }
    JsonValue value(int depth) {
        if (depth > 64) fail("nesting too deep");
        skip();
        if (p_ >= t_.size()) fail("unexpected end");
        JsonValue v;
        const char c = t_[p_];
        if (c == '{') {
            v.kind_ = JsonValue::Kind::Object;
            ++p_;
            skip();
            if (p_ < t_.size() && t_[p_] == '}') { ++p_; return v; }
            while (true) {
                skip();
                if (p_ >= t_.size() || t_[p_] != '"') fail("expected a key");
                std::string key = string();
                skip();
                if (p_ >= t_.size() || t_[p_] != ':') fail("expected ':'");
                ++p_;
                v.members_.emplace_back(std::move(key), value(depth + 1));
                skip();
                if (p_ < t_.size() && t_[p_] == ',') { ++p_; continue; }
                if (p_ < t_.size() && t_[p_] == '}') { ++p_; return v; }
                fail("expected ',' or '}'");
            }
        }
        if (c == '[') {
            v.kind_ = JsonValue::Kind::Array;
            ++p_;
            skip();
            if (p_ < t_.size() && t_[p_] == ']') { ++p_; return v; }
            while (true) {
                v.items_.push_back(value(depth + 1));
                skip();
                if (p_ < t_.size() && t_[p_] == ',') { ++p_; continue; }
                if (p_ < t_.size() && t_[p_] == ']') { ++p_; return v; }
                fail("expected ',' or ']'");
            }
        }
        if (c == '"') {
            v.kind_ = JsonValue::Kind::String;
            v.scalar_ = string();
            return v;
        }
        if (literal("true")) { v.kind_ = JsonValue::Kind::Bool; v.scalar_ = "true"; return v; }
        if (literal("false")) { v.kind_ = JsonValue::Kind::Bool; v.scalar_ = "false"; return v; }
        if (literal("null")) return v;
        const std::size_t start = p_;
        if (t_[p_] == '-') ++p_;
        bool digits = false;
        while (p_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[p_])) || t_[p_] == '.' ||
                                  t_[p_] == 'e' || t_[p_] == 'E' || t_[p_] == '+' || t_[p_] == '-')) {
            digits = true;
            ++p_;
        }
        if (!digits) fail("unexpected character");
        v.kind_ = JsonValue::Kind::Number;
        v.scalar_ = t_.substr(start, p_ - start);
        char* end = nullptr;
        std::strtod(v.scalar_.c_str(), &end);
        if (end != v.scalar_.c_str() + v.scalar_.size()) fail("bad number " + v.scalar_);
        return v;
    }
    static void appendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) out += static_cast<char>(cp);
        else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    unsigned hex4() {
        if (p_ + 4 > t_.size()) fail("short \\u escape");
        const std::string h = t_.substr(p_, 4);
        for (char ch : h)
            if (!std::isxdigit(static_cast<unsigned char>(ch))) fail("bad \\u escape");
        p_ += 4;
        return static_cast<unsigned>(std::strtoul(h.c_str(), nullptr, 16));
    }
    std::string string() {
        ++p_;  // opening quote
        std::string out;
        while (true) {
            if (p_ >= t_.size()) fail("unterminated string");
            const char c = t_[p_++];
            if (c == '"') return out;
            if (c != '\\') { out += c; continue; }
            if (p_ >= t_.size()) fail("unterminated escape");
            const char e = t_[p_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && t_.compare(p_, 2, "\\u") == 0) {
                        p_ += 2;
                        const unsigned lo = hex4();
                        if (lo >= 0xDC00 && lo < 0xE000) cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    }
                    appendUtf8(out, cp);
                    break;
                }
                default: fail("unknown escape");
            }
        }
    }

    const std::string& t_;
    std::size_t p_ = 0;
};

JsonValue JsonValue::parse(const std::string& text) { return JsonParser(text).document(); }

std::string JsonValue::text() const { return scalar_; }

double JsonValue::number(double fallback) const {
    if (kind_ == Kind::Bool) return scalar_ == "true" ? 1 : 0;
    if (kind_ != Kind::Number && kind_ != Kind::String) return fallback;
    char* end = nullptr;
    const double v = std::strtod(scalar_.c_str(), &end);
    return end == scalar_.c_str() ? fallback : v;
}

long long JsonValue::integer(long long fallback) const {
    if (kind_ == Kind::Bool) return scalar_ == "true" ? 1 : 0;
    if (kind_ != Kind::Number && kind_ != Kind::String) return fallback;
    char* end = nullptr;
    const long long v = std::strtoll(scalar_.c_str(), &end, 10);
    return end == scalar_.c_str() ? fallback : v;
}

bool JsonValue::boolean(bool fallback) const {
    if (kind_ == Kind::Bool) return scalar_ == "true";
    if (kind_ == Kind::Number) return number() != 0;
    return fallback;
}

const JsonValue& JsonValue::operator[](const std::string& key) const {
    static const JsonValue null;
    for (const auto& m : members_)
        if (m.first == key) return m.second;
    return null;
}

bool JsonValue::has(const std::string& key) const {
    for (const auto& m : members_)
        if (m.first == key) return true;
    return false;
}

}  // namespace sim
