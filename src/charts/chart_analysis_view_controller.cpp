#include "charts/chart_analysis_view_controller.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "kit/controls/input_filter_fields.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace charts {

namespace {

// The indicator's name key and English; codes and inventors' names (MACD, Aroon) have no key.
std::pair<const char*, const char*> nameOf(Indicator which) {
    switch (which) {
        case Indicator::SMA: return {"90591", "Simple Moving Average"};
        case Indicator::EMA: return {"90592", "Exponential Moving Average"};
        case Indicator::BollingerBands: return {"90593", "Bollinger Bands"};
        case Indicator::Alligator: return {"90594", "Alligator"};
        case Indicator::MACD: return {nullptr, "MACD"};
        case Indicator::MACDHistogram: return {"90595", "MACD Histogram"};
        case Indicator::ROC: return {"90596", "Rate of Change"};
        case Indicator::StdDev: return {"90597", "Standard Deviation"};
        case Indicator::CCI: return {"90598", "Commodity Channel Index"};
        case Indicator::RSI: return {"90599", "Relative Strength Index"};
        case Indicator::Stochastic: return {"90600", "Stochastic Oscillator"};
        case Indicator::DeMarker: return {nullptr, "DeMarker"};
        case Indicator::Momentum: return {"90601", "Momentum"};
        case Indicator::WilliamsPercentRange: return {nullptr, "Williams %R"};
        case Indicator::BearsPower: return {"90602", "Bears Power"};
        case Indicator::BullsPower: return {"90603", "Bulls Power"};
        case Indicator::RVI: return {"90604", "Relative Vigor Index"};
        case Indicator::TRIX: return {nullptr, "TRIX"};
        case Indicator::ATR: return {"90605", "Average True Range"};
        case Indicator::AwesomeOscillator: return {"90606", "Awesome Oscillator"};
        case Indicator::AcceleratorOscillator: return {"90607", "Accelerator Oscillator"};
        case Indicator::Aroon: return {nullptr, "Aroon"};
        case Indicator::AroonOscillator: return {"90608", "Aroon Oscillator"};
    }
    return {nullptr, ""};
}

// The first values of the fields, in the order of the indicator's keys (the deviation last).
std::vector<const char*> firstValues(Indicator which) {
    switch (which) {
        case Indicator::SMA:
        case Indicator::EMA: return {"20"};
        case Indicator::BollingerBands: return {"20", "2"};
        case Indicator::MACD:
        case Indicator::MACDHistogram: return {"12", "26", "9"};
        case Indicator::Stochastic: return {"5", "3", "3"};
        case Indicator::Alligator: return {"13", "8", "5"};
        default: return {"14"};
    }
}

QColor firstColour(const std::string& key, Indicator which) {
    if (key == "JawsLineColor") return QColor(0, 0, 255);
    if (key == "TeethLineColor") return QColor(255, 0, 0);
    if (key == "LipsLineColor") return QColor(0, 255, 0);
    if (which == Indicator::SMA) return QColor(255, 165, 0);
    if (which == Indicator::EMA) return QColor(0, 191, 255);
    return QColor(255, 0, 255);
}

// The label of a setting in the language of `text` (its English without one); codes ("%K") as they are.
QString fieldLabel(const std::string& key, const std::function<std::string(const std::string&)>& text) {
    static const std::map<std::string, std::pair<const char*, const char*>> labels{
        {"Period", {"90525", "Period"}},        {"Deviation", {"90526", "Deviation"}}, {"FastPeriod", {"90527", "Fast"}},
        {"SlowPeriod", {"90528", "Slow"}},      {"SignalPeriod", {"90529", "Signal"}}, {"%KPeriod ", {nullptr, "%K"}},
        {"%DPeriod ", {nullptr, "%D"}},         {"Slowing", {"90530", "Slowing"}},     {"JawsPeriod", {"90531", "Jaws"}},
        {"TeethPeriod", {"90532", "Teeth"}},    {"LipsPeriod", {"90533", "Lips"}},
    };
    const auto it = labels.find(key);
    if (it == labels.end()) return kit::shownText(key);
    const auto& [languageKey, english] = it->second;
    return kit::shownText(text && languageKey ? text(languageKey) : english);
}

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(18, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

}  // namespace

ChartAnalysisViewController::ChartAnalysisViewController(QWidget* parent,
                                                         std::function<std::string(const std::string&)> text)
    : QWidget(parent), text_(std::move(text)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scrollView_ = new QScrollArea(this);
    scrollView_->setWidgetResizable(true);
    scrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* rows = new QVBoxLayout(content);
    rows->setContentsMargins(8, 8, 8, 8);
    rows->setSpacing(4);
    for (const PanelBox& box : panelBoxes()) addRow(box, content);
    rows->addStretch(1);
    scrollView_->setWidget(content);
    layout->addWidget(scrollView_);
    // As wide as its widest row in the language, beside the scroll bar: no name runs off the edge.
    const int rowsWidth = content->minimumSizeHint().width() + scrollView_->verticalScrollBar()->sizeHint().width() +
                          2 * scrollView_->frameWidth();
    setMinimumSize(std::max(420, rowsWidth), 360);
    scrollView_->verticalScrollBar()->setValue(0);  // the panel starts at its top
}

void ChartAnalysisViewController::addRow(const PanelBox& panelBox, QWidget* content) {
    const Indicator which = panelBox.which;
    const IndicatorDescription& d = describe(which);
    Row& row = rows_[which];
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    const auto [nameKey, englishName] = nameOf(which);
    row.box = new QCheckBox(kit::shownText(text_ && nameKey ? text_(nameKey) : englishName), content);
    row.box->setProperty("tag", panelBox.tag);
    line->addWidget(row.box, 1);
    std::vector<std::string> keys(d.periodKeys.begin(), d.periodKeys.end());
    if (d.hasDeviation) keys.push_back("Deviation");
    const auto values = firstValues(which);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        line->addWidget(kit::plainLabel(fieldLabel(keys[i], text_), content));
        auto* field = new kit::CustomTextField(content);
        field->setText(kit::identifierText(i < values.size() ? values[i] : "14"));
        field->setFixedWidth(48);
        line->addWidget(field);
        row.fields.emplace_back(keys[i], field);
    }
    for (const IndicatorPlot& p : d.plots) {
        if (!p.colourKey || row.colourValues.count(p.colourKey)) continue;
        auto* button = new QToolButton(content);
        button->setAutoRaise(true);
        row.colours.emplace_back(p.colourKey, button);
        setColour(which, p.colourKey, firstColour(p.colourKey, which));
        connect(button, &QToolButton::clicked, this, [this, which, key = std::string(p.colourKey)] { chooseColour(which, key); });
        line->addWidget(button);
    }
    connect(row.box, &QCheckBox::clicked, this, [this, which] { checkBoxChanged(which); });
    static_cast<QVBoxLayout*>(content->layout())->addLayout(line);
}

