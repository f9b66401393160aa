#include "LongSorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quarvel {
namespace {

using Values = std::vector<double>;

// ---------------------------------------------------------------------------------------
// Small cases worked by hand.

struct HandCase {
    const char* name;
    Values input;
    std::optional<std::int64_t> lastIndex;
    bool descending;
    Values expected;
};

class SortByHand : public ::testing::TestWithParam<HandCase> {};

TEST_P(SortByHand, GivesTheWorkedOrder) {
    HandCase c = GetParam();
    SortDoubles(c.input, c.lastIndex, c.descending);
    EXPECT_EQ(c.input, c.expected);
}

const std::optional<std::int64_t> kWhole = std::nullopt;
// A double's infinity (the C macro INFINITY is a float).
constexpr double kInfinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, SortByHand,
    ::testing::Values(
        HandCase{"Empty", {}, kWhole, false, {}}, HandCase{"OneValue", {7}, kWhole, false, {7}},
        HandCase{"LastIndexZero", {3, 2, 1}, 0, false, {3, 2, 1}},
        HandCase{"LastIndexNegative", {3, 2, 1}, -5, false, {3, 2, 1}},
        HandCase{"TwoDescendingExchanged", {2, 1}, kWhole, false, {1, 2}},
        HandCase{"TwoEqualStay", {4, 4}, kWhole, false, {4, 4}},
        HandCase{"ThreeAscending", {3, 1, 2}, kWhole, false, {1, 2, 3}},
        HandCase{"ThreeDescending", {3, 1, 2}, kWhole, true, {3, 2, 1}},
        HandCase{"SortedStays", {1, 2, 3, 4, 5, 6, 7, 8}, kWhole, false, {1, 2, 3, 4, 5, 6, 7, 8}},
        HandCase{"SortedReversedOnRequest",
                 {1, 2, 3, 4, 5, 6, 7, 8},
                 kWhole,
                 true,
                 {8, 7, 6, 5, 4, 3, 2, 1}},
        HandCase{
            "NegativesZeroDuplicates", {-2.5, 0, 7, -2.5, 3}, kWhole, false, {-2.5, -2.5, 0, 3, 7}},
        HandCase{"OnlyUpToLastIndex", {5, 4, 3, 2, 1}, 2, false, {3, 4, 5, 2, 1}},
        HandCase{"OnlyUpToLastIndexDescending", {1, 2, 3, 4, 5}, 3, true, {4, 3, 2, 1, 5}},
        HandCase{"LastIndexPastTheEnd", {5, 4, 3, 2, 1}, 99, false, {1, 2, 3, 4, 5}},
        HandCase{"LastIndexOneSortsTwo", {9, 8, 7}, 1, false, {8, 9, 7}},
        HandCase{"Infinities",
                 {kInfinity, 1, -kInfinity, 0, -1},
                 kWhole,
                 false,
                 {-kInfinity, -1, 0, 1, kInfinity}},
        HandCase{"InfinitiesDescending",
                 {kInfinity, 1, -kInfinity, 0, -1},
                 kWhole,
                 true,
                 {kInfinity, 1, 0, -1, -kInfinity}}),
    [](const ::testing::TestParamInfo<HandCase>& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------------------
// Input shapes that break naive quicksorts, at sizes around the small-range cut-off, each
// compared with std::sort as an independent oracle.

enum class Shape { Random, Sorted, Reversed, AllEqual, OrganPipe, Sawtooth, FewDistinct, Zigzag };

const char* shapeName(Shape shape) {
    switch (shape) {
    case Shape::Random:
        return "Random";
    case Shape::Sorted:
        return "Sorted";
    case Shape::Reversed:
        return "Reversed";
    case Shape::AllEqual:
        return "AllEqual";
    case Shape::OrganPipe:
        return "OrganPipe";
    case Shape::Sawtooth:
        return "Sawtooth";
    case Shape::FewDistinct:
        return "FewDistinct";
    case Shape::Zigzag:
        return "Zigzag";
    }
    return "?";
}

Values makeShape(Shape shape, std::size_t n) {
    Values v(n);
    std::mt19937_64 random(n * 31 + static_cast<std::size_t>(shape));
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    std::uniform_int_distribution<int> few(0, 4);
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<double>(i);
        switch (shape) {
        case Shape::Random:
            v[i] = any(random);
            break;
        case Shape::Sorted:
            v[i] = x;
            break;
        case Shape::Reversed:
            v[i] = static_cast<double>(n) - x;
            break;
        case Shape::AllEqual:
            v[i] = 3.25;
            break;
        case Shape::OrganPipe:
            v[i] = static_cast<double>(std::min(i, n - 1 - i));
            break;
        case Shape::Sawtooth:
            v[i] = static_cast<double>(i % 64);
            break;
        case Shape::FewDistinct:
            v[i] = few(random) - 2.0;
            break;
        case Shape::Zigzag:
            v[i] = (i % 2 == 0) ? x : -x;
            break;
        }
    }
    return v;
}

struct ShapeCase {
    Shape shape;
    std::size_t size;
    bool descending;
};

class SortShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SortShapes, MatchesStdSort) {
    const ShapeCase c = GetParam();
    Values values = makeShape(c.shape, c.size);
    Values expected = values;
    if (c.descending) {
        std::sort(expected.begin(), expected.end(), std::greater<double>{});
    } else {
        std::sort(expected.begin(), expected.end());
    }
    SortDoubles(values, std::nullopt, c.descending);
    EXPECT_EQ(values, expected);
}

