#include "BoxPlot.h"
#include "DisplayList.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include <cmath>
#include <vector>

namespace quarvel {
namespace {

using Kind = DisplayList::Kind;

AnalysisResults resultsWith(std::vector<double> sorted, double q1, double median, double q3,
                            double lif, double uif, double lof, double uof) {
    AnalysisResults r;
    r.ValueCount = static_cast<int>(sorted.size());
    r.SortedValues = std::move(sorted);
    r.FirstQuartile = q1;
    r.Median = median;
    r.ThirdQuartile = q3;
    r.LowerInnerFence = lif;
    r.UpperInnerFence = uif;
    r.LowerOuterFence = lof;
    r.UpperOuterFence = uof;
    return r;
}

// The chart's worked example: lowest 10, highest 100, quartiles 30 / 50 / 70, fences -30, 130, -90,
// 190.
AnalysisResults workedBasic() {
    return resultsWith({10, 30, 50, 70, 100}, 30, 50, 70, -30, 130, -90, 190);
}

// The detailed view's worked example: lowest 1, highest 40, fences 4, 20, -2, 26.
AnalysisResults workedDetailed() {
    return resultsWith({1, 4, 5, 12, 20, 25, 26, 40}, 10, 12, 14, 4, 20, -2, 26);
}

// ---------------------------------------------------------------------------------------
// The horizontal scale.

struct ScaleCase {
    const char* name;
    double s1, sn, lof, uof;
    double offset, span, scale;
};

class Scale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(Scale, Fields) {
    const ScaleCase& c = GetParam();
    const PlotFields f = HorizontalScale(c.s1, c.sn, c.lof, c.uof);
    EXPECT_EQ(f.PlotOffset, c.offset);
    EXPECT_EQ(f.PlotSpan, c.span);
    EXPECT_DOUBLE_EQ(f.PlotScale, c.scale);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Scale,
    ::testing::Values(
        ScaleCase{"Worked", 10, 100, -90, 190, 100, 382, 0.23875},
        ScaleCase{"WorkedDetailed", 1, 40, -2, 26, 3, 47, 0.029375},
        // Fences equal to the extremes widen nothing.
        ScaleCase{"FencesAtTheExtremes", 10, 100, 10, 100, 0, 92, 92.0 / 1600},
        // A negative lowest value shifts by its magnitude, rounded with ties to even.
        ScaleCase{"NegativeHalfToEvenDown", -2.5, 10, -2.5, 10, 2, 15 + 2, 17.0 / 1600},
        ScaleCase{"NegativeHalfToEvenUp", -3.5, 10, -3.5, 10, 4, 16 + 4, 20.0 / 1600},
        ScaleCase{"SmallNegative", -0.4, 10, -0.4, 10, 0, 13, 13.0 / 1600},
        // The lower widening replaces the offset of a negative lowest value and counts twice.
        ScaleCase{"DroppedOffset", -4, 20, -16, 26, 12, 56, 0.035},
        ScaleCase{"AllEqual", 5, 5, 5, 5, 0, 2, 0.00125},
        // Beyond 2^53 a double cannot hold v + 1; the span still counts two units.
        ScaleCase{"AllEqualHuge", 1e17, 1e17, 1e17, 1e17, 0, 2, 0.00125},
        ScaleCase{"HugeTwoApart", 1e17, 1e17 + 16, 1e17, 1e17 + 16, 0, 18, 18.0 / 1600}),
    [](const ::testing::TestParamInfo<ScaleCase>& param) { return std::string(param.param.name); });

TEST(Scale, ExtensionIsTheLastWidening) {
    EXPECT_EQ(HorizontalScale(10, 100, -90, 190).PlotExtension, 90);
    EXPECT_EQ(HorizontalScale(10, 100, -90, 100).PlotExtension, 100);
    EXPECT_EQ(HorizontalScale(10, 100, 10, 100).PlotExtension, 0);
}

// ---------------------------------------------------------------------------------------
// The basic drawing, element by element.

struct Expected {
    Kind kind;
    double x1, y1, x2, y2;
    Rgb color;
    LineStyle style;
};

void expectOperations(const DisplayList& list, const std::vector<Expected>& expected) {
    const auto& ops = list.operations();
    ASSERT_EQ(ops.size(), expected.size());
    for (std::size_t i = 0; i < ops.size(); ++i) {
        SCOPED_TRACE("operation " + std::to_string(i));
        EXPECT_EQ(ops[i].kind, expected[i].kind);
        EXPECT_NEAR(ops[i].x1, expected[i].x1, 0.005);
        EXPECT_NEAR(ops[i].y1, expected[i].y1, 0.005);
        EXPECT_NEAR(ops[i].x2, expected[i].x2, 0.005);
        EXPECT_NEAR(ops[i].y2, expected[i].y2, 0.005);
        if (ops[i].kind != Kind::Clear && ops[i].kind != Kind::Scale) {
            EXPECT_EQ(ops[i].color, expected[i].color);
            EXPECT_EQ(ops[i].style, expected[i].style);
        }
    }
}

constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr LineStyle kSolid = LineStyle::Solid;
constexpr LineStyle kDashed = LineStyle::Dashed;

TEST(BasicView, WorkedExample) {
    DisplayList list;
    const PlotFields f = DrawBasicView(list, workedBasic());
    EXPECT_EQ(f.PlotScale, 0.23875);
    expectOperations(list, {{Kind::Clear, 0, 0, 0, 0, kBlack, kSolid},
                            {Kind::Scale, 0, 800, 2000, 0, kBlack, kSolid},
                            {Kind::Line, 200, 50, 1800, 50, kBlue, kSolid},
                            {Kind::Line, 661, 400, 1038, 400, kBlack, kDashed},
                            {Kind::FilledRectangle, 745, 550, 912, 250, kBlue, kSolid},
                            {Kind::Rectangle, 745, 550, 912, 250, kBlack, kSolid},
                            {Kind::Line, 828, 600, 828, 200, kBlack, kSolid},
                            {Kind::Line, 493, 500, 493, 300, kBlack, kSolid},
                            {Kind::Line, 1163, 500, 1163, 300, kBlack, kSolid},
                            {Kind::Line, 242, 500, 242, 300, kBlack, kSolid},
                            {Kind::Line, 1415, 500, 1415, 300, kBlack, kSolid},
                            {Kind::Text, 560.733, 50, 0, 0, kBlack, kSolid},
                            {Kind::Line, 660.733, 50, 660.733, 75, kBlue, kSolid},
                            {Kind::Text, 937.696, 50, 0, 0, kBlack, kSolid},
                            {Kind::Line, 1037.696, 50, 1037.696, 75, kBlue, kSolid},
                            {Kind::Line, 200, 50, 200, 75, kBlue, kSolid},
                            {Kind::Line, 1800, 50, 1800, 75, kBlue, kSolid}});
    ASSERT_EQ(list.texts().size(), 2u);
    EXPECT_EQ(list.texts()[0], " 10 ");
    EXPECT_EQ(list.texts()[1], " 100 ");
}

TEST(BasicView, WhiskerUsesTheFlooredExtremesAndTheBoxTheExactQuartiles) {
    const AnalysisResults r =
        resultsWith({10.9, 30, 70, 100.7}, 30.4, 50, 70.6, -30, 130, -90, 190);
    DisplayList list;
    DrawBasicView(list, r);
    const auto& ops = list.operations();
    // The scale is the worked example's: offset 100, scale 382 / 1600 = 0.23875, so a value v
    // sits at (100 + v) / 0.23875 + 200.
    // Whisker from the integer parts: 110 / 0.23875 + 200 = 660.73 -> 661,
    // 200 / 0.23875 + 200 = 1037.70 -> 1038.
    EXPECT_EQ(ops[3].x1, 661);
    EXPECT_EQ(ops[3].x2, 1038);
    // Box at the quartiles themselves: 130.4 / 0.23875 + 200 = 746.18 -> 746,
    // 170.6 / 0.23875 + 200 = 914.55 -> 915.
    EXPECT_EQ(ops[4].x1, 746);
    EXPECT_EQ(ops[4].x2, 915);
    EXPECT_EQ(list.texts()[0], " 10.9 ");
    EXPECT_EQ(list.texts()[1], " 100.7 ");
}

TEST(BasicView, AllValuesEqualAreCentredOnAFittedScale) {
    // The usual scale would put everything at 5 / (2 / 1600) + 200 = 4200, off the canvas;
    // the fitted one spans 4.5 to 5.5 over x 200 to 1800, so 5 is at 1000, exactly.
    const AnalysisResults r = resultsWith({5, 5, 5}, 5, 5, 5, 5, 5, 5, 5);
    DisplayList list;
    DrawBasicView(list, r);
    const auto& ops = list.operations();
    EXPECT_EQ(ops[3].x1, 1000); // whisker
    EXPECT_EQ(ops[4].x1, 1000); // box
    EXPECT_EQ(ops[6].x1, 1000); // median
    EXPECT_EQ(ops[2].x1, 200);  // the axis stays where it is
    EXPECT_EQ(ops[2].x2, 1800);
    EXPECT_EQ(list.texts()[0], " 5 ");
}

TEST(BasicView, YearsFarFromZeroAreFitted) {
    // Years 1000 to 1010, quartiles 1002 and 1008: inner fences 993 and 1017, outer 984 and
    // 1026. The usual scale (offset 16, span 60, 0.0375 a plot unit) would put 1000 at x
    // 27293. The fitted one spans 984 to 1026 widened by 1.05 each side, 982.95 to 1027.05
    // (44.1 units over 1600).
    const AnalysisResults r =
        resultsWith({1000, 1002, 1005, 1008, 1010}, 1002, 1005, 1008, 993, 1017, 984, 1026);
    DisplayList list;
    DrawBasicView(list, r);
    for (const auto& op : list.operations()) {
        if (op.kind == Kind::Line || op.kind == Kind::Rectangle ||
            op.kind == Kind::FilledRectangle) {
            EXPECT_GE(std::min(op.x1, op.x2), 0);
            EXPECT_LE(std::max(op.x1, op.x2), 2000);
        }
    }
    const auto& ops = list.operations();
    EXPECT_NEAR(ops[3].x1, 200 + 1600 * 17.05 / 44.1, 1e-9);  // lowest value, not floored
    EXPECT_NEAR(ops[4].x1, 200 + 1600 * 19.05 / 44.1, 1e-9);  // box from the first quartile
    EXPECT_NEAR(ops[10].x1, 200 + 1600 * 43.05 / 44.1, 1e-9); // upper outer fence
}

TEST(BasicView, InfiniteFencesAreLeftOutOfTheFittedScale) {
    const double big = 1e308;
    const double inf = std::numeric_limits<double>::infinity();
    const AnalysisResults r =
        resultsWith({-big, 0, big}, -big / 2, 0, big / 2, -inf, inf, -inf, inf);
    DisplayList list;
    DrawBasicView(list, r);
    const auto& ops = list.operations();
    // -1e308 to 1e308, widened by a twentieth of the half span each side (to +-1.05e308).
    EXPECT_NEAR(ops[3].x1, 200 + 1600 * (0.05 / 2.1), 1e-9); // lowest value
    EXPECT_NEAR(ops[3].x2, 200 + 1600 * (2.05 / 2.1), 1e-9); // highest value
    EXPECT_NEAR(ops[6].x1, 1000, 1e-9);                      // median at the middle
}

TEST(BasicView, TwoPressesGiveTheSamePicture) {
    DisplayList first;
    DisplayList second;
    DrawBasicView(first, workedBasic());
    DrawBasicView(second, workedBasic());
    ASSERT_EQ(first.operations().size(), second.operations().size());
    for (std::size_t i = 0; i < first.operations().size(); ++i) {
        EXPECT_EQ(first.operations()[i].x1, second.operations()[i].x1);
        EXPECT_EQ(first.operations()[i].y1, second.operations()[i].y1);
        EXPECT_EQ(first.operations()[i].color, second.operations()[i].color);
    }
    EXPECT_EQ(first.texts(), second.texts());
}

TEST(BasicView, DataFarFromZeroStayOnTheCanvas) {
    // All values 1e12: the usual scale (span 2, 0.00125 units a plot unit) would put them at
    // 8e14 + 200; the fitted one centres them on 1e12 -+ 0.5, at 1000.
    const double v = 1e12;
    const AnalysisResults r = resultsWith({v, v, v}, v, v, v, v, v, v, v);
    DisplayList list;
    const PlotFields f = DrawBasicView(list, r);
    EXPECT_EQ(f.PlotSpan, 2);
    const auto& ops = list.operations();
    ASSERT_EQ(ops.size(), 17u);
    EXPECT_EQ(ops[3].x1, 1000); // whisker
    EXPECT_EQ(ops[4].x1, 1000); // box
    EXPECT_EQ(ops[6].x1, 1000); // median
    EXPECT_EQ(list.texts()[0], " 1000000000000 ");
}

TEST(BasicView, NoValuesDrawNothingButAClear) {
    AnalysisResults r;
    DisplayList list;
    DrawBasicView(list, r);
    ASSERT_EQ(list.operations().size(), 1u);
    EXPECT_EQ(list.operations()[0].kind, Kind::Clear);
}

// ---------------------------------------------------------------------------------------
// The detailed view.

struct Point {
    double x;
    Rgb color;
};

std::vector<Point> points(const DisplayList& list, std::vector<double>* heights = nullptr) {
    std::vector<Point> found;
    for (const auto& op : list.operations()) {
        if (op.kind == Kind::Circle) {
            found.push_back({op.x1, op.color});
            EXPECT_EQ(op.x2, 15); // radius
            EXPECT_EQ(op.style, LineStyle::Solid);
            if (heights != nullptr) {
                heights->push_back(op.y1);
            }
        }
    }
    return found;
}

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kPink{250, 0, 165};
constexpr Rgb kViolet{206, 0, 250};

TEST(DetailedView, WorkedExample) {
    DisplayList list;
    UniformSequence heights;
    DrawDetailedView(list, workedDetailed(), heights);
    const std::vector<Point> found = points(list);
    const std::vector<Point> expected = {{336, kPink},   {438, kPink}, {472, kViolet},
                                         {711, kViolet}, {983, kPink}, {1153, kPink},
                                         {1187, kRed},   {1664, kRed}};
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].x, expected[i].x) << i;
        EXPECT_EQ(found[i].color, expected[i].color) << i;
    }
    // The basic view comes first, whole.
    DisplayList basic;
    DrawBasicView(basic, workedDetailed());
    ASSERT_GT(list.operations().size(), basic.operations().size());
    for (std::size_t i = 0; i < basic.operations().size(); ++i) {
        EXPECT_EQ(list.operations()[i].kind, basic.operations()[i].kind) << i;
        EXPECT_EQ(list.operations()[i].x1, basic.operations()[i].x1) << i;
    }
}

