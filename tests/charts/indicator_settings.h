#pragma once
// The indicator settings a host hands the chart: the panel's first periods and a colour per overlay line.
#include <QColor>
#include <QVariantMap>

namespace charts::testing {

inline QVariantMap indicatorSettings() {
    return {
        {"Period", "14"},       {"Deviation", "2"},    {"FastPeriod", "12"}, {"SlowPeriod", "26"},
        {"SignalPeriod", "9"},  {"%KPeriod ", "5"},    {"%DPeriod ", "3"},   {"Slowing", "3"},
        {"JawsPeriod", "13"},   {"TeethPeriod", "8"},  {"LipsPeriod", "5"},  {"LineColor", QColor(255, 165, 0)},
        {"JawsLineColor", QColor(0, 0, 255)}, {"TeethLineColor", QColor(255, 0, 255)},
        {"LipsLineColor", QColor(255, 255, 0)},
    };
}

}  // namespace charts::testing
