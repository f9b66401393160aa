#pragma once

#include "AnalysisResults.h"
#include "Canvas.h"
#include "DisplayList.h"
#include "StopCheck.h"

#include <cstdint>
#include <optional>
#include <random>

namespace quarvel {

/**
 * The horizontal scale of a drawing. The fields hold whole numbers, but as doubles rather
 * than integers, so that data lying far from zero widen the scale instead of overflowing it.
 */
struct PlotFields {
    double PlotOffset = 0;    ///< added to every value before scaling
    double PlotSpan = 0;      ///< data units spread over the 1600 units of the data scale
    double PlotExtension = 0; ///< the last widening towards an outer fence
    double PlotScale = 0;     ///< data units per plot unit
};

/** The chart's fixed colours. */
inline constexpr Rgb kPlotBlue{0, 0, 255};
inline constexpr Rgb kPlotBlack{0, 0, 0};
inline constexpr Rgb kFenceRed{255, 0, 0};
inline constexpr Rgb kFencePink{250, 0, 165};
inline constexpr Rgb kFenceViolet{206, 0, 250};

/** Nearest whole number, an exact half going to the even neighbour. */
double RoundToEven(double value);

/** The scale for the smallest value s1, the largest sn and the two outer fences. */
PlotFields HorizontalScale(double s1, double sn, double lowerOuterFence, double upperOuterFence);

/** The plot position of a value itself. */
double ExactPosition(const PlotFields& fields, double value);
/** The plot position of a value's integer part (the largest integer not above it). */
double FlooredPosition(const PlotFields& fields, double value);

/**
 * Where a chart puts its values across. The usual scale puts the whiskers and circles at the
 * positions of the values' whole-number parts (rounded down) and the box, median and fences
 * at their own, each rounded to a whole plot unit. When that would put the lowest or highest
 * value, a quartile, the median or a finite fence off the 0 to 2000 canvas (data far from
 * zero compared with their spread, all values equal), the chart is drawn on a fitted scale
 * instead: x 200 to 1800 spans the lowest value or lower outer fence to the highest value or
 * upper outer fence (finite fences only), widened by a small margin, and every position is
 * exact.
 */
struct ChartPlacement {
    PlotFields fields; ///< the usual scale, also when the fitted one is used
    bool fitted = false;
    double low = 0;  ///< the fitted scale's value at x 200 ...
    double high = 0; ///< ... and at x 1800

    /** The box, median and fence marks. */
    double exact(double value) const;
    /** The whiskers' ends and the circles. */
    double floored(double value) const;
    /** The value labels and their ticks (on the usual scale not rounded to a whole unit). */
    double label(double value) const;

private:
    double fittedPosition(double value) const;
};

/** The placement of the chart of these results (at least one value). */
ChartPlacement PlaceChart(const AnalysisResults& results);

/** The colour of a value's fence class; a value on a fence counts with the class beyond it. */
Rgb FenceClassColor(double value, const AnalysisResults& results);

/**
 * The chart of the extremes, quartiles, median and fences, drawn from scratch. Needs at
 * least one value; returns the scale it used.
 */
PlotFields DrawBasicView(Canvas& canvas, const AnalysisResults& results);

/** What lies under a point of the chart. */
struct ChartTarget {
    enum class Kind {
        Value, ///< a circle of the detailed view; index is the value's place in SortedValues
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
    Kind kind = Kind::Median;
    std::size_t index = 0;
};

/**
 * What the point (x, y) of a chart's drawing (in its 2000 x 800 units) lies on: the topmost
 * (last drawn) circle of the drawing whose outline holds it, else a box edge, the median, a
 * fence or an end tick within a tolerance. A circle of radius r spans r units across and ry
 * units up and down (it is round on screen); tolerance is in units across.
 */
std::optional<ChartTarget> ChartTargetAt(const DisplayList& drawing, const AnalysisResults& results,
                                         double x, double y, double ry, double tolerance);

/** The heights of the detailed view's points: uniform over [0, 1), never seeded. */
class UniformSequence {
public:
    float next();

private:
    std::mt19937 engine_; // default state: the same sequence after every start
};

/**
 * The basic view, then every value as a circle coloured by its fence class. False when
 * stopRequested said stop (the drawing is then unfinished).
 */
bool DrawDetailedView(Canvas& canvas, const AnalysisResults& results, UniformSequence& heights,
                      const StopCheck& stopRequested = {});

} // namespace quarvel
