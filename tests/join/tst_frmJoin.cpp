#include "Analysis.h"
#include "BackgroundWork.h"
#include "Controls.h"
#include "DbfTable.h"
#include "FakePlatform.h"
#include "JoinHost.h"
#include "Table.h"
#include "TestTables.h"
#include "frmJoin.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quarvel;
using namespace quarvel::testing;

namespace {

const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/join/worked-Join.txt");

/** The main window as the join window sees it: a table, its chosen field, a status line. */
struct FakeJoinHost final : JoinHost {
    std::shared_ptr<const Table> table;
    int field = -1;
    QString status;
    int currentRecord = -1;
    int currentField = -1;

    std::shared_ptr<const Table> shownTable() const override { return table; }
    int analysedField() const override { return field; }
    void setStatusText(const QString& text) override { status = text; }
    void setGridCurrentCell(int record, int f) override {
        currentRecord = record;
        currentField = f;
    }
};

} // namespace

class tst_frmJoin : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    FakeDialogs dialogs;
    BackgroundWork work;
    std::shared_ptr<AnalysisResults> results = std::make_shared<AnalysisResults>();
    FakeJoinHost host;
    QPointer<frmJoin> join;

    QString inDir(const QString& name) const { return QDir(dir->path()).absoluteFilePath(name); }

    /** Opens the file as the table the host shows, with this field chosen there. */
    void show(const QString& name, int field) {
        QString error;
        host.table = DbfTable::open(inDir(name), error);
        QVERIFY2(host.table != nullptr, qPrintable(error));
        host.field = field;
    }

    /** Writes the worked example, shows it with POP chosen and analyses it. */
    void analyseWorked() {
        writeTable(inDir("worked.dbf"), workedJoinTable());
        show("worked.dbf", 1);
        const AnalysisOutcome outcome = RunAnalysis(*host.table, 1, dir->path());
        QVERIFY2(outcome.completed(), qPrintable(outcome.message));
        *results = outcome.results;
    }

    void openJoin() {
        join = new frmJoin(results, host, dialogs, work);
        join->setAttribute(Qt::WA_DeleteOnClose);
        join->show();
    }

    void write(int relate, const QString& name) {
        child<QComboBox>(join, "cmbJoinList")->setCurrentIndex(relate);
        dialogs.inputAnswers.push_back(name);
        child<QPushButton>(join, "cmdDotIt")->click();
        QTRY_VERIFY(!work.busy());
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dialogs = FakeDialogs();
        *results = AnalysisResults();
        host.table.reset();
        host.field = -1;
        host.status.clear();
    }

    void cleanup() {
        delete join.data();
        host.table.reset();
        dir.reset();
    }

    void layoutAndTexts() {
        writeTable(inDir("worked.dbf"), workedJoinTable());
        show("worked.dbf", 1);
        openJoin();
        QCOMPARE(join->windowTitle(), QStringLiteral("Create Join-able file"));
        QCOMPARE(join->size(), QSize(272, 428));
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
        QCOMPARE(child<QLabel>(join, "lblRankWithin")->geometry(), QRect(8, 360, 104, 21));
        QCOMPARE(child<QComboBox>(join, "cmbRankWithin")->geometry(), QRect(112, 358, 153, 21));
        QCOMPARE(child<QPushButton>(join, "cmdDotIt")->geometry(), QRect(8, 392, 129, 25));
        QCOMPARE(child<QPushButton>(join, "cmdDotIt")->text(), QStringLiteral("&Do It"));
        QCOMPARE(child<QPushButton>(join, "cmdCancel")->geometry(), QRect(144, 392, 121, 25));
        QCOMPARE(child<QPushButton>(join, "cmdCancel")->text(), QStringLiteral("&Cancel"));
        // The relate list: the table's field names, nothing chosen.
        auto* list = child<QComboBox>(join, "cmbJoinList");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->itemText(0), QStringLiteral("AREA"));
        QCOMPARE(list->itemText(1), QStringLiteral("POP"));
        QCOMPARE(list->currentIndex(), -1);
    }

    void workedExample() {
        analyseWorked();
        openJoin();
        write(0, "Join.txt");

        QCOMPARE(dialogs.inputs.size(), size_t(1));
        QCOMPARE(dialogs.inputs.front().title, QStringLiteral("Question"));
        QCOMPARE(dialogs.inputs.front().defaultText, QStringLiteral("Join.txt"));
        QCOMPARE(fileBytes(inDir("Join.txt")), fileBytes(kGolden));
        QCOMPARE(host.status, QStringLiteral("Writing Join file (Join.txt)."));
        // The grid's current cell: the last of the eight records, in the analysed field POP.
        QCOMPARE(host.currentRecord, 7);
        QCOMPARE(host.currentField, 1);
        QCOMPARE(dialogs.messages.size(), size_t(1));
        const ShownMessage& done = dialogs.messages.front();
        QCOMPARE(done.text, QStringLiteral("Join file written.  Please refer to help for file "
                                           "structure information."));
        QCOMPARE(done.title, QStringLiteral("File done."));
        QCOMPARE(done.icon, MessageIcon::Information);
        QVERIFY(join->isVisible()); // stays open for another write
    }

    void noRelateFieldChosen_data() {
        QTest::addColumn<bool>("withFields");
        QTest::addColumn<int>("listed");
        QTest::newRow("worked example, nothing chosen") << true << 2;
        QTest::newRow("a table without fields") << false << 0;
    }

    void noRelateFieldChosen() {
        QFETCH(bool, withFields);
        QFETCH(int, listed);
        if (withFields) {
            analyseWorked();
        } else {
            // A header of 32 bytes and its terminator, no field descriptors, two empty records.
            QByteArray bytes(32, '\0');
            bytes[0] = 0x03;
            bytes[4] = 2;
            bytes[8] = 33;
            bytes[10] = 1;
            bytes += "\x0d  \x1a";
            writeBytes(inDir("none.dbf"), bytes);
            show("none.dbf", -1);
        }
        openJoin();
        QCOMPARE(child<QComboBox>(join, "cmbJoinList")->count(), listed);
        child<QPushButton>(join, "cmdDotIt")->click();
        QCOMPARE(dialogs.messages.size(), size_t(1));
        QCOMPARE(dialogs.messages.front().text, QStringLiteral("A 'Relate' field must be chosen"));
        QCOMPARE(dialogs.messages.front().title, QStringLiteral("Error!"));
        QCOMPARE(dialogs.messages.front().icon, MessageIcon::Critical);
        QCOMPARE(dialogs.inputs.size(), size_t(0));
        QVERIFY(join->isVisible());
    }

    void cancellingTheNameWritesNothing() {
        analyseWorked();
        openJoin();
        write(0, QString());
        QCOMPARE(dialogs.inputs.size(), size_t(1));
        QVERIFY(!QFile::exists(inDir("Join.txt")));
        QCOMPARE(dialogs.messages.size(), size_t(0));
        QCOMPARE(host.status, QString());
    }

    void aRefusalKeepsTheEarlierFile() {
        // The results of the worked example, then the same file rewritten with a seventh value
        // that is no longer a number: only writing finds that out, after the name is given.
        analyseWorked();
        TableSpec spoiled = workedJoinTable();
        spoiled.fields[1] = {"POP", 'C', 6, 0};
        spoiled.records[6][1] = std::string("n/a");
        writeTable(inDir("worked.dbf"), spoiled);
        show("worked.dbf", 1);
        writeBytes(inDir("Join.txt"), "earlier join\r\n");
        openJoin();
        write(0, "Join.txt");

        QCOMPARE(dialogs.inputs.size(), size_t(1));
        QCOMPARE(dialogs.messages.size(), size_t(1));
        QCOMPARE(dialogs.messages.front().title, QStringLiteral("Error!"));
        QCOMPARE(dialogs.messages.front().icon, MessageIcon::Critical);
        QVERIFY2(dialogs.messages.front().text.startsWith(
                     "Record 7 of the field POP holds \"n/a\", which is not a number"),
                 qPrintable(dialogs.messages.front().text));
        QCOMPARE(host.status, QStringLiteral("The join file was not written."));
        QCOMPARE(fileBytes(inDir("Join.txt")), QByteArray("earlier join\r\n"));
        QVERIFY(join->isVisible());
    }

    void closedWhileWritingItReportsTheOutcomeThenGoes() {
        writeTable(inDir("large.dbf"), largeNumberTable(300000));
        show("large.dbf", 0);
        const AnalysisOutcome outcome = RunAnalysis(*host.table, 0, dir->path());
        QVERIFY(outcome.completed());
        *results = outcome.results;
        openJoin();
        child<QComboBox>(join, "cmbJoinList")->setCurrentIndex(0);
        dialogs.inputAnswers.push_back("Join.txt");
        child<QPushButton>(join, "cmdDotIt")->click();
        QVERIFY(work.busy());
        join->close();
        QVERIFY(!join.isNull()); // still there, out of sight, until the file is done
        QVERIFY(!join->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!work.busy(), 30000);
        QTRY_VERIFY(join.isNull());
        QCOMPARE(dialogs.messages.size(), size_t(1));
        QCOMPARE(dialogs.messages.front().title, QStringLiteral("File done."));
        QCOMPARE(readBytes(inDir("Join.txt")).count('\n'), 300001);
    }

    void escapeUnloadsTheWindow() {
        writeTable(inDir("worked.dbf"), workedJoinTable());
        show("worked.dbf", 1);
        openJoin();
        join->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(join));
        QTest::keyClick(join, Qt::Key_Escape);
        QTRY_VERIFY(join.isNull());
    }
};

QTEST_MAIN(tst_frmJoin)
#include "tst_frmJoin.moc"
