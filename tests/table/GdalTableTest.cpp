#include "Analysis.h"
#include "FieldValues.h"
#include "JoinFile.h"
#include "LayerFiles.h"
#include "OpenTable.h"
#include "TestTables.h"

#include "AnalysisFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <bit>
#include <charconv>
#include <thread>

namespace quarvel {
namespace {

using namespace quarvel::testing;

// The bits of a number, so that 0.1 from one reader equals 0.1 from another only bit for bit.
std::optional<std::uint64_t> bits(std::optional<double> value) {
    return value ? std::optional<std::uint64_t>(std::bit_cast<std::uint64_t>(*value))
                 : std::nullopt;
}

// The number a writer that keeps this many significant digits stores for this one.
double keptDigits(double value, int digits) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    return *ParsePlainNumber(std::string_view(text, static_cast<std::size_t>(end.ptr - text)));
}

enum Field { kId, kName, kValue, kCount, kPrecise, kTextNumber };

// One small table as dBASE stores it: Reals that need every digit, a whole number of exactly
// 2^53, NULLs, UTF-8 texts, and texts holding numbers in a German form.
TableSpec smallTable() {
    TableSpec tableSpec;
    tableSpec.codePage = "UTF-8";
    tableSpec.fields = {{"ID", 'N', 9, 0},     {"NAME", 'C', 20, 0},     {"VALUE", 'N', 24, 15},
                        {"COUNT", 'N', 18, 0}, {"PRECISE", 'N', 24, 15}, {"TEXTNUM", 'C', 12, 0}};
    tableSpec.records = {{"1", "Zürich", "0.1", "12", "123456789.123456789", "2.000,25"},
                         {"2", "Ørsted", "1e-300", "-7", "1.2345678901234567", "17"},
                         {"3", std::nullopt, "-2.5", "9007199254740992", "2.5", "-3,5"},
                         {"4", "plain", "6.02214076e+23", "0", "1", "0"},
                         {"5", "Åsa", "1234.5", std::nullopt, "1", "1.000"},
                         {"6", "6", "42.125", "42", "1", "8"}};
    return tableSpec;
}

// How GDAL writes a layer of each kind from the dBASE table (nothing: the table itself).
struct Form {
    const char* name; ///< the file's extension
    QStringList options;
    int digits; ///< the significant digits of a double the writer keeps (17: all)
};

// FlatGeobuf keeps only features with a geometry, in the order written without its index.
const QStringList kFlatGeobuf{"-f",       "FlatGeobuf",
                              "-lco",     "SPATIAL_INDEX=NO",
                              "-nln",     "t",
                              "-dialect", "SQLite",
                              "-sql",     "SELECT *, MakePoint(ID, 0) AS geom FROM t"};

const Form kForms[] = {
    {"dbf", {}, 17},
    {"gpkg", {"-f", "GPKG"}, 17},
    {"fgb", kFlatGeobuf, 17},
    {"geojson", {"-f", "GeoJSON"}, 17},
    // GDAL's CSV writer prints a Real field of a stated width with that many decimals (1e-300
    // would be 0): without widths it prints 15 significant digits. Its XLSX writer keeps 16.
    {"csv", {"-f", "CSV", "-unsetFieldWidth"}, 15},
    {"xlsx", {"-f", "XLSX"}, 16},
};

class EveryForm : public ::testing::TestWithParam<Form> {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        writeTable(dir.filePath("t.dbf"), smallTable());
        QString error;
        dbf = OpenTable(dir.filePath("t.dbf"), error);
        ASSERT_TRUE(dbf) << error.toStdString();
        const QString path = dir.filePath(QStringLiteral("t.") + GetParam().name);
        if (!GetParam().options.isEmpty()) {
            translateLayer(dir.filePath("t.dbf"), path, GetParam().options);
        }
        layer = OpenTable(path, error);
        ASSERT_TRUE(layer) << error.toStdString();
    }

