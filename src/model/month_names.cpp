#include "model/month_names.h"

namespace model {

const MonthNames& englishMonthNames() {
    static const MonthNames names{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return names;
}

MonthNames monthNamesOf(const std::function<std::string(const std::string&)>& text) {
    MonthNames names = englishMonthNames();
    if (!text) return names;
    for (std::size_t m = 0; m < names.size(); ++m) {
        const std::string key = std::to_string(90740 + m);
        const std::string entry = text(key);
        if (!entry.empty() && entry != key) names[m] = entry;
    }
    return names;
}

std::string formatWithMonthNames(const DateFormatter::Fields& fields, const std::string& pattern, const MonthNames& names) {
    if (fields.month < 1 || fields.month > 12) return DateFormatter(pattern).stringFromFields(fields);
    // The name goes in as quoted literal text, its quotes doubled.
    std::string quoted = "'";
    const auto m = static_cast<std::size_t>(fields.month - 1);
    for (char c : names[m].empty() ? englishMonthNames()[m] : names[m]) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    quoted += "'";
    std::string written;
    bool inQuote = false;
    for (std::size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '\'') inQuote = !inQuote;
        if (!inQuote && pattern.compare(i, 3, "MMM") == 0 && (i + 3 >= pattern.size() || pattern[i + 3] != 'M') &&
            (i == 0 || pattern[i - 1] != 'M')) {
            written += quoted;
            i += 3;
            continue;
        }
        written += pattern[i++];
    }
    return DateFormatter(written).stringFromFields(fields);
}

}  // namespace model
