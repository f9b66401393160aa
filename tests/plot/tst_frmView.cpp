#include "Analysis.h"
#include "BackgroundWork.h"
#include "DbfTable.h"
#include "FakePlatform.h"
#include "LocaleNumbers.h"
#include "PainterCanvas.h"
#include "TestTables.h"
#include "frmView.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>

using namespace quarvel;
using namespace quarvel::testing;

namespace {

AnalysisResults workedExample() {
    AnalysisResults r;
    r.SortedValues = {10, 30, 50, 70, 100};
    r.ValueCount = 5;
    r.FirstQuartile = 30;
    r.Median = 50;
    r.ThirdQuartile = 70;
    r.LowerInnerFence = -30;
    r.UpperInnerFence = 130;
    r.LowerOuterFence = -90;
    r.UpperOuterFence = 190;
    return r;
}

} // namespace

class tst_frmView : public QObject {
    Q_OBJECT

private:
    FakePlatform fakes;
    std::shared_ptr<AnalysisResults> results = std::make_shared<AnalysisResults>();
    std::shared_ptr<UniformSequence> heights = std::make_shared<UniformSequence>();
    QPointer<frmView> view;

private slots:
    void init() {
        *results = workedExample();
        view = new frmView(results, heights, fakes.dialogs, fakes.work);
        view->setAttribute(Qt::WA_DeleteOnClose);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
    }

    void cleanup() { delete view.data(); }

