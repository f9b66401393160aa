#include "Controls.h"
#include "LayerFiles.h"
#include "MainWindowHarness.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace quarvel;
using namespace quarvel::testing;

class tst_TableLoading : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    void cancelNextDialog() { fakes->dialogs.openAnswers.push_back(std::nullopt); }

    QStringList listEntries() const {
        QStringList entries;
        for (int i = 0; i < child<QComboBox>(window.get(), "cmbFieldList")->count(); ++i) {
            entries << child<QComboBox>(window.get(), "cmbFieldList")->itemText(i);
        }
        return entries;
    }

private slots:
    void init() {
        start();

        TableSpec places;
        places.fields = {{"NAME", 'C', 12, 0}, {"POP", 'N', 9, 0}, {"AREA", 'N', 8, 2}};
        places.records = {{"Alder", "58805", "1543.12"},
                          {"Birch", "231767", "4117.52"},
                          {"Cedar", "25223", "2292.14"}};
        writeTable(tables->filePath("places.dbf"), places);
        TableSpec stations;
        stations.fields = {{"ID", 'C', 4, 0}, {"SITE", 'C', 10, 0}, {"ELEV", 'N', 8, 1}};
        stations.records = {{"ST1", "Flat", "-86.0"}, {"ST2", "Pass", "2105.4"}};
        writeTable(tables->filePath("stations.dbf"), stations);
    }

    void cleanup() { stop(); }

    void firstOpenCancelledChangesNothing() {
        QSignalSpy statuses(window.get(), &frmQuarvel::statusTextChanged);
        child<QPushButton>(window.get(), "cmdOpen")->click();
        waitForWork();
        QCOMPARE(fakes->dialogs.openDialogs.size(), size_t(1));
        const OpenFileSettings& shown = fakes->dialogs.openDialogs.front();
        QCOMPARE(shown.filter,
                 QStringLiteral("Dbase attribute table (.dbf)|*.dbf|"
                                "GIS layers|*.gpkg;*.fgb;*.geojson;*.json;*.csv;*.xlsx;*.ods;"
                                "*.sqlite;*.shp|All files|*|"));
        QCOMPARE(shown.filterIndex, 1);
        // No remembered folder and no samples beside the program: the home folder.
        QCOMPARE(QDir(shown.initialFolder), QDir::home());
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(),
                 QStringLiteral("no table selected"));
        QCOMPARE(statuses.count(), 0);
        QVERIFY(gridModel() == nullptr);
        QVERIFY(QDir(program->path()).entryList(QDir::Files).isEmpty());
        QTest::qWait(600);
        QVERIFY(!window->fieldListFilled());
        QVERIFY(!child<QTableView>(window.get(), "Grid")->isVisible());
        QVERIFY(!child<QPushButton>(window.get(), "cmdDoIt")->isEnabled());
    }

    void firstOpenStartsAmongTheSamples() {
        QVERIFY(QDir(program->path()).mkdir("samples"));
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QCOMPARE(QDir(fakes->dialogs.openDialogs.front().initialFolder),
                 QDir(program->filePath("samples")));
    }

    void openLoadsTheChosenTable() {
        choose("places.dbf");
        QSignalSpy statuses(window.get(), &frmQuarvel::statusTextChanged);
        child<QTimer>(window.get(), "check")->stop(); // the list waits for the tick
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();

        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), folder() + "places.dbf");
        QCOMPARE(statuses.count(), 2);
        QCOMPARE(statuses.at(0).at(0).toString(), "Loading " + folder());
        QCOMPARE(statuses.at(1).at(0).toString(), QStringLiteral("Ready..."));
        // Files written under plain names land beside the table.
        QCOMPARE(QDir(QDir::currentPath()), QDir(folder()));
        // The favourite folder: one line, the folder with its separator, CR LF.
        QFile favourite(program->filePath("favoritefolders.dat"));
        QVERIFY(favourite.open(QIODevice::ReadOnly));
        QCOMPARE(favourite.readAll(), QFile::encodeName(folder()) + "\r\n");

        // The grid as the rest of the program sees it.
        QCOMPARE(gridRowCount(), 4);
        QCOMPARE(gridColumnCount(), 4);
        QCOMPARE(gridText(0, 1), QStringLiteral("NAME"));
        QCOMPARE(gridText(0, 3), QStringLiteral("AREA"));
        QCOMPARE(gridText(2, 2), QStringLiteral("231767"));
        QCOMPARE(gridText(3, 3), QStringLiteral("2292.14"));
        QCOMPARE(gridText(1, 0), QString());
        QVERIFY(child<QTableView>(window.get(), "Grid")->isColumnHidden(0));
        QCOMPARE(child<QTableView>(window.get(), "Grid")
                     ->model()
                     ->headerData(2, Qt::Horizontal)
                     .toString(),
                 "POP");

        // Within one tick the list is built and the first numeric field chosen.
        QVERIFY(!window->fieldListFilled());
        child<QTimer>(window.get(), "check")->start();
        QTRY_VERIFY(window->fieldListFilled());
        QVERIFY(child<QTableView>(window.get(), "Grid")->isVisible());
        QVERIFY(child<QPushButton>(window.get(), "cmdDoIt")->isEnabled());
        QVERIFY(child<QComboBox>(window.get(), "cmbFieldList")->isVisible());
        QVERIFY(child<QLabel>(window.get(), "Label3")->isVisible());
        QCOMPARE(listEntries(), QStringList({"NAME", "POP", "AREA"}));
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(), 1);
    }

    void nextOpenStartsInTheFolderChosenLast() {
        choose("places.dbf");
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QDir::setCurrent(QDir::homePath());
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QCOMPARE(fakes->dialogs.openDialogs.size(), size_t(2));
        QCOMPARE(QDir(fakes->dialogs.openDialogs.back().initialFolder), QDir(folder()));
    }

    void cancelAfterALoadLoadsTheSameTableAgain() {
        openChosen("places.dbf");
        child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(2);
        const TableModel* first = gridModel();
        QFile::remove(program->filePath("favoritefolders.dat"));

        cancelNextDialog();
        QSignalSpy statuses(window.get(), &frmQuarvel::statusTextChanged);
        child<QTimer>(window.get(), "check")->stop(); // the list waits for the tick
        child<QPushButton>(window.get(), "cmdOpen")->click();
        waitForWork();
        QVERIFY(gridModel() != first); // bound again
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), folder() + "places.dbf");
        QCOMPARE(statuses.count(), 2);
        QCOMPARE(window->statusText(), QStringLiteral("Ready..."));
        QVERIFY(!window->fieldListFilled());
        child<QTimer>(window.get(), "check")->start();
        QTRY_VERIFY(window->fieldListFilled());
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(),
                 1); // a new preselection
        // A cancelled dialog writes no favourite folder.
        QVERIFY(!QFile::exists(program->filePath("favoritefolders.dat")));
    }

    void aSecondTableRebuildsTheListWithinOneTick() {
        openChosen("places.dbf");
        choose("stations.dbf");
        child<QTimer>(window.get(), "check")->stop(); // the list waits for the tick
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QVERIFY(!window->fieldListFilled());
        child<QTimer>(window.get(), "check")->start();
        QTRY_VERIFY_WITH_TIMEOUT(window->fieldListFilled(), 700);
        QCOMPARE(listEntries(), QStringList({"ID", "SITE", "ELEV"}));
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(), 2);
        QCOMPARE(gridText(2, 3), QStringLiteral("2105.4"));
    }

    void onceBuiltTheListStaysAsTheUserLeftIt() {
        openChosen("places.dbf");
        child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(0);
        QTest::qWait(1200);
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(), 0);
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->count(), 3);
    }

    void preselection_data() {
        QTest::addColumn<QStringList>("firstRecord");
        QTest::addColumn<int>("selected");
        QTest::newRow("first number") << QStringList{"abc", "12", "7"} << 1;
        QTest::newRow("0 counts") << QStringList{"0", "5", "x"} << 0;
        QTest::newRow("0.0 does not") << QStringList{"0.0", "00", "3.5"} << 2;
        QTest::newRow("empty does not") << QStringList{"", " 0", "-3"} << 2;
        QTest::newRow("house number") << QStringList{"x", "12 Main St", "9"} << 1;
        QTest::newRow("decimal point only") << QStringList{"y", ".5", "9"} << 1;
        QTest::newRow("nothing numeric") << QStringList{"a", "b", "c"} << -1;
    }

    void preselection() {
        QFETCH(QStringList, firstRecord);
        QFETCH(int, selected);
        TableSpec tableSpec;
        tableSpec.fields = {{"F1", 'C', 12, 0}, {"F2", 'C', 12, 0}, {"F3", 'C', 12, 0}};
        std::vector<std::optional<std::string>> record;
        for (const QString& value : firstRecord) {
            record.push_back(value.toStdString());
        }
        tableSpec.records = {record, {"1", "2", "3"}};
        writeTable(tables->filePath("pre.dbf"), tableSpec);
        openChosen("pre.dbf");
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->count(), 3);
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(), selected);
    }

    void aTableWithoutRecords() {
        TableSpec tableSpec;
        tableSpec.fields = {{"NAME", 'C', 12, 0}, {"POP", 'N', 9, 0}};
        writeTable(tables->filePath("empty.dbf"), tableSpec);
        openChosen("empty.dbf");
        QCOMPARE(gridRowCount(), 1);
        QCOMPARE(listEntries(), QStringList({"NAME", "POP"}));
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(), -1);
    }

    void aTableThatCannotBeOpened() {
        openChosen("places.dbf");
        const TableModel* before = gridModel();
        writeBytes(tables->filePath("broken.dbf"),
                   QByteArray("not a table at all, not even close"));
        choose("broken.dbf");
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();

        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        const ShownMessage& shown = fakes->dialogs.messages.front();
        QCOMPARE(shown.text,
                 QStringLiteral("A connection could not be made to the database record source."));
        QCOMPARE(shown.title, QStringLiteral("Data Connection Error"));
        // "not a table at all..." states a header of 0x6174 bytes in a file of 34.
        QCOMPARE(shown.detail, QStringLiteral("The header runs past the end of the file."));
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        // The previous table stays, and so do its list and the flag.
        QCOMPARE(gridModel(), before);
        QCOMPARE(gridText(1, 1), QStringLiteral("Alder"));
        QVERIFY(window->fieldListFilled());
        // The path box, the folder and the dialog's choice follow the table still shown.
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), folder() + "places.dbf");
        QCOMPARE(QDir(QDir::currentPath()), QDir(folder()));
        QCOMPARE(window->statusText(), QStringLiteral("Ready..."));
        QTest::qWait(600);
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));

        // A cancelled dialog now loads the table shown once more.
        cancelNextDialog();
        child<QPushButton>(window.get(), "cmdOpen")->click();
        waitForWork();
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QCOMPARE(gridText(1, 1), QStringLiteral("Alder"));
    }

    void aFirstTableThatCannotBeOpenedKeepsItsPath() {
        writeBytes(tables->filePath("broken.dbf"), QByteArray("not a table"));
        choose("broken.dbf");
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QVERIFY(gridModel() == nullptr);
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), folder() + "broken.dbf");
    }

    void aTableNamedAtStartOpensAsIfChosen() {
        window->openTable(inFolder("places.dbf"));
        waitForWork();
        QTRY_VERIFY(window->fieldListFilled());
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), folder() + "places.dbf");
        QCOMPARE(window->statusText(), QStringLiteral("Ready..."));
        QCOMPARE(listEntries(), QStringList({"NAME", "POP", "AREA"}));
        QCOMPARE(fileBytes(program->filePath("favoritefolders.dat")),
                 QFile::encodeName(folder()) + "\r\n");
        QVERIFY(fakes->dialogs.openDialogs.empty()); // no dialog was shown
    }

    void anotherTableIsShownFromItsTopLeft() {
        TableSpec wide;
        for (int f = 0; f < 12; ++f) {
            wide.fields.push_back({"FIELD" + std::to_string(f), 'C', 20, 0});
        }
        for (int r = 0; r < 200; ++r) {
            wide.records.emplace_back(12, "row " + std::to_string(r));
        }
        writeTable(inFolder("wide.dbf"), wide);
        writeTable(inFolder("wide2.dbf"), wide);
        openChosen("wide.dbf");
        auto* grid = child<QTableView>(window.get(), "Grid");
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        QVERIFY(grid->verticalScrollBar()->value() > 0);
        QVERIFY(grid->horizontalScrollBar()->value() > 0);
        openChosen("wide2.dbf");
        QCOMPARE(grid->verticalScrollBar()->value(), 0);
        QCOMPARE(grid->horizontalScrollBar()->value(), 0);
    }

    void aTableCutShortSaysHowManyRecordsAreReadable() {
        TableSpec tableSpec;
        tableSpec.fields = {{"NAME", 'C', 12, 0}, {"POP", 'N', 9, 0}};
        for (int i = 0; i < 50; ++i) {
            tableSpec.records.push_back({"n" + std::to_string(i), std::to_string(100 + i)});
        }
        writeTable(inFolder("cut.dbf"), tableSpec);
        // Header 32 + 2 x 32 + 1 = 97 bytes, records of 1 + 12 + 9 = 22: keep 20 of them.
        QFile cut(inFolder("cut.dbf"));
        QVERIFY(cut.resize(97 + 20 * 22));
        openChosen("cut.dbf");
        QCOMPARE(window->statusText(), QStringLiteral("Ready..."));
        QCOMPARE(child<QLabel>(window.get(), "StatusBar1Records")->text(),
                 QStringLiteral("20 of 50 records readable"));
        QVERIFY(child<QLabel>(window.get(), "StatusBar1Records")->isVisible());
        QCOMPARE(gridRowCount(), 21);
        // A whole table afterwards: nothing to say.
        writeTable(inFolder("whole.dbf"), tableSpec);
        openChosen("whole.dbf");
        QVERIFY(!child<QLabel>(window.get(), "StatusBar1Records")->isVisible());
    }

    void aCodePageFileThatIsNoFileIsNamedBesideTheRecords() {
        TableSpec tableSpec;
        tableSpec.fields = {{"NAME", 'C', 12, 0}, {"POP", 'N', 9, 0}};
        for (int i = 0; i < 50; ++i) {
            tableSpec.records.push_back({"n" + std::to_string(i), std::to_string(100 + i)});
        }
        writeTable(inFolder("odd.dbf"), tableSpec);
        QVERIFY(QDir(folder()).mkdir("ODD.CPG")); // a folder of the code-page file's name
        openChosen("odd.dbf");
        QCOMPARE(child<QLabel>(window.get(), "StatusBar1Records")->text(),
                 QStringLiteral("Code page file ignored: not a regular file"));
        QCOMPARE(gridText(1, 1), QStringLiteral("n0")); // the table opens all the same
        // Cut short as well: both are said.
        QFile cut(inFolder("odd.dbf"));
        QVERIFY(cut.resize(97 + 20 * 22));
        openChosen("odd.dbf");
        QCOMPARE(child<QLabel>(window.get(), "StatusBar1Records")->text(),
                 QStringLiteral("20 of 50 records readable; Code page file ignored: not a "
                                "regular file"));
    }

    void aSourceOfSeveralLayersAsksWhichOne() {
        // Two layers: "first" of three texts, "second" of five numbers.
        writeTable(inFolder("a.dbf"), textTable("A", {"x", "y", "z"}));
        translateLayer(inFolder("a.dbf"), inFolder("two.gpkg"), {"-f", "GPKG", "-nln", "first"});
        writeTable(inFolder("b.dbf"), largeNumberTable(5));
        translateLayer(inFolder("b.dbf"), inFolder("two.gpkg"), {"-update", "-nln", "second"});
        openChosen("places.dbf");

        // Cancel keeps the table that was shown.
        choose("two.gpkg");
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QCOMPARE(fakes->dialogs.choices.size(), size_t(1));
        QCOMPARE(fakes->dialogs.choices.front().items,
                 QStringList({"first (3 records)", "second (5 records)"}));
        QCOMPARE(gridText(1, 1), QStringLiteral("Alder"));
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), folder() + "places.dbf");

        // The second layer, chosen, is shown.
        fakes->dialogs.chooseAnswers.push_back(1);
        choose("two.gpkg");
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QTRY_VERIFY(!fakes->work.busy());
        QCOMPARE(gridRowCount(), 6);
        QCOMPARE(gridText(0, 1), QStringLiteral("VALUE"));
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), folder() + "two.gpkg");
    }

    void clickingAColumnPicksItsField() {
        openChosen("places.dbf");
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(), 1);

        // A header click.
        emit child<QTableView>(window.get(), "Grid")->horizontalHeader()->sectionClicked(3);
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentText(),
                 QStringLiteral("AREA"));

        // A click on a data cell of the first field.
        const QRect cell =
            child<QTableView>(window.get(), "Grid")
                ->visualRect(child<QTableView>(window.get(), "Grid")->model()->index(1, 1));
        QTest::mouseClick(child<QTableView>(window.get(), "Grid")->viewport(), Qt::LeftButton, {},
                          cell.center());
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentText(),
                 QStringLiteral("NAME"));
    }

    void clickingAColumnWhoseNameRepeatsPicksThatColumn() {
        TableSpec tableSpec;
        tableSpec.fields = {
            {"A", 'N', 4, 0}, {"WT", 'N', 4, 0}, {"WT", 'N', 4, 0}, {"WT", 'N', 4, 0}};
        tableSpec.records = {
            {"1", "10", "20", "30"}, {"2", "11", "21", "31"}, {"3", "12", "22", "32"}};
        writeTable(inFolder("repeats.dbf"), tableSpec);
        openChosen("repeats.dbf");
        emit child<QTableView>(window.get(), "Grid")->horizontalHeader()->sectionClicked(3);
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentIndex(), 2);
        fakes->dialogs.messageAnswers.push_back(MessageAnswer::No);
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
        QCOMPARE(results->SortedValues, std::vector<double>({20, 21, 22})); // the third field
    }
};

QTEST_MAIN(tst_TableLoading)
#include "tst_TableLoading.moc"
