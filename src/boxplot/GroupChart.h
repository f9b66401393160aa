#pragma once

#include "Canvas.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quarvel {

/** One group's box: its label and, when it has three values or more, its numbers. */
struct GroupBox {
    std::string label; ///< the group's text and record count, as the chart shows it
    bool described = false;
    double lowest = 0;
    double highest = 0;
    double firstQuartile = 0;
    double median = 0;
    double thirdQuartile = 0;
    double lowerInnerFence = 0;
    double upperInnerFence = 0;
    double lowerOuterFence = 0;
    double upperOuterFence = 0;
};

/**
 * Where the group chart puts things: 2000 units across (the labels left of x 600, the boxes
 * between 620 and 1960), 100 units a row from the top, and a value axis below the rows. One
 * value scale serves every row: from the smallest lowest value or lower outer fence to the
 * largest highest value or upper outer fence (finite ones only), widened by 2.5 % each side.
 */
struct GroupChartScale {
    static constexpr double kWidth = 2000;
    static constexpr double kRowHeight = 100;
    static constexpr double kAxisHeight = 120;
    static constexpr double kLabelRight = 580;
    static constexpr double kPlotLeft = 620;
    static constexpr double kPlotRight = 1960;

    double low = 0;  ///< the value at kPlotLeft ...
    double high = 1; ///< ... and at kPlotRight
    std::size_t rows = 0;

    double height() const { return kRowHeight * static_cast<double>(rows) + kAxisHeight; }
    double x(double value) const;
    double value(double x) const;
    /** The middle of a row, counting from 0 at the top. */
    double rowMiddle(std::size_t row) const {
        return kRowHeight * (static_cast<double>(row) + 0.5);
    }

    static GroupChartScale of(const std::vector<GroupBox>& boxes);
};

/** Round values from low to high for the axis: steps of 1, 2 or 5 times a power of ten. */
std::vector<double> AxisTicks(double low, double high);

/**
 * The group chart: one basic box-and-whisker a group, top to bottom in the order given, each
 * labelled at the left; a group of fewer than three values shows its label and "too few
 * records to describe". The canvas is scaled to 2000 units across and the scale's height down.
 */
GroupChartScale DrawGroupChart(Canvas& canvas, const std::vector<GroupBox>& boxes);

/** A mark of a row of the group chart. */
struct GroupTarget {
    enum class Kind {
        Label,
        LowestValue,
        HighestValue,
        FirstQuartile,
        Median,
        ThirdQuartile,
        LowerInnerFence,
        UpperInnerFence,
        LowerOuterFence,
        UpperOuterFence
    };
    std::size_t row = 0;
    Kind kind = Kind::Label;
    double value = 0; ///< the mark's value (none for a label)
};

/**
 * What the point (x, y) of the group chart lies on: a mark of the row under it within
 * tolerance units across (the median first, then the quartiles, the fences, the extremes),
 * or the row's label.
 */
std::optional<GroupTarget> GroupTargetAt(const std::vector<GroupBox>& boxes,
                                         const GroupChartScale& scale, double x, double y,
                                         double tolerance);

} // namespace quarvel
