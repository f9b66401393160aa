#include "Controls.h"
#include "MainWindowHarness.h"
#include "MapArea.h"
#include "StartUp.h"
#include "frmGroups.h"
#include "frmJoin.h"
#include "frmMap.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

// File > Leave Out Empty Records: off at every start, so that an empty cell refuses the run as
// it always has; checked, Do It leaves such records out and says how many, the join window's
// last record is the table's, and the map shows them grey. What the engine makes of them is
// tested there.

using namespace quarvel;
using namespace quarvel::testing;

namespace {

const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/analysis/");

// VALUE 5, -, 3, 8, -, 1 (two blank cells): the values are the worked example's 5 3 8 1, with
// the quartiles 1 / 3 / 5 and the inner fences -5 and 11.
TableSpec gapsTable() {
    TableSpec tableSpec;
    tableSpec.fields = {{"ID", 'C', 4, 0}, {"VALUE", 'C', 12, 0}};
    int id = 0;
    for (const char* value : {"5", "", "3", "8", "  ", "1"}) {
        tableSpec.records.push_back({std::to_string(++id), std::string(value)});
    }
    return tableSpec;
}

// Ten squares of 10 units in a row, 10 apart; VALUE null in the second and the sixth, else
// 1 to 7 and 1000 as in the map window's tests (1 is rank 1, 1000 far beyond the fences).
QByteArray squaresLayer() {
    const char* values[] = {"1", "null", "2", "3", "4", "null", "5", "6", "7", "1000"};
    QByteArray json = R"({"type": "FeatureCollection", "features": [)";
    for (int k = 0; k < 10; ++k) {
        const int x = 20 * k;
        json += QStringLiteral(R"(%1{"type": "Feature", "properties": {"VALUE": %2}, )"
                               R"("geometry": {"type": "Polygon", "coordinates": )"
                               R"([[[%3, 0], [%4, 0], [%4, 10], [%3, 10], [%3, 0]]]}})")
                    .arg(k == 0 ? "" : ", ", values[k])
                    .arg(x)
                    .arg(x + 10)
                    .toUtf8();
    }
    return json + "]}";
}

// G and V: A 1, A -, A 2, B 10, A 3, B -, B 20, B 30 (V null twice). Of three values the rule
// takes the median halfway between the 1st and 2nd smallest, the quartiles at the 1st and
// halfway between the 2nd and 3rd: A (1 2 3) 1 / 1.5 / 2.5, fences -1.25 4.75 -3.5 7; B (10
// 20 30) 10 / 15 / 25, fences -12.5 47.5 -35 70.
QByteArray zonesLayer() {
    const std::pair<const char*, const char*> records[] = {
        {"A", "1"}, {"A", "null"}, {"A", "2"},  {"B", "10"},
        {"A", "3"}, {"B", "null"}, {"B", "20"}, {"B", "30"}};
    QByteArray json = R"({"type": "FeatureCollection", "features": [)";
    for (const auto& [group, value] : records) {
        json += QStringLiteral(R"(%1{"type": "Feature", "properties": {"G": "%2", "V": %3}, )"
                               R"("geometry": {"type": "Point", "coordinates": [0, 0]}})")
                    .arg(json.endsWith('[') ? "" : ", ", QString::fromLatin1(group),
                         QString::fromLatin1(value))
                    .toUtf8();
    }
    return json + "]}";
}

} // namespace

