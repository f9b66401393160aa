#include "Analysis.h"
#include "DbfTable.h"
#include "FieldValues.h"
#include "TestTables.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>

namespace quarvel {
namespace {

using testing::fileBytes;
using testing::TableSpec;
using testing::writeTable;

const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/analysis/");

// A Progress that keeps what it hears and may stop the work once a given stage has begun.
class RecordingProgress final : public Progress {
public:
    explicit RecordingProgress(QString stopAt = QString()) : stopAt_(std::move(stopAt)) {}
    void stage(const QString& text) override { stages << text; }
    void fraction(double done) override { fractions.push_back(done); }
    bool stopRequested() override { return !stopAt_.isEmpty() && stages.contains(stopAt_); }

    QStringList stages;
    std::vector<double> fractions;

private:
    QString stopAt_;
};

class Analysis : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }

    std::unique_ptr<DbfTable> table(const std::vector<std::string>& values,
                                    const std::string& name = "t.dbf") {
        TableSpec tableSpec;
        tableSpec.fields = {{"ID", 'C', 4, 0}, {"VALUE", 'C', 12, 0}};
        int id = 0;
        for (const std::string& value : values) {
            tableSpec.records.push_back({std::to_string(++id), value});
        }
        const QString path = folder.filePath(QString::fromStdString(name));
        writeTable(path, tableSpec);
        QString error;
        return DbfTable::open(path, error);
    }

    void writeBytesHere(const QString& name, const QByteArray& bytes) {
        testing::writeBytes(QDir(folder.path()).filePath(name), bytes);
    }

    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir folder;
};

TEST_F(Analysis, WorkedExampleWithoutAnyWindow) {
    const auto t = table({"5", "3", "8", "1"});
    RecordingProgress progress;
    const AnalysisOutcome outcome = RunAnalysis(*t, 1, folder.path(), &progress);
    ASSERT_TRUE(outcome.completed()) << outcome.message.toStdString();
    EXPECT_EQ(fileBytes(outcome.pairsFile), fileBytes(kGolden + "worked-Unsorted-Sorted.csv"));
    EXPECT_EQ(files(), QStringList({"Unsorted-Sorted.csv", "t.dbf"})); // no intermediate file
    const AnalysisResults& r = outcome.results;
    EXPECT_EQ(r.SortedValues, std::vector<double>({1, 3, 5, 8}));
    EXPECT_EQ(r.FirstQuartile, 1);
    EXPECT_EQ(r.Median, 3);
    EXPECT_EQ(r.ThirdQuartile, 5);
    EXPECT_EQ(r.LowerInnerFence, -5); // 1 - 1.5 x 4
    EXPECT_EQ(r.UpperOuterFence, 17); // 5 + 3 x 4
    EXPECT_EQ(r.FieldName, "VALUE");
    EXPECT_EQ(QString::fromStdString(r.TablePath), QDir(folder.path()).filePath("t.dbf"));
    EXPECT_EQ(progress.stages,
              QStringList({"Verifying data...", "Loading data for processing...please wait.",
                           "Sorting...", "Sort complete...", "Finding Median and Quartiles..."}));
    EXPECT_TRUE(std::is_sorted(progress.fractions.begin(), progress.fractions.end()));
    EXPECT_EQ(progress.fractions.back(), 1.0);
    EXPECT_EQ(ResultMessage(r), "Calculations complete: \r\n    1st Quartile = 1\r\n"
                                "    Median       = 3\r\n    3rd Quartile = 5");
}

struct Refusal {
    const char* name;
    std::vector<std::string> values;
    int field;
    const char* message;
};

