#include "Controls.h"
#include "MainWindowHarness.h"
#include "frmJoin.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quarvel;
using namespace quarvel::testing;

namespace {

const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/join/");

// The worked example: AREA A to H beside POP 15, 3, 100, 1, 6, 4, 2, 5.
TableSpec workedTable() {
    TableSpec tableSpec;
    tableSpec.fields = {{"AREA", 'C', 10, 0}, {"POP", 'N', 6, 0}};
    const char* pop[] = {"15", "3", "100", "1", "6", "4", "2", "5"};
    for (int i = 0; i < 8; ++i) {
        tableSpec.records.push_back(
            {std::string(1, static_cast<char>('A' + i)), std::string(pop[i])});
    }
    return tableSpec;
}

} // namespace

class tst_JoinExport : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    QPointer<frmJoin> join;

    void analyse() {
        fakes->dialogs.messageAnswers.push_back(MessageAnswer::No);
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        QVERIFY(child<QAction>(window.get(), "mnuFileCreateJoin")->isEnabled());
    }

    void openJoin() {
        delete join.data();
        join = new frmJoin(*results, *window, fakes->dialogs);
        join->setAttribute(Qt::WA_DeleteOnClose);
        join->show();
        fakes->dialogs.messages.clear();
        fakes->dialogs.inputs.clear();
    }

    void write(int relate, const QString& name) {
        child<QComboBox>(join, "cmbJoinList")->setCurrentIndex(relate);
        fakes->dialogs.inputAnswers.push_back(name);
        child<QPushButton>(join, "cmdDotIt")->click();
    }

