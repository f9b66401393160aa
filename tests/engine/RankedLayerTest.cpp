#include "RankedLayer.h"
#include "Analysis.h"
#include "DbfTable.h"
#include "JoinFile.h"
#include "RankedLayerFields.h"
#include "TestTables.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace quarvel {
namespace {

using testing::fileBytes;
using testing::TableSpec;
using testing::writeBytes;
using testing::writeTable;

// The join file's worked example with more kinds of field, in windows-1252, and a deleted
// record (physical record 2) that the layer leaves out, shape and all.
TableSpec placesTable() {
    TableSpec tableSpec;
    tableSpec.codePage = "1252";
    tableSpec.fields = {{"NAME", 'C', 12, 0}, {"POP", 'N', 6, 0},  {"AREA", 'N', 8, 2},
                        {"SINCE", 'D', 8, 0}, {"OPEN", 'L', 1, 0}, {"NOTE_TEXT", 'C', 255, 0}};
    const char* names[] = {"Z\xfcrich", "Gen\xe8ve", "gone", "K\xf6ln", "D", "E", "F", "G", "H"};
    const char* pops[] = {"15", "3", "999", "100", "1", "6", "4", "2", "5"};
    for (int i = 0; i < 9; ++i) {
        tableSpec.records.push_back(
            {std::string(names[i]), std::string(pops[i]), std::to_string(i) + ".25",
             std::string("2020013") + char('0' + i % 2), std::string(i % 2 ? "T" : "F"),
             std::string(i == 4 ? 255 : 3, 'x')});
    }
    tableSpec.deletedRecords = {2};
    return tableSpec;
}

// What GDAL reads back from every record of placesTable, the deleted one left out.
const std::vector<std::vector<std::string>> kPlaces = {
    {"Zürich", "15", "0.25", "2020/01/30", "F"}, {"Genève", "3", "1.25", "2020/01/31", "T"},
    {"Köln", "100", "3.25", "2020/01/31", "T"},  {"D", "1", "4.25", "2020/01/30", "F"},
    {"E", "6", "5.25", "2020/01/31", "T"},       {"F", "4", "6.25", "2020/01/30", "F"},
    {"G", "2", "7.25", "2020/01/31", "T"},       {"H", "5", "8.25", "2020/01/30", "F"}};

/** A layer as GDAL reads it: field names, features in order, the coordinate system. */
struct ReadBack {
    GDALDatasetUniquePtr dataset;
    OGRLayer* layer = nullptr;
    std::vector<std::string> names;
    std::vector<OGRFeatureUniquePtr> features;
};

ReadBack readLayer(const QString& path) {
    ReadBack read;
    read.dataset.reset(GDALDataset::Open(QFile::encodeName(path).constData(), GDAL_OF_VECTOR));
    if (!read.dataset || read.dataset->GetLayerCount() != 1) {
        return read;
    }
    read.layer = read.dataset->GetLayer(0);
    for (int i = 0; i < read.layer->GetLayerDefn()->GetFieldCount(); ++i) {
        read.names.emplace_back(read.layer->GetLayerDefn()->GetFieldDefn(i)->GetNameRef());
    }
    while (OGRFeature* feature = read.layer->GetNextFeature()) {
        read.features.emplace_back(feature);
    }
    return read;
}

/** A Table that reads its cells from a dBASE table but was opened from a GDAL layer's file. */
class LayerStandIn final : public Table {
public:
    LayerStandIn(const Table& cells, QString path) : cells_(cells), path_(std::move(path)) {}
    QString path() const override { return path_; }
    int recordCount() const override { return cells_.recordCount(); }
    int fieldCount() const override { return cells_.fieldCount(); }
    QString fieldName(int f) const override { return cells_.fieldName(f); }
    std::string storedFieldName(int f) const override { return cells_.storedFieldName(f); }
    FieldKind fieldKind(int f) const override { return cells_.fieldKind(f); }
    int fieldWidth(int f) const override { return cells_.fieldWidth(f); }
    QString cellText(int r, int f) const override { return cells_.cellText(r, f); }
    std::string_view cellView(int r, int f, std::string& s) const override {
        return cells_.cellView(r, f, s);
    }
    std::optional<double> storedNumber(int r, int f) const override {
        return cells_.storedNumber(r, f);
    }
    QString codePage() const override { return QStringLiteral("UTF-8"); }
    QByteArray encode(const QString& text) const override { return text.toUtf8(); }

private:
    const Table& cells_;
    QString path_;
};

/** Stops the work at its n-th question whether to stop. */
class StopAt final : public Progress {
public:
    explicit StopAt(int n) : n_(n) {}
    void stage(const QString&) override {}
    bool stopRequested() override { return ++asked_ >= n_; }

private:
    int n_;
    int asked_ = 0;
};

class RankedLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { CPLPopErrorHandler(); }

