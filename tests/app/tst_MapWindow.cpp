#include "Controls.h"
#include "MainWindowHarness.h"
#include "MapArea.h"
#include "StartUp.h"
#include "frmMap.h"
#include "frmView.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

using namespace quarvel;
using namespace quarvel::testing;

namespace {

// Eight squares of 10 units in a row, 10 apart; their values 1 to 7 and 1000. Against the
// quartiles near 2 and 6.5 and the median 4.5: 1 is rank 1, 3 rank 2, 5 rank 3, 7 rank 4, all
// within the inner fences; 1000 is far beyond the upper outer fence.
QByteArray squaresLayer() {
    const int values[] = {1, 2, 3, 4, 5, 6, 7, 1000};
    QByteArray json = R"({"type": "FeatureCollection", "features": [)";
    for (int k = 0; k < 8; ++k) {
        const int x = 20 * k;
        json += QStringLiteral(R"(%1{"type": "Feature", "properties": {"VALUE": %2}, )"
                               R"("geometry": {"type": "Polygon", "coordinates": )"
                               R"([[[%3, 0], [%4, 0], [%4, 10], [%3, 10], [%3, 0]]]}})")
                    .arg(k == 0 ? "" : ", ")
                    .arg(values[k])
                    .arg(x)
                    .arg(x + 10)
                    .toUtf8();
    }
    return json + "]}";
}

QColor color(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

} // namespace

class tst_MapWindow : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    std::shared_ptr<UniformSequence> heights = std::make_shared<UniformSequence>();

    void doIt() {
        fakes->dialogs.messageAnswers.push_back(MessageAnswer::No);
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
    }

    frmMap* showMap() {
        QAction* command = child<QAction>(window.get(), "mnuViewMap");
        if (!command->isEnabled()) {
            return nullptr;
        }
        command->trigger();
        auto* map = qobject_cast<frmMap*>(MainWindowHarness::children->instance(ChildWindow::Map));
        if (map != nullptr && !QTest::qWaitFor([map] { return map->drawn(); }, 20000)) {
            return nullptr;
        }
        return map;
    }

    // The pixel of the map where the middle of square k lies.
    static QPoint middleOf(const frmMap& map, int k) {
        const MapTransform& view = map.picMap->view();
        return QPoint(static_cast<int>(view.pixelX(20 * k + 5)), static_cast<int>(view.pixelY(5)));
    }

    frmView* detailedChart() {
        window->findChild<QAction*>(QStringLiteral("mnuViewQuarvel"))->trigger();
        auto* view =
            qobject_cast<frmView*>(MainWindowHarness::children->instance(ChildWindow::View));
        view->cmdDetail->click();
        waitForWork();
        return view;
    }

    QModelIndex gridCell() const { return child<QTableView>(window.get(), "Grid")->currentIndex(); }

private slots:
    void init() {
        start();
        SetUpChildWindows(*MainWindowHarness::children, results, heights, fakes->platform,
                          [this] { return window.get(); });
        writeBytes(inFolder("squares.geojson"), squaresLayer());
        openChosen("squares.geojson");
        doIt();
    }

    void cleanup() { stop(); }

    void eachFeatureShowsItsClassAndRecord_data() {
        QTest::addColumn<int>("square");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("hover");
        QTest::newRow("rank 1") << 0 << color(0x92C5DE)
                                << "Record 1: 1, rank 1, Within Inner-Quartile Range";
        QTest::newRow("rank 2") << 2 << color(0xD1E5F0)
                                << "Record 3: 3, rank 2, Within Inner-Quartile Range";
        QTest::newRow("rank 3") << 4 << color(0xFDDBC7)
                                << "Record 5: 5, rank 3, Within Inner-Quartile Range";
        QTest::newRow("rank 4") << 6 << color(0xF4A582)
                                << "Record 7: 7, rank 4, Within Inner-Quartile Range";
        QTest::newRow("outlier") << 7 << color(0xB2182B)
                                 << "Record 8: 1000, rank 4, Probable Outlier-High";
    }

    void eachFeatureShowsItsClassAndRecord() {
        QFETCH(int, square);
        QFETCH(QColor, color);
        QFETCH(QString, hover);
        frmMap* map = showMap();
        QVERIFY(map != nullptr);
        const QPoint at = middleOf(*map, square);
        QCOMPARE(map->picture().pixelColor(at), color);
        QCOMPARE(map->hoverText(at), hover);
        // Between two squares there is nothing to name.
        QCOMPARE(map->hoverText(at + QPoint(static_cast<int>(map->picMap->view().scale * 10), 0)),
                 QString());
        QCOMPARE(map->classCounts()[static_cast<int>(MapClass::ProbableHigh)], std::size_t(1));
        QCOMPARE(map->lstLegend->item(static_cast<int>(MapClass::ProbableHigh))->text(),
                 QStringLiteral("Probable Outlier-High (1)"));
    }