    void layout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("PicBox") << "PicBox" << QRect(8, 8, 505, 345) << "";
        QTest::newRow("cmdBasic") << "cmdBasic" << QRect(152, 360, 113, 25) << "&Basic View";
        QTest::newRow("cmdDetail") << "cmdDetail" << QRect(272, 360, 113, 25) << "&Detailed View";
        QTest::newRow("cmdCancel") << "cmdCancel" << QRect(392, 360, 121, 25) << "&Cancel";
    }

    void layout() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        auto* control = view->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->geometry(), geometry);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
        }
        QCOMPARE(view->windowTitle(), QStringLiteral("View Plot"));
        QCOMPARE(view->size(), QSize(518, 390));
        QVERIFY(view->cmdBasic->isDefault());
    }

    void opensBlank() {
        QVERIFY(view->PicBox->displayList().empty());
        const QImage shown = view->PicBox->renderImage();
        QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::white));
    }

    void basicViewDrawsTheChart() {
        view->cmdBasic->click();
        // Clear, scale, axis, whisker, filled box, outline, median, four fences, two labels
        // with their ticks, and the two ticks at the ends of the axis.
        QCOMPARE(view->PicBox->displayList().operations().size(), std::size_t{17});
        QCOMPARE(view->PicBox->displayList().texts(), (std::vector<std::string>{" 10 ", " 100 "}));
        QCOMPARE(view->plotFields().PlotScale, 0.23875);
    }

    void enterPressesBasicAndEscapeUnloads() {
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(!view->PicBox->displayList().empty());
        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(view.isNull()); // unloaded, not just hidden
    }

    void realPixels() {
        view->cmdBasic->click();
        // 1000 x 400 pixels: half a pixel per unit across, half a pixel per unit up.
        const QImage image = view->PicBox->renderImage(QSize(1000, 400));
        const auto at = [&image](double x, double y) {
            return image.pixelColor(static_cast<int>(x / 2), static_cast<int>((800 - y) / 2));
        };
        QCOMPARE(at(800, 400), QColor(0, 0, 255)); // inside the box: blue fill
        QCOMPARE(at(760, 300), QColor(0, 0, 255));
        QCOMPARE(at(828, 580), QColor(0, 0, 0));   // the median mark above the box
        QCOMPARE(at(840, 580), QColor(Qt::white)); // and nothing beside it
        QCOMPARE(at(745, 400), QColor(0, 0, 0));   // the box's black outline, left edge
        QCOMPARE(at(600, 50), QColor(0, 0, 255));  // the axis
        QCOMPARE(at(600, 700), QColor(Qt::white)); // empty sky
        QCOMPARE(at(493, 400), QColor(0, 0, 0));   // the lower inner fence mark
    }

    void aBoxWithoutWidthStillShows() {
        // All three quartiles equal: the box has no width and is drawn as a line.
        QImage image(1000, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterCanvas canvas(painter, QRectF(0, 0, 1000, 400), Qt::white, true);
        canvas.setScale(0, 800, 2000, 0);
        canvas.setColor(Rgb{0, 0, 255});
        canvas.rectangle(1000, 550, 1000, 250, true);
        painter.end();
        QCOMPARE(image.pixelColor(500, 200), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(500, 150), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(510, 200), QColor(Qt::white));
    }

    void detailedViewAddsTheValues() {
        view->cmdDetail->click();
        QTRY_VERIFY(!fakes.work.busy());
        int circles = 0;
        for (const auto& op : view->PicBox->displayList().operations()) {
            circles += op.kind == DisplayList::Kind::Circle ? 1 : 0;
        }
        QCOMPARE(circles, 5);
        view->cmdBasic->click();
        for (const auto& op : view->PicBox->displayList().operations()) {
            QVERIFY(op.kind != DisplayList::Kind::Circle); // a basic press clears them away
        }
    }

    void aLongDrawingShowsItsProgressHereAndFindsTheRecordsOnTheWorker() {
        QTemporaryDir dir;
        testing::writeTable(dir.filePath("large.dbf"), testing::largeNumberTable(300000));
        QString error;
        std::shared_ptr<const Table> table = DbfTable::open(dir.filePath("large.dbf"), error);
        const AnalysisOutcome outcome = RunAnalysis(*table, 0, dir.path());
        QVERIFY(outcome.completed());
        *results = outcome.results;
        view->setTableSource([table] { return table; });
        // The stages as the bar shows them, and its values, each time a stage arrives.
        QStringList formats;
        QList<int> values;
        QObject listening; // the connections end with this test
        // The window's own handler, connected first, has set the bar by the time this runs.
        connect(&fakes.work, &BackgroundWork::stageChanged, &listening, [&] {
            formats << view->drawingProgress->format();
            values << view->drawingProgress->value();
        });
        view->cmdDetail->click();
        QTRY_VERIFY_WITH_TIMEOUT(!fakes.work.busy(), 30000);
        QVERIFY(formats.size() >= 2);
        QCOMPARE(formats.front(), QStringLiteral("Drawing the values... %p%"));
        QVERIFY(formats.contains(QStringLiteral("Painting... %p%")));
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QVERIFY(!view->drawingProgress->isVisible());
        QVERIFY(view->cmdDetail->isEnabled());

        // The records were found with the drawing: the table is not read again at the hover.
        view->setTableSource([] { return std::shared_ptr<const Table>(); });
        std::optional<DisplayList::Operation> last;
        for (const auto& op : view->PicBox->displayList().operations()) {
            if (op.kind == DisplayList::Kind::Circle) {
                last = op;
            }
        }
        QVERIFY(last.has_value());
        const double highest = results->SortedValues.back();
        int record = 0; // the record of the highest value, counting from 1
        for (int r = 0; r < table->recordCount(); ++r) {
            if (table->cellText(r, 0).toDouble() == highest) {
                record = r + 1;
            }
        }
        QVERIFY(view->hoverText(last->x1, last->y1, 6, 3)
                    .startsWith(QStringLiteral("Value %1, record %2, ")
                                    .arg(MessageNumberText(highest))
                                    .arg(record)));
    }

    void dataFarFromZeroDrawWithoutHarm() {
        // Equal values far from zero would land off the canvas on the usual scale; on the
        // fitted one they are centred: the median mark at x 1000, and nothing wraps round
        // elsewhere into the picture. -1e300 is offset by its own size to x 200, on the
        // canvas, and so keeps the usual scale. The axis stays.
        for (const auto& [v, markX] :
             {std::pair{1e9, 1000.0}, std::pair{1e300, 1000.0}, std::pair{-1e300, 200.0}}) {
            results->SortedValues = {v, v, v};
            results->ValueCount = 3;
            results->FirstQuartile = results->Median = results->ThirdQuartile = v;
            results->LowerInnerFence = results->UpperInnerFence = v;
            results->LowerOuterFence = results->UpperOuterFence = v;
            view->cmdBasic->click();
            const QImage image = view->PicBox->renderImage(QSize(1000, 400));
            const auto at = [&image](double x, double y) {
                return image.pixelColor(static_cast<int>(x / 2), static_cast<int>((800 - y) / 2));
            };
            QCOMPARE(at(600, 50), QColor(0, 0, 255)); // the axis
            bool median = false;                      // the median mark above the box, a pixel wide
            for (double x = markX - 4; x <= markX + 4; x += 2) {
                median = median || at(x, 580) == QColor(Qt::black);
            }
            QVERIFY(median);
            QCOMPARE(at(1400, 300), QColor(Qt::white));
            QCOMPARE(at(600, 400), QColor(Qt::white));
            view->PicBox->repaint();
        }
    }

    void aLargerWindowGivesTheChartTheRoom() {
        const QSize designed = view->size();
        const QRect cancel = view->cmdCancel->geometry();
        view->cmdBasic->click();
        view->resize(designed + QSize(300, 200));
        QTRY_COMPARE(view->size(), designed + QSize(300, 200));
        QCOMPARE(view->PicBox->contentsRect().size(), QSize(801, 541));
        QCOMPARE(view->cmdCancel->geometry(), cancel.translated(300, 200));
        // Drawn again on the same 2000 x 800 units: the axis at y 50 runs from x 200 to 1800,
        // here from pixel 80 to 721 across, 507 down.
        const QImage image = view->PicBox->renderImage();
        QCOMPARE(image.size(), QSize(801, 541));
        QCOMPARE(image.pixelColor(400, 507), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(40, 507), QColor(Qt::white));
        view->resize(100, 100);
        QTRY_COMPARE(view->size(), designed); // never smaller than designed
    }

    void pointingAtTheChartNamesWhatIsThere() {
        // The values 5, 3, 8, 1 in table order: quartiles 1 and 5, median 3, fences -5, 11,
        // -11 and 17.
        QTemporaryDir dir;
        testing::writeTable(dir.filePath("t.dbf"), testing::textTable("V", {"5", "3", "8", "1"}));
        QString error;
        std::shared_ptr<const Table> table = DbfTable::open(dir.filePath("t.dbf"), error);
        const AnalysisOutcome outcome = RunAnalysis(*table, 0, dir.path());
        QVERIFY(outcome.completed());
        *results = outcome.results;
        view->setTableSource([table] { return table; });
        view->cmdDetail->click();
        QTRY_VERIFY(!fakes.work.busy());
        // Each circle, found in the drawing, names its value, its record and its class.
        std::vector<DisplayList::Operation> circles;
        for (const auto& op : view->PicBox->displayList().operations()) {
            if (op.kind == DisplayList::Kind::Circle) {
                circles.push_back(op);
            }
        }
        QCOMPARE(circles.size(), size_t(4));
        QCOMPARE(view->hoverText(circles[3].x1, circles[3].y1, 6, 3),
                 QStringLiteral("Value 8, record 3, within the inner fences"));
        QCOMPARE(view->hoverText(circles[0].x1, circles[0].y1, 6, 3),
                 QStringLiteral("Value 1, record 4, within the inner fences"));
        // A fence mark, out of the circles' reach (the marks stand 300 to 500 high).
        view->cmdBasic->click();
        const ChartPlacement place = PlaceChart(*results);
        QCOMPARE(view->hoverText(place.exact(17), 450, 6, 3),
                 QStringLiteral("Upper outer fence = 17"));
        QCOMPARE(view->hoverText(place.exact(3), 580, 6, 3), QStringLiteral("Median = 3"));
        QCOMPARE(view->hoverText(place.exact(3) + 40, 700, 6, 3), QString());
        // Another analysis since the drawing: nothing is named from the old picture.
        results->ValuesDigest += 1;
        QCOMPARE(view->hoverText(place.exact(3), 580, 6, 3), QString());
    }

    void copyPutsThePictureOnTheClipboard() {
        view->cmdBasic->click();
        view->PicBox->copyAction->trigger();
        const QImage copied = QGuiApplication::clipboard()->image();
        // The picture box's 505 x 345 less its two-pixel sunken panel on each side.
        QCOMPARE(copied.size(), QSize(501, 341));
        // Inside the box (790, 400 in plot units): 790 * 501 / 2000 = 197.9, 400 * 341 / 800
        // = 170.5.
        QCOMPARE(copied.pixelColor(197, 170), QColor(0, 0, 255));
    }

    void saveAs_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("png") << "plot.png";
        QTest::newRow("svg") << "plot.svg";
        QTest::newRow("pdf") << "plot.pdf";
    }

    void saveAs() {
        QFETCH(QString, name);
        QTemporaryDir folder;
        view->cmdDetail->click();
        QTRY_VERIFY(!fakes.work.busy());
        fakes.dialogs.saveAnswers.push_back(folder.filePath(name));
        fakes.dialogs.messages.clear();
        view->PicBox->saveAction->trigger();
        QCOMPARE(fakes.dialogs.messages.size(), size_t(0));
        QCOMPARE(fakes.dialogs.saveDialogs.back().filters.size(), 3);
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (name.endsWith("png")) {
            QVERIFY(bytes.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
            QImage image;
            QVERIFY(image.loadFromData(bytes, "PNG"));
            QCOMPARE(image.size(), QSize(501, 341));
            // Inside the box, between the circles of 30 (x 745) and 50 (x 828).
            QCOMPARE(image.pixelColor(197, 170), QColor(0, 0, 255));
        } else if (name.endsWith("svg")) {
            QSvgRenderer svg(bytes);
            QVERIFY(svg.isValid());
            QVERIFY(bytes.contains("<svg"));
            QCOMPARE(bytes.count("<circle"), 5); // one for each value
            QVERIFY(bytes.contains("> 10 </text>"));
            QVERIFY(bytes.contains("> 100 </text>"));
            // The box from 745 to 912 and from 550 down to 250 in plot units, at 501 / 2000
            // across and 341 / 800 down: x 186.623, width 41.8335, y 106.563, height 127.875.
            QVERIFY(bytes.contains(
                R"(<rect x="186.623" y="106.563" width="41.8335" height="127.875"/>)"));
        } else {
            QVERIFY(bytes.startsWith("%PDF"));
        }
    }

    void saveAsRefusesAnUnknownTypeAndKeepsEarlierFiles() {
        QTemporaryDir folder;
        view->cmdBasic->click();
        fakes.dialogs.messages.clear();
        fakes.dialogs.saveAnswers.push_back(folder.filePath("plot.bmp"));
        view->PicBox->saveAction->trigger();
        QCOMPARE(fakes.dialogs.messages.size(), size_t(1));
        QCOMPARE(fakes.dialogs.messages.front().title, QStringLiteral("Error!"));
        QVERIFY(!QFile::exists(folder.filePath("plot.bmp")));

        // A folder that is not there: the message, and nothing half-written.
        fakes.dialogs.messages.clear();
        fakes.dialogs.saveAnswers.push_back(folder.filePath("missing/plot.png"));
        view->PicBox->saveAction->trigger();
        QCOMPARE(fakes.dialogs.messages.size(), size_t(1));
    }

    void cancellingTheSaveDialogDoesNothing() {
        fakes.dialogs.messages.clear();
        view->PicBox->saveAction->trigger(); // no queued answer: cancelled
        QCOMPARE(fakes.dialogs.messages.size(), size_t(0));
    }
};

QTEST_MAIN(tst_frmView)
#include "tst_frmView.moc"
