#include "Controls.h"
#include "MainWindowHarness.h"

#include <gdal.h>
#include <ogr_api.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <limits>
#include <memory>

using namespace quarvel;
using namespace quarvel::testing;

namespace {

const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/analysis/");

TableSpec numberTable(const std::vector<std::string>& values, const std::string& name = "VALUE") {
    TableSpec tableSpec;
    tableSpec.fields = {{"ID", 'C', 6, 0}, {name, 'C', 24, 0}};
    int id = 0;
    for (const std::string& value : values) {
        tableSpec.records.push_back({std::to_string(++id), value});
    }
    return tableSpec;
}

} // namespace

class tst_AnalysisRun : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    // Runs "Do It", answering the save question and the file name as given.
    void doIt(bool save = false, const QString& name = QString()) {
        fakes->dialogs.messages.clear();
        fakes->dialogs.inputs.clear();
        fakes->dialogs.messageAnswers.push_back(save ? MessageAnswer::Yes : MessageAnswer::No);
        if (save) {
            fakes->dialogs.inputAnswers.push_back(name);
        }
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
    }

    QStringList filesHere() const {
        return QDir(folder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                                        QDir::Name);
    }

private slots:
    void init() { start(); }

    void cleanup() { stop(); }

    void workedExample() {
        load("worked.dbf", numberTable({"5", "3", "8", "1"}));
        QSignalSpy statuses(window.get(), &frmQuarvel::statusTextChanged);
        doIt(true, "Median.csv");

        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        const ShownMessage& shown = fakes->dialogs.messages.front();
        QCOMPARE(shown.text, QStringLiteral("Calculations complete: \r\n"
                                            "    1st Quartile = 1\r\n"
                                            "    Median       = 3\r\n"
                                            "    3rd Quartile = 5"));
        QCOMPARE(shown.title, QStringLiteral("Save this information to disk?"));
        QCOMPARE(shown.buttons, MessageButtons::YesNo);
        QCOMPARE(shown.icon, MessageIcon::Information);
        QCOMPARE(fakes->dialogs.inputs.size(), size_t(1));
        QCOMPARE(fakes->dialogs.inputs.front().prompt,
                 QStringLiteral("Enter a name for this file (note: it will be saved to the same "
                                "folder as the input database attribute table)."));
        QCOMPARE(fakes->dialogs.inputs.front().title, QStringLiteral("Question"));
        QCOMPARE(fakes->dialogs.inputs.front().defaultText, QStringLiteral("Median.csv"));

        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")),
                 fileBytes(kGolden + "worked-Unsorted-Sorted.csv"));
        QCOMPARE(fileBytes(inFolder("Median.csv")), fileBytes(kGolden + "worked-Median.csv"));
        QCOMPARE(filesHere(), QStringList({"Median.csv", "Unsorted-Sorted.csv", "worked.dbf"}));

        QStringList seen;
        for (const QList<QVariant>& call : statuses) {
            seen << call.at(0).toString();
        }
        QCOMPARE(seen,
                 QStringList({"Verifying data...", "Loading data for processing...please wait.",
                              "Sorting...", "Sort complete...", "Finding Median and Quartiles...",
                              " Median.csv has been written to " + folder() + ".",
                              "Calculations complete."}));

        QCOMPARE(results->ValueCount, 4);
        QCOMPARE(results->SortedValues, std::vector<double>({1, 3, 5, 8}));
        // The grid's current cell: the fourth record of VALUE (model column 2, after the
        // hidden column 0 and ID).
        const QModelIndex current = child<QTableView>(window.get(), "Grid")->currentIndex();
        QCOMPARE(current.row(), 3);
        QCOMPARE(current.column(), 2);
        QCOMPARE(results->FirstQuartile, 1.0);
        QCOMPARE(results->Median, 3.0);
        QCOMPARE(results->ThirdQuartile, 5.0);
        QCOMPARE(results->LowerOuterFence, -11.0);
        QCOMPARE(results->UpperOuterFence, 17.0);
        QCOMPARE(QString::fromStdString(results->TablePath), inFolder("worked.dbf"));
        QCOMPARE(QString::fromStdString(results->FieldName), QStringLiteral("VALUE"));
        QVERIFY(child<QAction>(window.get(), "mnuFileCreateJoin")->isEnabled());
        QVERIFY(child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled());
    }

    void theRankedLayerIsWrittenFromTheFileMenu() {
        load("worked.dbf", numberTable({"5", "3", "8", "1"}));
        QVERIFY(!child<QAction>(window.get(), "mnuFileSaveRanked")->isEnabled());
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
        QVERIFY(child<QAction>(window.get(), "mnuFileSaveRanked")->isEnabled());
        fakes->dialogs.messages.clear();
        fakes->dialogs.saveAnswers.push_back(inFolder("ranked.gpkg"));
        child<QAction>(window.get(), "mnuFileSaveRanked")->trigger();
        waitForWork();
        QCOMPARE(fakes->dialogs.saveDialogs.back().defaultName, inFolder("worked_ranked.gpkg"));
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QCOMPARE(fakes->dialogs.messages.back().title, QStringLiteral("File done."));
        // Read back: 5, 3, 8, 1 against quartiles 1 and 5 and median 3 rank 3, 2, 4, 2.
        GDALAllRegister();
        GDALDatasetH layer = GDALOpenEx(inFolder("ranked.gpkg").toUtf8().constData(),
                                        GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
        QVERIFY(layer != nullptr);
        OGRLayerH ranked = GDALDatasetGetLayer(layer, 0);
        QList<int> ranks;
        OGR_L_ResetReading(ranked);
        while (OGRFeatureH feature = OGR_L_GetNextFeature(ranked)) {
            ranks << OGR_F_GetFieldAsInteger(feature, OGR_F_GetFieldIndex(feature, "RANK"));
            OGR_F_Destroy(feature);
        }
        GDALClose(layer);
        QCOMPARE(ranks, QList<int>({3, 2, 4, 2}));
        // Once more onto it: the user is asked, and No keeps it as it is.
        const QByteArray before = fileBytes(inFolder("ranked.gpkg"));
        fakes->dialogs.saveAnswers.push_back(inFolder("ranked.gpkg"));
        child<QAction>(window.get(), "mnuFileSaveRanked")->trigger();
        waitForWork();
        QCOMPARE(fakes->dialogs.messages.back().buttons, MessageButtons::YesNo);
        QCOMPARE(fileBytes(inFolder("ranked.gpkg")), before);
        // Onto the table's own family: refused, nothing written.
        fakes->dialogs.saveAnswers.push_back(inFolder("worked.shp"));
        child<QAction>(window.get(), "mnuFileSaveRanked")->trigger();
        QCOMPARE(fakes->dialogs.messages.back().title, QStringLiteral("Error!"));
        QVERIFY(!QFileInfo::exists(inFolder("worked.shp")));
    }

    void fractionsAndLargeNumbersInFileForm() {
        load("fractions.dbf",
             numberTable({"12.5", "-3.25", "0.1", "0.333333333333333333", "1000000000000000"}));
        doIt();
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")),
                 fileBytes(kGolden + "fractions-Unsorted-Sorted.csv"));
    }

    void valuesNearTheLargestDouble() {
        load("huge.dbf", numberTable({"1", "2", "1.7976931348623157e308", "3"}));
        doIt();
        QVERIFY(child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled());
        QCOMPARE(results->SortedValues.back(), std::numeric_limits<double>::max());
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")),
                 QByteArray("Unsorted,Sorted\r\n1,1\r\n2,2\r\n"
                            "1.7976931348623157e+308,3\r\n3,1.7976931348623157e+308\r\n"));
    }

    void laterNegativeValuesTakePart() {
        load("neg.dbf", numberTable({"7", "-2", "3.5", "-10", "4", "0", "-0.5"}));
        doIt();
        QCOMPARE(results->SortedValues, std::vector<double>({-10, -2, -0.5, 0, 3.5, 4, 7}));
        QCOMPARE(results->Median, (0 + -0.5) / 2); // n = 7: positions 4 and 3
        const QList<QByteArray> lines = fileBytes(inFolder("Unsorted-Sorted.csv")).split('\n');
        QCOMPARE(lines.size(), 9); // header, 7 pairs, and the empty rest after the last CR LF
        QStringList unsortedColumn;
        QStringList sortedColumn;
        for (int i = 1; i < 8; ++i) {
            const QList<QByteArray> pair = lines[i].trimmed().split(',');
            unsortedColumn << QString::fromLatin1(pair[0]);
            sortedColumn << QString::fromLatin1(pair[1]);
        }
        QCOMPARE(unsortedColumn, QStringList({"7", "-2", "3.5", "-10", "4", "0", "-0.5"}));
        QCOMPARE(sortedColumn, QStringList({"-10", "-2", "-0.5", "0", "3.5", "4", "7"}));
    }

    void numericFieldsStoredByDbase() {
        TableSpec tableSpec;
        tableSpec.fields = {{"NAME", 'C', 10, 0}, {"POP", 'N', 9, 0}, {"AREA", 'N', 10, 3}};
        tableSpec.records = {{"a", "10", "1.500"}, {"b", "30", "2.250"}, {"c", "20", "12.125"}};
        load("dbase.dbf", tableSpec, 2);
        doIt();
        QCOMPARE(results->SortedValues, std::vector<double>({1.5, 2.25, 12.125}));
        QCOMPARE(QString::fromStdString(results->FieldName), QStringLiteral("AREA"));
    }

    void decliningTheSaveWritesNoResultsFile() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        QFile earlier(inFolder("Median.csv"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier results\r\n");
        earlier.close();
        doIt(false);
        QCOMPARE(fakes->dialogs.inputs.size(), size_t(0));
        QCOMPARE(fileBytes(inFolder("Median.csv")), QByteArray("earlier results\r\n"));
        QCOMPARE(window->statusText(), QStringLiteral("Calculations complete."));
        QVERIFY(child<QAction>(window.get(), "mnuFileCreateJoin")->isEnabled());
        QVERIFY(child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled());
    }

    void cancellingTheNameWritesNothing() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        doIt(true, QString());
        QVERIFY(!QFile::exists(inFolder("Median.csv")));
        QCOMPARE(window->statusText(), QStringLiteral("Calculations complete."));
        QVERIFY(child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled());
    }

    void aSecondRunReplacesTheFiles() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        doIt(true, "Median.csv");
        load("u.dbf", numberTable({"10", "20", "30", "40", "50"}));
        doIt(true, "Median.csv");
        QCOMPARE(fileBytes(inFolder("Median.csv")),
                 QByteArray("First Quartile,Median,Third Quartile\r\n10,25,35\r\n"));
        QVERIFY(
            fileBytes(inFolder("Unsorted-Sorted.csv")).startsWith("Unsorted,Sorted\r\n10,10\r\n"));
    }

    void earlierIntermediateFilesAreGone() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        QFile(inFolder("Unsorted.tmp")).open(QIODevice::WriteOnly);
        QFile(inFolder("Sorted.tmp")).open(QIODevice::WriteOnly);
        doIt();
        QVERIFY(!QFile::exists(inFolder("Unsorted.tmp")));
        QVERIFY(!QFile::exists(inFolder("Sorted.tmp")));
    }

    void aNameWithAFolderGoesThere() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        QVERIFY(QDir(folder()).mkdir("out"));
        doIt(true, "out/q.csv");
        QCOMPARE(fileBytes(inFolder("out/q.csv")), fileBytes(kGolden + "worked-Median.csv"));
    }

    void aNameThatCannotBeWritten() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        doIt(true, "no such folder/Median.csv");
        QCOMPARE(fakes->dialogs.messages.size(), size_t(2));
        const ShownMessage& error = fakes->dialogs.messages.back();
        QCOMPARE(error.title, QStringLiteral("Error!"));
        QCOMPARE(error.icon, MessageIcon::Critical);
        QVERIFY(error.text.startsWith("The file \"Median.csv\" could not be written in "));
        // The analysis itself is complete.
        QCOMPARE(results->Median, 3.0);
        QVERIFY(child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled());
        QCOMPARE(window->statusText(), QStringLiteral("Calculations complete."));
    }

    void theTableItselfIsNeverTheResultsFile() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        const QByteArray table = fileBytes(inFolder("t.dbf"));
        writeBytes(inFolder("T.PRJ"), "projection\r\n");
        for (const QString& name : {QStringLiteral("T.DBF"), QStringLiteral("t.prj")}) {
            doIt(true, name);
            QCOMPARE(fakes->dialogs.messages.size(), size_t(2));
            QVERIFY(fakes->dialogs.messages.back().text.startsWith(
                "The name \"" + name + "\" is the table being analyzed"));
        }
        QCOMPARE(fileBytes(inFolder("t.dbf")), table);
        QCOMPARE(fileBytes(inFolder("T.PRJ")), QByteArray("projection\r\n"));
        QCOMPARE(window->statusText(), QStringLiteral("Calculations complete."));
    }

    // ---------------------------------------------------------------------------------
    // Refusals: each leaves results, files and menus exactly as they were.

    void refusals_data() {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        const QString numeric = QStringLiteral("Choose a numeric field and try again.");
        QTest::newRow("negative first record")
            << QStringList{"-4", "1", "2"} << 1 << "This field is not numeric" << numeric;
        QTest::newRow("decimal point first")
            << QStringList{".5", "1", "2"} << 1 << "This field is not numeric" << numeric;
        QTest::newRow("text field")
            << QStringList{"abc", "1", "2"} << 1 << "This field is not numeric" << numeric;
        QTest::newRow("empty first cell")
            << QStringList{"", "1", "2"} << 1 << "This field is not numeric" << numeric;
        QTest::newRow("no field selected")
            << QStringList{"1", "2", "3"} << -1 << "No field is selected."
            << "Choose a field and try again.";
        QTest::newRow("two records")
            << QStringList{"1", "2"} << 1
            << "The median and quartiles need at least three records; this table has 2."
            << "Choose another table and try again.";
        QTest::newRow("no records")
            << QStringList{} << 1 << "The table has no records, so there is nothing to analyze."
            << "Choose another table and try again.";
        QTest::newRow("text further down")
            << QStringList{"1", "2", "12 Main St", "4"} << 1
            << "Record 3 of the field VALUE holds \"12 Main St\", which is not a number."
            << numeric;
        QTest::newRow("empty cell further down")
            << QStringList{"1", "2", "3", ""} << 1 << "Record 4 of the field VALUE is empty."
            << numeric;
    }

    void refusals() {
        QFETCH(QStringList, values);
        QFETCH(int, field);
        QFETCH(QString, message);
        QFETCH(QString, status);

        // An earlier completed run, whose results, files and menus must survive.
        load("good.dbf", numberTable({"5", "3", "8", "1"}));
        doIt(true, "Median.csv");
        const AnalysisResults before = *results;
        const QByteArray pairsBefore = fileBytes(inFolder("Unsorted-Sorted.csv"));
        const QByteArray medianBefore = fileBytes(inFolder("Median.csv"));

        std::vector<std::string> stored;
        for (const QString& value : values) {
            stored.push_back(value.toStdString());
        }
        load("bad.dbf", numberTable(stored), field);
        if (field < 0) {
            child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(-1);
        }
        const QStringList filesBefore = filesHere();
        doIt(true, "Median.csv");

        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        const ShownMessage& shown = fakes->dialogs.messages.front();
        QVERIFY2(shown.text.startsWith(message), qPrintable(shown.text));
        QCOMPARE(shown.title, QStringLiteral("Error!"));
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(fakes->dialogs.inputs.size(), size_t(0));
        QCOMPARE(window->statusText(), status);

        QCOMPARE(results->SortedValues, before.SortedValues);
        QCOMPARE(results->ValueCount, before.ValueCount);
        QCOMPARE(results->Median, before.Median);
        QCOMPARE(results->FirstQuartile, before.FirstQuartile);
        QCOMPARE(results->UpperOuterFence, before.UpperOuterFence);
        QCOMPARE(results->TablePath, before.TablePath);
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")), pairsBefore);
        QCOMPARE(fileBytes(inFolder("Median.csv")), medianBefore);
        QCOMPARE(filesHere(), filesBefore);
        QVERIFY(child<QAction>(window.get(), "mnuFileCreateJoin")->isEnabled());
        QVERIFY(child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled());
    }

    void doItBeforeTheListShowsANewTablesFields() {
        load("first.dbf", numberTable({"5", "3", "8", "1"}, "POP"));
        doIt();
        const std::vector<double> analysed = results->SortedValues;
        const QByteArray pairs = fileBytes(inFolder("Unsorted-Sorted.csv"));

        // The second table is bound, but no tick of the poll timer has rebuilt the list yet.
        TableSpec second;
        second.fields = {{"ZIP", 'C', 5, 0}, {"INCOME", 'N', 9, 0}, {"AREA", 'N', 9, 0}};
        second.records = {{"10115", "900", "7"}, {"10117", "800", "9"}, {"10119", "700", "4"}};
        writeTable(inFolder("second.dbf"), second);
        choose("second.dbf");
        child<QTimer>(window.get(), "check")->stop(); // no tick until Do It is pressed
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QVERIFY(!window->fieldListFilled());
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentText(),
                 QStringLiteral("POP"));
        doIt();

        QCOMPARE(fakes->dialogs.messages.size(), std::size_t{1});
        QCOMPARE(fakes->dialogs.messages[0].title, QStringLiteral("Error!"));
        QVERIFY(fakes->dialogs.messages[0].text.contains(QLatin1String("Do It again")));
        QCOMPARE(window->statusText(), QStringLiteral("Choose a field and try again."));
        QCOMPARE(results->SortedValues, analysed);
        QCOMPARE(QString::fromStdString(results->TablePath), inFolder("first.dbf"));
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")), pairs);
        // The list now names the new table's fields, and the next press analyses what it shows.
        QVERIFY(window->fieldListFilled());
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->itemText(0),
                 QStringLiteral("ZIP"));
        child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(2);
        doIt();
        QCOMPARE(QString::fromStdString(results->FieldName), QStringLiteral("AREA"));
        QCOMPARE(results->SortedValues, std::vector<double>({4, 7, 9}));
    }

    void aRefusedFirstRunLeavesTheMenusDisabled() {
        load("bad.dbf", numberTable({"abc", "1", "2"}));
        doIt();
        QVERIFY(!child<QAction>(window.get(), "mnuFileCreateJoin")->isEnabled());
        QVERIFY(!child<QAction>(window.get(), "mnuViewQuarvel")->isEnabled());
        QCOMPARE(results->ValueCount, 0);
        QVERIFY(results->SortedValues.empty());
    }

    void aFolderThatCannotBeWritten() {
        load("good.dbf", numberTable({"5", "3", "8", "1"}));
        doIt();
        const AnalysisResults before = *results;
        const QByteArray pairsBefore = fileBytes(inFolder("Unsorted-Sorted.csv"));
        // "Sorted.tmp" cannot be created where a folder of that name stands.
        QVERIFY(QDir(folder()).mkdir("Sorted.tmp"));
        load("other.dbf", numberTable({"10", "20", "30"}));
        doIt();
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QVERIFY2(fakes->dialogs.messages.front().text.startsWith(
                     "The file \"Sorted.tmp\" could not be written in "),
                 qPrintable(fakes->dialogs.messages.front().text));
        QVERIFY(!QFile::exists(inFolder("Unsorted.tmp")));
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")), pairsBefore);
        QCOMPARE(results->SortedValues, before.SortedValues);
        QCOMPARE(results->TablePath, before.TablePath);

        // And a folder that has gone altogether (the table stays loaded in memory).
        QVERIFY(QDir(folder()).rmdir("Sorted.tmp"));
        QVERIFY(QDir(folder()).removeRecursively());
        fakes->dialogs.messages.clear();
        doIt();
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QVERIFY(fakes->dialogs.messages.front().text.startsWith(
            "The file \"Unsorted.tmp\" could not be written in "));
        QCOMPARE(results->SortedValues, before.SortedValues);
    }

    void filesGoBesideTheAnalysedTableWhateverTheCurrentFolder() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        QTemporaryDir elsewhere;
        QDir::setCurrent(elsewhere.path());
        doIt(true, "Median.csv");
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")),
                 fileBytes(kGolden + "worked-Unsorted-Sorted.csv"));
        QCOMPARE(fileBytes(inFolder("Median.csv")), fileBytes(kGolden + "worked-Median.csv"));
        QVERIFY(QDir(elsewhere.path()).entryList(QDir::Files).isEmpty());
    }

    void afterAFailedOpenTheFilesStayWithTheTableShown() {
        load("t.dbf", numberTable({"5", "3", "8", "1"}));
        QTemporaryDir other;
        const QString broken = QDir(other.path()).absolutePath() + "/bad.dbf";
        writeBytes(broken, QByteArray("not a table"));
        fakes->dialogs.openAnswers.push_back(OpenFileChoice{broken, "bad.dbf"});
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        waitForWork();
        QCOMPARE(child<QLineEdit>(window.get(), "txtInfile")->text(), inFolder("t.dbf"));
        doIt(true, "Median.csv");
        QVERIFY(QFile::exists(inFolder("Unsorted-Sorted.csv")));
        QVERIFY(QFile::exists(inFolder("Median.csv")));
        QCOMPARE(QDir(other.path()).entryList(QDir::Files), QStringList{"bad.dbf"});
    }

    // ---------------------------------------------------------------------------------
    // Locales: messages follow the user's, files never do.

    void germanLocale() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        load("de.dbf", numberTable({"1.5", "2.25", "1234567.5", "10.5", "3.75"}));
        doIt(true, "Median.csv");
        // n = 5: m = 2, q = 1. Sorted 1.5, 2.25, 3.75, 10.5, 1234567.5.
        QCOMPARE(fakes->dialogs.messages.front().text, QStringLiteral("Calculations complete: \r\n"
                                                                      "    1st Quartile = 1,5\r\n"
                                                                      "    Median       = 3\r\n"
                                                                      "    3rd Quartile = 7,125"));
        QCOMPARE(fileBytes(inFolder("Median.csv")),
                 QByteArray("First Quartile,Median,Third Quartile\r\n1.5,3,7.125\r\n"));
        QVERIFY(fileBytes(inFolder("Unsorted-Sorted.csv"))
                    .startsWith("Unsorted,Sorted\r\n1.5,1.5\r\n2.25,2.25\r\n1234567.5,3.75\r\n"));
    }

    void germanNumbersInTextFieldsConvert() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        load("de.dbf", numberTable({"1,5", "2.000,25", "3"}));
        doIt();
        QCOMPARE(results->SortedValues, std::vector<double>({1.5, 3, 2000.25}));
    }

    void messageNumbersWithoutGrouping() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        load("big.dbf", numberTable({"1234567.25", "2345678.5", "3456789.75", "4567890"}));
        doIt();
        QVERIFY2(fakes->dialogs.messages.front().text.contains("= 1234567.25\r\n"),
                 qPrintable(fakes->dialogs.messages.front().text));
    }
};

QTEST_MAIN(tst_AnalysisRun)
#include "tst_AnalysisRun.moc"