TEST(DetailedView, WithinTheInnerFencesEverythingIsViolet) {
    DisplayList list;
    UniformSequence heights;
    DrawDetailedView(list, workedBasic(), heights);
    const std::vector<Point> found = points(list);
    ASSERT_EQ(found.size(), 5u);
    for (const Point& p : found) {
        EXPECT_EQ(p.color, kViolet);
    }
    EXPECT_EQ(found.front().x, 661);
    EXPECT_EQ(found.back().x, 1038);
}

TEST(DetailedView, ValuesOnAFenceCountWithTheClassBeyondIt) {
    const AnalysisResults r = workedDetailed(); // fences 4, 20, -2, 26
    struct Case {
        double value;
        Rgb color;
    };
    for (const Case& c : {Case{4, kPink}, Case{20, kPink}, Case{-2, kRed}, Case{26, kRed},
                          Case{4.0001, kViolet}, Case{19.999, kViolet}, Case{-1.999, kPink},
                          Case{25.999, kPink}, Case{-50, kRed}, Case{50, kRed}}) {
        EXPECT_EQ(FenceClassColor(c.value, r), c.color) << c.value;
    }
}

TEST(DetailedView, NoSpreadMakesEverythingRed) {
    const AnalysisResults r = resultsWith({3, 7, 7, 7, 9}, 7, 7, 7, 7, 7, 7, 7);
    for (double v : {3.0, 7.0, 9.0}) {
        EXPECT_EQ(FenceClassColor(v, r), kRed) << v;
    }
}

