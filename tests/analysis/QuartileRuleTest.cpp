#include "QuartileRule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace quarvel {
namespace {

// The rule takes the values in ascending order, as the sort leaves them.
AnalysisResults resultsFor(std::vector<double> values) {
    AnalysisResults results;
    results.ValueCount = static_cast<int>(values.size());
    results.SortedValues = std::move(values);
    ApplyQuartileRule(results);
    return results;
}

// A double's infinity (the C macro INFINITY is a float).
constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::vector<double> oneTo(int n) {
    std::vector<double> values(static_cast<std::size_t>(n));
    std::iota(values.begin(), values.end(), 1.0);
    return values;
}

// ---------------------------------------------------------------------------------------
// The rule's worked results for the values 1, 2, ..., n (so that A[k] = k).

struct WorkedRow {
    int n;
    double median, firstQuartile, thirdQuartile;
    double lowerOuter, lowerInner, upperInner, upperOuter;
};

class WorkedTable : public ::testing::TestWithParam<WorkedRow> {};

TEST_P(WorkedTable, ValuesOneToN) {
    const WorkedRow row = GetParam();
    const AnalysisResults r = resultsFor(oneTo(row.n));
    EXPECT_EQ(r.Median, row.median);
    EXPECT_EQ(r.FirstQuartile, row.firstQuartile);
    EXPECT_EQ(r.ThirdQuartile, row.thirdQuartile);
    EXPECT_EQ(r.LowerOuterFence, row.lowerOuter);
    EXPECT_EQ(r.LowerInnerFence, row.lowerInner);
    EXPECT_EQ(r.UpperInnerFence, row.upperInner);
    EXPECT_EQ(r.UpperOuterFence, row.upperOuter);
}

INSTANTIATE_TEST_SUITE_P(OneToN, WorkedTable,
                         ::testing::Values(WorkedRow{3, 1.5, 1, 2.5, -3.5, -1.25, 4.75, 7},
                                           WorkedRow{4, 2, 1, 3, -5, -2, 6, 9},
                                           WorkedRow{5, 2.5, 1, 3.5, -6.5, -2.75, 7.25, 11},
                                           WorkedRow{6, 3, 1.5, 4.5, -7.5, -3, 9, 13.5},
                                           WorkedRow{7, 3.5, 2, 5.5, -8.5, -3.25, 10.75, 16},
                                           WorkedRow{8, 4, 2, 6, -10, -4, 12, 18},
                                           WorkedRow{9, 4.5, 2, 6.5, -11.5, -4.75, 13.25, 20},
                                           WorkedRow{10, 5, 2.5, 7.5, -12.5, -5, 15, 22.5},
                                           WorkedRow{11, 5.5, 3, 8.5, -13.5, -5.25, 16.75, 25},
                                           WorkedRow{12, 6, 3, 9, -15, -6, 18, 27}),
                         [](const ::testing::TestParamInfo<WorkedRow>& param) {
                             std::string name = "n";
                             name += std::to_string(param.param.n);
                             return name;
                         });

// ---------------------------------------------------------------------------------------
// Small tables worked by hand.

struct HandCase {
    const char* name;
    std::vector<double> values; // in table order
    double firstQuartile, median, thirdQuartile;
};

class HandWorked : public ::testing::TestWithParam<HandCase> {};

TEST_P(HandWorked, Quartiles) {
    const HandCase& c = GetParam();
    const AnalysisResults r = resultsFor(c.values);
    EXPECT_EQ(r.FirstQuartile, c.firstQuartile);
    EXPECT_EQ(r.Median, c.median);
    EXPECT_EQ(r.ThirdQuartile, c.thirdQuartile);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, HandWorked,
    ::testing::Values(HandCase{"OneToSeven", {1, 2, 3, 4, 5, 6, 7}, 2, 3.5, 5.5},
                      // q = 2.5 rounds to 2: the first quartile averages positions 2 and 3.
                      HandCase{"OneToTen", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2.5, 5, 7.5},
                      HandCase{"Negatives", {-5, -1, 0, 2, 9, 10, 11}, -1, 1, 9.5},
                      HandCase{"Duplicates", {3, 3, 3, 5}, 3, 3, 3},
                      HandCase{"RunExample", {1, 3, 5, 8}, 1, 3, 5},
                      HandCase{"Fractions", {0.125, 0.25, 0.5, 0.75, 1}, 0.125, 0.375, 0.625},
                      HandCase{
                          "Infinities", {-kInfinity, 1, 2, 3, kInfinity}, -kInfinity, 1.5, 2.5}),
    [](const ::testing::TestParamInfo<HandCase>& param) { return std::string(param.param.name); });

TEST(QuartileRule, OneToSevenFences) {
    const AnalysisResults r = resultsFor({1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(r.LowerInnerFence, -3.25);
    EXPECT_EQ(r.UpperInnerFence, 10.75);
    EXPECT_EQ(r.LowerOuterFence, -8.5);
    EXPECT_EQ(r.UpperOuterFence, 16);
}

TEST(QuartileRule, AllEqualValuesGiveThatValueEverywhere) {
    for (int n : {3, 4, 5, 17, 1000}) {
        const AnalysisResults r =
            resultsFor(std::vector<double>(static_cast<std::size_t>(n), 42.5));
        for (double v : {r.LowerOuterFence, r.LowerInnerFence, r.FirstQuartile, r.Median,
                         r.ThirdQuartile, r.UpperInnerFence, r.UpperOuterFence}) {
            EXPECT_EQ(v, 42.5) << "n = " << n;
        }
    }
}

TEST(QuartileRule, LeavesTheValuesAsTheyWere) {
    const std::vector<double> sorted{-1, 0, 0, 2, 3.5, 8};
    AnalysisResults r;
    r.SortedValues = sorted;
    r.ValueCount = 6;
    ApplyQuartileRule(r);
    EXPECT_EQ(r.SortedValues, sorted);
    EXPECT_EQ(r.ValueCount, 6);
}

TEST(QuartileRule, RefusesTooFewValuesAndLeavesResultsUnchanged) {
    // ValueCount below 3, or more values claimed than there are: no positions to average.
    struct Case {
        std::vector<double> values;
        int count;
    };
    for (const Case& c :
         {Case{{}, 0}, Case{{5}, 1}, Case{{5, 6}, 2}, Case{{1, 2, 3}, 4}, Case{{1, 2, 3}, -3}}) {
        AnalysisResults r;
        r.SortedValues = c.values;
        r.ValueCount = c.count;
        r.Median = 11;
        r.FirstQuartile = 10;
        r.ThirdQuartile = 12;
        r.LowerInnerFence = 7;
        r.UpperInnerFence = 15;
        r.LowerOuterFence = 4;
        r.UpperOuterFence = 18;
        ApplyQuartileRule(r);
        EXPECT_EQ(r.Median, 11);
        EXPECT_EQ(r.FirstQuartile, 10);
        EXPECT_EQ(r.ThirdQuartile, 12);
        EXPECT_EQ(r.LowerInnerFence, 7);
        EXPECT_EQ(r.UpperInnerFence, 15);
        EXPECT_EQ(r.LowerOuterFence, 4);
        EXPECT_EQ(r.UpperOuterFence, 18);
    }
}

TEST(QuartileRule, HugeValuesGiveAFiniteMedian) {
    const double big = 1.5e308;
    const AnalysisResults r = resultsFor({big, big, big, big});
    EXPECT_EQ(r.Median, big);
    EXPECT_EQ(r.FirstQuartile, big);
    EXPECT_EQ(r.ThirdQuartile, big);
    EXPECT_EQ(r.UpperOuterFence, big);
}

TEST(QuartileRule, TenMillionValues) {
    // n = 10,000,000: m = 5,000,000 and q = 2,500,000, so each half-sum takes one value twice.
    const AnalysisResults r = resultsFor(oneTo(10'000'000));
    EXPECT_EQ(r.Median, 5'000'000);
    EXPECT_EQ(r.FirstQuartile, 2'500'000);
    EXPECT_EQ(r.ThirdQuartile, 7'500'000);
    EXPECT_EQ(r.LowerInnerFence, 2'500'000 - 7'500'000);
    EXPECT_EQ(r.UpperOuterFence, 7'500'000 + 15'000'000);
}

// ---------------------------------------------------------------------------------------
// The fence order holds for every count, on values with spread, duplicates and signs.

void expectFenceOrder(const AnalysisResults& r, int n) {
    ASSERT_LE(r.LowerOuterFence, r.LowerInnerFence) << "n = " << n;
    ASSERT_LE(r.LowerInnerFence, r.FirstQuartile) << "n = " << n;
    ASSERT_LE(r.FirstQuartile, r.Median) << "n = " << n;
    ASSERT_LE(r.Median, r.ThirdQuartile) << "n = " << n;
    ASSERT_LE(r.ThirdQuartile, r.UpperInnerFence) << "n = " << n;
    ASSERT_LE(r.UpperInnerFence, r.UpperOuterFence) << "n = " << n;
}

TEST(QuartileRuleProperty, FenceOrderForEveryCountUpTo100000) {
    // The rule reads only the first ValueCount values, so one sorted sample serves every n.
    std::mt19937_64 random(20261207);
    std::lognormal_distribution<double> skewed(0.0, 2.0);
    std::vector<double> values(100000);
    for (double& v : values) {
        v = skewed(random) - 3;
    }
    std::sort(values.begin(), values.end());
    AnalysisResults r;
    r.SortedValues = values;
    for (int n = 3; n <= 100000; ++n) {
        r.ValueCount = n;
        ApplyQuartileRule(r);
        expectFenceOrder(r, n);
        // Every quartile is a value of the sample or the mean of two of them.
        ASSERT_GE(r.FirstQuartile, values.front());
        ASSERT_LE(r.ThirdQuartile, values[static_cast<std::size_t>(n - 1)]);
    }
}

TEST(QuartileRuleProperty, FenceOrderOnFreshRandomTables) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> few(-3, 3);
    std::normal_distribution<double> spread(100, 40);
    for (int n = 3; n <= 600; ++n) {
        std::vector<double> values(static_cast<std::size_t>(n));
        for (double& v : values) {
            v = (n % 2 == 0) ? few(random) : spread(random);
        }
        std::sort(values.begin(), values.end());
        expectFenceOrder(resultsFor(values), n);
    }
}

TEST(RoundHalfEven, NearestWithHalvesToEven) {
    struct Case {
        long long numerator, denominator, expected;
    };
    for (const Case& c :
         {Case{5, 2, 2}, Case{7, 2, 4}, Case{3, 2, 2}, Case{5, 4, 1}, Case{7, 4, 2}, Case{1, 2, 0},
          Case{1, 4, 0}, Case{2, 4, 0}, Case{6, 4, 2}, Case{10, 4, 2}, Case{14, 4, 4},
          Case{8, 2, 4}, Case{-5, 2, -2}, Case{-7, 2, -4}, Case{-5, 4, -1}, Case{-7, 4, -2}}) {
        EXPECT_EQ(RoundHalfEven(c.numerator, c.denominator), c.expected)
            << c.numerator << " / " << c.denominator;
    }
}

} // namespace
} // namespace quarvel
