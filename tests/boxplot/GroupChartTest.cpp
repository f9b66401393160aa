#include "GroupChart.h"

#include "BoxPlot.h"
#include "DisplayList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace quarvel {
namespace {

// Three groups; the middle one has too few records. The common scale runs from the lowest
// finite number drawn (C's lower outer fence, -30) to the highest (C's upper outer fence,
// 110), widened by 2.5 % of 140 each side: -33.5 at x 620 to 113.5 at x 1960.
std::vector<GroupBox> workedBoxes() {
    GroupBox a{"A (5)", true, 0, 10, 2, 5, 8, -7, 17, -16, 26};
    GroupBox b{"B (2)", false};
    GroupBox c{"C (4)", true, 20, 60, 30, 40, 50, 0, 80, -30, 110};
    return {a, b, c};
}

using Op = DisplayList::Operation;
using Kind = DisplayList::Kind;

std::vector<Op> ofKind(const DisplayList& drawing, Kind kind) {
    std::vector<Op> found;
    for (const Op& op : drawing.operations()) {
        if (op.kind == kind) {
            found.push_back(op);
        }
    }
    return found;
}

TEST(GroupChart, OneCommonScaleOverEveryGroup) {
    const GroupChartScale scale = GroupChartScale::of(workedBoxes());
    EXPECT_DOUBLE_EQ(scale.low, -33.5);
    EXPECT_DOUBLE_EQ(scale.high, 113.5);
    EXPECT_DOUBLE_EQ(scale.x(40), 1290.0);
    EXPECT_NEAR(scale.x(2), 943.6054421768707, 1e-9);
    EXPECT_DOUBLE_EQ(scale.height(), 420);
    EXPECT_NEAR(scale.value(1290), 40, 1e-12);
}

TEST(GroupChart, EachDescribedGroupHasItsBoxInItsRow) {
    DisplayList drawing;
    DrawGroupChart(drawing, workedBoxes());
    const std::vector<Op> scales = ofKind(drawing, Kind::Scale);
    ASSERT_EQ(scales.size(), 1u);
    EXPECT_EQ(scales[0].x2, 2000);
    EXPECT_EQ(scales[0].y2, 420);
    const std::vector<Op> boxes = ofKind(drawing, Kind::FilledRectangle);
    ASSERT_EQ(boxes.size(), 2u); // B has none
    // A's box: from 2 to 8, a quarter row either side of the middle of row 0.
    EXPECT_NEAR(boxes[0].x1, 943.6054421768707, 1e-9);
    EXPECT_NEAR(boxes[0].x2, 998.2993197278911, 1e-9);
    EXPECT_DOUBLE_EQ(boxes[0].y1, 25);
    EXPECT_DOUBLE_EQ(boxes[0].y2, 75);
    EXPECT_EQ(boxes[0].color, kPlotBlue);
    // C's: from 30 to 50 in row 2.
    EXPECT_NEAR(boxes[1].x1, 1198.843537414966, 1e-9);
    EXPECT_NEAR(boxes[1].x2, 1381.156462585034, 1e-9);
    EXPECT_DOUBLE_EQ(boxes[1].y1, 225);
    EXPECT_DOUBLE_EQ(boxes[1].y2, 275);
}

TEST(GroupChart, LabelsNameEveryGroupAndTheOneTooSmall) {
    DisplayList drawing;
    DrawGroupChart(drawing, workedBoxes());
    std::vector<std::pair<std::string, double>> labels;
    for (const Op& op : ofKind(drawing, Kind::Text)) {
        labels.emplace_back(drawing.texts()[static_cast<std::size_t>(op.text)], op.y1);
    }
    const std::vector<std::pair<std::string, double>> expected = {
        {"A (5)", 30},  {"B (2)", 130}, {"too few records to describe", 130},
        {"C (4)", 230}, {"0", 350},     {"50", 350},
        {"100", 350},
    };
    EXPECT_EQ(labels, expected);
}

struct TickCase {
    double low;
    double high;
    std::vector<double> ticks;
};

class AxisTickCases : public ::testing::TestWithParam<TickCase> {};

TEST_P(AxisTickCases, RoundValuesInsideTheScale) {
    EXPECT_EQ(AxisTicks(GetParam().low, GetParam().high), GetParam().ticks);
}

// A quarter of the span rounded to 1, 2 or 5 times a power of ten.
INSTANTIATE_TEST_SUITE_P(
    GroupChart, AxisTickCases,
    ::testing::Values(TickCase{-33.5, 113.5, {0, 50, 100}},
                      TickCase{0, 1, {0, 0.2, 0.4, 0.6000000000000001, 0.8, 1}},
                      TickCase{-27386.64, 127271.44, {0, 50000, 100000}},
                      TickCase{1850, 2024, {1850, 1900, 1950, 2000}}, TickCase{5, 5, {}}));

TEST(GroupChart, NoDescribedGroupStillDrawsTheLabels) {
    DisplayList drawing;
    const GroupChartScale scale = DrawGroupChart(drawing, {GroupBox{"X (1)", false}});
    EXPECT_TRUE(ofKind(drawing, Kind::FilledRectangle).empty());
    EXPECT_DOUBLE_EQ(scale.low, 0);
    EXPECT_DOUBLE_EQ(scale.high, 1);
}

TEST(GroupChart, AllValuesEqualStillGetAScale) {
    GroupBox flat{"F (3)", true, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    const GroupChartScale scale = GroupChartScale::of({flat});
    EXPECT_LT(scale.low, 7);
    EXPECT_GT(scale.high, 7);
    EXPECT_DOUBLE_EQ(scale.x(7), 1290);
}

struct TargetCase {
    const char* name;
    double x;
    double y;
    std::optional<GroupTarget::Kind> kind;
    std::size_t row;
    double value;
};

class GroupTargets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(GroupTargets, PointsFindTheirMark) {
    const TargetCase& c = GetParam();
    const std::vector<GroupBox> boxes = workedBoxes();
    const std::optional<GroupTarget> target =
        GroupTargetAt(boxes, GroupChartScale::of(boxes), c.x, c.y, 4);
    ASSERT_EQ(target.has_value(), c.kind.has_value());
    if (target) {
        EXPECT_EQ(target->kind, *c.kind);
        EXPECT_EQ(target->row, c.row);
        EXPECT_DOUBLE_EQ(target->value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    GroupChart, GroupTargets,
    ::testing::Values(TargetCase{"AMedian", 970.952380952381, 50, GroupTarget::Kind::Median, 0, 5},
                      TargetCase{"CMedianNear", 1293, 260, GroupTarget::Kind::Median, 2, 40},
                      TargetCase{"CThirdQuartile", 1381, 210, GroupTarget::Kind::ThirdQuartile, 2,
                                 50},
                      TargetCase{"BLabel", 100, 150, GroupTarget::Kind::Label, 1, 0},
                      TargetCase{"BHasNoMarks", 1290, 150, std::nullopt, 0, 0},
                      TargetCase{"ABetweenMarks", 1100, 50, std::nullopt, 0, 0},
                      TargetCase{"TheAxis", 1290, 350, std::nullopt, 0, 0}),
    [](const ::testing::TestParamInfo<TargetCase>& param) { return param.param.name; });

} // namespace
} // namespace quarvel