    QString inDir(const QString& name) const { return QDir(dir.path()).absoluteFilePath(name); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    // The table, a shapefile beside it of one point (p, 10p) per physical record in UTM 32N,
    // the analysis of POP and the join file keyed by NAME.
    void makePlaces() {
        writeTable(inDir("places.dbf"), placesTable());
        QTemporaryDir scratch;
        const QByteArray shapes = QFile::encodeName(scratch.filePath("s.shp"));
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
        GDALDatasetUniquePtr dataset(driver->Create(shapes, 0, 0, 0, GDT_Unknown, nullptr));
        OGRSpatialReference utm;
        utm.importFromEPSG(32632);
        OGRLayer* layer = dataset->CreateLayer("s", &utm, wkbPoint, nullptr);
        for (int p = 0; p < 9; ++p) {
            OGRFeature feature(layer->GetLayerDefn());
            OGRPoint point(p, 10 * p);
            feature.SetGeometry(&point);
            ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
        }
        dataset.reset();
        for (const char* part : {"shp", "shx", "prj"}) {
            QFile::copy(scratch.filePath(QStringLiteral("s.") + part), inDir("places.") + part);
        }
        QString error;
        table = DbfTable::open(inDir("places.dbf"), error);
        ASSERT_NE(table, nullptr) << error.toStdString();
        const AnalysisOutcome outcome = RunAnalysis(*table, 1, dir.path());
        ASSERT_TRUE(outcome.completed());
        results = outcome.results;
        ASSERT_TRUE(WriteJoinFile(*table, 0, 1, results, inDir("Join.txt")).written);
        joinLines = fileBytes(inDir("Join.txt")).trimmed().split('\n').mid(1);
    }

    // RANK and NOTE of every feature are the join file's Rank and Note of the same record.
    void expectJoinRanks(const ReadBack& read, const char* rank) {
        ASSERT_EQ(read.features.size(), std::size_t(joinLines.size()));
        for (std::size_t i = 0; i < read.features.size(); ++i) {
            const QList<QByteArray> join = joinLines[qsizetype(i)].trimmed().split(',');
            EXPECT_EQ(read.features[i]->GetFieldAsString(rank), join[3].toStdString()) << i;
            EXPECT_EQ(read.features[i]->GetFieldAsString("NOTE"), join[4].toStdString()) << i;
        }
    }

    QTemporaryDir dir;
    std::unique_ptr<DbfTable> table;
    AnalysisResults results;
    QList<QByteArray> joinLines;
};

class RankedTargets : public RankedLayerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RankedTargets, HoldEveryRecordFieldAndShapeWithTheJoinFilesRanks) {
    makePlaces();
    const QString target = inDir(QStringLiteral("ranked.") + GetParam());
    const RankedOutcome outcome = WriteRankedLayer(*table, 1, results, target);
    ASSERT_TRUE(outcome.written) << outcome.message.toStdString();
    const bool shapefile = QFileInfo(target).suffix() == "shp";
    // The 255-byte text goes whole into a GeoPackage; a shapefile keeps 254 bytes of it.
    EXPECT_EQ(outcome.notes.join("|").toStdString(),
              shapefile ? "Texts of more than 254 bytes are cut to 254: 1 of the field NOTE_TEXT."
                        : "");
    const ReadBack read = readLayer(target);
    ASSERT_NE(read.layer, nullptr);
    const std::vector<std::string> names = {"NAME", "POP",       "AREA", "SINCE",
                                            "OPEN", "NOTE_TEXT", "RANK", "NOTE"};
    EXPECT_EQ(read.names, names);
    ASSERT_EQ(read.features.size(), kPlaces.size());
    for (std::size_t i = 0; i < kPlaces.size(); ++i) {
        const OGRFeature& feature = *read.features[i];
        EXPECT_EQ(feature.GetFieldAsString(0), kPlaces[i][0]) << i;
        EXPECT_EQ(feature.GetFieldAsInteger(1), std::stoi(kPlaces[i][1])) << i;
        EXPECT_EQ(feature.GetFieldAsDouble(2), std::stod(kPlaces[i][2])) << i;
        EXPECT_EQ(feature.GetFieldAsString(3), kPlaces[i][3]) << i;
        EXPECT_EQ(feature.GetFieldAsString(4), kPlaces[i][4]) << i;
        EXPECT_EQ(std::strlen(feature.GetFieldAsString(5)),
                  i == 3 ? (shapefile ? 254u : 255u) : 3u);
        // Record i lies at physical record i, or i + 1 after the deleted one.
        const int physical = i < 2 ? int(i) : int(i) + 1;
        const auto* point = dynamic_cast<const OGRPoint*>(feature.GetGeometryRef());
        ASSERT_NE(point, nullptr) << i;
        EXPECT_EQ(point->getX(), physical);
        EXPECT_EQ(point->getY(), 10 * physical);
    }
    expectJoinRanks(read, "RANK");
    OGRSpatialReference utm;
    utm.importFromEPSG(32632);
    ASSERT_NE(read.layer->GetSpatialRef(), nullptr);
    EXPECT_TRUE(read.layer->GetSpatialRef()->IsSame(&utm));
    if (shapefile) {
        EXPECT_EQ(fileBytes(inDir("ranked.cpg")), QByteArray("1252"));
        EXPECT_TRUE(fileBytes(inDir("ranked.dbf")).contains("Z\xfcrich")); // the table's bytes
    }
    // Nothing but the table's files, the analysis's, the join file and the target's.
    const int targetFiles = shapefile ? 5 : 1;
    EXPECT_EQ(files().size(), 7 + targetFiles) << files().join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Targets, RankedTargets, ::testing::Values("gpkg", "shp"));