TEST(DetailedView, ValuesWithTheSameIntegerPartShareOneX) {
    const AnalysisResults r = resultsWith({10.2, 10.8, 50}, 10.8, 10.8, 50, -50, 100, -100, 200);
    DisplayList list;
    UniformSequence heights;
    DrawDetailedView(list, r, heights);
    const std::vector<Point> found = points(list);
    ASSERT_EQ(found.size(), 3u); // one circle per value, shared position or not
    // Span 50 - 10 + 2 = 42, widened by 10 + 100 = 110 below (also the offset) and by
    // 200 - 50 = 150 above, plus the offset: 412; scale 412 / 1600 = 0.2575.
    // 10.2 and 10.8 both sit at their integer part: 120 / 0.2575 + 200 = 666.02 -> 666;
    // 50 at 160 / 0.2575 + 200 = 821.36 -> 821.
    EXPECT_EQ(found[0].x, 666);
    EXPECT_EQ(found[1].x, 666);
    EXPECT_EQ(found[2].x, 821);
}

TEST(DetailedView, TwoPressesMoveOnlyTheHeights) {
    DisplayList first;
    DisplayList second;
    UniformSequence heights;
    std::vector<double> firstHeights;
    std::vector<double> secondHeights;
    DrawDetailedView(first, workedDetailed(), heights);
    DrawDetailedView(second, workedDetailed(), heights);
    const std::vector<Point> a = points(first, &firstHeights);
    const std::vector<Point> b = points(second, &secondHeights);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].x, b[i].x);
        EXPECT_EQ(a[i].color, b[i].color);
    }
    EXPECT_NE(firstHeights, secondHeights);
    for (double y : firstHeights) {
        EXPECT_GE(y, 200);
        EXPECT_LT(y, 601);
    }
}

