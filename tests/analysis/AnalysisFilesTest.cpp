#include "AnalysisFiles.h"
#include "NumberText.h"

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

TEST(FileNumbers, ReadBackAndWrittenAgainGiveTheSameText) {
    // Why the pairs file may hold the texts written to the intermediate files instead of
    // reading them back: a number read back from its text writes as that same text, and
    // reads back as the fifteen-digit rounding of the value.
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    std::lognormal_distribution<double> wide(0, 20);
    for (int i = 0; i < 4000; ++i) {
        const double value = i % 2 == 0 ? any(random) : wide(random);
        const std::string text = FileNumberText(value);
        const std::optional<double> back = ParsePlainNumber(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(FileNumberText(*back), text);
        char rounded[40];
        std::snprintf(rounded, sizeof rounded, "%.14e", value);
        EXPECT_EQ(*back, std::stod(rounded)) << text;
    }
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
