#include "GroupAnalysis.h"
#include "Analysis.h"
#include "DbfTable.h"
#include "JoinFile.h"
#include "TestTables.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarvel {
namespace {

using testing::fileBytes;
using testing::TableSpec;
using testing::workedGroupsTable;
using testing::writeTable;

const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/groups/");

/** Says stop at its first question. */
class StopAtOnce final : public Progress {
public:
    void stage(const QString&) override {}
    bool stopRequested() override { return true; }
};

class GroupAnalysisTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(dir.isValid());
    }

    QString inDir(const QString& name) const { return QDir(dir.path()).absoluteFilePath(name); }

    std::unique_ptr<DbfTable> table(const QString& name, const TableSpec& tableSpec) {
        writeTable(inDir(name), tableSpec);
        QString error;
        std::unique_ptr<DbfTable> opened = DbfTable::open(inDir(name), error);
        EXPECT_NE(opened, nullptr) << error.toStdString();
        return opened;
    }

    QTemporaryDir dir;
};

// East 40 10 500 30 60 20 50, West 7.5 5 13 6, North 12 8 (table order). East sorted is
// 10 20 30 40 50 60 500: m = 4 and q = 2 give median (40 + 30) / 2, first quartile 20 and third
// quartile (50 + 60) / 2; the range 35 puts the fences at -32.5, 107.5, -85 and 160. West sorted
// is 5 6 7.5 13: m = 2 and q = 1 give 6, 5 and 7.5, fences 1.25, 11.25, -2.5 and 15.
TEST_F(GroupAnalysisTest, WorkedTableGivesItsGroupsFileAndJoinLines) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedGroupsTable());
    AnalysisOutcome analysis = RunAnalysis(*worked, 2, dir.path());
    ASSERT_TRUE(analysis.completed()) << analysis.message.toStdString();
    const GroupsOutcome groups = AnalyseGroups(*worked, 1, analysis.tableValues);

    EXPECT_FALSE(groups.stopped);
    EXPECT_EQ(groups.groupField, "STATE");
    ASSERT_EQ(groups.groups.size(), 3u);
    const GroupSummary& east = groups.groups[0];
    EXPECT_EQ(east.text, "East");
    EXPECT_EQ(east.records, 7);
    EXPECT_TRUE(east.described);
    EXPECT_EQ(east.results.Median, 35);
    EXPECT_EQ(east.results.UpperOuterFence, 160);
    EXPECT_EQ(east.lowest(), 10);
    EXPECT_EQ(east.highest(), 500);
    EXPECT_EQ(groups.groups[1].text, "North");
    EXPECT_EQ(groups.groups[1].records, 2);
    EXPECT_FALSE(groups.groups[1].described);
    EXPECT_EQ(groups.groups[2].text, "West");
    const GroupSummary& west = groups.groups[2];
    EXPECT_EQ(west.results.ThirdQuartile, 7.5);
    EXPECT_EQ(west.lowest(), 5);
    EXPECT_EQ(west.highest(), 13);
    // 5 and 6 rank 2, 7.5 rank 3 and 13 rank 4, a possible outlier above 11.25.
    EXPECT_EQ(std::vector<int>(west.classes.ranks, west.classes.ranks + 4),
              std::vector<int>({0, 2, 1, 1}));
    EXPECT_EQ(west.classes.notes[3], 1);
    EXPECT_EQ(groups.groupOf, std::vector<std::int32_t>({0, 2, 1, 0, 0, 2, 0, 2, 0, 1, 0, 2, 0}));

    EXPECT_EQ(SaveGroupsFile(groups, worked->path(), inDir("Groups.csv")), std::nullopt);
    EXPECT_EQ(fileBytes(inDir("Groups.csv")), fileBytes(kGolden + "worked-Groups.csv"));
    const JoinOutcome join = WriteJoinFile(*worked, 0, 2, analysis.results, inDir("Join.txt"),
                                           nullptr, QLocale(), &groups);
    EXPECT_TRUE(join.written) << join.message.toStdString();
    EXPECT_EQ(fileBytes(inDir("Join.txt")), fileBytes(kGolden + "worked-Join.txt"));
}