TEST_P(SortShapes, LeavesEverythingAfterLastIndexAlone) {
    const ShapeCase c = GetParam();
    if (c.size < 2) {
        GTEST_SKIP() << "no index after a last index to look at";
    }
    const auto lastIndex = static_cast<std::int64_t>(c.size * 2 / 3);
    const auto cut = static_cast<std::ptrdiff_t>(lastIndex + 1);
    Values values = makeShape(c.shape, c.size);
    Values expected = values;
    if (c.descending) {
        std::sort(expected.begin(), expected.begin() + cut, std::greater<double>{});
    } else {
        std::sort(expected.begin(), expected.begin() + cut);
    }
    SortDoubles(values, lastIndex, c.descending);
    EXPECT_EQ(values, expected);
}

std::vector<ShapeCase> allShapeCases() {
    std::vector<ShapeCase> cases;
    for (Shape shape : {Shape::Random, Shape::Sorted, Shape::Reversed, Shape::AllEqual,
                        Shape::OrganPipe, Shape::Sawtooth, Shape::FewDistinct, Shape::Zigzag}) {
        for (std::size_t size : {2u, 3u, 15u, 16u, 17u, 18u, 100u, 1000u, 65537u, 300000u}) {
            for (bool descending : {false, true}) {
                cases.push_back({shape, size, descending});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Shapes, SortShapes, ::testing::ValuesIn(allShapeCases()),
                         [](const ::testing::TestParamInfo<ShapeCase>& param) {
                             return std::string(shapeName(param.param.shape)) + "_" +
                                    std::to_string(param.param.size) +
                                    (param.param.descending ? "_Descending" : "_Ascending");
                         });

// ---------------------------------------------------------------------------------------
// Values that compare in unusual ways.

std::vector<std::uint64_t> bitPatterns(const Values& values) {
    std::vector<std::uint64_t> bits;
    for (double v : values) {
        bits.push_back(std::bit_cast<std::uint64_t>(v));
    }
    std::sort(bits.begin(), bits.end());
    return bits;
}

TEST(SortDoublesSpecialValues, NegativeZeroSortsAmongZerosAndIsKept) {
    Values values{0.0, -0.0, 1, -0.0, -1, 0.0, -0.0, 2, -2, 0.0};
    for (int i = 0; i < 20; ++i) {
        values.push_back(i % 3 == 0 ? -0.0 : 0.0);
    }
    const auto before = bitPatterns(values);
    SortDoubles(values);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(bitPatterns(values), before) << "every zero keeps its sign bit";
    EXPECT_EQ(values.front(), -2);
    EXPECT_EQ(values.back(), 2);
}

TEST(SortDoublesSpecialValues, NaNsStayInsideTheRangeAndNothingIsLost) {
    // NaN compares false with everything, so no order is defined; the sort must still keep
    // the multiset and must not touch memory outside the range (ASan watches that).
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::mt19937_64 random(99);
    std::uniform_real_distribution<double> any(-10, 10);
    for (std::size_t n : {3u, 17u, 40u, 1000u, 50000u}) {
        Values values(n);
        for (std::size_t i = 0; i < n; ++i) {
            values[i] = (i % 5 == 0) ? nan : any(random);
        }
        values.push_back(123456); // outside the sorted range
        const auto before = bitPatterns(values);
        SortDoubles(values, static_cast<std::int64_t>(n - 1));
        EXPECT_EQ(bitPatterns(values), before) << "n = " << n;
        EXPECT_EQ(values.back(), 123456) << "n = " << n;
    }
}

TEST(SortDoublesSpecialValues, ExtremeMagnitudes) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double huge = std::numeric_limits<double>::max();
    Values values{huge, -tiny, tiny, -huge, 0, 1e-300, -1e300};
    SortDoubles(values);
    EXPECT_EQ(values, (Values{-huge, -1e300, -tiny, 0, tiny, 1e-300, huge}));
}

TEST(SortDoublesLarge, AMillionSortedValuesStayInOrder) {
    // Already-ordered input is the common case (tables sorted by the analysed field).
    Values values = makeShape(Shape::Sorted, 1'000'000);
    const Values expected = values;
    SortDoubles(values);
    EXPECT_EQ(values, expected);
    SortDoubles(values, std::nullopt, true);
    EXPECT_EQ(values.front(), 999'999);
    EXPECT_EQ(values.back(), 0);
}

// ---------------------------------------------------------------------------------------
// Stopping long sorts, and sorting values with their records.

class StoppableSort : public ::testing::TestWithParam<Shape> {};

TEST_P(StoppableSort, SortsWhenNeverStoppedAndKeepsEveryValueWhenStopped) {
    const Values input = makeShape(GetParam(), 300'000);
    Values expected = input;
    std::sort(expected.begin(), expected.end());

    Values values = input;
    int asked = 0;
    EXPECT_TRUE(SortDoubles(values, [&asked] { return ++asked < 0; }));
    EXPECT_EQ(values, expected);
    EXPECT_GT(asked, 0); // a range this long is partitioned, and the stop asked first

    values = input;
    asked = 0;
    EXPECT_FALSE(SortDoubles(values, [&asked] { return ++asked == 3; }));
    EXPECT_EQ(asked, 3); // it ended at the check that said stop
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, expected); // stopped part of the way, nothing lost
}

INSTANTIATE_TEST_SUITE_P(Shapes, StoppableSort,
                         ::testing::Values(Shape::Random, Shape::OrganPipe, Shape::FewDistinct,
                                           Shape::Zigzag));

class RecordOrder : public ::testing::TestWithParam<Shape> {};

TEST_P(RecordOrder, IsTheStableOrderOfTheValues) {
    Values values = makeShape(GetParam(), 200'000);
    values[7] = -0.0; // counts as zero: among the zeros in record order
    values[3] = 0.0;
    std::vector<std::uint32_t> expected(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        expected[i] = static_cast<std::uint32_t>(i);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [&values](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
    EXPECT_EQ(RecordsInValueOrder(values, {}), expected);
    EXPECT_EQ(RecordsInValueOrder(values, [] { return true; }), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RecordOrder,
                         ::testing::Values(Shape::Random, Shape::Reversed, Shape::FewDistinct,
                                           Shape::Zigzag));

} // namespace
} // namespace quarvel