    void aClickedFeatureIsTheGridsCellAndTheChartsRing() {
        frmView* view = detailedChart();
        frmMap* map = showMap();
        QVERIFY(map != nullptr);
        QTest::mouseClick(map->picMap, Qt::LeftButton, {}, middleOf(*map, 7));
        QCOMPARE(map->marks().record, 7L);
        QCOMPARE(gridCell().row(), 7);
        QCOMPARE(gridCell().column(), 1); // the grid's first column is the record number
        // The largest value's circle is the last one drawn.
        QVERIFY(view->PicBox->ring().has_value());
        QCOMPARE(view->PicBox->ring()->x, view->PicBox->displayList().circleAt(7)->x);
        QCOMPARE(map->lblMarks->text(), QStringLiteral("Record 8 marked."));
    }

    void aClickedCircleMarksItsFeature() {
        frmView* view = detailedChart();
        frmMap* map = showMap();
        QVERIFY(map != nullptr);
        // The smallest value's circle, from the drawing's units to the picture's pixels.
        const auto circle = view->PicBox->displayList().circleAt(0);
        QVERIFY(circle.has_value());
        const QRect area = view->PicBox->contentsRect();
        const QPoint at(area.left() + static_cast<int>(circle->x * area.width() / 2000.0),
                        area.top() + static_cast<int>((800.0 - circle->y) * area.height() / 800.0));
        QTest::mouseClick(view->PicBox, Qt::LeftButton, {}, at);
        QCOMPARE(map->marks().record, 0L);
        QCOMPARE(gridCell().row(), 0);
        QVERIFY(view->PicBox->ring().has_value());
        // The mark is drawn: the square's outline turns black.
        QTRY_COMPARE(map->picture().pixelColor(
                         QPoint(static_cast<int>(map->picMap->view().pixelX(5)),
                                static_cast<int>(std::round(map->picMap->view().pixelY(0))))),
                     QColor(Qt::black));
    }

    void theLegendMarksAClassAndEscapeClearsEveryMark() {
        frmView* view = detailedChart();
        frmMap* map = showMap();
        QVERIFY(map != nullptr);
        QTest::mouseClick(map->picMap, Qt::LeftButton, {}, middleOf(*map, 3));
        QVERIFY(view->PicBox->ring().has_value());
        const int rank3 = static_cast<int>(MapClass::Rank3);
        QListWidget* legend = map->lstLegend;
        QTest::mouseClick(legend->viewport(), Qt::LeftButton, {},
                          legend->visualItemRect(legend->item(rank3)).center());
        QCOMPARE(map->marks().mapClass, rank3);
        QCOMPARE(map->marks().record, -1L);
        QCOMPARE(map->lblMarks->text(), QStringLiteral("Rank 3: 2 records marked."));
        QTest::keyClick(map, Qt::Key_Escape);
        QVERIFY(!map->marks().any());
        QCOMPARE(map->lblMarks->text(), QString());
        QVERIFY(!view->PicBox->ring().has_value());
    }

    void theWheelZoomsAboutThePointerAndHomeShowsEverything() {
        frmMap* map = showMap();
        QVERIFY(map != nullptr);
        const MapTransform whole = map->picMap->view();
        const QPoint at = middleOf(*map, 7);
        QWheelEvent wheel(at, map->picMap->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(map->picMap, &wheel);
        QVERIFY(map->picMap->view().scale > whole.scale * 1.5);
        QCOMPARE(map->hoverText(at),
                 QStringLiteral("Record 8: 1000, rank 4, Probable Outlier-High"));
        QTest::keyClick(map, Qt::Key_Home);
        QCOMPARE(map->picMap->view().scale, whole.scale);
        QCOMPARE(map->picMap->view().centreX, whole.centreX);
    }

    void aTableWithoutShapesHasNoMap() {
        load("plain.dbf", textTable("VALUE", {"1", "2", "3", "4"}), 0);
        doIt();
        QAction* command = child<QAction>(window.get(), "mnuViewMap");
        QVERIFY(!command->isEnabled());
        QVERIFY2(command->toolTip().contains(QStringLiteral("no shapefile (.shp)")),
                 qPrintable(command->toolTip()));
    }
};

QTEST_MAIN(tst_MapWindow)
#include "tst_MapWindow.moc"
