#include "LayerShapes.h"

#include "DbfTable.h"
#include "OpenTable.h"
#include "TestTables.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quarvel {
namespace {

using testing::TableSpec;
using testing::writeTable;

using Points = std::vector<std::pair<double, double>>;

/** A feature as read back: its kind and its parts, in order; no parts for none. */
struct FeatureShape {
    ShapeKind kind = ShapeKind::None;
    std::vector<Points> parts;

    bool operator==(const FeatureShape&) const = default;
};

std::vector<FeatureShape> features(const LayerGeometry& geometry) {
    std::vector<FeatureShape> read;
    for (std::size_t f = 0; f < geometry.featureCount(); ++f) {
        FeatureShape feature{geometry.hasShape(f) ? geometry.kind(f) : ShapeKind::None, {}};
        for (std::uint32_t p = geometry.firstPart(f); p < geometry.endPart(f); ++p) {
            const LayerGeometry::Part part = geometry.part(p);
            Points points;
            for (std::uint32_t k = 0; k < part.count; ++k) {
                points.emplace_back(part.xy[2 * k], part.xy[2 * k + 1]);
            }
            feature.parts.push_back(points);
        }
        read.push_back(feature);
    }
    return read;
}

std::string describe(const std::vector<FeatureShape>& shapes) {
    std::string text;
    for (const FeatureShape& shape : shapes) {
        text += "kind " + std::to_string(static_cast<int>(shape.kind)) + ":";
        for (const Points& part : shape.parts) {
            text += " [";
            for (const auto& [x, y] : part) {
                text += " " + std::to_string(x) + "," + std::to_string(y);
            }
            text += " ]";
        }
        text += "\n";
    }
    return text;
}

// Rings as shapefiles keep them: outer rings clockwise, holes anticlockwise.
const Points kSquare{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
const Points kFarSquare{{1000, 1000}, {1000, 1010}, {1010, 1010}, {1010, 1000}, {1000, 1000}};
const Points kHoled{{20, 0}, {20, 10}, {30, 10}, {30, 0}, {20, 0}};
const Points kHole{{22, 2}, {24, 2}, {24, 4}, {22, 4}, {22, 2}};
const Points kLeft{{40, 0}, {40, 5}, {45, 5}, {45, 0}, {40, 0}};
const Points kRight{{50, 20}, {50, 25}, {55, 25}, {55, 20}, {50, 20}};

std::string wkt(const char* kind, const std::vector<Points>& rings) {
    std::string text = kind;
    text += "(";
    for (std::size_t r = 0; r < rings.size(); ++r) {
        text += r == 0 ? "(" : ",(";
        for (std::size_t k = 0; k < rings[r].size(); ++k) {
            text += (k == 0 ? "" : ",") + std::to_string(rings[r][k].first) + " " +
                    std::to_string(rings[r][k].second);
        }
        text += ")";
    }
    return text + ")";
}

class LayerShapesTest : public ::testing::Test {
protected:
    void SetUp() override {
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { CPLPopErrorHandler(); }

    QString inDir(const QString& name) const { return QDir(dir.path()).absoluteFilePath(name); }

    // A layer of one feature a shape (nullptr: none) with a field N numbering them from 0.
    static void writeLayer(const QString& path, const char* driverName, const char* name,
                           OGRwkbGeometryType type, const std::vector<const char*>& shapes) {
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
        ASSERT_NE(driver, nullptr);
        const GDALDatasetUniquePtr dataset(
            driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
        ASSERT_NE(dataset, nullptr);
        OGRLayer* layer = dataset->CreateLayer(name, nullptr, type, nullptr);
        ASSERT_NE(layer, nullptr);
        OGRFieldDefn number("N", OFTInteger);
        ASSERT_EQ(layer->CreateField(&number), OGRERR_NONE);
        for (std::size_t i = 0; i < shapes.size(); ++i) {
            OGRFeature feature(layer->GetLayerDefn());
            feature.SetField(0, static_cast<int>(i));
            if (shapes[i] != nullptr) {
                OGRGeometry* shape = nullptr;
                ASSERT_EQ(OGRGeometryFactory::createFromWkt(shapes[i], nullptr, &shape),
                          OGRERR_NONE);
                feature.SetGeometryDirectly(shape);
            }
            ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
        }
    }

    QTemporaryDir dir;
};

// The table's records beside the shapes of the shapefile, by physical record:
//   0 "a"      a square
//   1 "gone"   a square far away; the record is deleted
//   2 "none"   a NULL shape
//   3 "holed"  a square with a hole
//   4 "pair"   two squares
//   5 "beyond" past the shapefile's last shape
TableSpec shapefileTable() {
    TableSpec tableSpec =
        testing::textTable("NAME", {"a", "gone", "none", "holed", "pair", "beyond"});
    tableSpec.deletedRecords = {1};
    return tableSpec;
}

struct ShapefileNames {
    const char* name;
    const char* shp;
    const char* shx;
};

class ShapefileBeside : public LayerShapesTest,
                        public ::testing::WithParamInterface<ShapefileNames> {};

TEST_P(ShapefileBeside, KeepsEveryShownRecordWithItsOwnShape) {
    const ShapefileNames& names = GetParam();
    QTemporaryDir scratch;
    const std::string square = wkt("POLYGON", {kSquare});
    const std::string far = wkt("POLYGON", {kFarSquare});
    const std::string holed = wkt("POLYGON", {kHoled, kHole});
    const std::string twoSquares =
        "MULTIPOLYGON(" + wkt("", {kLeft}) + "," + wkt("", {kRight}) + ")";
    writeLayer(scratch.filePath("s.shp"), "ESRI Shapefile", "s", wkbPolygon,
               {square.c_str(), far.c_str(), nullptr, holed.c_str(), twoSquares.c_str()});
    ASSERT_TRUE(QFile::copy(scratch.filePath("s.shp"), inDir(names.shp)));
    ASSERT_TRUE(QFile::copy(scratch.filePath("s.shx"), inDir(names.shx)));
    writeTable(inDir("parcels.dbf"), shapefileTable());

    QString error;
    const std::unique_ptr<DbfTable> table = DbfTable::open(inDir("parcels.dbf"), error);
    ASSERT_NE(table, nullptr) << error.toStdString();
    EXPECT_EQ(ShapesAbsence(*table), std::nullopt);
    const ShapesRead read = ReadShapes(*table);
    ASSERT_TRUE(read.read()) << read.message.toStdString();

    // The table hides the deleted record; the map leaves out its shape with it.
    const std::vector<std::string> shown{"a", "none", "holed", "pair", "beyond"};
    ASSERT_EQ(table->recordCount(), 5);
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(table->cellText(r, 0).toStdString(), shown[std::size_t(r)]);
    }
    const std::vector<FeatureShape> expected{{ShapeKind::Polygon, {kSquare}},
                                             {},
                                             {ShapeKind::Polygon, {kHoled, kHole}},
                                             {ShapeKind::Polygon, {kLeft, kRight}},
                                             {}};
    const std::vector<FeatureShape> got = features(read.geometry);
    EXPECT_EQ(got, expected) << describe(got);
    // The far square is not in the extent: the deleted record's shape does not count.
    const Extent& extent = read.geometry.extent();
    EXPECT_EQ(extent.minX, 0);
    EXPECT_EQ(extent.minY, 0);
    EXPECT_EQ(extent.maxX, 55);
    EXPECT_EQ(extent.maxY, 25);
}

INSTANTIATE_TEST_SUITE_P(
    LetterCases, ShapefileBeside,
    ::testing::Values(ShapefileNames{"SameCase", "parcels.shp", "parcels.shx"},
                      ShapefileNames{"UpperCase", "PARCELS.SHP", "PARCELS.SHX"},
                      ShapefileNames{"BaseNameInOtherCase", "Parcels.shp", "Parcels.shx"}),
    [](const ::testing::TestParamInfo<ShapefileNames>& row) {
        return std::string(row.param.name);
    });

TEST_F(LayerShapesTest, AGeoPackageLayerOfEveryKindIsReadInRecordOrder) {
    const std::string holed = wkt("POLYGON", {kHoled, kHole});
    writeLayer(inDir("mixed.gpkg"), "GPKG", "mixed", wkbUnknown,
               {"POINT(1 2)", holed.c_str(), "MULTILINESTRING((0 0,5 5),(6 6,7 8,9 9))", nullptr,
                "MULTIPOINT((3 4),(5 6))", "LINESTRING(-1 -2,0 100)",
                "GEOMETRYCOLLECTION(POINT(70 70),LINESTRING(1 1,2 1))"});
    QString error;
    const std::unique_ptr<Table> table = OpenTable(inDir("mixed.gpkg"), error);
    ASSERT_NE(table, nullptr) << error.toStdString();
    EXPECT_EQ(ShapesAbsence(*table), std::nullopt);
    const ShapesRead read = ReadShapes(*table);
    ASSERT_TRUE(read.read()) << read.message.toStdString();
    // A collection of points and lines is drawn as its lines.
    const std::vector<FeatureShape> expected{
        {ShapeKind::Point, {{{1, 2}}}},
        {ShapeKind::Polygon, {kHoled, kHole}},
        {ShapeKind::Line, {{{0, 0}, {5, 5}}, {{6, 6}, {7, 8}, {9, 9}}}},
        {},
        {ShapeKind::Point, {{{3, 4}}, {{5, 6}}}},
        {ShapeKind::Line, {{{-1, -2}, {0, 100}}}},
        {ShapeKind::Line, {{{1, 1}, {2, 1}}}},
    };
    const std::vector<FeatureShape> got = features(read.geometry);
    EXPECT_EQ(got, expected) << describe(got);
    // The collection's point is left out, so it does not widen the extent either.
    EXPECT_EQ(read.geometry.extent().maxX, 30);
    EXPECT_EQ(read.geometry.extent().minY, -2);
    EXPECT_EQ(read.geometry.extent().maxY, 100);
}

struct AbsenceCase {
    const char* name;
    const char* table;
    const char* reason;
};

class WithoutShapes : public LayerShapesTest, public ::testing::WithParamInterface<AbsenceCase> {
protected:
    // Each kind of table without shapes, with a .shx and a .prj that are no shapefile.
    void makeTables() {
        writeTable(inDir("alone.dbf"), testing::textTable("N", {"1", "2", "3"}));
        testing::writeBytes(inDir("alone.shx"), QByteArray("not the shapes"));
        testing::writeBytes(inDir("values.csv"), QByteArray("N,NAME\n1,a\n2,b\n3,c\n"));
        writeLayer(inDir("plain.gpkg"), "GPKG", "attributes", wkbNone, {nullptr, nullptr});
    }
};

TEST_P(WithoutShapes, SaysWhyThereIsNoMap) {
    const AbsenceCase& row = GetParam();
    makeTables();
    QString error;
    const std::unique_ptr<Table> table = OpenTable(inDir(row.table), error);
    ASSERT_NE(table, nullptr) << error.toStdString();
    EXPECT_EQ(ShapesAbsence(*table).value_or("<none>").toStdString(), row.reason);
    const ShapesRead read = ReadShapes(*table);
    EXPECT_FALSE(read.read());
    EXPECT_FALSE(read.stopped);
    EXPECT_EQ(read.message.toStdString(), row.reason);
    EXPECT_EQ(read.geometry.featureCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, WithoutShapes,
    ::testing::Values(
        AbsenceCase{"DbfWithoutShp", "alone.dbf",
                    "The table has no shapes: no shapefile (.shp) of its name lies beside it."},
        AbsenceCase{"CsvLayer", "values.csv",
                    "The layer \"values\" has no geometry, only attributes."},
        AbsenceCase{"GeoPackageAttributes", "plain.gpkg",
                    "The layer \"attributes\" has no geometry, only attributes."}),
    [](const ::testing::TestParamInfo<AbsenceCase>& row) { return std::string(row.param.name); });

} // namespace
} // namespace quarvel
