#pragma once
// The widest legend row "title: value" as the font's metrics measure the
// whole text, kept cheap for rows whose values change at every refresh:
// each "title: " is measured once while the font stays, and a value of
// digits, sign and point adds its characters' advances when the font sets
// those (after a space) without kerning; any other text is measured whole.
// The measures of a font are shared by every legend of the GUI thread, so a
// fresh pie measures nothing an earlier one measured in its font.
#include <QFont>
#include <QHash>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace charts {

class LegendWidths {
public:
    double widest(const QFont& font, const std::vector<QString>& titles, const std::vector<QString>& values);

private:
    struct Measures {
        bool plainNumbers = false;  // values add up from their characters' advances
        std::array<double, 128> advances{};
        QHash<QString, double> titles;  // "title: " → its advance
    };
    static std::shared_ptr<Measures> measuresOf(const QFont& font);

    void useFont(const QFont& font);
    double titleWidth(const QString& title);
    std::optional<double> valueWidth(const QString& value) const;

    QFont font_;
    std::shared_ptr<Measures> measures_;
};

}  // namespace charts