TEST(DetailedView, TheSequenceRepeatsAfterEveryStart) {
    // Never seeded: two fresh sequences, as after two starts of the program, agree.
    UniformSequence one;
    UniformSequence two;
    for (int i = 0; i < 1000; ++i) {
        const float r = one.next();
        EXPECT_EQ(r, two.next());
        EXPECT_GE(r, 0.0f);
        EXPECT_LT(r, 1.0f);
    }
}

TEST(DetailedView, HeightsAreSinglePrecision) {
    UniformSequence heights;
    DisplayList list;
    DrawDetailedView(list, workedDetailed(), heights);
    std::vector<double> ys;
    points(list, &ys);
    ASSERT_EQ(ys.size(), 8u);
    // The first draw of an unseeded Mersenne Twister is 3499211612; its top 24 bits,
    // 13668795, give 13668795 / 2^24. In single precision 401 times that rounds to
    // 326.7041931..., and adding 200 rounds to 8629522 / 2^14 = 526.7042236328125
    // (in double precision the height would be 526.7041918...).
    EXPECT_EQ(ys.front(), 526.7042236328125);
    for (double y : ys) {
        EXPECT_EQ(y, static_cast<double>(static_cast<float>(y))) << "not a float: " << y;
    }
}

} // namespace
} // namespace quarvel

