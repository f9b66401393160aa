#include "JoinFile.h"
#include "Analysis.h"
#include "DbfTable.h"
#include "Table.h"
#include "TestTables.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

namespace quarvel {
namespace {

using testing::fileBytes;
using testing::TableSpec;
using testing::workedJoinTable;
using testing::writeBytes;
using testing::writeTable;

const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/join/worked-Join.txt");

TableSpec gainedARecord() {
    TableSpec tableSpec = workedJoinTable();
    tableSpec.records.push_back({std::string("I"), std::string("7")});
    return tableSpec;
}

TableSpec lostRecords() {
    TableSpec tableSpec = workedJoinTable();
    tableSpec.records.resize(5);
    return tableSpec;
}

TableSpec changedAValue() {
    TableSpec tableSpec = workedJoinTable();
    tableSpec.records[2][1] = std::string("99"); // was 100
    return tableSpec;
}

// As many records, but the seventh value is no longer a number.
TableSpec spoiledACell() {
    TableSpec tableSpec = workedJoinTable();
    tableSpec.fields[1] = {"POP", 'C', 6, 0};
    tableSpec.records[6][1] = std::string("n/a");
    return tableSpec;
}

constexpr const char* kNotThisAnalysis =
    "The last analysis was not made on the table and field now shown in the main window, so its "
    "quartiles do not fit these records.\r\nPress Do It in the main window for this table and "
    "field first, then write the join file.";

/** Each test writes its tables and files into a folder of its own, in the C locale. */
class JoinFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(dir.isValid());
    }

    QString inDir(const QString& name) const { return QDir(dir.path()).absoluteFilePath(name); }

    /** Writes the table under this name and opens it as the program would. */
    std::unique_ptr<DbfTable> table(const QString& name, const TableSpec& tableSpec) {
        writeTable(inDir(name), tableSpec);
        QString error;
        std::unique_ptr<DbfTable> opened = DbfTable::open(inDir(name), error);
        EXPECT_NE(opened, nullptr) << error.toStdString();
        return opened;
    }

    AnalysisResults analyse(const Table& analysed, int field) {
        const AnalysisOutcome outcome = RunAnalysis(analysed, field, dir.path());
        EXPECT_TRUE(outcome.completed()) << outcome.message.toStdString();
        return outcome.results;
    }

    QTemporaryDir dir;
};

TEST_F(JoinFileTest, WorkedExampleMatchesTheGoldenFile) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedJoinTable());
    const AnalysisResults results = analyse(*worked, 1);
    // Sorted 1 2 3 4 5 6 15 100: quartiles 2 / 4 / 6, so the outer fences are -10 and 18.
    EXPECT_EQ(results.FirstQuartile, 2.0);
    EXPECT_EQ(results.Median, 4.0);
    EXPECT_EQ(results.ThirdQuartile, 6.0);
    EXPECT_EQ(results.UpperOuterFence, 18.0);

    const JoinOutcome outcome = WriteJoinFile(*worked, 0, 1, results, inDir("Join.txt"));
    EXPECT_TRUE(outcome.written);
    EXPECT_TRUE(outcome.message.isEmpty()) << outcome.message.toStdString();
    EXPECT_EQ(fileBytes(inDir("Join.txt")), fileBytes(kGolden));
}

TEST_F(JoinFileTest, AnExistingFileIsReplacedNotAppendedTo) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedJoinTable());
    const AnalysisResults results = analyse(*worked, 1);
    writeBytes(inDir("Join.txt"), QByteArray(5000, 'x'));
    ASSERT_TRUE(WriteJoinFile(*worked, 0, 1, results, inDir("Join.txt")).written);
    EXPECT_EQ(fileBytes(inDir("Join.txt")), fileBytes(kGolden));
}

TEST_F(JoinFileTest, CellsGoOutAsStoredEvenWithCommas) {
    TableSpec tableSpec;
    tableSpec.fields = {{"ADDR", 'C', 16, 0}, {"AREA", 'N', 8, 2}};
    tableSpec.records = {{"1 Main St, North", "12.50"}, {"2 Oak", "3.00"}, {"3 Elm", "7.25"}};
    const std::unique_ptr<DbfTable> shown = table("shown.dbf", tableSpec);
    // Sorted 3 7.25 12.5: first quartile 3, median 5.125, third quartile 9.875.
    const AnalysisResults results = analyse(*shown, 1);

    // The analysed field may be its own relate field.
    ASSERT_TRUE(WriteJoinFile(*shown, 1, 1, results, inDir("same.txt")).written);
    EXPECT_EQ(fileBytes(inDir("same.txt")),
              QByteArray("id,AREA,AREA,Rank,Note\r\n"
                         "1,12.50,12.50,4,Within Inner-Quartile Range\r\n"
                         "2,3.00,3.00,2,Within Inner-Quartile Range\r\n"
                         "3,7.25,7.25,3,Within Inner-Quartile Range\r\n"));

    // A comma in a key is written as it is, so that line has one field more.
    ASSERT_TRUE(WriteJoinFile(*shown, 0, 1, results, inDir("comma.txt")).written);
    EXPECT_EQ(fileBytes(inDir("comma.txt")),
              QByteArray("id,ADDR,AREA,Rank,Note\r\n"
                         "1,1 Main St, North,12.50,4,Within Inner-Quartile Range\r\n"
                         "2,2 Oak,3.00,2,Within Inner-Quartile Range\r\n"
                         "3,3 Elm,7.25,3,Within Inner-Quartile Range\r\n"));
}

