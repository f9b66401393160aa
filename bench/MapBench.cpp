// How fast the map of a large layer is read and drawn, and how much memory its shapes take.
// Prints, for the layer given: the reading of the shapes, the classes of the records, the
// whole map drawn at 1000 x 700 pixels, a pan and a zoom drawn afresh, and the geometry's
// bytes against its coordinates' bytes. Each timing is the least of five tries. Then the map
// window: from showing it to the whole map drawn, a pan (a drag) and a zoom (the wheel) until
// their picture is shown, and meanwhile the longest repaint of the map and the longest wait of
// the window's event loop (how long the window could not answer).
//
//   quarvel_bench_map LAYER FIELD   (a layer GDAL reads, or a .dbf with its .shp beside it)

#include "Analysis.h"
#include "FieldValues.h"
#include "LayerShapes.h"
#include "MapPainting.h"
#include "OpenTable.h"
#include "RecordClasses.h"

#include "FakePlatform.h"
#include "MapArea.h"
#include "frmMap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

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

// Watches the window while it works: a timer ticks every 5 ms, repaints the map at once and
// notes the longest repaint and the longest gap between ticks.
class Watch {
public:
    explicit Watch(QWidget& area) : area_(area) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 gap = since_.restart();
            longestGap_ = std::max(longestGap_, gap);
            QElapsedTimer painting;
            painting.start();
            area_.repaint();
            longestRepaint_ = std::max(longestRepaint_, painting.nsecsElapsed() / 1e6);
            since_.restart();
        });
    }
    void start() {
        since_.start();
        timer_.start();
    }
    void stop() { timer_.stop(); }
    qint64 longestGap() const { return longestGap_; }
    double longestRepaint() const { return longestRepaint_; }

private:
    QWidget& area_;
    QTimer timer_;
    QElapsedTimer since_;
    qint64 longestGap_ = 0;
    double longestRepaint_ = 0;
};

// Milliseconds from act() until the map shows its next picture.
double untilShown(frmMap& map, const std::function<void()>& act) {
    bool shown = false;
    const QMetaObject::Connection connection =
        QObject::connect(&map, &frmMap::pictureShown, [&shown] { shown = true; });
    QElapsedTimer clock;
    clock.start();
    act();
    while (!shown) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QObject::disconnect(connection);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void dragBy(QWidget& area, QPoint by) {
    const QPoint from(area.width() / 2, area.height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, from, area.mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&area, &press);
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + by * step / 4;
        QMouseEvent move(QEvent::MouseMove, at, area.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&area, &move);
    }
    const QPoint to = from + by;
    QMouseEvent release(QEvent::MouseButtonRelease, to, area.mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&area, &release);
}

void turnWheel(QWidget& area, int notches) {
    const QPointF at(area.width() / 3.0, area.height() / 2.0);
    QWheelEvent wheel(at, area.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&area, &wheel);
}

void windowFigures(const std::shared_ptr<const Table>& table, const AnalysisResults& results) {
    testing::FakeDialogs dialogs;
    frmMap map(std::make_shared<AnalysisResults>(results), dialogs);
    map.setTableSource([table] { return table; });
    Watch watch(*map.picMap);
    watch.start();
    const double first = untilShown(map, [&map] { map.show(); });
    double longestPan = 0;
    double longestZoom = 0;
    for (int k = 0; k < 5; ++k) {
        longestPan = std::max(longestPan, untilShown(map, [&map, k] {
                                  dragBy(*map.picMap, QPoint(k % 2 == 0 ? 120 : -120, 40));
                              }));
        longestZoom =
            std::max(longestZoom,
                     untilShown(map, [&map, k] { turnWheel(*map.picMap, k % 2 == 0 ? 2 : -2); }));
    }
    watch.stop();
    std::printf("window: whole map shown   %.0f ms after the window was shown\n", first);
    std::printf("window: pan drawn         %.0f ms (longest of 5)\n", longestPan);
    std::printf("window: zoom drawn        %.0f ms (longest of 5)\n", longestZoom);
    std::printf("window: longest repaint   %.1f ms\n", watch.longestRepaint());
    std::printf("window: longest wait      %lld ms between two ticks of 5 ms\n",
                static_cast<long long>(watch.longestGap()));
    if (!dialogs.messages.empty()) {
        std::printf("window: message: %s\n", qPrintable(dialogs.messages.front().text));
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: quarvel_bench_map LAYER FIELD\n");
        return 2;
    }
    QString error;
    const std::shared_ptr<Table> table = OpenTable(QString::fromLocal8Bit(argv[1]), error);
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
    windowFigures(table, outcome.results);
    return 0;
}
