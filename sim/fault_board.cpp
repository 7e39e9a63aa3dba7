#include "fault_board.h"

#include <cstdlib>

namespace sim {

namespace {
bool onOff(const std::string& v, bool* out) {
    if (v == "on" || v == "1" || v == "true") return *out = true, true;
    if (v == "off" || v == "0" || v == "false" || v.empty()) return *out = false, true;
    return false;
}
}  // namespace

bool FaultBoard::set(const std::string& name, const std::string& value, std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    FaultState& s = state_;
    bool flag = false;
    auto needFlag = [&](bool& target) {
        if (!onOff(value, &flag)) {
            if (error) *error = "expected on or off";
            return false;
        }
        target = flag;
        return true;
    };
    if (name == "split") {
        s.splitOffsets.clear();
        std::size_t start = 0;
        while (start < value.size()) {
            auto comma = value.find(',', start);
            if (comma == std::string::npos) comma = value.size();
            const std::string part = value.substr(start, comma - start);
            char* end = nullptr;
            const long n = std::strtol(part.c_str(), &end, 10);
            if (part.empty() || *end != '\0' || n <= 0) {
                if (error) *error = "offsets must be positive numbers joined by ','";
                s.splitOffsets.clear();
                return false;
            }
            s.splitOffsets.push_back(static_cast<std::size_t>(n));
            start = comma + 1;
        }
        return true;
    }
    if (name == "close-refuse") {
        // "none" clears the list.
        s.closeRefuse.clear();
        std::size_t start = 0;
        while (value != "none" && start < value.size()) {
            auto comma = value.find(',', start);
            if (comma == std::string::npos) comma = value.size();
            if (comma > start) s.closeRefuse.push_back(value.substr(start, comma - start));
            start = comma + 1;
        }
        return true;
    }
    if (name == "split-utf8") return needFlag(s.splitUtf8);
    if (name == "silent") return needFlag(s.silent);
    if (name == "close-mid-frame") return needFlag(s.closeMidFrame);
    if (name == "bad-envelope") return needFlag(s.badEnvelope);
    if (name == "malformed-rows") return needFlag(s.malformedRows);
    if (name == "tick-without-base") return needFlag(s.tickWithoutBase);
    if (name == "never-answer") return needFlag(s.neverAnswer);
    if (name == "statement-text") return needFlag(s.statementText);
    if (name == "news") {
        if (value != "normal" && value != "huge-chunk" && value != "many-children" && value != "drip" &&
            value != "large-title" && value != "endless-trailer") {
            if (error) *error = "expected normal, huge-chunk, many-children, drip, large-title or endless-trailer";
            return false;
        }
        s.newsShape = value == "normal" ? "" : value;
        return true;
    }
    if (name == "login-cut") {
        char* end = nullptr;
        const unsigned long long n = std::strtoull(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || n > 1ull << 30) {
            if (error) *error = "expected a number of bytes (0: normal)";
            return false;
        }
        s.loginCutBytes = std::size_t(n);
        return true;
    }
    if (name == "logout-reason") {
        char* end = nullptr;
        const unsigned long long n = std::strtoull(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || n > 64ull * 1024 * 1024) {
            if (error) *error = "expected a number of bytes up to 64 MiB (0: normal)";
            return false;
        }
        s.logoutReasonBytes = std::size_t(n);
        return true;
    }
    if (name == "chart-shape") {
        if (value != "normal" && value != "short" && value != "no-closes") {
            if (error) *error = "expected normal, short or no-closes";
            return false;
        }
        s.chartShape = value == "normal" ? "" : value;
        return true;
    }
    if (name == "bad-compressed") {
        if (value != "short" && value != "truncated" && value != "off") {
            if (error) *error = "expected short, truncated or off";
            return false;
        }
        s.badCompressed = value == "off" ? "" : value;
        return true;
    }
    if (name == "funds-answer") {
        static const char* const modes[] = {"normal", "error", "bad-beneficiary", "unanswered", "duplicate", "unknown",
                                            "short-result", "amount-cent"};
        for (const char* mode : modes)
            if (value == mode) {
                s.fundsAnswer = value == "normal" ? "" : value;
                return true;
            }
        if (error) *error = "expected normal, error, bad-beneficiary, unanswered, duplicate, unknown, short-result or amount-cent";
        return false;
    }
    if (name == "ds-answer") {
        if (value != "empty" && value != "error" && value != "normal") {
            if (error) *error = "expected empty, error or normal";
            return false;
        }
        s.dsAnswer = value == "normal" ? "" : value;
        return true;
    }
    if (name == "demo-answer") {
        if (value != "normal" && value != "slashed" && value != "no-password" && value != "markup") {
            if (error) *error = "expected normal, slashed, no-password or markup";
            return false;
        }
        s.demoAnswer = value == "normal" ? "" : value;
        return true;
    }
    if (name == "addedituac") {
        if (value != "failure" && value != "normal") {
            if (error) *error = "expected failure or normal";
            return false;
        }
        s.editAccessFails = value == "failure";
        return true;
    }
    if (name == "wrap") {
        if (value == "plain") s.wrap = Wrap::Plain;
        else if (value == "envelope") s.wrap = Wrap::Envelope;
        else if (value == "compressed") s.wrap = Wrap::Compressed;
        else {
            if (error) *error = "expected plain, envelope or compressed";
            return false;
        }
        return true;
    }
    if (name == "login-form") {
        if (value == "packed") s.xmlLoginData = false;
        else if (value == "xml") s.xmlLoginData = true;
        else {
            if (error) *error = "expected packed or xml";
            return false;
        }
        return true;
    }
    if (error) *error = "unknown switch " + name;
    return false;
}

}  // namespace sim
