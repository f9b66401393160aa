#include "BoxPlot.h"

#include "NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quarvel {
namespace {

constexpr double kScaleLeft = 200;
constexpr double kScaleRight = 1800;
constexpr double kScaleUnits = 1600;
constexpr double kAxisY = 50;
constexpr double kTickTopY = 75;
constexpr double kPointRadius = 15;

} // namespace

double RoundToEven(double value) {
    return std::nearbyint(value);
}

PlotFields HorizontalScale(double s1, double sn, double lowerOuterFence, double upperOuterFence) {
    PlotFields f;
    f.PlotOffset = s1 < 0 ? RoundToEven(std::fabs(s1)) : 0;
    // The span counts the whole units from one below the lowest value's integer part to one
    // above the highest's. It is computed as floor(max) - floor(min) + 2 rather than by adding
    // and subtracting one before flooring, because beyond 2^53 adding one to a value rounds
    // back to it and the span of equal values would shrink to zero.
    f.PlotSpan = RoundToEven(std::floor(sn) - std::floor(s1) + 2);
    if (lowerOuterFence < s1) {
        f.PlotExtension = RoundToEven(std::floor(s1) - std::floor(lowerOuterFence));
        f.PlotOffset = f.PlotExtension; // replaces the offset above, it does not add to it
        f.PlotSpan += f.PlotExtension;
    }
    if (upperOuterFence > sn) {
        f.PlotExtension = RoundToEven(std::floor(upperOuterFence) - std::floor(sn));
        f.PlotSpan += f.PlotExtension;
    }
    f.PlotSpan += f.PlotOffset;
    f.PlotScale = f.PlotSpan / kScaleUnits;
    return f;
}

double ExactPosition(const PlotFields& fields, double value) {
    return (fields.PlotOffset + value) / fields.PlotScale + kScaleLeft;
}

double FlooredPosition(const PlotFields& fields, double value) {
    return (fields.PlotOffset + std::floor(value)) / fields.PlotScale + kScaleLeft;
}

double ChartPlacement::fittedPosition(double value) const {
    // Halves first, so that a span as wide as all doubles cannot overflow.
    return kScaleLeft + kScaleUnits * ((value / 2 - low / 2) / (high / 2 - low / 2));
}

double ChartPlacement::exact(double value) const {
    return fitted ? fittedPosition(value) : RoundToEven(ExactPosition(fields, value));
}

double ChartPlacement::floored(double value) const {
    return fitted ? fittedPosition(value) : RoundToEven(FlooredPosition(fields, value));
}

double ChartPlacement::label(double value) const {
    return fitted ? fittedPosition(value) : FlooredPosition(fields, value);
}

ChartPlacement PlaceChart(const AnalysisResults& r) {
    ChartPlacement placement;
    const double s1 = r.SortedValues.front();
    const double sn = r.SortedValues[static_cast<std::size_t>(r.ValueCount) - 1];
    placement.fields = HorizontalScale(s1, sn, r.LowerOuterFence, r.UpperOuterFence);
    const auto onCanvas = [](double x) { return x >= 0 && x <= 2000; };
    bool fits = onCanvas(placement.floored(s1)) && onCanvas(placement.floored(sn));
    for (double v : {r.FirstQuartile, r.ThirdQuartile, r.Median}) {
        fits = fits && onCanvas(placement.exact(v));
    }
    for (double fence :
         {r.LowerInnerFence, r.UpperInnerFence, r.LowerOuterFence, r.UpperOuterFence}) {
        fits = fits && (!std::isfinite(fence) || onCanvas(placement.exact(fence)));
    }
    if (fits) {
        return placement;
    }
    double low = s1;
    double high = sn;
    if (std::isfinite(r.LowerOuterFence)) {
        low = std::min(low, r.LowerOuterFence);
    }
    if (std::isfinite(r.UpperOuterFence)) {
        high = std::max(high, r.UpperOuterFence);
    }
    if (high / 2 - low / 2 > 0) {
        // A margin of 2.5 % of the span on each side keeps the end marks off the axis ends.
        const double margin = (high / 2 - low / 2) / 20;
        low = std::max(low - margin, -std::numeric_limits<double>::max());
        high = std::min(high + margin, std::numeric_limits<double>::max());
    } else {
        // One value: centred on a span of one unit, or of a millionth of the value where one
        // unit is too small to tell from it.
        const double half = low + 0.5 == low ? std::fabs(low) * 5e-7 : 0.5;
        low -= half;
        high += half;
    }
    placement.fitted = true;
    placement.low = low;
    placement.high = high;
    return placement;
}

Rgb FenceClassColor(double v, const AnalysisResults& r) {
    if (v <= r.LowerOuterFence) {
        return kFenceRed;
    }
    if (v <= r.LowerInnerFence) {
        return kFencePink;
    }
    if (r.UpperInnerFence <= v && v < r.UpperOuterFence) {
        return kFencePink;
    }
    if (v < r.UpperOuterFence) {
        return kFenceViolet;
    }
    return kFenceRed;
}

