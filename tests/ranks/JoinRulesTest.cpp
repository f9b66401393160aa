#include "JoinRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarvel {
namespace {

// The join's worked example: quartiles 2 / 4 / 6, inner fences -4 and 12, outer -10 and 18.
AnalysisResults worked() {
    AnalysisResults r;
    r.FirstQuartile = 2;
    r.Median = 4;
    r.ThirdQuartile = 6;
    r.LowerInnerFence = -4;
    r.UpperInnerFence = 12;
    r.LowerOuterFence = -10;
    r.UpperOuterFence = 18;
    return r;
}

struct RuleCase {
    double value;
    int rank;
    const char* note;
};

class Rules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(Rules, RankAndNote) {
    const RuleCase& c = GetParam();
    EXPECT_EQ(JoinRank(c.value, worked()), c.rank) << c.value;
    EXPECT_EQ(JoinNote(c.value, worked()), c.note) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, Rules,
    ::testing::Values(
        // Ties at the quartiles and the median.
        RuleCase{1.999, 1, "Within Inner-Quartile Range"},
        RuleCase{2, 2, "Within Inner-Quartile Range"},
        RuleCase{4, 2, "Within Inner-Quartile Range"},
        RuleCase{4.001, 3, "Within Inner-Quartile Range"},
        RuleCase{6, 3, "Within Inner-Quartile Range"},
        RuleCase{6.001, 4, "Within Inner-Quartile Range"},
        // Ties at the fences go to the class nearer the box.
        RuleCase{-10, 1, "Possible Outlier-Low"}, RuleCase{-10.001, 1, "Probable Outlier-Low"},
        RuleCase{-4, 1, "Within Inner-Quartile Range"}, RuleCase{-4.001, 1, "Possible Outlier-Low"},
        RuleCase{12, 4, "Within Inner-Quartile Range"},
        RuleCase{12.001, 4, "Possible Outlier-High"}, RuleCase{18, 4, "Possible Outlier-High"},
        RuleCase{18.001, 4, "Probable Outlier-High"}));

TEST(JoinFile, WorkedExampleLineByLine) {
    const AnalysisResults r = worked();
    const std::vector<std::string> pop = {"15", "3", "100", "1", "6", "4", "2", "5"};
    const std::vector<std::string> area = {"A", "B", "C", "D", "E", "F", "G", "H"};
    std::string file;
    AppendJoinHeader(file, "AREA", "POP");
    for (std::size_t i = 0; i < pop.size(); ++i) {
        const double v = std::stod(pop[i]);
        AppendJoinLine(file, static_cast<int>(i) + 1, area[i], pop[i], JoinRank(v, r),
                       JoinNote(v, r));
    }
    EXPECT_EQ(file, "id,AREA,POP,Rank,Note\r\n"
                    "1,A,15,4,Possible Outlier-High\r\n"
                    "2,B,3,2,Within Inner-Quartile Range\r\n"
                    "3,C,100,4,Probable Outlier-High\r\n"
                    "4,D,1,1,Within Inner-Quartile Range\r\n"
                    "5,E,6,3,Within Inner-Quartile Range\r\n"
                    "6,F,4,2,Within Inner-Quartile Range\r\n"
                    "7,G,2,2,Within Inner-Quartile Range\r\n"
                    "8,H,5,3,Within Inner-Quartile Range\r\n");
}

TEST(JoinFile, TextsGoOutUnchanged) {
    std::string line;
    AppendJoinLine(line, 1234567, "Main St, North", "12.50", 3, "Within Inner-Quartile Range");
    EXPECT_EQ(line, "1234567,Main St, North,12.50,3,Within Inner-Quartile Range\r\n");
    line.clear();
    AppendJoinLine(line, 2, "", "-0.5", 1, "Possible Outlier-Low");
    EXPECT_EQ(line, "2,,-0.5,1,Possible Outlier-Low\r\n");
}

TEST(JoinFile, NoSpreadPutsEveryValueBeyondOrOnTheFences) {
    AnalysisResults r;
    r.FirstQuartile = r.Median = r.ThirdQuartile = 7;
    r.LowerInnerFence = r.UpperInnerFence = r.LowerOuterFence = r.UpperOuterFence = 7;
    EXPECT_EQ(JoinNote(7, r), "Within Inner-Quartile Range");
    EXPECT_EQ(JoinRank(7, r), 2);
    EXPECT_EQ(JoinNote(6, r), "Probable Outlier-Low");
    EXPECT_EQ(JoinNote(8, r), "Probable Outlier-High");
}

} // namespace
} // namespace quarvel