    QString folder(const char* name) const {
        QDir(dir.path()).mkdir(QString::fromLatin1(name));
        return dir.filePath(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    std::unique_ptr<Table> dbf;
    std::unique_ptr<Table> layer;
};

TEST_P(EveryForm, CellsAndNumbersAsTheDbaseTableHoldsThem) {
    ASSERT_EQ(layer->recordCount(), 6);
    ASSERT_EQ(layer->fieldCount(), 6);
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(layer->fieldName(f), dbf->fieldName(f));
    }
    EXPECT_EQ(layer->fieldKind(kValue), FieldKind::Number);
    for (int r = 0; r < 6; ++r) {
        for (int f : {kId, kName, kValue, kCount, kTextNumber}) {
            EXPECT_EQ(layer->cellText(r, f), dbf->cellText(r, f)) << r << " " << f;
        }
        for (int f : {kValue, kCount}) {
            EXPECT_EQ(bits(layer->storedNumber(r, f)), bits(dbf->storedNumber(r, f)));
        }
        // A Real shows the text that reads back to the very number it holds.
        const double precise = *dbf->storedNumber(r, kPrecise);
        const double kept = keptDigits(precise, GetParam().digits);
        EXPECT_EQ(bits(layer->storedNumber(r, kPrecise)), bits(kept)) << r;
        EXPECT_EQ(bits(ParsePlainNumber(layer->cellText(r, kPrecise).toStdString())), bits(kept));
    }
    EXPECT_EQ(layer->cellText(2, kName), QString()); // NULL
    // Texts go through the one cell-value conversion, here in a German locale.
    EXPECT_EQ(ReadFieldValues(*layer, kTextNumber, QLocale(QLocale::German)).values,
              std::vector<double>({2000.25, 17, -3.5, 0, 1, 8}));
}

TEST_P(EveryForm, SameFilesFromTheAnalysisAndTheJoin) {
    const AnalysisOutcome expected = RunAnalysis(*dbf, kValue, folder("dbf"));
    const AnalysisOutcome got = RunAnalysis(*layer, kValue, folder("layer"));
    ASSERT_TRUE(got.completed()) << got.message.toStdString();
    EXPECT_EQ(got.results.SortedValues,
              std::vector<double>({-2.5, 1e-300, 0.1, 42.125, 1234.5, 6.02214076e+23}));
    EXPECT_EQ(fileBytes(got.pairsFile), fileBytes(expected.pairsFile));
    EXPECT_EQ(ResultMessage(got.results), ResultMessage(expected.results));
    const QString joinHere = dir.filePath("layer/Join.txt");
    ASSERT_TRUE(WriteJoinFile(*layer, kId, kValue, got.results, joinHere).written);
    ASSERT_TRUE(
        WriteJoinFile(*dbf, kId, kValue, expected.results, dir.filePath("dbf/Join.txt")).written);
    EXPECT_EQ(fileBytes(joinHere), fileBytes(dir.filePath("dbf/Join.txt")));
}

TEST_P(EveryForm, AnEmptyCellIsRefusedByItsRecord) {
    const AnalysisOutcome refused = RunAnalysis(*layer, kCount, folder("out"));
    EXPECT_EQ(refused.status, AnalysisOutcome::Status::Refused);
    EXPECT_EQ(refused.message, "Record 5 of the field COUNT is empty.\r\nCorrect the table or "
                               "choose another field.");
}

INSTANTIATE_TEST_SUITE_P(Layers, EveryForm, ::testing::ValuesIn(kForms),
                         [](const auto& form) { return std::string(form.param.name); });

class LayerTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }

    // A table written as dBASE, then by GDAL into a file of this name.
    QString layerOf(const TableSpec& tableSpec, const QString& name, const QStringList& options) {
        writeTable(dir.filePath("t.dbf"), tableSpec);
        translateLayer(dir.filePath("t.dbf"), dir.filePath(name), options);
        return dir.filePath(name);
    }

    QTemporaryDir dir;
};

// A date is refused as a dBASE date is: its text is not a number.
TEST_F(LayerTest, DatesAreRefusedAsDbaseDatesAre) {
    TableSpec tableSpec;
    tableSpec.fields = {{"WHEN", 'D', 8, 0}, {"ID", 'N', 9, 0}};
    tableSpec.records = {{"20240131", "1"}, {"19991231", "2"}, {"20000229", "3"}};
    const struct {
        QString path;
        QString shown;
    } forms[] = {{layerOf(tableSpec, "t.gpkg", {"-f", "GPKG"}), "2024-01-31"},
                 {layerOf(tableSpec, "t.fgb", kFlatGeobuf), "2024-01-31 00:00:00"}, // a date-time
                 {dir.filePath("t.dbf"), "2024-01-31"}};
    for (const auto& form : forms) {
        QString error;
        const std::unique_ptr<Table> table = OpenTable(form.path, error);
        ASSERT_TRUE(table) << error.toStdString();
        EXPECT_EQ(table->fieldKind(0), FieldKind::Date);
        EXPECT_EQ(table->cellText(2, 0), "2000-02-29" + form.shown.mid(10));
        EXPECT_EQ(RunAnalysis(*table, 0, dir.path()).message,
                  "Record 1 of the field WHEN holds \"" + form.shown +
                      "\", which is not a number.\r\nCorrect the table or choose another field.");
    }
}

TEST_F(LayerTest, WholeNumbersBeyondTwoToThe53AreRefusedNotRounded) {
    TableSpec tableSpec;
    tableSpec.fields = {{"EXACT", 'N', 18, 0}, {"BEYOND", 'N', 18, 0}};
    tableSpec.records = {
        {"9007199254740992", "1"}, {"-9007199254740992", "-9007199254740993"}, {"5", "5"}};
    QString error;
    const std::unique_ptr<Table> table =
        OpenTable(layerOf(tableSpec, "t.gpkg", {"-f", "GPKG"}), error);
    ASSERT_TRUE(table) << error.toStdString();
    const AnalysisOutcome exact = RunAnalysis(*table, 0, dir.path());
    EXPECT_EQ(exact.results.SortedValues,
              std::vector<double>({-9007199254740992.0, 5, 9007199254740992.0}));
    EXPECT_EQ(table->cellText(1, 1), "-9007199254740993");
    EXPECT_EQ(RunAnalysis(*table, 1, dir.path()).message,
              "Record 2 of the field BEYOND holds -9007199254740993, a whole number too large to "
              "be held exactly (beyond 2^53 in magnitude).\r\nCorrect the table or choose another "
              "field.");
}