namespace quarvel {
namespace {

// A recording canvas for checking what a replay draws, in order.
struct ReplayLog final : Canvas {
    std::vector<std::string> calls;
    void clear() override { calls.push_back("clear"); }
    void setScale(double, double, double, double) override { calls.push_back("scale"); }
    void setColor(Rgb c) override {
        calls.push_back("color " + std::to_string(c.red) + " " + std::to_string(c.blue));
    }
    void setLineStyle(LineStyle s) override {
        calls.push_back(s == LineStyle::Solid ? "solid" : "dashed");
    }
    void line(double, double, double, double) override { calls.push_back("line"); }
    void rectangle(double, double, double, double, bool) override { calls.push_back("rect"); }
    void text(double, double, const std::string& t) override { calls.push_back("text " + t); }
    void circle(double x, double y, double r) override {
        std::ostringstream out;
        out << "circle " << x << " " << y << " " << r;
        calls.push_back(out.str());
    }
};

TEST(DisplayList, CirclesAreKeptInSixteenBytesAndReplayedInOrder) {
    DisplayList list;
    list.clear();
    list.setColor(kFenceViolet);
    list.circle(300, 250.5, 15);
    list.setColor(kFenceRed);
    list.circle(1e12, 401.25, 15);
    list.circle(310, 0.1, 15); // not a float: kept as it came
    list.line(0, 0, 1, 1);
    list.circle(320, 260, 15);
    ReplayLog log;
    list.replay(log);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"color 0 0", "solid", "clear", "color 206 250",
                                                   "circle 300 250.5 15", "color 255 0",
                                                   "circle 1e+12 401.25 15", "circle 310 0.1 15",
                                                   "line", "circle 320 260 15"}));
    const std::vector<DisplayList::Operation> all = list.operations();
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[2].kind, DisplayList::Kind::Circle);
    EXPECT_EQ(all[2].x1, 1e12);
    EXPECT_EQ(all[2].color, kFenceRed);
    EXPECT_EQ(all[3].y1, 0.1);

    DisplayList many;
    many.clear();
    for (int i = 0; i < 100000; ++i) {
        many.setColor(i % 3 == 0 ? kFenceRed : kFenceViolet);
        many.circle(200 + i % 1600, static_cast<double>(200.0f + static_cast<float>(i % 401)), 15);
    }
    EXPECT_LE(many.heldBytes(), 100000u * 24); // 16 a circle, and room to grow
}

} // namespace
} // namespace quarvel

