#include "MapClasses.h"
#include "Analysis.h"
#include "DbfTable.h"
#include "RecordClasses.h"
#include "TestTables.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quarvel {
namespace {

using testing::TableSpec;
using testing::writeTable;

std::string colorText(MapClass mapClass) {
    return QString::asprintf("#%06X", MapClassColor(mapClass)).toStdString();
}

// Sixteen values in table order. Sorted: -100 -50 -20 10 12 15 18 20 | 22 25 28 30 40 60 90 200.
// Of 16 values the quartile rule takes the 4th, 8th and 12th smallest: the first quartile 10,
// the median 20, the third quartile 30; the box is 20 wide, so the inner fences lie at -20 and
// 60, the outer ones at -50 and 90. A value on a fence counts with the class nearer the box.
struct WorkedRecord {
    int value;
    MapClass mapClass;
    const char* color;
};

const WorkedRecord kWorked[] = {
    {25, MapClass::Rank3, "#FDDBC7"},
    {-100, MapClass::ProbableLow, "#2166AC"},
    {60, MapClass::Rank4, "#F4A582"}, // on the upper inner fence
    {10, MapClass::Rank2, "#D1E5F0"}, // the first quartile
    {200, MapClass::ProbableHigh, "#B2182B"},
    {18, MapClass::Rank2, "#D1E5F0"},
    {-20, MapClass::Rank1, "#92C5DE"}, // on the lower inner fence
    {30, MapClass::Rank3, "#FDDBC7"},  // the third quartile
    {15, MapClass::Rank2, "#D1E5F0"},
    {90, MapClass::PossibleHigh, "#D6604D"}, // on the upper outer fence
    {-50, MapClass::PossibleLow, "#4393C3"}, // on the lower outer fence
    {22, MapClass::Rank3, "#FDDBC7"},
    {40, MapClass::Rank4, "#F4A582"},
    {12, MapClass::Rank2, "#D1E5F0"},
    {28, MapClass::Rank3, "#FDDBC7"},
    {20, MapClass::Rank2, "#D1E5F0"}, // the median
};

TableSpec workedTable(int changedRecord = -1) {
    TableSpec tableSpec;
    tableSpec.fields = {{"VALUE", 'N', 8, 0}};
    for (int r = 0; r < 16; ++r) {
        const int value = kWorked[r].value + (r == changedRecord ? 1 : 0);
        tableSpec.records.push_back({std::to_string(value)});
    }
    return tableSpec;
}

class MapClassesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(dir.isValid());
        writeTable(dir.filePath("worked.dbf"), workedTable());
        QString error;
        table = DbfTable::open(dir.filePath("worked.dbf"), error);
        ASSERT_NE(table, nullptr) << error.toStdString();
        const AnalysisOutcome outcome = RunAnalysis(*table, 0, dir.path());
        ASSERT_TRUE(outcome.completed()) << outcome.message.toStdString();
        results = outcome.results;
    }

    QTemporaryDir dir;
    std::unique_ptr<DbfTable> table;
    AnalysisResults results;
};

TEST_F(MapClassesTest, WorkedTableHasTheHandWorkedBoxAndFences) {
    EXPECT_EQ(results.FirstQuartile, 10);
    EXPECT_EQ(results.Median, 20);
    EXPECT_EQ(results.ThirdQuartile, 30);
    EXPECT_EQ(results.LowerInnerFence, -20);
    EXPECT_EQ(results.UpperInnerFence, 60);
    EXPECT_EQ(results.LowerOuterFence, -50);
    EXPECT_EQ(results.UpperOuterFence, 90);
}

TEST_F(MapClassesTest, EveryRecordTakesItsClassAndColour) {
    std::vector<RecordClass> classes;
    const std::optional<QString> refusal = ClassifyRecords(*table, 0, results, QLocale(), nullptr,
                                                           classes, QStringLiteral("draw the map"));
    ASSERT_EQ(refusal, std::nullopt) << refusal->toStdString();
    ASSERT_EQ(classes.size(), std::size(kWorked));
    for (std::size_t r = 0; r < classes.size(); ++r) {
        SCOPED_TRACE("record " + std::to_string(r) + ", value " + std::to_string(kWorked[r].value));
        EXPECT_EQ(classes[r].mapClass(), kWorked[r].mapClass);
        EXPECT_EQ(colorText(classes[r].mapClass()), kWorked[r].color);
    }
}

TEST_F(MapClassesTest, ValuesChangedSinceTheRunAreRefusedForTheMap) {
    writeTable(dir.filePath("worked.dbf"), workedTable(3));
    QString error;
    const std::unique_ptr<DbfTable> changed = DbfTable::open(dir.filePath("worked.dbf"), error);
    ASSERT_NE(changed, nullptr);
    std::vector<RecordClass> classes;
    const std::optional<QString> refusal = ClassifyRecords(*changed, 0, results, QLocale(), nullptr,
                                                           classes, QStringLiteral("draw the map"));
    ASSERT_NE(refusal, std::nullopt);
    EXPECT_TRUE(refusal->startsWith("The values of the field VALUE have changed"))
        << refusal->toStdString();
    EXPECT_TRUE(refusal->endsWith("then draw the map.")) << refusal->toStdString();
}

// Rank and note index (probable low, possible low, within, possible high, probable high).
struct ClassRow {
    int rank;
    int note;
    MapClass mapClass;
    const char* color;
};

class ClassOfRankAndNote : public ::testing::TestWithParam<ClassRow> {};

TEST_P(ClassOfRankAndNote, GivesTheClassAndItsColour) {
    const ClassRow& row = GetParam();
    EXPECT_EQ(MapClassOf(row.rank, row.note), row.mapClass);
    EXPECT_EQ(colorText(MapClassOf(row.rank, row.note)), row.color);
}

INSTANTIATE_TEST_SUITE_P(Classes, ClassOfRankAndNote,
                         ::testing::Values(ClassRow{1, 0, MapClass::ProbableLow, "#2166AC"},
                                           ClassRow{1, 1, MapClass::PossibleLow, "#4393C3"},
                                           ClassRow{1, 2, MapClass::Rank1, "#92C5DE"},
                                           ClassRow{2, 2, MapClass::Rank2, "#D1E5F0"},
                                           ClassRow{3, 2, MapClass::Rank3, "#FDDBC7"},
                                           ClassRow{4, 2, MapClass::Rank4, "#F4A582"},
                                           ClassRow{4, 3, MapClass::PossibleHigh, "#D6604D"},
                                           ClassRow{4, 4, MapClass::ProbableHigh, "#B2182B"},
                                           // A record the run left out has no rank.
                                           ClassRow{0, 2, MapClass::NoValue, "#BDBDBD"}));

} // namespace
} // namespace quarvel
