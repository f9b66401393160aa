// How fast the map of a large layer is read and drawn, and how much memory its shapes take.
// Prints, for the layer given: the reading of the shapes, the classes of the records, the
// whole map drawn at 1000 x 700 pixels, a pan and a zoom drawn afresh, and the geometry's
// bytes against its coordinates' bytes. Each timing is the least of five tries.
//
//   quarvel_bench_map LAYER FIELD   (a layer GDAL reads, or a .dbf with its .shp beside it)

#include "Analysis.h"
#include "FieldValues.h"
#include "LayerShapes.h"
#include "MapPainting.h"
#include "OpenTable.h"
#include "RecordClasses.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using namespace quarvel;
using Clock = std::chrono::steady_clock;

class Quiet final : public Progress {
public:
    void stage(const QString&) override {}
};

// The least time of five runs of work, in milliseconds.
double fastest(const std::function<void()>& work, int tries = 5) {
    double best = 1e300;
    for (int k = 0; k < tries; ++k) {
        const auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: quarvel_bench_map LAYER FIELD\n");
        return 2;
    }
    QString error;
    const std::unique_ptr<Table> table = OpenTable(QString::fromLocal8Bit(argv[1]), error);
    if (!table) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const int field = FieldIndex(*table, QString::fromLocal8Bit(argv[2]));
    QTemporaryDir folder;
    const AnalysisOutcome outcome = RunAnalysis(*table, field, folder.path());
    if (!outcome.completed()) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.message));
        return 1;
    }
    Quiet quiet;
    ShapesRead shapes;
    const double reading = fastest([&] { shapes = ReadShapes(*table, &quiet); }, 3);
    if (!shapes.read()) {
        std::fprintf(stderr, "%s\n", qPrintable(shapes.message));
        return 1;
    }
    std::vector<RecordClass> ranks;
    std::vector<MapClass> classes;
    const double classifying = fastest(
        [&] {
            ClassifyRecords(*table, field, outcome.results, QLocale(), &quiet, ranks,
                            QStringLiteral("go on"));
            classes.resize(ranks.size());
            std::transform(ranks.begin(), ranks.end(), classes.begin(),
                           [](const RecordClass& c) { return c.mapClass(); });
        },
        3);
    const MapScene scene{&shapes.geometry, &classes};
    const MapTransform whole = MapTransform::fit(shapes.geometry.extent(), 1000, 700, 10);
    const MapTransform moved = whole.panned(200, -120);
    const MapTransform zoomed = whole.zoomedAbout(500, 350, 4);
    const double drawing = fastest([&] { RenderMap(scene, whole); });
    const double panning = fastest([&] { RenderMap(scene, moved); });
    const double zooming = fastest([&] { RenderMap(scene, zoomed); });
    const double hover = fastest([&] { FeatureAt(shapes.geometry, whole, 500, 350); });
    std::printf("records              %zu\n", shapes.geometry.featureCount());
    std::printf("points              %zu\n", shapes.geometry.pointCount());
    std::printf("read shapes          %.0f ms\n", reading);
    std::printf("classes              %.0f ms\n", classifying);
    std::printf("draw whole map       %.0f ms\n", drawing);
    std::printf("draw after a pan     %.0f ms\n", panning);
    std::printf("draw after zoom x4   %.0f ms\n", zooming);
    std::printf("feature under pointer %.1f ms\n", hover);
    std::printf("geometry bytes       %zu (%.2f x its coordinates' %zu)\n", shapes.geometry.bytes(),
                static_cast<double>(shapes.geometry.bytes()) /
                    static_cast<double>(shapes.geometry.coordinateBytes()),
                shapes.geometry.coordinateBytes());
    return 0;
}
