#include "MapTransform.h"

#include <gtest/gtest.h>

#include <string>

namespace quarvel {
namespace {

// A parameterised case is named after its row.
struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

constexpr double kClose = 1e-9;

Extent extentOf(double minX, double minY, double maxX, double maxY) {
    Extent extent;
    extent.add(minX, minY);
    extent.add(maxX, maxY);
    return extent;
}

struct FitCase {
    const char* name;
    Extent extent;
    double width, height, margin;
    // Worked by hand: the scale the narrower room allows, the extent's centre, and where one
    // map point lands.
    double scale, centreX, centreY;
    double x, y, px, py;
};

class Fitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fitting, CentresTheExtentAtTheScaleItsNarrowerSideAllows) {
    const FitCase& row = GetParam();
    const MapTransform view = MapTransform::fit(row.extent, row.width, row.height, row.margin);
    EXPECT_NEAR(view.scale, row.scale, kClose);
    EXPECT_NEAR(view.centreX, row.centreX, kClose);
    EXPECT_NEAR(view.centreY, row.centreY, kClose);
    EXPECT_NEAR(view.pixelX(row.x), row.px, kClose);
    EXPECT_NEAR(view.pixelY(row.y), row.py, kClose);
    // And back from the pixel to the map.
    EXPECT_NEAR(view.mapX(row.px), row.x, kClose);
    EXPECT_NEAR(view.mapY(row.py), row.y, kClose);
}

const FitCase kFitCases[] = {
    // 780 / 100 = 7.8 across, 580 / 50 = 11.6 down: 7.8; (0, 0) lies 50 left of and 25 below
    // the centre, 390 and 195 pixels.
    {"WideExtent", extentOf(0, 0, 100, 50), 800, 600, 10, 7.8, 50, 25, 0, 0, 10, 495},
    {"WideExtentFarCorner", extentOf(0, 0, 100, 50), 800, 600, 10, 7.8, 50, 25, 100, 50, 790, 105},
    // 780 / 10 = 78, 580 / 100 = 5.8: 5.8; (0, 0) lies 5 left and 50 below: 29 and 290 pixels.
    {"TallExtent", extentOf(0, 0, 10, 100), 800, 600, 10, 5.8, 5, 50, 0, 0, 371, 590},
    // 780 / 100 = 7.8, 580 / 290 = 2; (-100, 1000) lies 50 right and 145 below: 100, 290.
    {"NegativeAndFarFromTheOrigin", extentOf(-200, 1000, -100, 1290), 800, 600, 10, 2, -150, 1145,
     -100, 1000, 500, 590},
    // No height: the width alone decides.
    {"HorizontalLine", extentOf(0, 5, 100, 5), 800, 600, 10, 7.8, 50, 5, 0, 5, 10, 300},
    // No width: the height alone, 580 / 20 = 29.
    {"VerticalLine", extentOf(3, -10, 3, 10), 800, 600, 10, 29, 3, 0, 3, 10, 400, 10},
    // A single point: one pixel a unit, at the centre.
    {"SinglePoint", extentOf(3, 4, 3, 4), 800, 600, 10, 1, 3, 4, 4, 4, 401, 300},
    // Another picture: 980 / 100 = 9.8, 680 / 50 = 13.6.
    {"OtherSizeAndMargin", extentOf(0, 0, 100, 50), 1000, 700, 10, 9.8, 50, 25, 0, 50, 10, 105},
    {"WideMargin", extentOf(0, 0, 100, 50), 800, 600, 100, 6, 50, 25, 0, 0, 100, 450},
};

INSTANTIATE_TEST_SUITE_P(Extents, Fitting, ::testing::ValuesIn(kFitCases), RowName());

TEST(Fitting, NoExtentShowsTheOriginAtOnePixelAUnit) {
    const MapTransform view = MapTransform::fit(Extent(), 800, 600, 10);
    EXPECT_EQ(view.scale, 1);
    EXPECT_EQ(view.pixelX(0), 400);
    EXPECT_EQ(view.pixelY(0), 300);
}

// The wide extent's whole view: 7.8 pixels a unit, centre (50, 25), 800 x 600.
MapTransform wholeView() {
    return MapTransform::fit(extentOf(0, 0, 100, 50), 800, 600, 10);
}

struct ZoomCase {
    const char* name;
    double px, py, factor;
    double centreX, centreY; ///< worked by hand
};

class Zooming : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(Zooming, KeepsTheMapPointUnderThePixel) {
    const ZoomCase& row = GetParam();
    const MapTransform before = wholeView();
    const MapTransform after = before.zoomedAbout(row.px, row.py, row.factor);
    EXPECT_NEAR(after.scale, 7.8 * row.factor, kClose);
    EXPECT_NEAR(after.centreX, row.centreX, kClose);
    EXPECT_NEAR(after.centreY, row.centreY, kClose);
    EXPECT_NEAR(after.pixelX(before.mapX(row.px)), row.px, kClose);
    EXPECT_NEAR(after.pixelY(before.mapY(row.py)), row.py, kClose);
}

const ZoomCase kZoomCases[] = {
    // About the picture's centre only the scale changes.
    {"AboutTheCentre", 400, 300, 2, 50, 25},
    // (10, 495) shows (0, 0); at 15.6 pixels a unit it stays 390 / 15.6 = 25 left of the centre
    // and 195 / 15.6 = 12.5 below it.
    {"InAboutTheCorner", 10, 495, 2, 25, 12.5},
    // Out by half about (790, 105), which shows (100, 50): 390 / 3.9 = 100 and 195 / 3.9 = 50.
    {"OutAboutTheOtherCorner", 790, 105, 0.5, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Pixels, Zooming, ::testing::ValuesIn(kZoomCases), RowName());

TEST(Panning, MovesEveryPointByTheDrag) {
    const MapTransform before = wholeView();
    const MapTransform after = before.panned(78, -39);
    // 78 and 39 pixels are 10 and 5 units: the map moves right and up.
    EXPECT_NEAR(after.centreX, 40, kClose);
    EXPECT_NEAR(after.centreY, 20, kClose);
    EXPECT_NEAR(after.pixelX(0), 88, kClose);
    EXPECT_NEAR(after.pixelY(0), 456, kClose);
    EXPECT_EQ(after.scale, before.scale);
}

TEST(Resizing, KeepsTheCentreAndScale) {
    const MapTransform after = wholeView().resized(1000, 400);
    EXPECT_EQ(after.scale, 7.8);
    EXPECT_NEAR(after.pixelX(50), 500, kClose);
    EXPECT_NEAR(after.pixelY(25), 200, kClose);
}

// The hit test over one layer of every kind, at 10 pixels a unit with (0, 0) at (400, 300):
//   0  polygon 0..10 x 0..10 with a hole 2..4 x 2..4
//   1  polygon 5..15 x 5..15, over polygon 0
//   2  line from (20, 0) to (20, 10), pixels (600, 300) to (600, 200)
//   3  point (30, 5), pixel (700, 250)
//   4  no shape
//   5  point (12, 12), pixel (520, 180), over polygon 1
LayerGeometry hitLayer() {
    LayerGeometry geometry;
    const auto ring = [&geometry](double x0, double y0, double x1, double y1) {
        geometry.beginPart();
        geometry.addPoint(x0, y0);
        geometry.addPoint(x0, y1);
        geometry.addPoint(x1, y1);
        geometry.addPoint(x1, y0);
        geometry.addPoint(x0, y0);
    };
    geometry.beginFeature(ShapeKind::Polygon);
    ring(0, 0, 10, 10);
    ring(2, 2, 4, 4);
    geometry.beginFeature(ShapeKind::Polygon);
    ring(5, 5, 15, 15);
    geometry.beginFeature(ShapeKind::Line);
    geometry.beginPart();
    geometry.addPoint(20, 0);
    geometry.addPoint(20, 10);
    geometry.beginFeature(ShapeKind::Point);
    geometry.beginPart();
    geometry.addPoint(30, 5);
    geometry.beginFeature(ShapeKind::None);
    geometry.beginFeature(ShapeKind::Point);
    geometry.beginPart();
    geometry.addPoint(12, 12);
    geometry.finish();
    return geometry;
}

struct HitCase {
    const char* name;
    double px, py;
    long feature;
};

class Hitting : public ::testing::TestWithParam<HitCase> {};

TEST_P(Hitting, FindsTheTopmostFeatureUnderThePixel) {
    const HitCase& row = GetParam();
    const MapTransform view{10, 0, 0, 800, 600};
    EXPECT_EQ(FeatureAt(hitLayer(), view, row.px, row.py), row.feature);
}

const HitCase kHitCases[] = {
    {"PolygonInside", 410, 290, 0},         // (1, 1)
    {"PolygonHole", 430, 270, -1},          // (3, 3): in the hole, under nothing else
    {"OverlapTopmostWins", 480, 220, 1},    // (8, 8): in both polygons
    {"SecondPolygonAlone", 540, 160, 1},    // (14, 14)
    {"LineOnIt", 600, 250, 2},              // (20, 5)
    {"LineWithinTwoPixels", 601.9, 250, 2}, // half its width and a pixel more
    {"LineJustBeyond", 602.1, 250, -1},
    {"LineBeyondItsEnd", 600, 301.9, 2},
    {"LineFarBeyondItsEnd", 600, 302.5, -1},
    {"PointCentre", 700, 250, 3},
    {"PointWithinItsRadius", 703.4, 250, 3}, // radius 3 and half a pixel
    {"PointDiagonal", 702, 252, 3},          // 2.83 pixels away
    {"PointJustOutside", 703.6, 250, -1},
    {"PointOverPolygon", 520, 180, 5},
    {"PolygonBesideThePoint", 525, 180, 1},
    {"EmptySpace", 100, 100, -1},
    {"FarOutside", -5000, 9000, -1},
};

INSTANTIATE_TEST_SUITE_P(Pixels, Hitting, ::testing::ValuesIn(kHitCases), RowName());

TEST(Hitting, AnEmptyLayerHasNothingAnywhere) {
    LayerGeometry geometry;
    geometry.finish();
    EXPECT_EQ(FeatureAt(geometry, MapTransform{1, 0, 0, 800, 600}, 400, 300), -1);
}

} // namespace
} // namespace quarvel