// Records left out belong to no group; a group whose records are all left out is none.
TEST_F(GroupAnalysisTest, LeftOutRecordsBelongToNoGroup) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedGroupsTable());
    // The first record (East 40) and both North records are left out.
    const std::vector<std::uint8_t> leftOut = {1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    const std::vector<double> values = {7.5, 10, 500, 5, 30, 13, 60, 20, 6, 50};
    const GroupsOutcome groups = AnalyseGroups(*worked, 1, values, leftOut);

    ASSERT_EQ(groups.groups.size(), 2u);
    EXPECT_EQ(groups.groupOf,
              std::vector<std::int32_t>({-1, 1, -1, 0, 0, 1, 0, 1, 0, -1, 0, 1, 0}));
    // East without 40: 10 20 30 50 60 500, m = 3 and q = 2, so the median is the third
    // value, the first quartile (20 + 10) / 2 and the third quartile (50 + 60) / 2.
    const GroupSummary& east = groups.groups[0];
    EXPECT_EQ(east.records, 6);
    EXPECT_EQ(east.results.Median, 30);
    EXPECT_EQ(east.results.FirstQuartile, 15);
    EXPECT_EQ(east.results.ThirdQuartile, 55);
    EXPECT_EQ(groups.groups[1].text, "West");
    EXPECT_EQ(groups.groups[1].records, 4);
}

TEST_F(GroupAnalysisTest, StoppedWorkGivesNoGroups) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedGroupsTable());
    const std::vector<double> values(13, 1.0);
    StopAtOnce stop;
    const GroupsOutcome groups = AnalyseGroups(*worked, 1, values, {}, &stop);
    EXPECT_TRUE(groups.stopped);
    EXPECT_TRUE(groups.groups.empty());
    EXPECT_TRUE(groups.groupOf.empty());
}

TEST_F(GroupAnalysisTest, ValuesThatDoNotFitTheTableAreAMistake) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedGroupsTable());
    const std::vector<double> twelve(12, 1.0);
    EXPECT_THROW(AnalyseGroups(*worked, 1, twelve), std::invalid_argument);
    const std::vector<std::uint8_t> tooShort(12, 0);
    const std::vector<double> thirteen(13, 1.0);
    EXPECT_THROW(AnalyseGroups(*worked, 1, thirteen, tooShort), std::invalid_argument);
    EXPECT_THROW(AnalyseGroups(*worked, 3, thirteen), std::invalid_argument);
}

TEST_F(GroupAnalysisTest, GroupsOfAnotherTableRankNothing) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedGroupsTable());
    const AnalysisOutcome analysis = RunAnalysis(*worked, 2, dir.path());
    ASSERT_TRUE(analysis.completed());
    GroupsOutcome groups = AnalyseGroups(*worked, 1, analysis.tableValues);
    groups.groupOf.pop_back();
    const JoinOutcome join = WriteJoinFile(*worked, 0, 2, analysis.results, inDir("Join.txt"),
                                           nullptr, QLocale(), &groups);
    EXPECT_FALSE(join.written);
    EXPECT_TRUE(join.message.startsWith("The groups were found in another table"))
        << join.message.toStdString();
    EXPECT_FALSE(QFile::exists(inDir("Join.txt")));
}

struct GroupTexts {
    const char* name;
    std::string codePage;
    std::vector<std::string> stored; ///< the group field's bytes, a record each
    const char* lines;               ///< the groups file after its header
};

void PrintTo(const GroupTexts& texts, std::ostream* out) {
    *out << texts.name;
}

class GroupTextsTest : public GroupAnalysisTest,
                       public ::testing::WithParamInterface<GroupTexts> {};