class Refusals : public Analysis, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, ChangeNothing) {
    const auto t = table(GetParam().values);
    writeBytesHere("Unsorted-Sorted.csv", "earlier\r\n");
    const AnalysisOutcome outcome = RunAnalysis(*t, GetParam().field, folder.path());
    EXPECT_EQ(outcome.status, AnalysisOutcome::Status::Refused);
    EXPECT_TRUE(outcome.message.startsWith(QString::fromUtf8(GetParam().message)))
        << outcome.message.toStdString();
    EXPECT_FALSE(outcome.statusText.isEmpty());
    EXPECT_EQ(files(), QStringList({"Unsorted-Sorted.csv", "t.dbf"}));
    EXPECT_EQ(fileBytes(QDir(folder.path()).filePath("Unsorted-Sorted.csv")), "earlier\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(
        Refusal{"NoField", {"1", "2", "3"}, -1, "No field is selected."},
        Refusal{"FieldBeyondTheTable", {"1", "2", "3"}, 2, "No field is selected."},
        Refusal{"NoRecords", {}, 1, "The table has no records"},
        Refusal{"FirstNotADigit", {"-4", "2", "3"}, 1, "This field is not numeric"},
        Refusal{"TwoRecords",
                {"1", "2"},
                1,
                "The median and quartiles need at least three "
                "records; this table has 2."},
        Refusal{"LaterNotANumber",
                {"1", "2", "n/a", "4"},
                1,
                "Record 3 of the field VALUE holds \"n/a\", which is not a number."},
        Refusal{"LaterEmpty", {"1", "", "3"}, 1, "Record 2 of the field VALUE is empty."}),
    [](const ::testing::TestParamInfo<Refusal>& param) { return std::string(param.param.name); });

class Stops : public Analysis, public ::testing::WithParamInterface<const char*> {};

TEST_P(Stops, BetweenStagesLeaveEveryFileAsItWas) {
    const auto t = table({"5", "3", "8", "1"});
    writeBytesHere("Unsorted-Sorted.csv", "earlier\r\n");
    RecordingProgress progress(QString::fromUtf8(GetParam()));
    const AnalysisOutcome outcome = RunAnalysis(*t, 1, folder.path(), &progress);
    EXPECT_EQ(outcome.status, AnalysisOutcome::Status::Stopped);
    EXPECT_EQ(progress.stages.back(), QString::fromUtf8(GetParam()));
    EXPECT_EQ(files(), QStringList({"Unsorted-Sorted.csv", "t.dbf"}));
    EXPECT_EQ(fileBytes(QDir(folder.path()).filePath("Unsorted-Sorted.csv")), "earlier\r\n");
}

INSTANTIATE_TEST_SUITE_P(EveryStage, Stops,
                         ::testing::Values("Verifying data...",
                                           "Loading data for processing...please wait.",
                                           "Sorting...", "Sort complete..."));

TEST_F(Analysis, ANulEndsACellAsTheGridShowsIt) {
    auto t = table({"5", "3", "8", "1"});
    t.reset();
    // Header 32 + 2 descriptors of 32 + terminator = 97; records of 1 + 4 + 12 bytes; the
    // third record's VALUE starts at 97 + 2 x 17 + 5 = 136 and holds "8" and blanks.
    testing::patchBytes(QDir(folder.path()).filePath("t.dbf"), 137, QByteArray("\0xy", 3));
    QString error;
    t = DbfTable::open(QDir(folder.path()).filePath("t.dbf"), error);
    ASSERT_TRUE(t) << error.toStdString();
    ASSERT_EQ(t->cellText(2, 1), QStringLiteral("8"));
    const AnalysisOutcome outcome = RunAnalysis(*t, 1, folder.path());
    ASSERT_TRUE(outcome.completed()) << outcome.message.toStdString();
    EXPECT_EQ(fileBytes(outcome.pairsFile), fileBytes(kGolden + "worked-Unsorted-Sorted.csv"));
}

TEST_F(Analysis, AFolderThatCannotBeWrittenFailsWithItsReason) {
    const auto t = table({"5", "3", "8", "1"});
    const AnalysisOutcome outcome =
        RunAnalysis(*t, 1, QDir(folder.path()).filePath("missing"), nullptr);
    EXPECT_EQ(outcome.status, AnalysisOutcome::Status::Failed);
    EXPECT_TRUE(outcome.message.startsWith("The file \"Unsorted.tmp\" could not be written in"))
        << outcome.message.toStdString();
}