TEST_F(RankedLayerTest, ALayerReadThroughGdalKeepsItsFieldsAndCutsLongNamesForAShapefile) {
    makePlaces();
    // The same records as a GeoPackage layer whose names are longer than a shapefile holds
    // (two alike in their first ten letters) and one that is RANK.
    const char* sql = "SELECT NAME AS RANK, POP AS POPULATION_2020, AREA AS POPULATION_2021 "
                      "FROM places";
    char* arguments[] = {const_cast<char*>("-sql"), const_cast<char*>(sql),
                         const_cast<char*>("-nln"), const_cast<char*>("towns"), nullptr};
    GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(arguments, nullptr);
    GDALDatasetH source = GDALOpenEx(QFile::encodeName(inDir("places.shp")), GDAL_OF_VECTOR,
                                     nullptr, nullptr, nullptr);
    GDALClose(GDALVectorTranslate(QFile::encodeName(inDir("towns.gpkg")), nullptr, 1, &source,
                                  options, nullptr));
    GDALClose(source);
    GDALVectorTranslateOptionsFree(options);
    const LayerStandIn layer(*table, inDir("towns.gpkg"));
    const AnalysisOutcome analysed = RunAnalysis(layer, 1, dir.path());
    ASSERT_TRUE(analysed.completed());

    const RankedOutcome shp = WriteRankedLayer(layer, 1, analysed.results, inDir("t.shp"));
    ASSERT_TRUE(shp.written) << shp.message.toStdString();
    const ReadBack read = readLayer(inDir("t.shp"));
    const std::vector<std::string> names = {"RANK", "POPULATION", "POPULATI_1", "RANK_1", "NOTE"};
    EXPECT_EQ(read.names, names);
    EXPECT_EQ(shp.notes.join('|').toStdString(),
              "Field names of more than 10 characters are cut short, each unique: "
              "POPULATION_2020 as POPULATION, POPULATION_2021 as POPULATI_1.|The table has a "
              "field RANK already, so the layer's rank is called RANK_1.");
    ASSERT_EQ(read.features.size(), kPlaces.size());
    for (std::size_t i = 0; i < kPlaces.size(); ++i) {
        EXPECT_EQ(read.features[i]->GetFieldAsString(0), kPlaces[i][0]);
        EXPECT_EQ(read.features[i]->GetFieldAsDouble(2), std::stod(kPlaces[i][2]));
    }
    expectJoinRanks(read, "RANK_1");
    EXPECT_EQ(fileBytes(inDir("t.cpg")), QByteArray("UTF-8"));

    // A GeoPackage keeps the names; only RANK takes a number.
    ASSERT_TRUE(WriteRankedLayer(layer, 1, analysed.results, inDir("t.gpkg")).written);
    const std::vector<std::string> kept = {"RANK", "POPULATION_2020", "POPULATION_2021", "RANK_1",
                                           "NOTE"};
    EXPECT_EQ(readLayer(inDir("t.gpkg")).names, kept);
    // The layer itself and the files SQLite keeps beside it are never a target.
    const RankedOutcome self = WriteRankedLayer(layer, 1, analysed.results, inDir("TOWNS.gpkg"));
    EXPECT_TRUE(self.message.startsWith("The name \"TOWNS.gpkg\" is the layer being analyzed"));
}