// Each record's value is its position, so groups of fewer than three records leave their
// figures empty and the lines show the texts, their order and their counts. The three empty
// texts hold 2, 4 and 5: m = 2 and q = 1 give median (4 + 2) / 2, first quartile 2 and third
// quartile (4 + 5) / 2; the range 2.5 puts the fences at -1.75, 8.25, -5.5 and 12.
TEST_P(GroupTextsTest, AreWrittenInUtf8InByteOrderAndQuotedWhenNeeded) {
    TableSpec tableSpec = testing::textTable("GROUP", GetParam().stored);
    tableSpec.codePage = GetParam().codePage;
    const std::unique_ptr<DbfTable> texts = table("texts.dbf", tableSpec);
    std::vector<double> values;
    for (std::size_t i = 0; i < GetParam().stored.size(); ++i) {
        values.push_back(static_cast<double>(i + 1));
    }
    const GroupsOutcome groups = AnalyseGroups(*texts, 0, values);
    const std::string header = "Group,Records,1st Quartile,Median,3rd Quartile,Lower Inner Fence,"
                               "Upper Inner Fence,Lower Outer Fence,Upper Outer Fence\r\n";
    EXPECT_EQ(GroupsFileText(groups), header + GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupTextsTest,
    ::testing::Values(
        GroupTexts{"CommaQuoteAndLineBreak",
                   "UTF-8",
                   {"Nord, Ost", "5\" gauge", "Line\nbreak", "Nord, Ost"},
                   "\"5\"\" gauge\",1,,,,,,,\r\n\"Line\nbreak\",1,,,,,,,\r\n"
                   "\"Nord, Ost\",2,,,,,,,\r\n"},
        // By bytes: G, then Z and u, then Z and the first byte of u-umlaut, then A-ring's
        // first byte; a locale's order would put A-ring first.
        GroupTexts{"NonAsciiLettersInUtf8",
                   "UTF-8",
                   {"Z\xc3\xbcrich", "\xc3\x85land", "Gen\xc3\xa8ve", "Zug"},
                   "Gen\xc3\xa8ve,1,,,,,,,\r\nZug,1,,,,,,,\r\nZ\xc3\xbcrich,1,,,,,,,\r\n"
                   "\xc3\x85land,1,,,,,,,\r\n"},
        GroupTexts{"Windows1252TextsGoOutInUtf8",
                   "1252",
                   {"Z\xfcrich", "\xc5land", "Gen\xe8ve"},
                   "Gen\xc3\xa8ve,1,,,,,,,\r\nZ\xc3\xbcrich,1,,,,,,,\r\n\xc3\x85land,1,,,,,,,\r\n"},
        GroupTexts{"EmptyTextIsAGroupAndComesFirst",
                   "",
                   {"B", "", "A", "", "", "B"},
                   ",3,2,3,4.5,-1.75,8.25,-5.5,12\r\nA,1,,,,,,,\r\nB,2,,,,,,,\r\n"},
        // Bytes that are no UTF-8 both show as the replacement character: one group.
        GroupTexts{"BytesShownAlikeAreOneGroup",
                   "UTF-8",
                   {"\xff", "\xfe", "x"},
                   "x,1,,,,,,,\r\n\xef\xbf\xbd,2,,,,,,,\r\n"}),
    [](const ::testing::TestParamInfo<GroupTexts>& row) { return row.param.name; });

struct OneToN {
    int n;
    double firstQuartile;
    double median;
    double thirdQuartile;
};

void PrintTo(const OneToN& row, std::ostream* out) {
    *out << row.n;
}

class OneToNTest : public GroupAnalysisTest, public ::testing::WithParamInterface<OneToN> {};

// A group holding 1 to n in a scrambled order, its records between those of another group of
// far larger values, gives the quartiles of 1 to n as the rule is worked out for them.
TEST_P(OneToNTest, GroupOfOneToNHasItsWorkedQuartiles) {
    const int n = GetParam().n;
    std::vector<std::string> texts;
    std::vector<double> values;
    for (int k = 0; k < n; ++k) {
        texts.push_back("G");
        values.push_back((k * 7919) % n + 1); // 7919 is a prime no n here shares a factor with
        texts.push_back("H");
        values.push_back(1e6 - k);
    }
    const std::unique_ptr<DbfTable> t = table("t.dbf", testing::textTable("GROUP", texts));
    const GroupsOutcome groups = AnalyseGroups(*t, 0, values);
    ASSERT_EQ(groups.groups.size(), 2u);
    const GroupSummary& g = groups.groups[0];
    EXPECT_EQ(g.records, n);
    EXPECT_EQ(g.results.FirstQuartile, GetParam().firstQuartile);
    EXPECT_EQ(g.results.Median, GetParam().median);
    EXPECT_EQ(g.results.ThirdQuartile, GetParam().thirdQuartile);
    EXPECT_EQ(g.results.UpperInnerFence,
              GetParam().thirdQuartile +
                  1.5 * (GetParam().thirdQuartile - GetParam().firstQuartile));
    EXPECT_EQ(g.lowest(), 1);
    EXPECT_EQ(g.highest(), n);
    EXPECT_EQ(groups.groups[1].lowest(), 1e6 - n + 1);
}

// n = 3 to 12 as the rule's table of worked results gives them; for 1000, m = 500 and q = 250;
// for 1001, m = 500.5 and q = 250.25 round to the even 500 and 250, so the median averages the
// 500th and 501st values and the third quartile the 751st and 750th.
INSTANTIATE_TEST_SUITE_P(Counts, OneToNTest,
                         ::testing::Values(OneToN{3, 1, 1.5, 2.5}, OneToN{4, 1, 2, 3},
                                           OneToN{5, 1, 2.5, 3.5}, OneToN{6, 1.5, 3, 4.5},
                                           OneToN{7, 2, 3.5, 5.5}, OneToN{8, 2, 4, 6},
                                           OneToN{9, 2, 4.5, 6.5}, OneToN{10, 2.5, 5, 7.5},
                                           OneToN{11, 3, 5.5, 8.5}, OneToN{12, 3, 6, 9},
                                           OneToN{1000, 250, 500, 750},
                                           OneToN{1001, 250, 500.5, 750.5}));

} // namespace
} // namespace quarvel