class tst_LeaveOutEmpty : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    QAction* leaveOut() const { return child<QAction>(window.get(), "mnuFileLeaveOutEmpty"); }

    void doIt() {
        fakes->dialogs.messages.clear();
        fakes->dialogs.messageAnswers.push_back(MessageAnswer::No);
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
    }

    int currentRow() const { return child<QTableView>(window.get(), "Grid")->currentIndex().row(); }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    // Its place in the File menu is checked with the other menus (tst_frmQuarvel).
    void theItemIsUncheckedAtEveryStart() {
        QVERIFY(leaveOut()->isCheckable());
        QVERIFY(!leaveOut()->isChecked());
        leaveOut()->trigger();
        QVERIFY(leaveOut()->isChecked());
        // The next start does not remember it.
        stop();
        start();
        QVERIFY(!leaveOut()->isChecked());
    }

    void doItOnEmptyCells_data() {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("pairs");
        QTest::newRow("unchecked: refused as always")
            << false << "Error!"
            << "Record 2 of the field VALUE is empty.\r\nCorrect the table or choose another "
               "field."
            << "Choose a numeric field and try again." << QByteArray("<missing>");
        QTest::newRow("checked: left out and counted")
            << true << "Save this information to disk?"
            << "Calculations complete: \r\n    1st Quartile = 1\r\n    Median       = 3\r\n"
               "    3rd Quartile = 5\r\n2 records without a value were left out."
            << "Calculations complete." << fileBytes(kGolden + "worked-Unsorted-Sorted.csv");
    }

    void doItOnEmptyCells() {
        QFETCH(bool, checked);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(QString, status);
        QFETCH(QByteArray, pairs);
        load("gaps.dbf", gapsTable());
        leaveOut()->setChecked(checked);
        doIt();
        QCOMPARE(fakes->dialogs.messages.size(), std::size_t(1));
        QCOMPARE(fakes->dialogs.messages.front().title, title);
        QCOMPARE(fakes->dialogs.messages.front().text, message);
        QCOMPARE(window->statusText(), status);
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")), pairs);
        QCOMPARE(results->ValueCount, checked ? 4 : 0);
        QCOMPARE(results->LeftOutCount, checked ? 2 : 0);
        QCOMPARE(child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled(), checked);
    }

    void theJoinWindowWritesEveryRecordAndEndsOnTheLast() {
        load("gaps.dbf", gapsTable());
        leaveOut()->setChecked(true);
        doIt();
        QCOMPARE(currentRow(), 5);
        child<QTableView>(window.get(), "Grid")->setCurrentIndex(gridModel()->index(0, 1));
        frmJoin join(results, *window, fakes->dialogs, fakes->work);
        child<QComboBox>(&join, "cmbJoinList")->setCurrentIndex(0);
        fakes->dialogs.inputAnswers.push_back("Join.txt");
        child<QPushButton>(&join, "cmdDotIt")->click();
        waitForWork();
        QCOMPARE(fakes->dialogs.messages.back().title, QStringLiteral("File done."));
        QCOMPARE(fileBytes(inFolder("Join.txt")).count("No value"), 2); // lines: the engine's
        QCOMPARE(currentRow(), 5); // the table's last record, not the fourth value's
    }

    // The groups window and the join file ranked within groups read the values as the run
    // did: a record left out belongs to no group.
    void groupsHoldOnlyTheValues() {
        auto heights = std::make_shared<UniformSequence>();
        SetUpChildWindows(*MainWindowHarness::children, results, heights, fakes->platform,
                          [this] { return window.get(); });
        writeBytes(inFolder("zones.geojson"), zonesLayer());
        openChosen("zones.geojson");
        child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(1);
        leaveOut()->setChecked(true);
        doIt();
        QCOMPARE(results->LeftOutCount, 2);

        child<QAction>(window.get(), "mnuViewGroups")->trigger();
        auto* groups =
            qobject_cast<frmGroups*>(MainWindowHarness::children->instance(ChildWindow::Groups));
        QVERIFY(groups != nullptr);
        groups->cmbGroupBy->setCurrentIndex(0);
        emit groups->cmbGroupBy->activated(0);
        QVERIFY(QTest::qWaitFor([groups] { return groups->outcome() != nullptr; }, 20000));
        const QAbstractItemModel* grid = groups->grdGroups->model();
        QStringList lines;
        for (int row = 0; row < grid->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < grid->columnCount(); ++column) {
                cells << grid->data(grid->index(row, column)).toString();
            }
            lines << cells.join(QLatin1Char('|'));
        }
        QCOMPARE(lines, QStringList(
                            {"A|3|1|1.5|2.5|-1.25|4.75|-3.5|7", "B|3|10|15|25|-12.5|47.5|-35|70"}));

        child<QAction>(window.get(), "mnuFileCreateJoin")->trigger();
        QWidget* join = MainWindowHarness::children->instance(ChildWindow::Join);
        QVERIFY(join != nullptr);
        child<QComboBox>(join, "cmbJoinList")->setCurrentIndex(0);
        auto* within = child<QComboBox>(join, "cmbRankWithin");
        within->setCurrentIndex(within->findText(QStringLiteral("G")));
        fakes->dialogs.inputAnswers.push_back(QStringLiteral("JoinG.txt"));
        child<QPushButton>(join, "cmdDotIt")->click();
        waitForWork();
        QCOMPARE(fileBytes(inFolder("JoinG.txt")),
                 QByteArray("id,G,V,Rank,Note\r\n"
                            "1,A,1,2,Within Inner-Quartile Range\r\n"
                            "2,A,,,No value\r\n"
                            "3,A,2,3,Within Inner-Quartile Range\r\n"
                            "4,B,10,2,Within Inner-Quartile Range\r\n"
                            "5,A,3,4,Within Inner-Quartile Range\r\n"
                            "6,B,,,No value\r\n"
                            "7,B,20,3,Within Inner-Quartile Range\r\n"
                            "8,B,30,4,Within Inner-Quartile Range\r\n"));
    }

    void theMapShowsTheRecordsLeftOutGrey() {
        auto heights = std::make_shared<UniformSequence>();
        SetUpChildWindows(*MainWindowHarness::children, results, heights, fakes->platform,
                          [this] { return window.get(); });
        writeBytes(inFolder("squares.geojson"), squaresLayer());
        openChosen("squares.geojson");
        leaveOut()->setChecked(true);
        doIt();
        QVERIFY(fakes->dialogs.messages.front().text.endsWith(
            "\r\n2 records without a value were left out."));
        child<QAction>(window.get(), "mnuViewMap")->trigger();
        auto* map = qobject_cast<frmMap*>(MainWindowHarness::children->instance(ChildWindow::Map));
        QVERIFY(map != nullptr);
        QVERIFY(QTest::qWaitFor([map] { return map->drawn(); }, 20000));
        const MapTransform& view = map->picMap->view();
        const auto middle = [&view](int k) {
            return QPoint(static_cast<int>(view.pixelX(20 * k + 5)),
                          static_cast<int>(view.pixelY(5)));
        };
        QCOMPARE(map->picture().pixelColor(middle(1)), QColor(0xBD, 0xBD, 0xBD));
        QCOMPARE(map->hoverText(middle(1)), QStringLiteral("Record 2: no value"));
        QCOMPARE(map->hoverText(middle(5)), QStringLiteral("Record 6: no value"));
        QCOMPARE(map->hoverText(middle(0)),
                 QStringLiteral("Record 1: 1, rank 1, Within Inner-Quartile Range"));
        QCOMPARE(map->lstLegend->item(static_cast<int>(MapClass::NoValue))->text(),
                 QStringLiteral("No value (left out of the run) (2)"));
    }
};

QTEST_MAIN(tst_LeaveOutEmpty)
#include "tst_LeaveOutEmpty.moc"