struct Refusal {
    const char* name;
    const char* target;
    const char* message; ///< how it starts
};

class RankedRefusals : public RankedLayerTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RankedRefusals, WriteNothingAndKeepAnEarlierTarget) {
    makePlaces();
    QDir(dir.path()).mkdir("folder.dbf");
    writeBytes(inDir("earlier.gpkg"), "earlier");
    const QStringList before = files();
    const RankedOutcome outcome = WriteRankedLayer(*table, 1, results, inDir(GetParam().target));
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_TRUE(outcome.message.startsWith(QString::fromUtf8(GetParam().message)))
        << outcome.message.toStdString();
    EXPECT_EQ(files(), before);
    EXPECT_EQ(fileBytes(inDir("earlier.gpkg")), QByteArray("earlier"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RankedRefusals,
    ::testing::Values(
        Refusal{"OntoTheShapes", "Places.shp", "The name \"Places.shp\" is the table being"},
        Refusal{"NoLayerKind", "earlier.csv", "The name \"earlier.csv\" ends neither in .gpkg"},
        Refusal{"NoSuchFolder", "none/earlier.gpkg",
                "The file \"earlier.gpkg\" could not be written in"},
        Refusal{"AFolderOfAPartsName", "folder.shp",
                "The file \"folder.dbf\" could not be written in"}),
    [](const ::testing::TestParamInfo<Refusal>& row) { return row.param.name; });

class RankedStops : public RankedLayerTest, public ::testing::WithParamInterface<int> {};

// Asked at the values, the field check, the first feature, after the last and before the
// files take their place: each stop leaves the folder as it was.
TEST_P(RankedStops, LeaveNothingBehind) {
    makePlaces();
    writeBytes(inDir("earlier.shp"), "earlier");
    const QStringList before = files();
    StopAt stop(GetParam());
    const RankedOutcome outcome = WriteRankedLayer(*table, 1, results, inDir("earlier.shp"), &stop);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(files(), before);
    EXPECT_EQ(fileBytes(inDir("earlier.shp")), QByteArray("earlier"));
}

INSTANTIATE_TEST_SUITE_P(EachCheck, RankedStops, ::testing::Range(1, 6));

struct Limit {
    std::size_t fields;
    int width;
    std::int64_t records;
    bool refused;
};

class DbfLimits : public ::testing::TestWithParam<Limit> {};

// A .dbf of one 254-byte text takes 32 + 32 + 1 + 255 r + 1 bytes: 8,421,504 records fit in
// 2^31 bytes, one more does not. 255 fields fit, 256 do not.
TEST_P(DbfLimits, RefuseBeyondWhatAShapefileHolds) {
    const Limit& limit = GetParam();
    ranked::FieldPlan field;
    field.width = limit.width;
    const std::vector<ranked::FieldPlan> fields(limit.fields, field);
    EXPECT_EQ(ranked::DbfLimitRefusal(fields, limit.records).has_value(), limit.refused);
}

INSTANTIATE_TEST_SUITE_P(Cases, DbfLimits,
                         ::testing::Values(Limit{1, 254, 8'421'504, false},
                                           Limit{1, 254, 8'421'505, true}, Limit{255, 1, 10, false},
                                           Limit{256, 1, 10, true}));

} // namespace
} // namespace quarvel
