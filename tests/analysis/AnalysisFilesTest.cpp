#include "AnalysisFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace quarvel {
namespace {

struct ParseCase {
    const char* text;
    std::optional<double> value;
};

class PlainNumber : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PlainNumber, Parses) {
    const std::optional<double> got = ParsePlainNumber(GetParam().text);
    ASSERT_EQ(got.has_value(), GetParam().value.has_value()) << "\"" << GetParam().text << "\"";
    if (got) {
        EXPECT_EQ(*got, *GetParam().value) << "\"" << GetParam().text << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlainNumber,
    ::testing::Values(ParseCase{"12.50", 12.5}, ParseCase{"  -4  ", -4.0}, ParseCase{"+7", 7.0},
                      ParseCase{".5", 0.5}, ParseCase{"1.00000000000e+000", 1.0},
                      ParseCase{"0.114000000000000", 0.114}, ParseCase{"1e-300", 1e-300},
                      ParseCase{"\t3\t", 3.0}, ParseCase{"", std::nullopt},
                      ParseCase{"   ", std::nullopt}, ParseCase{"abc", std::nullopt},
                      ParseCase{"12 Main St", std::nullopt}, ParseCase{"1,5", std::nullopt},
                      ParseCase{"1e400", std::nullopt}, ParseCase{"inf", std::nullopt},
                      ParseCase{"nan", std::nullopt}, ParseCase{"+-1", std::nullopt},
                      ParseCase{"0x10", std::nullopt}, ParseCase{"-", std::nullopt}));

// Reads the numbers back the way the run does: through the pairs file.
std::vector<double> readBack(const std::string& intermediate) {
    std::string pairs;
    std::string error;
    EXPECT_TRUE(PairsFileFromIntermediates(intermediate, intermediate, pairs, error)) << error;
    std::vector<double> numbers;
    std::size_t at = pairs.find('\n') + 1;
    while (at < pairs.size()) {
        const std::size_t comma = pairs.find(',', at);
        numbers.push_back(*ParsePlainNumber(pairs.substr(at, comma - at)));
        at = pairs.find('\n', at) + 1;
    }
    return numbers;
}

TEST(IntermediateFile, ReadsBackAsTheFifteenDigitRounding) {
    const std::vector<double> values{1, -2.5, 0.1, 1.0 / 3, 1e15, -7e-300, 0, 123456789.123456789};
    const std::string text = IntermediateFileText(values);
    EXPECT_EQ(text.substr(0, 16), "1\r\n-2.5\r\n0.1\r\n0.");
    const std::vector<double> back = readBack(text);
    ASSERT_EQ(back.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        char rounded[40];
        std::snprintf(rounded, sizeof rounded, "%.14e", values[i]);
        EXPECT_EQ(back[i], std::stod(rounded)) << i;
    }
}

TEST(IntermediateFile, WritingWhatWasReadGivesTheSameText) {
    // Why the pairs file may copy the lines: formatting a number read back from a line
    // gives that line again.
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    std::lognormal_distribution<double> wide(0, 20);
    std::vector<double> values(4000);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = i % 2 == 0 ? any(random) : wide(random);
    }
    const std::string once = IntermediateFileText(values);
    EXPECT_EQ(IntermediateFileText(readBack(once)), once);
}

TEST(PairsFile, HeaderThenPairs) {
    std::string pairs;
    std::string error;
    ASSERT_TRUE(
        PairsFileFromIntermediates("5\r\n3\r\n8\r\n1\r\n", "1\r\n3\r\n5\r\n8\r\n", pairs, error));
    EXPECT_EQ(pairs, "Unsorted,Sorted\r\n5,1\r\n3,3\r\n8,5\r\n1,8\r\n");
    ASSERT_TRUE(PairsFileFromIntermediates("", "", pairs, error));
    EXPECT_EQ(pairs, "Unsorted,Sorted\r\n");
}

TEST(PairsFile, RefusesWhatIsNotTwoEqualListsOfNumbers) {
    std::string pairs;
    std::string error;
    EXPECT_FALSE(PairsFileFromIntermediates("1\r\n2\r\nx\r\n", "1\r\n2\r\n3\r\n", pairs, error));
    EXPECT_EQ(error, "line 3 is not a number");
    EXPECT_FALSE(PairsFileFromIntermediates("1\r\n2\r\n", "1\r\n", pairs, error));
    EXPECT_EQ(error, "the sorted values ended before the unsorted ones");
    EXPECT_FALSE(PairsFileFromIntermediates("1\r\n", "1\r\n2\r\n", pairs, error));
    EXPECT_EQ(error, "the unsorted values ended before the sorted ones");
}

TEST(ResultsFile, HeaderThenTheThreeNumbers) {
    AnalysisResults r;
    r.FirstQuartile = 2.5;
    r.Median = -0.0;
    r.ThirdQuartile = 1.0 / 3;
    EXPECT_EQ(ResultsFileText(r),
              "First Quartile,Median,Third Quartile\r\n2.5,0,0.333333333333333\r\n");
}

} // namespace
} // namespace quarvel
