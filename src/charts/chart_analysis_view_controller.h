#pragma once
// The indicator settings panel: a scrolling list of the 23 indicators, each a
// box with its period fields (at most five digits) and, for the overlays,
// colour buttons. Ticking a box hands its settings to the delegate; the
// sub-graph boxes are exclusive (ticking one unticks the other without an
// "off"), the overlay boxes free.
#include <QCheckBox>
#include <QColor>
#include <QLineEdit>
#include <QScrollArea>
#include <QToolButton>
#include <QVariantMap>
#include <QWidget>
#include <map>
#include <functional>
#include <string>
#include <vector>

#include "charts/core/indicator_panel_rules.h"

namespace charts {

class ChartAnalysisViewControllerDelegate {
public:
    virtual ~ChartAnalysisViewControllerDelegate() = default;
    // `settings` is the panel's one dictionary, read during the call.
    virtual void indicatorCheckBoxOn(Indicator which, const QVariantMap& settings) = 0;
    virtual void indicatorCheckBoxOff(Indicator which) = 0;
};

class ChartAnalysisViewController : public QWidget {
    Q_OBJECT
public:
    // `text` gives the settings' labels in the language.
    explicit ChartAnalysisViewController(QWidget* parent = nullptr,
                                         std::function<std::string(const std::string&)> text = {});

    void setDelegate(ChartAnalysisViewControllerDelegate* delegate) { chartAnalysisDelegate_ = delegate; }
    // Unticks the ticked sub-graph boxes other than `sender`; no delegate call.
    void resetCheckBoxSelection(QCheckBox* sender);
    // Every box unticked, the overlays too; no delegate call.
    void untickAll();
    void untick(Indicator which);

    QCheckBox* checkBox(Indicator which) const;
    QLineEdit* field(Indicator which, const std::string& key) const;
    QToolButton* colourButton(Indicator which, const std::string& key) const;
    void setColour(Indicator which, const std::string& key, const QColor& colour);
    const QVariantMap& dictionary() const { return chartAnalysisDataCollection_; }
    QScrollArea* scrollView() const { return scrollView_; }

private:
    std::function<std::string(const std::string&)> text_;
    struct Row {
        QCheckBox* box = nullptr;
        std::vector<std::pair<std::string, QLineEdit*>> fields;
        std::vector<std::pair<std::string, QToolButton*>> colours;
        std::map<std::string, QColor> colourValues;
    };
    void addRow(const PanelBox& box, QWidget* content);
    void checkBoxChanged(Indicator which);
    void chooseColour(Indicator which, const std::string& key);

    ChartAnalysisViewControllerDelegate* chartAnalysisDelegate_ = nullptr;
    QScrollArea* scrollView_ = nullptr;
    QVariantMap chartAnalysisDataCollection_;
    std::map<Indicator, Row> rows_;
};

}  // namespace charts
