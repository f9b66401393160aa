#include "GroupChart.h"

#include "BoxPlot.h"
#include "NumberText.h"

#include <algorithm>
#include <cmath>

namespace quarvel {
namespace {

constexpr double kMargin = 0.025;

bool finite(double v) {
    return std::isfinite(v);
}

// The plot's label text without the blanks that keep a sign's place.
std::string axisLabel(double value) {
    std::string text = LabelNumberText(value);
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace

double GroupChartScale::x(double v) const {
    return kPlotLeft + (v - low) / (high - low) * (kPlotRight - kPlotLeft);
}

double GroupChartScale::value(double at) const {
    return low + (at - kPlotLeft) / (kPlotRight - kPlotLeft) * (high - low);
}

GroupChartScale GroupChartScale::of(const std::vector<GroupBox>& boxes) {
    GroupChartScale scale;
    scale.rows = boxes.size();
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    for (const GroupBox& box : boxes) {
        if (!box.described) {
            continue;
        }
        for (const double v : {box.lowest, box.highest, box.lowerOuterFence, box.upperOuterFence}) {
            if (finite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
    }
    if (!(low <= high)) {
        return scale; // no box to draw: the scale is 0 to 1
    }
    double margin = (high - low) * kMargin;
    if (!(margin > 0) || !finite(margin)) {
        // Every value equal (or a span too wide for doubles): one unit either side.
        margin = std::max(1.0, std::abs(low) * kMargin);
    }
    scale.low = low - margin;
    scale.high = high + margin;
    if (!finite(scale.high - scale.low)) {
        scale.low = low;
        scale.high = high;
    }
    return scale;
}

std::vector<double> AxisTicks(double low, double high) {
    std::vector<double> ticks;
    const double span = high - low;
    if (!(span > 0) || !finite(span)) {
        return ticks;
    }
    // About four steps of 1, 2 or 5 times a power of ten.
    const double raw = span / 4;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double step = (norm < 1.5 ? 1 : norm < 3 ? 2 : norm < 7 ? 5 : 10) * magnitude;
    for (double k = std::ceil(low / step); k * step <= high && ticks.size() < 12; ++k) {
        ticks.push_back(k * step == 0 ? 0.0 : k * step); // never a negative zero
    }
    return ticks;
}

GroupChartScale DrawGroupChart(Canvas& canvas, const std::vector<GroupBox>& boxes) {
    const GroupChartScale scale = GroupChartScale::of(boxes);
    canvas.clear();
    canvas.setScale(0, 0, GroupChartScale::kWidth, scale.height());
    const double row = GroupChartScale::kRowHeight;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const GroupBox& box = boxes[k];
        const double middle = scale.rowMiddle(k);
        canvas.setColor(kPlotBlack);
        canvas.setLineStyle(LineStyle::Solid);
        canvas.text(10, middle - row * 0.2, box.label);
        if (!box.described) {
            canvas.text(GroupChartScale::kPlotLeft, middle - row * 0.2,
                        "too few records to describe");
            continue;
        }
        canvas.setLineStyle(LineStyle::Dashed);
        canvas.line(scale.x(box.lowest), middle, scale.x(box.highest), middle);
        canvas.setLineStyle(LineStyle::Solid);
        const double left = scale.x(box.firstQuartile);
        const double right = scale.x(box.thirdQuartile);
        canvas.setColor(kPlotBlue);
        canvas.rectangle(left, middle - row * 0.25, right, middle + row * 0.25, true);
        canvas.setColor(kPlotBlack);
        canvas.rectangle(left, middle - row * 0.25, right, middle + row * 0.25, false);
        const double median = scale.x(box.median);
        canvas.line(median, middle - row * 0.35, median, middle + row * 0.35);
        for (const double fence :
             {box.lowerInnerFence, box.upperInnerFence, box.lowerOuterFence, box.upperOuterFence}) {
            if (finite(fence)) {
                const double at = scale.x(fence);
                canvas.line(at, middle - row * 0.15, at, middle + row * 0.15);
            }
        }
        for (const double end : {box.lowest, box.highest}) {
            const double at = scale.x(end);
            canvas.line(at, middle - row * 0.1, at, middle + row * 0.1);
        }
    }
    // The value axis under the rows, with ticks at round values.
    const double axis = GroupChartScale::kRowHeight * static_cast<double>(boxes.size()) + 20;
    canvas.setColor(kPlotBlue);
    canvas.setLineStyle(LineStyle::Solid);
    canvas.line(GroupChartScale::kPlotLeft, axis, GroupChartScale::kPlotRight, axis);
    for (const double value : AxisTicks(scale.low, scale.high)) {
        const double at = scale.x(value);
        canvas.setColor(kPlotBlue);
        canvas.line(at, axis, at, axis + 20);
        canvas.setColor(kPlotBlack);
        canvas.text(at - 60, axis + 30, axisLabel(value));
    }
    return scale;
}

std::optional<GroupTarget> GroupTargetAt(const std::vector<GroupBox>& boxes,
                                         const GroupChartScale& scale, double x, double y,
                                         double tolerance) {
    if (y < 0 || y >= GroupChartScale::kRowHeight * static_cast<double>(boxes.size())) {
        return std::nullopt;
    }
    const auto row = static_cast<std::size_t>(y / GroupChartScale::kRowHeight);
    const GroupBox& box = boxes[row];
    if (x < GroupChartScale::kLabelRight) {
        return GroupTarget{row, GroupTarget::Kind::Label, 0};
    }
    if (!box.described) {
        return std::nullopt;
    }
    using Kind = GroupTarget::Kind;
    const std::pair<Kind, double> marks[] = {
        {Kind::Median, box.median},
        {Kind::FirstQuartile, box.firstQuartile},
        {Kind::ThirdQuartile, box.thirdQuartile},
        {Kind::LowerInnerFence, box.lowerInnerFence},
        {Kind::UpperInnerFence, box.upperInnerFence},
        {Kind::LowerOuterFence, box.lowerOuterFence},
        {Kind::UpperOuterFence, box.upperOuterFence},
        {Kind::LowestValue, box.lowest},
        {Kind::HighestValue, box.highest},
    };
    for (const auto& [kind, value] : marks) {
        if (finite(value) && std::abs(scale.x(value) - x) <= tolerance) {
            return GroupTarget{row, kind, value};
        }
    }
    return std::nullopt;
}

} // namespace quarvel