private slots:
    void init() { start(); }

    void cleanup() {
        delete join.data();
        stop();
    }

    void layoutAndTexts() {
        load("worked.dbf", workedTable(), 1);
        openJoin();
        QCOMPARE(join->windowTitle(), QStringLiteral("Create Join-able file"));
        QCOMPARE(join->size(), QSize(272, 396));
        QCOMPARE(child<QLabel>(join, "Label1")->text(),
                 QStringLiteral(
                     "Step 1: Select the field that will act as your relate field in ArcView."));
        QCOMPARE(child<QLabel>(join, "Label2")->text(),
                 QStringLiteral("Step 2:  Quartiles and quarvel data will be stored as follows:"));
        QCOMPARE(child<QLabel>(join, "Label3")->text(),
                 QStringLiteral(
                     "(i.e., if a data point falls into the region marked 1 in the graphic, "
                     "that data point will recieve a rank of 1 (stored in a field called rank)."));
        QCOMPARE(child<QLabel>(join, "Label1")->geometry(), QRect(8, 16, 249, 25));
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->geometry(), QRect(32, 56, 185, 21));
        QCOMPARE(child<QLabel>(join, "Picture1")->geometry(), QRect(8, 128, 249, 169));
        QCOMPARE(child<QLabel>(join, "Picture1")->pixmap().size(), QSize(250, 167));
        QCOMPARE(child<QPushButton>(join, "cmdDotIt")->geometry(), QRect(8, 360, 129, 25));
        QCOMPARE(child<QPushButton>(join, "cmdDotIt")->text(), QStringLiteral("&Do It"));
        QCOMPARE(child<QPushButton>(join, "cmdCancel")->geometry(), QRect(144, 360, 121, 25));
        QCOMPARE(child<QPushButton>(join, "cmdCancel")->text(), QStringLiteral("&Cancel"));
        // The relate list: the grid's field names, nothing chosen.
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->count(), 2);
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->itemText(0), QStringLiteral("AREA"));
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->itemText(1), QStringLiteral("POP"));
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->currentIndex(), -1);
    }

    void workedExample() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        QCOMPARE(results->FirstQuartile, 2.0);
        QCOMPARE(results->UpperOuterFence, 18.0);
        openJoin();
        write(0, "Join.txt");

        QCOMPARE(fakes->dialogs.inputs.size(), size_t(1));
        QCOMPARE(fakes->dialogs.inputs.front().title, QStringLiteral("Question"));
        QCOMPARE(fakes->dialogs.inputs.front().defaultText, QStringLiteral("Join.txt"));
        QCOMPARE(fileBytes(inFolder("Join.txt")), fileBytes(kGolden + "worked-Join.txt"));
        QCOMPARE(window->statusText(), QStringLiteral("Writing Join file (Join.txt)."));
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        const ShownMessage& done = fakes->dialogs.messages.front();
        QCOMPARE(done.text, QStringLiteral("Join file written.  Please refer to help for file "
                                           "structure information."));
        QCOMPARE(done.title, QStringLiteral("File done."));
        QCOMPARE(done.icon, MessageIcon::Information);
        QVERIFY(join->isVisible()); // stays open for another write
    }

    void theSameNameReplacesTheFile() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        QFile earlier(inFolder("Join.txt"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write(QByteArray(5000, 'x'));
        earlier.close();
        openJoin();
        write(0, "Join.txt");
        QCOMPARE(fileBytes(inFolder("Join.txt")), fileBytes(kGolden + "worked-Join.txt"));
    }

    void theAnalysedFieldAsRelateFieldAndTextsAsShown() {
        TableSpec tableSpec;
        tableSpec.fields = {{"ADDR", 'C', 16, 0}, {"AREA", 'N', 8, 2}};
        tableSpec.records = {{"1 Main St, North", "12.50"}, {"2 Oak", "3.00"}, {"3 Elm", "7.25"}};
        load("shown.dbf", tableSpec, 1);
        analyse();
        openJoin();
        write(1, "same.txt");
        QCOMPARE(fileBytes(inFolder("same.txt")),
                 QByteArray("id,AREA,AREA,Rank,Note\r\n"
                            "1,12.50,12.50,4,Within Inner-Quartile Range\r\n"
                            "2,3.00,3.00,2,Within Inner-Quartile Range\r\n"
                            "3,7.25,7.25,3,Within Inner-Quartile Range\r\n"));
        write(0, "comma.txt");
        const QList<QByteArray> lines = fileBytes(inFolder("comma.txt")).split('\n');
        QCOMPARE(lines[1], QByteArray("1,1 Main St, North,12.50,4,Within Inner-Quartile Range\r"));
        QCOMPARE(lines[1].count(','), 5); // a comma in a cell makes the line longer
    }

    void keysGoOutInTheTablesCodePage() {
        TableSpec tableSpec;
        tableSpec.codePage = "1252";
        tableSpec.fields = {{"TOWN", 'C', 16, 0}, {"POP", 'N', 9, 0}};
        tableSpec.records = {
            {"Z\xfcrich", "421878"}, {"Gen\xe8ve", "203856"}, {"K\xf6ln", "1073096"}};
        load("towns.dbf", tableSpec, 1);
        analyse();
        openJoin();
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->itemText(0), QStringLiteral("TOWN"));
        write(0, "Join.txt");
        const QByteArray bytes = fileBytes(inFolder("Join.txt"));
        QVERIFY(bytes.contains("1,Z\xfcrich,421878,"));
        QVERIFY(bytes.contains("2,Gen\xe8ve,203856,"));
        QVERIFY(!bytes.contains("\xc3")); // no UTF-8 anywhere
    }

    void noRelateFieldChosen() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        openJoin();
        child<QPushButton>(join, "cmdDotIt")->click();
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QCOMPARE(fakes->dialogs.messages.front().text,
                 QStringLiteral("A 'Relate' field must be chosen"));
        QCOMPARE(fakes->dialogs.messages.front().title, QStringLiteral("Error!"));
        QCOMPARE(fakes->dialogs.messages.front().icon, MessageIcon::Critical);
        QCOMPARE(fakes->dialogs.inputs.size(), size_t(0));
        QVERIFY(join->isVisible());
    }

    void aTableWithoutFieldsLeavesTheListEmpty() {
        QByteArray bytes(32, '\0');
        bytes[0] = 0x03;
        bytes[4] = 2;
        bytes[8] = 33;
        bytes[10] = 1;
        bytes += "\x0d  \x1a";
        writeBytes(inFolder("none.dbf"), bytes);
        fakes->dialogs.openAnswers.push_back(OpenFileChoice{inFolder("none.dbf"), "none.dbf"});
        child<QAction>(window.get(), "mnuFileOpen")->trigger();
        QTRY_VERIFY(window->fieldListFilled());
        openJoin();
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->count(), 0);
        child<QPushButton>(join, "cmdDotIt")->click();
        QCOMPARE(fakes->dialogs.messages.front().text,
                 QStringLiteral("A 'Relate' field must be chosen"));
    }

    void cancellingTheNameWritesNothing() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        openJoin();
        write(0, QString());
        QVERIFY(!QFile::exists(inFolder("Join.txt")));
        QCOMPARE(fakes->dialogs.messages.size(), size_t(0));
    }

    // ---------------------------------------------------------------------------------
    // Refusals: a clear message, and any earlier file of that name stays as it was.

    void refusesAnotherTable() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        load("other.dbf", workedTable(), 1); // same fields, another table
        QFile(inFolder("Join.txt")).open(QIODevice::WriteOnly);
        openJoin();
        write(0, "Join.txt");
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QVERIFY(fakes->dialogs.messages.front().text.startsWith(
            "The last analysis was not made on the table and field now shown"));
        QCOMPARE(fakes->dialogs.inputs.size(), size_t(0));
        QCOMPARE(fileBytes(inFolder("Join.txt")), QByteArray());
    }

    void refusesAnotherField() {
        TableSpec tableSpec;
        tableSpec.fields = {{"A", 'N', 4, 0}, {"B", 'N', 4, 0}};
        tableSpec.records = {{"1", "5"}, {"2", "6"}, {"3", "7"}};
        load("two.dbf", tableSpec, 0);
        analyse();
        child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(1);
        openJoin();
        write(0, "Join.txt");
        QVERIFY(fakes->dialogs.messages.front().text.startsWith("The last analysis was not made"));
        QVERIFY(!QFile::exists(inFolder("Join.txt")));

        child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(-1);
        fakes->dialogs.messages.clear();
        write(0, "Join.txt");
        QVERIFY(fakes->dialogs.messages.front().text.startsWith("No field is selected"));
    }

    void refusesATableThatGainedRecordsOrChangedValues() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        TableSpec longer = workedTable();
        longer.records.push_back({std::string("I"), std::string("7")});
        load("worked.dbf", longer, 1);
        openJoin();
        write(0, "Join.txt");
        QVERIFY(fakes->dialogs.messages.front().text.startsWith("The last analysis was not made"));
        QVERIFY(!QFile::exists(inFolder("Join.txt")));

        TableSpec changed = workedTable();
        changed.records[2][1] = std::string("99"); // was 100
        load("worked.dbf", changed, 1);
        openJoin();
        write(0, "Join.txt");
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QVERIFY2(fakes->dialogs.messages.front().text.startsWith(
                     "The values of the field POP have changed since the last analysis"),
                 qPrintable(fakes->dialogs.messages.front().text));
        QVERIFY(!QFile::exists(inFolder("Join.txt")));
    }

    void refusesATableThatLostRecordsOrHasABadCell() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        // The same file, rewritten with fewer records and opened again.
        TableSpec shorter = workedTable();
        shorter.records.resize(5);
        load("worked.dbf", shorter, 1);
        openJoin();
        write(0, "Join.txt");
        QVERIFY(fakes->dialogs.messages.front().text.startsWith("The last analysis was not made"));

        // Rewritten with as many records, one of them no longer a number.
        TableSpec spoiled = workedTable();
        spoiled.fields[1] = {"POP", 'C', 6, 0};
        spoiled.records[6][1] = std::string("n/a");
        load("worked.dbf", spoiled, 1);
        QFile earlier(inFolder("Join.txt"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier join\r\n");
        earlier.close();
        openJoin();
        write(0, "Join.txt");
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QVERIFY2(fakes->dialogs.messages.front().text.startsWith(
                     "Record 7 of the field POP holds \"n/a\", which is not a number"),
                 qPrintable(fakes->dialogs.messages.front().text));
        QCOMPARE(fileBytes(inFolder("Join.txt")), QByteArray("earlier join\r\n"));
        QCOMPARE(window->statusText(), QStringLiteral("The join file was not written."));
    }

    void aFileThatCannotBeWritten() {
        load("worked.dbf", workedTable(), 1);
        analyse();
        openJoin();
        write(0, "no such folder/Join.txt");
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QCOMPARE(fakes->dialogs.messages.front().title, QStringLiteral("Error!"));
        QVERIFY(fakes->dialogs.messages.front().text.startsWith(
            "The file \"Join.txt\" could not be written in "));
    }

    void cancelUnloadsTheWindow() {
        load("worked.dbf", workedTable(), 1);
        openJoin();
        join->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(join));
        QTest::keyClick(join, Qt::Key_Escape);
        QTRY_VERIFY(join.isNull());
    }
};

QTEST_MAIN(tst_JoinExport)
#include "tst_JoinExport.moc"
