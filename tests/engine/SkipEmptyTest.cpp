#include "Analysis.h"
#include "FieldValues.h"
#include "JoinFile.h"
#include "LayerFiles.h"
#include "OpenTable.h"
#include "RankedLayer.h"
#include "RecordClasses.h"
#include "TestTables.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Records without a value left out of the run when asked (EmptyCells::LeaveOut), from a dBASE
// table and from GDAL layers: the files, the results, the join file, the ranked copy, the map
// classes, and the refusals that stay.

namespace quarvel {
namespace {

using testing::fileBytes;
using testing::TableSpec;
using testing::writeBytes;
using testing::writeTable;

// AREA A to K; POP empty in A, D and K. The eight values are the join file's worked example
// (15 3 100 1 6 4 2 5; sorted 1 2 3 4 5 6 15 100): quartiles 2 / 4 / 6, inner fences -4 and
// 12, outer fences -10 and 18.
const std::vector<std::optional<int>> kPop = {std::nullopt, 15, 3, std::nullopt, 100, 1, 6, 4, 2, 5,
                                              std::nullopt};

// The pairs file and the join file of this table, worked by hand.
const QString kPairs = QStringLiteral(QUARVEL_TEST_DATA "/analysis/gaps-Unsorted-Sorted.csv");
const QString kJoin = QStringLiteral(QUARVEL_TEST_DATA "/join/gaps-Join.txt");

std::string area(std::size_t record) {
    return std::string(1, static_cast<char>('A' + record));
}

// The table as dBASE stores it: NULL numbers (asterisks) or blank texts for the empty cells.
TableSpec dbfTable(char popType, const std::vector<std::optional<int>>& pop = kPop) {
    TableSpec tableSpec;
    tableSpec.fields = {{"AREA", 'C', 4, 0}, {"POP", popType, 6, 0}};
    for (std::size_t r = 0; r < pop.size(); ++r) {
        std::optional<std::string> cell;
        if (pop[r]) {
            cell = std::to_string(*pop[r]);
        } else if (popType == 'C') {
            cell = std::string(r == 0 ? "" : "   ");
        }
        tableSpec.records.push_back({area(r), cell});
    }
    return tableSpec;
}

// The same records as points of a GeoJSON layer, the empty cells null.
QByteArray geoJson() {
    QByteArray json = R"({"type": "FeatureCollection", "name": "places", "features": [)";
    for (std::size_t r = 0; r < kPop.size(); ++r) {
        json += QStringLiteral(R"(%1{"type": "Feature", "properties": {"AREA": "%2", "POP": %3}, )"
                               R"("geometry": {"type": "Point", "coordinates": [%4, 0]}})")
                    .arg(r == 0 ? "" : ", ", QString::fromStdString(area(r)),
                         kPop[r] ? QString::number(*kPop[r]) : QStringLiteral("null"))
                    .arg(r)
                    .toUtf8();
    }
    return json + "]}";
}

class LeftOut : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        ASSERT_TRUE(dir.isValid());
        const std::string source = GetParam();
        if (source == "DbaseNullNumbers" || source == "DbaseBlankTexts") {
            path = inDir("places.dbf");
            writeTable(path, dbfTable(source == "DbaseNullNumbers" ? 'N' : 'C'));
        } else {
            path = inDir("places.geojson");
            writeBytes(path, geoJson());
            if (source == "GeoPackageNulls") {
                testing::translateLayer(path, inDir("places.gpkg"), {"-f", "GPKG"});
                path = inDir("places.gpkg");
            }
        }
        QString error;
        table = OpenTable(path, error);
        ASSERT_NE(table, nullptr) << error.toStdString();
    }
    void TearDown() override { CPLPopErrorHandler(); }

    QString inDir(const QString& name) const { return QDir(dir.path()).absoluteFilePath(name); }

