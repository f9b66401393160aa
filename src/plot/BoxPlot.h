#pragma once

#include "AnalysisResults.h"
#include "Canvas.h"

#include <cstdint>
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

/** The colour of a value's fence class; a value on a fence counts with the class beyond it. */
Rgb FenceClassColor(double value, const AnalysisResults& results);

/**
 * The chart of the extremes, quartiles, median and fences, drawn from scratch. Needs at
 * least one value; returns the scale it used.
 */
PlotFields DrawBasicView(Canvas& canvas, const AnalysisResults& results);

/** The heights of the detailed view's points: uniform over [0, 1), never seeded. */
class UniformSequence {
public:
    float next();

private:
    std::mt19937 engine_; // default state: the same sequence after every start
};

/** The basic view, then every value as a circle coloured by its fence class. */
void DrawDetailedView(Canvas& canvas, const AnalysisResults& results, UniformSequence& heights);

} // namespace quarvel
