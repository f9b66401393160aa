#include "Controls.h"
#include "MainWindowHarness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace quarvel;
using namespace quarvel::testing;

// Long work on a table of 600,000 records: the window answers while it runs, and ending the
// program in the middle of it leaves no half-made file.
class tst_LongWork : public QObject, MainWindowHarness {
    Q_OBJECT

private:
    void loadLargeTable() { load("large.dbf", largeNumberTable(600000), 0); }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void theWindowAnswersWhileTheAnalysisRuns() {
        loadLargeTable();
        QSignalSpy fractions(&fakes->work, &BackgroundWork::fractionChanged);
        // What the window looks like each time a stage arrives, while the work goes on.
        QStringList stages;
        bool commandsDisabled = true;
        bool busyCursor = true;
        connect(window.get(), &frmQuarvel::statusTextChanged, this, [&](const QString& text) {
            if (!fakes->work.busy()) {
                return;
            }
            stages << text;
            commandsDisabled = commandsDisabled &&
                               !child<QPushButton>(window.get(), "cmdDoIt")->isEnabled() &&
                               !child<QPushButton>(window.get(), "cmdOpen")->isEnabled() &&
                               !child<QAction>(window.get(), "mnuFileOpen")->isEnabled();
            busyCursor = busyCursor && QApplication::overrideCursor() != nullptr &&
                         QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        });
        fakes->dialogs.messageAnswers.push_back(MessageAnswer::No);
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        QVERIFY(fakes->dialogs.messages.empty()); // the click returned before the work ended
        waitForWork();

        QCOMPARE(stages, QStringList({"Verifying data...",
                                      "Loading data for processing...please wait.", "Sorting...",
                                      "Sort complete...", "Finding Median and Quartiles..."}));
        QVERIFY(commandsDisabled);
        QVERIFY(busyCursor);
        QVERIFY(fractions.size() >= 10); // every 65,536 values read and written
        for (qsizetype i = 1; i < fractions.size(); ++i) {
            QVERIFY(fractions[i][0].toDouble() >= fractions[i - 1][0].toDouble());
        }
        QCOMPARE(fractions.back()[0].toDouble(), 1.0);
        // Afterwards: the message, the commands back, the cursor and the bar gone.
        QCOMPARE(fakes->dialogs.messages.size(), size_t(1));
        QCOMPARE(window->statusText(), QStringLiteral("Calculations complete."));
        QVERIFY(child<QPushButton>(window.get(), "cmdDoIt")->isEnabled());
        QVERIFY(child<QAction>(window.get(), "mnuFileOpen")->isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!child<QProgressBar>(window.get(), "StatusBar1Progress")->isVisible());
        QCOMPARE(results->ValueCount, 600000);
    }

    void escapeDuringTheWorkLeavesNoHalfMadeFile_data() {
        QTest::addColumn<QString>("stage");
        QTest::newRow("while reading") << "Loading data for processing...please wait.";
        QTest::newRow("while writing") << "Sort complete...";
    }

    void escapeDuringTheWorkLeavesNoHalfMadeFile() {
        QFETCH(QString, stage);
        loadLargeTable();
        writeBytes(inFolder("Unsorted-Sorted.csv"), "earlier\r\n");
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        // Escape as the stage arrives; the program then ends, which stops the work.
        connect(window.get(), &frmQuarvel::statusTextChanged, this, [&](const QString& text) {
            if (text == stage && fakes->work.busy()) {
                QTest::keyClick(window.get(), Qt::Key_Escape);
                fakes->work.stop();
            }
        });
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
        QCOMPARE(fakes->ender.calls, 1);
        QVERIFY(fakes->dialogs.messages.empty());
        // The pairs file is the earlier one, or, if the work had just ended, a whole new one.
        const QStringList files = QDir(folder()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files, QStringList({"Unsorted-Sorted.csv", "large.dbf"}));
        const QByteArray pairs = fileBytes(inFolder("Unsorted-Sorted.csv"));
        QVERIFY(pairs == "earlier\r\n" || pairs.count('\n') == 600001);
        QCOMPARE(results->ValueCount, 0);
    }
};

QTEST_MAIN(tst_LongWork)
#include "tst_LongWork.moc"