    AnalysisOutcome analyse(EmptyCells empty = EmptyCells::LeaveOut) {
        return RunAnalysis(*table, 1, dir.path(), nullptr, QLocale(), empty);
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Table> table;
};

TEST_P(LeftOut, OnlyTheValuesGoThroughTheRunAndTheRecordsLeftOutAreCounted) {
    const AnalysisOutcome outcome = analyse();
    ASSERT_TRUE(outcome.completed()) << outcome.message.toStdString();
    EXPECT_EQ(fileBytes(outcome.pairsFile), fileBytes(kPairs));
    const AnalysisResults& r = outcome.results;
    EXPECT_EQ(r.SortedValues, std::vector<double>({1, 2, 3, 4, 5, 6, 15, 100}));
    EXPECT_EQ(r.ValueCount, 8);
    EXPECT_EQ(r.LeftOutCount, 3);
    EXPECT_TRUE(r.SkipEmpty);
    EXPECT_EQ(r.FirstQuartile, 2);
    EXPECT_EQ(r.Median, 4);
    EXPECT_EQ(r.ThirdQuartile, 6);
    EXPECT_EQ(r.LowerOuterFence, -10);
    EXPECT_EQ(r.UpperOuterFence, 18);
    EXPECT_EQ(outcome.leftOut, std::vector<std::uint8_t>({1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(ResultMessage(r).toStdString(), "Calculations complete: \r\n"
                                              "    1st Quartile = 2\r\n"
                                              "    Median       = 4\r\n"
                                              "    3rd Quartile = 6\r\n"
                                              "3 records without a value were left out.");
}

TEST_P(LeftOut, WithoutBeingAskedTheFirstEmptyRecordRefusesTheRunAsBefore) {
    writeBytes(inDir("Unsorted-Sorted.csv"), "earlier\r\n");
    const AnalysisOutcome outcome = analyse(EmptyCells::Refuse);
    EXPECT_EQ(outcome.status, AnalysisOutcome::Status::Refused);
    EXPECT_EQ(outcome.message.toStdString(), "This field is not numeric");
    EXPECT_EQ(outcome.statusText.toStdString(), "Choose a numeric field and try again.");
    EXPECT_EQ(fileBytes(inDir("Unsorted-Sorted.csv")), QByteArray("earlier\r\n"));
}

TEST_P(LeftOut, TheJoinFileGivesARecordWithoutAValueNoRank) {
    const AnalysisOutcome outcome = analyse();
    ASSERT_TRUE(outcome.completed());
    const JoinOutcome join = WriteJoinFile(*table, 0, 1, outcome.results, inDir("Join.txt"));
    ASSERT_TRUE(join.written) << join.message.toStdString();
    EXPECT_EQ(fileBytes(inDir("Join.txt")), fileBytes(kJoin));
    // The summary handed to the join window's worker keeps what the join file needs.
    ASSERT_TRUE(WriteJoinFile(*table, 0, 1, JoinSummary(outcome.results), inDir("J2.txt")).written);
    EXPECT_EQ(fileBytes(inDir("J2.txt")), fileBytes(kJoin));
}

TEST_P(LeftOut, EveryRecordKeepsItsPlaceAndClass) {
    const AnalysisOutcome outcome = analyse();
    ASSERT_TRUE(outcome.completed());
    std::vector<RecordClass> classes;
    ASSERT_EQ(ClassifyRecords(*table, 1, outcome.results, QLocale(), nullptr, classes,
                              QStringLiteral("draw the map")),
              std::nullopt);
    const std::vector<MapClass> expected = {
        MapClass::NoValue,      MapClass::PossibleHigh, MapClass::Rank2,  MapClass::NoValue,
        MapClass::ProbableHigh, MapClass::Rank1,        MapClass::Rank3,  MapClass::Rank2,
        MapClass::Rank2,        MapClass::Rank3,        MapClass::NoValue};
    ASSERT_EQ(classes.size(), expected.size());
    for (std::size_t r = 0; r < classes.size(); ++r) {
        EXPECT_EQ(classes[r].mapClass(), expected[r]) << "record " << r;
        EXPECT_EQ(classes[r].hasValue(), kPop[r].has_value()) << "record " << r;
    }
    EXPECT_STREQ(classes[0].noteText(), "No value");
    // The sorted values' records, as the detailed chart finds them: 1 is F, 2 is I, ...
    const std::vector<std::uint32_t> records = RecordsInSortedOrder(
        *table, 1, outcome.results.SortedValues, QLocale(), {}, EmptyCells::LeaveOut);
    EXPECT_EQ(records, std::vector<std::uint32_t>({5, 8, 2, 7, 9, 6, 1, 4}));
}

TEST_P(LeftOut, TheRankedCopyHasANullRankAndTheNoteNoValue) {
    const AnalysisOutcome outcome = analyse();
    ASSERT_TRUE(outcome.completed());
    // Ranks and notes of the join file's lines, 0 for a NULL rank.
    const std::vector<int> ranks = {0, 4, 2, 0, 4, 1, 3, 2, 2, 3, 0};
    for (const char* target : {"ranked.gpkg", "ranked.shp"}) {
        SCOPED_TRACE(target);
        const RankedOutcome ranked =
            WriteRankedLayer(*table, 1, outcome.results, inDir(QString::fromLatin1(target)),
                             nullptr, QLocale(), table->layerName());
        ASSERT_TRUE(ranked.written) << ranked.message.toStdString();
        const GDALDatasetUniquePtr read(GDALDataset::Open(
            QFile::encodeName(inDir(QString::fromLatin1(target))).constData(), GDAL_OF_VECTOR));
        ASSERT_TRUE(read);
        OGRLayer* layer = read->GetLayer(0);
        std::size_t r = 0;
        while (const OGRFeatureUniquePtr feature{layer->GetNextFeature()}) {
            ASSERT_LT(r, ranks.size());
            EXPECT_EQ(feature->IsFieldNull(feature->GetFieldIndex("RANK")), ranks[r] == 0) << r;
            EXPECT_EQ(feature->GetFieldAsInteger("RANK"), ranks[r]) << r;
            const std::string note = feature->GetFieldAsString("NOTE");
            EXPECT_EQ(note == "No value", ranks[r] == 0) << r << " " << note;
            ++r;
        }
        EXPECT_EQ(r, ranks.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, LeftOut,
                         ::testing::Values("DbaseNullNumbers", "DbaseBlankTexts", "GeoJsonNulls",
                                           "GeoPackageNulls"));

// ---------------------------------------------------------------------------------------
// Leaving out still refuses what is not a number and what is too little.

struct Refusal {
    const char* name;
    std::vector<std::string> values; ///< POP as text; "" and blanks are empty
    const char* message;
};

class LeftOutRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(LeftOutRefusals, ChangeNothing) {
    QLocale::setDefault(QLocale::c());
    QTemporaryDir dir;
    TableSpec tableSpec = testing::textTable("POP", GetParam().values, 8);
    tableSpec.fields.insert(tableSpec.fields.begin(), {"ID", 'C', 4, 0});
    for (std::vector<std::optional<std::string>>& record : tableSpec.records) {
        record.insert(record.begin(), std::string("x"));
    }
    writeTable(dir.filePath("t.dbf"), tableSpec);
    writeBytes(dir.filePath("Unsorted-Sorted.csv"), "earlier\r\n");
    QString error;
    const std::unique_ptr<Table> t = OpenTable(dir.filePath("t.dbf"), error);
    ASSERT_NE(t, nullptr);
    const AnalysisOutcome outcome =
        RunAnalysis(*t, 1, dir.path(), nullptr, QLocale(), EmptyCells::LeaveOut);
    EXPECT_EQ(outcome.status, AnalysisOutcome::Status::Refused);
    EXPECT_EQ(outcome.message.toStdString(), GetParam().message);
    EXPECT_TRUE(outcome.leftOut.empty());
    EXPECT_EQ(fileBytes(dir.filePath("Unsorted-Sorted.csv")), QByteArray("earlier\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeftOutRefusals,
    ::testing::Values(
        Refusal{"TextThatIsNotANumber",
                {"", "5", "n/a", "3", "4"},
                "Record 3 of the field POP holds \"n/a\", which is not a number.\r\nCorrect the "
                "table or choose another field."},
        Refusal{"FirstValueNotADigit", {"", "  ", "-4", "5", "6"}, "This field is not numeric"},
        Refusal{"TwoValuesLeft",
                {"", "5", "", "3", ""},
                "The median and quartiles need at least three records; this table has 2.\r\n"
                "Choose a table with more records."},
        Refusal{"NoValueAtAll",
                {"", "", ""},
                "The median and quartiles need at least three records; this table has 0.\r\n"
                "Choose a table with more records."}),
    [](const ::testing::TestParamInfo<Refusal>& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------------------
// The join file still checks that the values are the ones analysed.

struct Change {
    const char* name;
    std::size_t record;
    std::optional<int> pop;
};

class LeftOutJoinChecks : public ::testing::TestWithParam<Change> {};

TEST_P(LeftOutJoinChecks, ValuesChangedSinceTheRunAreRefused) {
    QLocale::setDefault(QLocale::c());
    QTemporaryDir dir;
    const QString path = dir.filePath("places.dbf");
    writeTable(path, dbfTable('N'));
    QString error;
    std::unique_ptr<Table> t = OpenTable(path, error);
    ASSERT_NE(t, nullptr);
    const AnalysisOutcome outcome =
        RunAnalysis(*t, 1, dir.path(), nullptr, QLocale(), EmptyCells::LeaveOut);
    ASSERT_TRUE(outcome.completed());
    t.reset();
    std::vector<std::optional<int>> changed = kPop;
    changed[GetParam().record] = GetParam().pop;
    writeTable(path, dbfTable('N', changed));
    t = OpenTable(path, error);
    ASSERT_NE(t, nullptr);
    const JoinOutcome join =
        WriteJoinFile(*t, 0, 1, outcome.results, dir.filePath("Join.txt"), nullptr, QLocale());
    EXPECT_FALSE(join.written);
    EXPECT_TRUE(join.message.startsWith("The values of the field POP have changed"))
        << join.message.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("Join.txt")));
}

INSTANTIATE_TEST_SUITE_P(Cases, LeftOutJoinChecks,
                         ::testing::Values(Change{"AValueChanged", 9, 7},
                                           Change{"AnEmptyCellGotAValue", 10, 5},
                                           Change{"AValueWasEmptied", 1, std::nullopt}),
                         [](const ::testing::TestParamInfo<Change>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
} // namespace quarvel