PlotFields DrawBasicView(Canvas& canvas, const AnalysisResults& r) {
    if (r.ValueCount < 1 || r.SortedValues.size() < static_cast<std::size_t>(r.ValueCount)) {
        canvas.clear(); // no values: nothing to scale the chart by
        return {};
    }
    const double s1 = r.SortedValues.front();
    const double sn = r.SortedValues[static_cast<std::size_t>(r.ValueCount) - 1];
    const ChartPlacement place = PlaceChart(r);
    const PlotFields& f = place.fields;
    const auto exact = [&place](double v) { return place.exact(v); };
    const auto floored = [&place](double v) { return place.floored(v); };

    canvas.clear();
    canvas.setScale(0, 800, 2000, 0);

    canvas.setColor(kPlotBlue);
    canvas.line(kScaleLeft, kAxisY, kScaleRight, kAxisY);

    canvas.setColor(kPlotBlack);
    canvas.setLineStyle(LineStyle::Dashed);
    canvas.line(floored(s1), 400, floored(sn), 400);

    canvas.setColor(kPlotBlue);
    canvas.setLineStyle(LineStyle::Solid);
    const double boxLeft = exact(r.FirstQuartile);
    const double boxRight = exact(r.ThirdQuartile);
    canvas.rectangle(boxLeft, 550, boxRight, 250, true);
    canvas.setColor(kPlotBlack);
    canvas.rectangle(boxLeft, 550, boxRight, 250, false);

    const double median = exact(r.Median);
    canvas.line(median, 600, median, 200);

    for (double fence :
         {r.LowerInnerFence, r.UpperInnerFence, r.LowerOuterFence, r.UpperOuterFence}) {
        const double x = exact(fence);
        canvas.line(x, 500, x, 300);
    }

    // The value labels and their ticks use the floored positions without rounding.
    const double lowest = place.label(s1);
    const double highest = place.label(sn);
    canvas.text(lowest - 100, kAxisY, LabelNumberText(s1));
    canvas.setColor(kPlotBlue);
    canvas.line(lowest, kAxisY, lowest, kTickTopY);
    canvas.setColor(kPlotBlack);
    canvas.text(highest - 100, kAxisY, LabelNumberText(sn));
    canvas.setColor(kPlotBlue);
    canvas.line(highest, kAxisY, highest, kTickTopY);
    canvas.setColor(kPlotBlue);
    canvas.line(kScaleLeft, kAxisY, kScaleLeft, kTickTopY);
    canvas.line(kScaleRight, kAxisY, kScaleRight, kTickTopY);
    return f;
}

float UniformSequence::next() {
    // 24 random bits: every float in [0, 1) that this can give is exact, and 1 never comes.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}

bool DrawDetailedView(Canvas& canvas, const AnalysisResults& r, UniformSequence& heights,
                      const StopCheck& stopRequested) {
    canvas.clear();
    const PlotFields f = DrawBasicView(canvas, r);
    if (f.PlotScale == 0) {
        return true;
    }
    const ChartPlacement place = PlaceChart(r);
    const int last = r.ValueCount;
    for (int position = 1; position <= last; ++position) {
        const double v = r.SortedValues[static_cast<std::size_t>(position) - 1];
        const double x = place.floored(v);
        canvas.setColor(FenceClassColor(v, r));
        const float y = 200.0f + 401.0f * heights.next();
        canvas.circle(x, static_cast<double>(y), kPointRadius);
        if (stopRequested && static_cast<std::size_t>(position) % kStepsBetweenStopChecks == 0 &&
            stopRequested()) {
            return false;
        }
    }
    return true;
}

std::optional<ChartTarget> ChartTargetAt(const DisplayList& drawing, const AnalysisResults& r,
                                         double x, double y, double ry, double tolerance) {
    if (r.ValueCount < 1 || r.SortedValues.size() < static_cast<std::size_t>(r.ValueCount)) {
        return std::nullopt;
    }
    // Circles first, the last drawn on top: the k-th circle is the k-th smallest value.
    if (const std::optional<std::size_t> circle = drawing.lastCircleHolding(x, y, ry)) {
        if (*circle < r.SortedValues.size()) {
            return ChartTarget{ChartTarget::Kind::Value, *circle};
        }
    }
    // Then the marks, each over the height it is drawn.
    const ChartPlacement place = PlaceChart(r);
    const double s1 = r.SortedValues.front();
    const double sn = r.SortedValues[static_cast<std::size_t>(r.ValueCount) - 1];
    struct Mark {
        ChartTarget::Kind kind;
        double x;
        double bottom;
        double top;
    };
    const Mark marks[] = {
        {ChartTarget::Kind::Median, place.exact(r.Median), 200, 600},
        {ChartTarget::Kind::FirstQuartile, place.exact(r.FirstQuartile), 250, 550},
        {ChartTarget::Kind::ThirdQuartile, place.exact(r.ThirdQuartile), 250, 550},
        {ChartTarget::Kind::LowerInnerFence, place.exact(r.LowerInnerFence), 300, 500},
        {ChartTarget::Kind::UpperInnerFence, place.exact(r.UpperInnerFence), 300, 500},
        {ChartTarget::Kind::LowerOuterFence, place.exact(r.LowerOuterFence), 300, 500},
        {ChartTarget::Kind::UpperOuterFence, place.exact(r.UpperOuterFence), 300, 500},
        {ChartTarget::Kind::LowestValue, place.label(s1), kAxisY - 10, kTickTopY + 10},
        {ChartTarget::Kind::HighestValue, place.label(sn), kAxisY - 10, kTickTopY + 10},
    };
    for (const Mark& mark : marks) {
        if (std::fabs(x - mark.x) <= tolerance && y >= mark.bottom && y <= mark.top) {
            return ChartTarget{mark.kind, 0};
        }
    }
    return std::nullopt;
}

} // namespace quarvel
