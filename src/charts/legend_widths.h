#pragma once
// The widest legend row "title: value" as the font's metrics measure the
// whole text, kept cheap for rows whose values change at every refresh:
// each "title: " is measured once while the font stays, and a value of
// digits, sign and point adds its characters' advances when the font sets
// those (after a space) without kerning; any other text is measured whole.
#include <QFont>
#include <QHash>
#include <QString>
#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace charts {

class LegendWidths {
public:
    // `newTitles` caps the titles measured in this call: a row whose title
    // is still unmeasured beyond it is left out, and complete() is false
    // until a later call measured every title.
    double widest(const QFont& font, const std::vector<QString>& titles, const std::vector<QString>& values,
                  std::size_t newTitles = std::numeric_limits<std::size_t>::max());
    bool complete() const { return complete_; }
    // How many titles were measured so far (the others came from the cache).
    std::size_t titlesMeasured() const { return titlesMeasured_; }

private:
    void useFont(const QFont& font);
    double titleWidth(const QString& title);
    std::optional<double> knownTitleWidth(const QString& title) const;
    std::optional<double> valueWidth(const QString& value) const;

    QFont font_;
    bool measured_ = false;
    bool complete_ = true;
    std::size_t titlesMeasured_ = 0;
    bool plainNumbers_ = false;  // values add up from their characters' advances
    std::array<double, 128> advances_{};
    QHash<QString, double> titles_;  // "title: " → its advance
};

}  // namespace charts