namespace quarvel {
namespace {

TEST(ChartTargets, TheTopmostCircleThenTheMarks) {
    const AnalysisResults r = resultsWith({1, 2, 3}, 1, 2, 3, -2, 6, -5, 9);
    DisplayList drawing;
    DrawBasicView(drawing, r);
    drawing.setColor(kFenceViolet);
    drawing.circle(700, 400, 15);  // value 0 (1)
    drawing.circle(710, 400, 15);  // value 1 (2), drawn over it
    drawing.circle(1300, 650, 15); // value 2 (3)
    // Where the two overlap, the later wins.
    EXPECT_EQ(ChartTargetAt(drawing, r, 705, 400, 6, 10)->index, 1u);
    EXPECT_EQ(ChartTargetAt(drawing, r, 690, 400, 6, 10)->index, 0u);
    EXPECT_EQ(ChartTargetAt(drawing, r, 1300, 654, 6, 10)->kind, ChartTarget::Kind::Value);
    EXPECT_FALSE(ChartTargetAt(drawing, r, 1300, 640, 6, 10)); // outside: 10 > 6 up and down
    // The usual scale of 1 to 3 with outer fences -5 and 9: offset 6 (from -5 up to 1), span
    // floor(3) - floor(1) + 2 + 6 + 6 + 6 = 22, so 2 is at (6 + 2) / (22 / 1600) + 200.
    const double median = std::nearbyint(8 / (22.0 / 1600) + 200);
    EXPECT_EQ(median, 782);
    EXPECT_EQ(ChartTargetAt(drawing, r, 784, 580, 6, 3)->kind, ChartTarget::Kind::Median);
    EXPECT_FALSE(ChartTargetAt(drawing, r, 790, 580, 6, 3));
    EXPECT_FALSE(ChartTargetAt(drawing, r, 782, 700, 6, 3)); // above the mark's top at 600
}

} // namespace
} // namespace quarvel