TEST_F(JoinFileTest, KeysGoOutInTheTablesCodePage) {
    TableSpec tableSpec;
    tableSpec.codePage = "1252";
    tableSpec.fields = {{"TOWN", 'C', 16, 0}, {"POP", 'N', 9, 0}};
    tableSpec.records = {{"Z\xfcrich", "421878"}, {"Gen\xe8ve", "203856"}, {"K\xf6ln", "1073096"}};
    const std::unique_ptr<DbfTable> towns = table("towns.dbf", tableSpec);
    EXPECT_EQ(towns->cellText(0, 0), QStringLiteral("Z\u00fcrich")); // read as windows-1252
    // Sorted 203856 421878 1073096: quartiles 203856 / 312867 / 747487, fences far outside.
    const AnalysisResults results = analyse(*towns, 1);

    ASSERT_TRUE(WriteJoinFile(*towns, 0, 1, results, inDir("Join.txt")).written);
    // Single windows-1252 bytes for the accented letters, never their UTF-8 pairs.
    EXPECT_EQ(fileBytes(inDir("Join.txt")),
              QByteArray("id,TOWN,POP,Rank,Note\r\n"
                         "1,Z\xfcrich,421878,3,Within Inner-Quartile Range\r\n"
                         "2,Gen\xe8ve,203856,2,Within Inner-Quartile Range\r\n"
                         "3,K\xf6ln,1073096,4,Within Inner-Quartile Range\r\n"));
}

TEST_F(JoinFileTest, AFolderThatDoesNotExist) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedJoinTable());
    const AnalysisResults results = analyse(*worked, 1);
    const JoinOutcome outcome =
        WriteJoinFile(*worked, 0, 1, results, inDir("no such folder/Join.txt"));
    EXPECT_FALSE(outcome.written);
    const QString where = QStringLiteral("The file \"Join.txt\" could not be written in %1: ")
                              .arg(QDir::toNativeSeparators(inDir("no such folder")));
    EXPECT_TRUE(outcome.message.startsWith(where)) << outcome.message.toStdString();
    EXPECT_FALSE(QDir(inDir("no such folder")).exists());
}

TEST_F(JoinFileTest, CountsOfTheWorkedExample) {
    const std::unique_ptr<DbfTable> worked = table("worked.dbf", workedJoinTable());
    const JoinCounts counts = CountJoinClasses(analyse(*worked, 1));
    // Counted in the golden file: rank 1 D; rank 2 B F G; rank 3 E H; rank 4 A C.
    const int ranks[4] = {1, 3, 2, 2};
    // Six within the box's fences, A (15) a possible and C (100) a probable high outlier.
    const int notes[5] = {0, 0, 6, 1, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(counts.ranks[i], ranks[i]) << "rank " << i + 1;
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(counts.notes[i], notes[i]) << kJoinNotes[i];
    }
}

// ---------------------------------------------------------------------------------------
// Refusals: the results of worked.dbf's POP meet another table, field or content. Nothing
// is written and an earlier file of that name stays as it was.

struct RefusalCase {
    const char* name;
    const char* file; ///< where the joined table is written (worked.dbf: rewritten)
    TableSpec (*content)();
    int valueField;
    int relateField;
    const char* message;
};

// Failures name the case rather than dump its bytes.
void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class JoinRefusals : public JoinFileTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(JoinRefusals, LeaveTheEarlierFile) {
    const RefusalCase& c = GetParam();
    const AnalysisResults results = analyse(*table("worked.dbf", workedJoinTable()), 1);
    const std::unique_ptr<DbfTable> joined = table(QString::fromLatin1(c.file), c.content());
    writeBytes(inDir("Join.txt"), "earlier join\r\n");

    const JoinOutcome outcome =
        WriteJoinFile(*joined, c.relateField, c.valueField, results, inDir("Join.txt"));
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message.toStdString(), c.message);
    EXPECT_EQ(fileBytes(inDir("Join.txt")), QByteArray("earlier join\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinRefusals,
    ::testing::Values(
        RefusalCase{"AnotherTable", "other.dbf", workedJoinTable, 1, 0, kNotThisAnalysis},
        RefusalCase{"AnotherField", "worked.dbf", workedJoinTable, 0, 0, kNotThisAnalysis},
        RefusalCase{"NoField", "worked.dbf", workedJoinTable, -1, 0,
                    "No field is selected in the main window.\r\nChoose the analyzed field there "
                    "and press Do It, then write the join file."},
        RefusalCase{"NoRelateField", "worked.dbf", workedJoinTable, 1, -1,
                    "A 'Relate' field must be chosen"},
        RefusalCase{"GainedARecord", "worked.dbf", gainedARecord, 1, 0, kNotThisAnalysis},
        RefusalCase{"LostRecords", "worked.dbf", lostRecords, 1, 0, kNotThisAnalysis},
        RefusalCase{"ChangedAValue", "worked.dbf", changedAValue, 1, 0,
                    "The values of the field POP have changed since the last analysis, so its "
                    "quartiles do not fit them.\r\nPress Do It in the main window for this table "
                    "and field first, then write the join file."},
        RefusalCase{"ACellIsNotANumber", "worked.dbf", spoiledACell, 1, 0,
                    "Record 7 of the field POP holds \"n/a\", which is not a number, so it has no "
                    "rank.\r\nCorrect the table, analyze it again, then write the join file."}),
    [](const ::testing::TestParamInfo<RefusalCase>& row) { return row.param.name; });

} // namespace
} // namespace quarvel