void ChartAnalysisViewController::checkBoxChanged(Indicator which) {
    Row& row = rows_.at(which);
    if (!describe(which).overlay) resetCheckBoxSelection(row.box);
    if (!chartAnalysisDelegate_) return;
    if (!row.box->isChecked()) {
        chartAnalysisDelegate_->indicatorCheckBoxOff(which);
        return;
    }
    chartAnalysisDataCollection_.clear();
    for (const auto& [key, field] : row.fields) chartAnalysisDataCollection_.insert(kit::identifierText(key), field->text());
    for (const auto& [key, colour] : row.colourValues) chartAnalysisDataCollection_.insert(kit::identifierText(key), colour);
    chartAnalysisDelegate_->indicatorCheckBoxOn(which, chartAnalysisDataCollection_);
}

void ChartAnalysisViewController::resetCheckBoxSelection(QCheckBox* sender) {
    for (auto& [which, row] : rows_)
        if (!isOverlayTag(row.box->property("tag").toInt()) && row.box != sender && row.box->isChecked())
            row.box->setChecked(false);
}

void ChartAnalysisViewController::untickAll() {
    for (auto& [which, row] : rows_) row.box->setChecked(false);
}

void ChartAnalysisViewController::untick(Indicator which) { rows_.at(which).box->setChecked(false); }

QCheckBox* ChartAnalysisViewController::checkBox(Indicator which) const { return rows_.at(which).box; }

QLineEdit* ChartAnalysisViewController::field(Indicator which, const std::string& key) const {
    for (const auto& [k, f] : rows_.at(which).fields)
        if (k == key) return f;
    return nullptr;
}

QToolButton* ChartAnalysisViewController::colourButton(Indicator which, const std::string& key) const {
    for (const auto& [k, b] : rows_.at(which).colours)
        if (k == key) return b;
    return nullptr;
}

void ChartAnalysisViewController::setColour(Indicator which, const std::string& key, const QColor& colour) {
    Row& row = rows_.at(which);
    row.colourValues[key] = colour;
    if (QToolButton* button = colourButton(which, key)) button->setIcon(swatch(colour));
}

void ChartAnalysisViewController::chooseColour(Indicator which, const std::string& key) {
    auto* dialog = new QColorDialog(rows_.at(which).colourValues[key], this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::colorSelected, this, [this, which, key](const QColor& c) { setColour(which, key, c); });
    dialog->open();
}

}  // namespace charts
