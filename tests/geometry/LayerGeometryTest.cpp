#include "LayerGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quarvel {
namespace {

// A parameterised case is named after its row.
struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

using Points = std::vector<std::pair<double, double>>;

/** A feature as a test writes it: its kind and its parts; no parts for a record without one. */
struct FeatureShape {
    ShapeKind kind = ShapeKind::None;
    std::vector<Points> parts;

    bool operator==(const FeatureShape&) const = default;
};

struct BuildCase {
    const char* name;
    std::vector<FeatureShape> features;
    Extent extent; ///< worked by hand from the coordinates
    std::size_t points;
};

LayerGeometry build(const std::vector<FeatureShape>& features) {
    LayerGeometry geometry;
    geometry.reserveFeatures(features.size());
    for (const FeatureShape& feature : features) {
        geometry.beginFeature(feature.kind);
        for (const Points& part : feature.parts) {
            geometry.beginPart();
            for (const auto& [x, y] : part) {
                geometry.addPoint(x, y);
            }
        }
    }
    geometry.finish();
    return geometry;
}

std::vector<FeatureShape> readBack(const LayerGeometry& geometry) {
    std::vector<FeatureShape> features;
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
        features.push_back(feature);
    }
    return features;
}

const FeatureShape kNull{ShapeKind::None, {}};
const Points kSquare{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
const Points kHole{{2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}};

const BuildCase kBuildCases[] = {
    {"Points",
     {{ShapeKind::Point, {{{1, 2}}}},
      {ShapeKind::Point, {{{-3, 7.5}}}},
      kNull,
      {ShapeKind::Point, {{{4, -1}}}}},
     {-3, -1, 4, 7.5},
     3},
    {"MultiPointsKeepOnePartAPoint",
     {{ShapeKind::Point, {{{1, 1}}, {{2, 2}}, {{3, 5}}}}, {ShapeKind::Point, {{{0, 4}}}}},
     {0, 1, 3, 5},
     4},
    {"MultiPartLines",
     {{ShapeKind::Line, {{{0, 0}, {5, 5}, {10, 0}}, {{20, 1}, {30, 1}}}},
      kNull,
      {ShapeKind::Line, {{{-1, -2}, {-1, 8}}}}},
     {-1, -2, 30, 8},
     7},
    {"PolygonsWithHoles",
     {{ShapeKind::Polygon, {kSquare, kHole}},
      {ShapeKind::Polygon, {{{20, 20}, {20, 30}, {25, 20}, {20, 20}}}}},
     {0, 0, 25, 30},
     14},
    {"MixedKindsInRecordOrder",
     {kNull,
      {ShapeKind::Polygon, {kSquare}},
      {ShapeKind::Point, {{{50, 60}}}},
      {ShapeKind::Line, {{{-5, 3}, {7, 3}}}},
      kNull},
     {-5, 0, 50, 60},
     8},
    {"OnlyRecordsWithoutShapes", {kNull, kNull}, {}, 0},
};

class Building : public ::testing::TestWithParam<BuildCase> {};

TEST_P(Building, ReadsBackEveryFeatureInOrderWithItsExtent) {
    const BuildCase& row = GetParam();
    const LayerGeometry geometry = build(row.features);
    ASSERT_EQ(geometry.featureCount(), row.features.size());
    EXPECT_EQ(readBack(geometry), row.features);
    EXPECT_EQ(geometry.pointCount(), row.points);
    EXPECT_EQ(geometry.coordinateBytes(), 16 * row.points);
    if (row.points == 0) {
        EXPECT_TRUE(geometry.extent().empty());
        return;
    }
    EXPECT_EQ(geometry.extent().minX, row.extent.minX);
    EXPECT_EQ(geometry.extent().minY, row.extent.minY);
    EXPECT_EQ(geometry.extent().maxX, row.extent.maxX);
    EXPECT_EQ(geometry.extent().maxY, row.extent.maxY);
}

INSTANTIATE_TEST_SUITE_P(Layers, Building, ::testing::ValuesIn(kBuildCases), RowName());

TEST(Building, APartWithoutPointsIsNoPart) {
    LayerGeometry geometry;
    geometry.beginFeature(ShapeKind::Line);
    geometry.beginPart();
    geometry.beginPart();
    geometry.addPoint(1, 1);
    geometry.addPoint(2, 2);
    geometry.beginPart(); // nothing follows
    geometry.beginFeature(ShapeKind::Line);
    geometry.beginPart();
    geometry.finish();
    const std::vector<FeatureShape> expected{{ShapeKind::Line, {{{1, 1}, {2, 2}}}}, kNull};
    EXPECT_EQ(readBack(geometry), expected);
}

TEST(Building, AnEmptyLayerHasNoFeatures) {
    LayerGeometry geometry;
    geometry.finish();
    EXPECT_EQ(geometry.featureCount(), 0u);
    EXPECT_TRUE(geometry.extent().empty());
}

// What the layer holds besides its coordinates, for n features of one kind.
struct StorageCase {
    const char* name;
    ShapeKind kind;
    int pointsAFeature;
    double mostBytesAFeature; ///< worked from the layout: coordinates and offsets
};

class Storage : public ::testing::TestWithParam<StorageCase> {};

TEST_P(Storage, KeepsNoMoreThanTheOffsetsItNeeds) {
    const StorageCase& row = GetParam();
    constexpr int kFeatures = 10000;
    LayerGeometry geometry;
    geometry.reserveFeatures(kFeatures);
    for (int f = 0; f < kFeatures; ++f) {
        geometry.beginFeature(row.kind);
        geometry.beginPart();
        for (int k = 0; k < row.pointsAFeature; ++k) {
            geometry.addPoint(f, k);
        }
    }
    geometry.finish();
    const double perFeature =
        static_cast<double>(geometry.bytes() - sizeof(LayerGeometry)) / kFeatures;
    EXPECT_LE(perFeature, row.mostBytesAFeature);
    EXPECT_GE(perFeature, 16.0 * row.pointsAFeature);
}

// A point: 16 bytes of coordinates and a feature offset of 4 (one part a point, no part
// offsets). A line of four: 64 bytes, a feature offset and a part offset.
const StorageCase kStorageCases[] = {
    {"Points", ShapeKind::Point, 1, 20.01},
    {"LinesOfFourPoints", ShapeKind::Line, 4, 72.01},
    {"RingsOfFivePoints", ShapeKind::Polygon, 5, 88.01},
};

INSTANTIATE_TEST_SUITE_P(Layers, Storage, ::testing::ValuesIn(kStorageCases), RowName());

TEST(Storage, MixedKindsCostOneByteAFeature) {
    LayerGeometry geometry;
    constexpr int kFeatures = 1000;
    for (int f = 0; f < kFeatures; ++f) {
        geometry.beginFeature(f % 2 == 0 ? ShapeKind::Point : ShapeKind::Line);
        geometry.beginPart();
        geometry.addPoint(f, 0);
        geometry.addPoint(f, 1);
    }
    geometry.finish();
    // Two points (32 bytes), a feature offset, a part offset and a kind.
    EXPECT_LE(geometry.bytes() - sizeof(LayerGeometry), std::size_t{41} * kFeatures + 8);
    EXPECT_EQ(geometry.kind(0), ShapeKind::Point);
    EXPECT_EQ(geometry.kind(kFeatures - 1), ShapeKind::Line);
}

} // namespace
} // namespace quarvel
