#include "Controls.h"
#include "MainWindowHarness.h"
#include "PlotPicture.h"
#include "StartUp.h"
#include "frmGroups.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace quarvel;
using namespace quarvel::testing;

namespace {

// Ten records in three groups: A holds 1 to 5, B 10 and 20 (too few to describe), "C, d" 7 to
// 9. By the quartile rule, A (n 5, m 2, q 1) has quartiles 1 and 3.5 and median 2.5, fences
// -2.75 and 7.25 (inner) and -6.5 and 11 (outer); "C, d" (n 3, m 2, q 1) has quartiles 7 and
// 8.5 and median 7.5, fences 4.75 and 10.75, 2.5 and 13.
QByteArray groupsLayer() {
    const std::pair<const char*, int> records[] = {{"A", 1}, {"B", 10},  {"A", 2}, {"C, d", 7},
                                                   {"A", 3}, {"B", 20},  {"A", 4}, {"C, d", 8},
                                                   {"A", 5}, {"C, d", 9}};
    QByteArray json = R"({"type": "FeatureCollection", "features": [)";
    bool first = true;
    for (const auto& [group, value] : records) {
        json += QStringLiteral(R"(%1{"type": "Feature", "properties": {"G": "%2", "V": %3}, )"
                               R"("geometry": {"type": "Point", "coordinates": [%3, 0]}})")
                    .arg(first ? "" : ", ", QString::fromLatin1(group))
                    .arg(value)
                    .toUtf8();
        first = false;
    }
    return json + "]}";
}

const QByteArray kGroupsFile = "Group,Records,1st Quartile,Median,3rd Quartile,Lower Inner Fence,"
                               "Upper Inner Fence,Lower Outer Fence,Upper Outer Fence\r\n"
                               "A,5,1,2.5,3.5,-2.75,7.25,-6.5,11\r\n"
                               "B,2,,,,,,,\r\n"
                               "\"C, d\",3,7,7.5,8.5,4.75,10.75,2.5,13\r\n";

const QByteArray kJoinWithinGroups = "id,G,V,Rank,Note\r\n"
                                     "1,A,1,2,Within Inner-Quartile Range\r\n"
                                     "2,B,10,,Too few records in group\r\n"
                                     "3,A,2,2,Within Inner-Quartile Range\r\n"
                                     "4,C, d,7,2,Within Inner-Quartile Range\r\n"
                                     "5,A,3,3,Within Inner-Quartile Range\r\n"
                                     "6,B,20,,Too few records in group\r\n"
                                     "7,A,4,4,Within Inner-Quartile Range\r\n"
                                     "8,C, d,8,3,Within Inner-Quartile Range\r\n"
                                     "9,A,5,4,Within Inner-Quartile Range\r\n"
                                     "10,C, d,9,4,Within Inner-Quartile Range\r\n";

} // namespace

class tst_GroupsWindow : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    std::shared_ptr<UniformSequence> heights = std::make_shared<UniformSequence>();

    frmGroups* groupedBy(const QString& field) {
        child<QAction>(window.get(), "mnuViewGroups")->trigger();
        auto* groups =
            qobject_cast<frmGroups*>(MainWindowHarness::children->instance(ChildWindow::Groups));
        if (groups == nullptr) {
            return nullptr;
        }
        const int index = groups->cmbGroupBy->findText(field);
        groups->cmbGroupBy->setCurrentIndex(index);
        emit groups->cmbGroupBy->activated(index);
        if (!QTest::qWaitFor([groups] { return groups->outcome() != nullptr; }, 20000)) {
            return nullptr;
        }
        return groups;
    }

private slots:
    void init() {
        start();
        SetUpChildWindows(*MainWindowHarness::children, results, heights, fakes->platform,
                          [this] { return window.get(); });
        writeBytes(inFolder("groups.geojson"), groupsLayer());
        openChosen("groups.geojson");
        QVERIFY(!child<QAction>(window.get(), "mnuViewGroups")->isEnabled());
        fakes->dialogs.messageAnswers.push_back(MessageAnswer::No);
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
        QVERIFY(child<QAction>(window.get(), "mnuViewGroups")->isEnabled());
    }

    void cleanup() { stop(); }

    void theGridListsEveryGroupAndTheButtonSavesThem() {
        frmGroups* groups = groupedBy(QStringLiteral("G"));
        QVERIFY(groups != nullptr);
        const QAbstractItemModel* grid = groups->grdGroups->model();
        QCOMPARE(grid->rowCount(), 3);
        QStringList lines;
        for (int row = 0; row < grid->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < grid->columnCount(); ++column) {
                cells << grid->data(grid->index(row, column)).toString();
            }
            lines << cells.join(QLatin1Char('|'));
        }
        QCOMPARE(lines, QStringList({QStringLiteral("A|5|1|2.5|3.5|-2.75|7.25|-6.5|11"),
                                     QStringLiteral("B|2|||||||"),
                                     QStringLiteral("C, d|3|7|7.5|8.5|4.75|10.75|2.5|13")}));
        QCOMPARE(groups->lblNotDrawn->text(), QStringLiteral("3 groups."));
        fakes->dialogs.saveAnswers.push_back(inFolder("MyGroups.csv"));
        groups->cmdSaveGroups->click();
        QCOMPARE(fakes->dialogs.saveDialogs.back().defaultName, inFolder("Groups.csv"));
        QCOMPARE(fileBytes(inFolder("MyGroups.csv")), kGroupsFile);
    }

    void hoverReadsABoxesMarksAndLabels() {
        frmGroups* groups = groupedBy(QStringLiteral("G"));
        QVERIFY(groups != nullptr);
        QCOMPARE(groups->boxes().size(), std::size_t(3));
        const GroupChartScale scale = GroupChartScale::of(groups->boxes());
        QCOMPARE(groups->hoverText(scale.x(2.5), 50, 4), QStringLiteral("A: Median = 2.5"));
        QCOMPARE(groups->hoverText(scale.x(8.5), 250, 4),
                 QStringLiteral("C, d: Third quartile = 8.5"));
        QCOMPARE(groups->hoverText(100, 150, 4),
                 QStringLiteral("B: 2 records, too few to describe"));
        QCOMPARE(groups->hoverText(scale.x(2.5), 150, 4), QString());
    }

    void theJoinFileRanksWithinTheChosenGroups() {
        window->findChild<QAction*>(QStringLiteral("mnuFileCreateJoin"))->trigger();
        QWidget* join = MainWindowHarness::children->instance(ChildWindow::Join);
        QVERIFY(join != nullptr);
        child<QComboBox>(join, "cmbJoinList")->setCurrentIndex(0); // G
        auto* within = child<QComboBox>(join, "cmbRankWithin");
        QCOMPARE(within->itemText(0), QStringLiteral("(none)"));
        within->setCurrentIndex(within->findText(QStringLiteral("G")));
        fakes->dialogs.inputAnswers.push_back(QStringLiteral("JoinG.txt"));
        child<QPushButton>(join, "cmdDotIt")->click();
        waitForWork();
        QCOMPARE(fileBytes(inFolder("JoinG.txt")), kJoinWithinGroups);
    }
};

QTEST_MAIN(tst_GroupsWindow)
#include "tst_GroupsWindow.moc"