TEST(ValuesDigest, SeesTheCollectionNotTheOrder) {
    const std::vector<double> values{5, 3, 8, 1, 0};
    EXPECT_EQ(ValuesDigest(values), ValuesDigest(std::vector<double>{1, 3, -0.0, 5, 8}));
    EXPECT_NE(ValuesDigest(values), ValuesDigest(std::vector<double>{5, 3, 8, 2, 0}));
    EXPECT_NE(ValuesDigest(values), ValuesDigest(std::vector<double>{5, 3, 8, 1}));
    EXPECT_NE(ValuesDigest(values), ValuesDigest(std::vector<double>{5, 3, 8, 1, 0, 0}));
}

} // namespace
} // namespace quarvel

namespace quarvel {
namespace {

struct FamilyCase {
    const char* name;
    bool refused;
};

class TableFamily : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(TableFamily, NamesOfTheTableAndItsFamilyAreRefused) {
    QTemporaryDir dir;
    const QString table = QDir(dir.path()).filePath("counties.dbf");
    const QString path = QDir(dir.path()).filePath(QString::fromUtf8(GetParam().name));
    const std::optional<QString> refusal = TableFamilyRefusal(table, path);
    EXPECT_EQ(refusal.has_value(), GetParam().refused) << GetParam().name;
    if (refusal) {
        EXPECT_TRUE(refusal->endsWith("so it is not replaced.\r\nChoose another name."));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, TableFamily,
    ::testing::Values(FamilyCase{"counties.dbf", true}, FamilyCase{"COUNTIES.DBF", true},
                      FamilyCase{"Counties.Shp", true}, FamilyCase{"counties.shx", true},
                      FamilyCase{"counties.PRJ", true}, FamilyCase{"counties.cpg", true},
                      FamilyCase{"counties.dbt", true}, FamilyCase{"counties.sbn", true},
                      FamilyCase{"counties.sbx", true}, FamilyCase{"counties.qix", true},
                      FamilyCase{"counties.xml", true}, FamilyCase{"sub/../counties.dbf", true},
                      FamilyCase{"counties.csv", false}, FamilyCase{"Median.csv", false},
                      FamilyCase{"counties2.dbf", false}, FamilyCase{"sub/counties.dbf", false},
                      FamilyCase{"counties.shp.bak", false}),
    [](const ::testing::TestParamInfo<FamilyCase>& param) {
        std::string name;
        for (const char c : std::string(param.param.name)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST_F(Analysis, ATableNamedLikeTheFilesItWritesIsNotWrittenOver) {
    // A table file of that name (shapelib writes only .dbf names, so it is renamed).
    table({"5", "3", "8", "1"}, "t.dbf").reset();
    ASSERT_TRUE(QFile::rename(QDir(folder.path()).filePath("t.dbf"),
                              QDir(folder.path()).filePath("Sorted.tmp")));
    QString error;
    const auto t = DbfTable::open(QDir(folder.path()).filePath("Sorted.tmp"), error);
    ASSERT_TRUE(t) << error.toStdString();
    const QByteArray before = fileBytes(QDir(folder.path()).filePath("Sorted.tmp"));
    const AnalysisOutcome outcome = RunAnalysis(*t, 1, folder.path());
    EXPECT_EQ(outcome.status, AnalysisOutcome::Status::Refused);
    EXPECT_TRUE(outcome.message.startsWith("The table is named \"Sorted.tmp\""));
    EXPECT_EQ(fileBytes(QDir(folder.path()).filePath("Sorted.tmp")), before);
    EXPECT_EQ(files(), QStringList({"Sorted.tmp"}));
}

} // namespace
} // namespace quarvel
