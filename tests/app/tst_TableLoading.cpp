#include "MainWindowHarness.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quarvel;
using namespace quarvel::testing;

class tst_TableLoading : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    void cancelNextDialog() { fakes->dialogs.openAnswers.push_back(std::nullopt); }

    QStringList listEntries() const {
        QStringList entries;
        for (int i = 0; i < window->cmbFieldList->count(); ++i) {
            entries << window->cmbFieldList->itemText(i);
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
        window->cmdOpen->click();
        QCOMPARE(fakes->dialogs.openDialogs.size(), size_t(1));
        const OpenFileSettings& shown = fakes->dialogs.openDialogs.front();
        QCOMPARE(shown.filter, QStringLiteral("Dbase attribute table (.dbf)|*.dbf|"));
        QCOMPARE(shown.filterIndex, 1);
        QCOMPARE(shown.flags, 4);
        // No remembered folder and no samples beside the program: the home folder.
        QCOMPARE(QDir(shown.initialFolder), QDir::home());
        QCOMPARE(window->txtInfile->text(), QStringLiteral("no table selected"));
        QCOMPARE(statuses.count(), 0);
        QVERIFY(window->gridModel() == nullptr);
        QVERIFY(QDir(program->path()).entryList(QDir::Files).isEmpty());
        QTest::qWait(600);
        QCOMPARE(window->FieldListFilled, 0);
        QVERIFY(!window->Grid->isVisible());
        QVERIFY(!window->cmdDoIt->isEnabled());
    }

    void firstOpenStartsAmongTheSamples() {
        QVERIFY(QDir(program->path()).mkdir("samples"));
        window->mnuFileOpen->trigger();
        QCOMPARE(QDir(fakes->dialogs.openDialogs.front().initialFolder),
                 QDir(program->filePath("samples")));
    }

    void openLoadsTheChosenTable() {
        choose("places.dbf");
        QSignalSpy statuses(window.get(), &frmQuarvel::statusTextChanged);
        window->mnuFileOpen->trigger();

        QCOMPARE(window->TableFolder, folder());
        QCOMPARE(window->TableName, QStringLiteral("places"));
        QCOMPARE(window->txtInfile->text(), folder() + "places.dbf");
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
        QCOMPARE(window->gridRowCount(), 4);
        QCOMPARE(window->gridColumnCount(), 4);
        QCOMPARE(window->gridText(0, 1), QStringLiteral("NAME"));
        QCOMPARE(window->gridText(0, 3), QStringLiteral("AREA"));
        QCOMPARE(window->gridText(2, 2), QStringLiteral("231767"));
        QCOMPARE(window->gridText(3, 3), QStringLiteral("2292.14"));
        QCOMPARE(window->gridText(1, 0), QString());
        QVERIFY(window->Grid->isColumnHidden(0));
        QCOMPARE(window->Grid->model()->headerData(2, Qt::Horizontal).toString(), "POP");

        // Within one tick the list is built and the first numeric field chosen.
        QCOMPARE(window->FieldListFilled, 0);
        QTRY_COMPARE(window->FieldListFilled, 1);
        QVERIFY(window->Grid->isVisible());
        QVERIFY(window->cmdDoIt->isEnabled());
        QVERIFY(window->cmbFieldList->isVisible());
        QVERIFY(window->Label3->isVisible());
        QCOMPARE(listEntries(), QStringList({"NAME", "POP", "AREA"}));
        QCOMPARE(window->cmbFieldList->currentIndex(), 1);
    }

    void nextOpenStartsInTheFolderChosenLast() {
        choose("places.dbf");
        window->mnuFileOpen->trigger();
        QDir::setCurrent(QDir::homePath());
        window->mnuFileOpen->trigger();
        QCOMPARE(fakes->dialogs.openDialogs.size(), size_t(2));
        QCOMPARE(QDir(fakes->dialogs.openDialogs.back().initialFolder), QDir(folder()));
        QCOMPARE(window->FavoriteFolder, folder());
    }

    void cancelAfterALoadLoadsTheSameTableAgain() {
        openChosen("places.dbf");
        window->cmbFieldList->setCurrentIndex(2);
        const DbfTableModel* first = window->gridModel();
        QFile::remove(program->filePath("favoritefolders.dat"));

        cancelNextDialog();
        QSignalSpy statuses(window.get(), &frmQuarvel::statusTextChanged);
        window->cmdOpen->click();
        QVERIFY(window->gridModel() != first); // bound again
        QCOMPARE(window->txtInfile->text(), folder() + "places.dbf");
        QCOMPARE(statuses.count(), 2);
        QCOMPARE(window->statusText(), QStringLiteral("Ready..."));
        QCOMPARE(window->FieldListFilled, 0);
        QTRY_COMPARE(window->FieldListFilled, 1);
        QCOMPARE(window->cmbFieldList->currentIndex(), 1); // a new preselection
        // A cancelled dialog writes no favourite folder.
        QVERIFY(!QFile::exists(program->filePath("favoritefolders.dat")));
    }

    void aSecondTableRebuildsTheListWithinOneTick() {
        openChosen("places.dbf");
        choose("stations.dbf");
        window->mnuFileOpen->trigger();
        QCOMPARE(window->FieldListFilled, 0);
        QTRY_COMPARE_WITH_TIMEOUT(window->FieldListFilled, 1, 700);
        QCOMPARE(listEntries(), QStringList({"ID", "SITE", "ELEV"}));
        QCOMPARE(window->cmbFieldList->currentIndex(), 2);
        QCOMPARE(window->gridText(2, 3), QStringLiteral("2105.4"));
    }

    void onceBuiltTheListStaysAsTheUserLeftIt() {
        openChosen("places.dbf");
        window->cmbFieldList->setCurrentIndex(0);
        QTest::qWait(1200);
        QCOMPARE(window->cmbFieldList->currentIndex(), 0);
        QCOMPARE(window->cmbFieldList->count(), 3);
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
        QCOMPARE(window->cmbFieldList->count(), 3);
        QCOMPARE(window->cmbFieldList->currentIndex(), selected);
    }

    void aTableWithoutRecords() {
        TableSpec tableSpec;
        tableSpec.fields = {{"NAME", 'C', 12, 0}, {"POP", 'N', 9, 0}};
        writeTable(tables->filePath("empty.dbf"), tableSpec);
        openChosen("empty.dbf");
        QCOMPARE(window->gridRowCount(), 1);
        QCOMPARE(listEntries(), QStringList({"NAME", "POP"}));
        QCOMPARE(window->cmbFieldList->currentIndex(), -1);
    }

    void aTableThatCannotBeOpened() {
        openChosen("places.dbf");
        const DbfTableModel* before = window->gridModel();
        writeBytes(tables->filePath("broken.dbf"),
                   QByteArray("not a table at all, not even close"));
        choose("broken.dbf");
        window->mnuFileOpen->trigger();

        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        const ShownMessage& shown = fakes->dialogs.messages.front();
        QCOMPARE(shown.text,
                 QStringLiteral("A connection could not be made to the database record source."));
        QCOMPARE(shown.title, QStringLiteral("Data Connection Error"));
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(window->ConnectAttempt, 2);
        // The previous table stays, and so do its list and the flag.
        QCOMPARE(window->gridModel(), before);
        QCOMPARE(window->gridText(1, 1), QStringLiteral("Alder"));
        QCOMPARE(window->FieldListFilled, 1);
        // The path box, the folder and the dialog's choice follow the table still shown.
        QCOMPARE(window->txtInfile->text(), folder() + "places.dbf");
        QCOMPARE(window->TableFolder, folder());
        QCOMPARE(QDir(QDir::currentPath()), QDir(folder()));
        QCOMPARE(window->statusText(), QStringLiteral("Ready..."));
        QTest::qWait(600);
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));

        // A cancelled dialog now loads the table shown once more.
        cancelNextDialog();
        window->cmdOpen->click();
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QCOMPARE(window->gridText(1, 1), QStringLiteral("Alder"));
    }

    void aFirstTableThatCannotBeOpenedKeepsItsPath() {
        writeBytes(tables->filePath("broken.dbf"), QByteArray("not a table"));
        choose("broken.dbf");
        window->mnuFileOpen->trigger();
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QVERIFY(window->gridModel() == nullptr);
        QCOMPARE(window->txtInfile->text(), folder() + "broken.dbf");
        QCOMPARE(window->TableName, QString());
    }

    void clickingAColumnPicksItsField() {
        openChosen("places.dbf");
        QCOMPARE(window->cmbFieldList->currentIndex(), 1);

        // A header click.
        emit window->Grid->horizontalHeader()->sectionClicked(3);
        QCOMPARE(window->cmbFieldList->currentText(), QStringLiteral("AREA"));

        // A click on a data cell of the first field.
        const QRect cell = window->Grid->visualRect(window->Grid->model()->index(1, 1));
        QTest::mouseClick(window->Grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(window->cmbFieldList->currentText(), QStringLiteral("NAME"));
    }
};

QTEST_MAIN(tst_TableLoading)
#include "tst_TableLoading.moc"