TEST_F(LayerTest, ALayerIsNamedWhenASourceHoldsSeveral) {
    const QString two =
        layerOf(textTable("A", {"x", "y", "z"}), "two.gpkg", {"-f", "GPKG", "-nln", "first"});
    writeTable(dir.filePath("t.dbf"), largeNumberTable(5));
    translateLayer(dir.filePath("t.dbf"), two, {"-update", "-nln", "second"});

    QString error;
    const std::vector<LayerInfo> layers = SourceLayers(two, error);
    ASSERT_EQ(layers.size(), 2U);
    EXPECT_EQ(layers[0].name, "first");
    EXPECT_EQ(layers[0].records, 3);
    EXPECT_EQ(layers[1].name, "second");
    EXPECT_EQ(layers[1].records, 5);

    EXPECT_FALSE(OpenTable(two, error));
    EXPECT_EQ(error, "The file holds 2 layers, so the one to open must be named: \"first\", "
                     "\"second\".");
    const std::unique_ptr<Table> second = OpenTable(two, error, {}, "second");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->recordCount(), 5);
    EXPECT_EQ(second->fieldName(0), "VALUE");
    EXPECT_FALSE(OpenTable(two, error, {}, "third"));
    EXPECT_EQ(error, "The file has no layer named \"third\"; its layers are \"first\", "
                     "\"second\".");
    EXPECT_FALSE(OpenTable(dir.filePath("t.dbf"), error, {}, "first"));
}

// The grid reads pages of records, the analysis a whole field, at the same time.
TEST_F(LayerTest, TwoThreadsReadAtOnce) {
    const QString path = layerOf(largeNumberTable(20000), "t.gpkg", {"-f", "GPKG"});
    QString error;
    const std::unique_ptr<Table> dbf = OpenTable(dir.filePath("t.dbf"), error);
    const std::unique_ptr<Table> layer = OpenTable(path, error);
    ASSERT_TRUE(dbf && layer);
    std::vector<double> scattered;
    std::thread grid([&] {
        for (int r = 19999; r >= 0; r -= 7) { // backwards, jumping between pages
            scattered.push_back(layer->storedNumber(r, 0).value_or(-1));
        }
    });
    const FieldValues whole = ReadFieldValues(*layer, 0);
    grid.join();
    EXPECT_EQ(whole.values, ReadFieldValues(*dbf, 0).values);
    for (std::size_t i = 0; i < scattered.size(); ++i) {
        ASSERT_EQ(scattered[i], *dbf->storedNumber(19999 - 7 * static_cast<int>(i), 0)) << i;
    }
}

struct BadSource {
    const char* name;
    void (*make)(const QString& path, const QString& goodSource);
    const char* reason;
};

const BadSource kBadSources[] = {
    {"cut_short",
     [](const QString& path, const QString& good) {
         writeBytes(path, readBytes(good).left(readBytes(good).size() / 2));
     },
     "database disk image is malformed"},
    {"not_a_database",
     [](const QString& path, const QString&) {
         writeBytes(path, "not a database, not even close");
     },
     "not recognized as a supported file format"},
    {"missing", [](const QString&, const QString&) {}, "No such file or directory"},
    {"folder", [](const QString& path, const QString&) { QDir().mkpath(path); },
     "The file cannot be opened: it is not a regular file."},
    {"no_fields",
     [](const QString& path, const QString&) {
         translateLayer(QFileInfo(path).dir().filePath("t.dbf"), path,
                        {"-f", "GPKG", "-nln", "bare", "-dialect", "SQLite", "-sql",
                         "SELECT MakePoint(1, 2) AS geom FROM t"});
     },
     "The layer \"bare\" has no fields, so there is nothing to show or analyze."},
};

class BadSources : public LayerTest, public ::testing::WithParamInterface<BadSource> {};

TEST_P(BadSources, AreRefusedWithTheReason) {
    const QString good = layerOf(largeNumberTable(2000), "good.gpkg", {"-f", "GPKG"});
    const QString bad = dir.filePath("bad.gpkg");
    GetParam().make(bad, good);
    QString error;
    EXPECT_FALSE(OpenTable(bad, error));
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().reason))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Layers, BadSources, ::testing::ValuesIn(kBadSources),
                         [](const auto& form) { return std::string(form.param.name); });

} // namespace
} // namespace quarvel
