#pragma once
// A range of plot coordinates along one axis.

namespace charts::plot {

enum class Coordinate { X, Y };

struct PlotRange {
    double location = 0;
    double length = 1;
    double end() const { return location + length; }
    bool operator==(const PlotRange&) const = default;
};

}  // namespace charts::plot
