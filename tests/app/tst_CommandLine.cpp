#include "BoxPlot.h"
#include "Controls.h"
#include "LayerFiles.h"
#include "MainWindowHarness.h"
#include "PlotPicture.h"
#include "frmJoin.h"
#include "frmView.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <sys/types.h>

using namespace quarvel;
using namespace quarvel::testing;

namespace {

const QString kProgram = QStringLiteral(QUARVEL_TEST_PROGRAM);
const QString kSamples = QStringLiteral(QUARVEL_TEST_SAMPLES);

struct Finished {
    int status = -1;
    QByteArray out;
    QString err;
};

// The real program, as a script would start it: no display at all.
Finished runProgram(const QStringList& arguments, const QString& folder,
                    const QString& outputFile = QString()) {
    QProcess process;
    if (!outputFile.isEmpty()) {
        process.setStandardOutputFile(outputFile);
    }
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(kProgram, arguments);
    Finished finished;
    if (!process.waitForFinished(60000)) {
        return finished;
    }
    finished.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    finished.out = process.readAllStandardOutput();
    finished.err = QString::fromLocal8Bit(process.readAllStandardError());
    return finished;
}

// Whether the process has set its own handler for Ctrl+C (Linux: its caught signals).
bool catchesInterrupt(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGINT - 1) & 1) != 0;
        }
    }
    return false;
}

} // namespace

class tst_CommandLine : public QObject, MainWindowHarness {
    Q_OBJECT

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void sameFilesAsTheWindows_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<int>("relate");
        QTest::addColumn<QString>("relateName");
        QTest::newRow("counties") << "counties.dbf" << 2 << "POP2020" << 0 << "NAME";
        QTest::newRow("stations, negative values")
            << "stations.dbf" << 2 << "ELEV_M" << 1 << "SITE";
        QTest::newRow("towns, windows-1252 keys")
            << "towns_1252.dbf" << 2 << "ALT_M" << 0 << "TOWN";
    }

    void sameFilesAsTheWindows() {
        QFETCH(QString, table);
        QFETCH(int, field);
        QFETCH(QString, fieldName);
        QFETCH(int, relate);
        QFETCH(QString, relateName);
        const QString base = QFileInfo(table).completeBaseName();
        for (const QString& suffix : {QStringLiteral(".dbf"), QStringLiteral(".cpg")}) {
            QFile::copy(kSamples + "/" + base + suffix, inFolder(base + suffix));
        }

        // The windows: Do It with the results saved, the join file, the detailed chart.
        openChosen(table);
        child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(field);
        QCOMPARE(child<QComboBox>(window.get(), "cmbFieldList")->currentText(), fieldName);
        fakes->dialogs.messageAnswers.push_back(MessageAnswer::Yes);
        fakes->dialogs.inputAnswers.push_back("Median.csv");
        child<QPushButton>(window.get(), "cmdDoIt")->click();
        waitForWork();
        frmJoin join(results, *window, fakes->dialogs, fakes->work);
        QCOMPARE(child<QComboBox>(&join, "cmbJoinList")->itemText(relate), relateName);
        child<QComboBox>(&join, "cmbJoinList")->setCurrentIndex(relate);
        fakes->dialogs.inputAnswers.push_back("Join.txt");
        child<QPushButton>(&join, "cmdDotIt")->click();
        waitForWork();
        frmView view(results, std::make_shared<UniformSequence>(), fakes->dialogs, fakes->work);
        view.show();
        child<QPushButton>(&view, "cmdDetail")->click();
        waitForWork();
        QString error;
        QVERIFY2(child<PlotPicture>(&view, "PicBox")->savePicture(inFolder("chart.png"), error),
                 qPrintable(error));
        child<QPushButton>(&view, "cmdBasic")->click();
        QVERIFY(child<PlotPicture>(&view, "PicBox")->savePicture(inFolder("chart.svg"), error));

        // The command line, into a folder of its own.
        QTemporaryDir out;
        const Finished detailed = runProgram(
            {"analyse", inFolder(table), "--field", fieldName, "--results", "--join", relateName,
             "--picture", "chart.png", "--view", "detailed", "--out-dir", out.path()},
            out.path());
        QCOMPARE(detailed.status, 0);
        QCOMPARE(detailed.err, QString());
        const Finished basic = runProgram({"analyse", table, "--field", fieldName, "--picture",
                                           QDir(out.path()).filePath("chart.svg")},
                                          folder());
        QCOMPARE(basic.status, 0);
        for (const char* file :
             {"Unsorted-Sorted.csv", "Median.csv", "Join.txt", "chart.png", "chart.svg"}) {
            const QString name = QString::fromLatin1(file);
            QVERIFY2(fileBytes(inFolder(name)) == fileBytes(QDir(out.path()).filePath(name)), file);
        }
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 5); // no intermediate file
    }

    void refusalsAndFailures_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("pairsWritten");
        const QStringList table{"analyse", "counties.dbf"};
        QTest::newRow("unknown field")
            << (table + QStringList{"--field", "NOPE"}) << 1
            << "quarvel: counties.dbf: The table has no field named \"NOPE\"." << false;
        QTest::newRow("field that is not numeric")
            << (table + QStringList{"--field", "NAME"}) << 1
            << "quarvel: counties.dbf: This field is not numeric\n"
            << false;
        QTest::newRow("relate field missing")
            << (table + QStringList{"--join", "KEY"}) << 1
            << "The table has no field named \"KEY\" to relate the join file by." << false;
        QTest::newRow("unreadable table")
            << QStringList{"analyse", "garbage.dbf"} << 1
            << "quarvel: garbage.dbf: A connection could not be made to the database record "
               "source."
            << false;
        QTest::newRow("missing table")
            << QStringList{"analyse", "elsewhere/nothere.dbf", "counties.dbf"} << 1
            << "quarvel: elsewhere/nothere.dbf: A connection could not be made" << true;
        QTest::newRow("folder that cannot be made")
            << (table + QStringList{"--out-dir", "garbage.dbf/out"}) << 1
            << "The file \"Unsorted-Sorted.csv\" could not be written in" << false;
        QTest::newRow("results into a missing folder")
            << (table + QStringList{"--results-file", "no/such/Median.csv"}) << 1
            << "The file \"Median.csv\" could not be written in" << true;
        QTest::newRow("results onto the table")
            << (table + QStringList{"--results-file", "Counties.DBF"}) << 1
            << "The name \"Counties.DBF\" is the table being analyzed" << false;
        QTest::newRow("a family name is no picture")
            << (table + QStringList{"--picture", "counties.xml"}) << 2 << ".png, .svg or .pdf"
            << false;
        QTest::newRow("join onto the table's family")
            << (table + QStringList{"--join", "NAME", "--join-file", "COUNTIES.shp"}) << 1
            << "The name \"COUNTIES.shp\" is the table being analyzed" << false;
        QTest::newRow("two tables, one folder")
            << QStringList{"analyse", "counties.dbf", "stations.dbf"} << 2 << "--out-dir" << false;
        QTest::newRow("unknown option")
            << (table + QStringList{"--frob"}) << 2 << "unknown option --frob" << false;
        QTest::newRow("picture of no known kind")
            << (table + QStringList{"--picture", "c.gif"}) << 2 << ".png, .svg or .pdf" << false;
        QTest::newRow("no table") << QStringList{"analyse"} << 2 << "name at least one table"
                                  << false;
    }

    void refusalsAndFailures() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(bool, pairsWritten);
        for (const char* name : {"counties.dbf", "stations.dbf"}) {
            QFile::copy(kSamples + "/" + name, inFolder(QString::fromLatin1(name)));
        }
        writeBytes(inFolder("garbage.dbf"), QByteArray("not a table at all, not even close"));
        const Finished finished = runProgram(arguments, folder());
        QCOMPARE(finished.status, status);
        QVERIFY2(finished.err.contains(message), qPrintable(finished.err));
        // A refused table and wrong usage write nothing; the other tables still run, and an
        // analysis whose results file fails has written its pairs file.
        QCOMPARE(QFile::exists(inFolder("Unsorted-Sorted.csv")), pairsWritten);
        QCOMPARE(fileBytes(inFolder("counties.dbf")), fileBytes(kSamples + "/counties.dbf"));
    }

    void helpExplainsEveryOption() {
        const Finished help = runProgram({"analyse", "--help"}, folder());
        QCOMPARE(help.status, 0);
        for (const char* option : {"--field", "--results", "--results-file", "--join",
                                   "--join-file", "--picture", "--view", "--out-dir", "--json"}) {
            QVERIFY2(help.out.contains(option), option);
        }
        QCOMPARE(runProgram({"--help"}, folder()).status, 0);
    }

    void layersAreNamedWhenASourceHoldsSeveral() {
        writeTable(inFolder("small.dbf"), textTable("NAME", {"a", "b"}));
        writeTable(inFolder("numbers.dbf"), largeNumberTable(5));
        translateLayer(inFolder("small.dbf"), inFolder("two.gpkg"),
                       {"-f", "GPKG", "-nln", "names"});
        translateLayer(inFolder("numbers.dbf"), inFolder("two.gpkg"),
                       {"-update", "-nln", "numbers"});

        const Finished unnamed = runProgram({"analyse", "two.gpkg"}, folder());
        QCOMPARE(unnamed.status, 1);
        QVERIFY2(unnamed.err.contains("The file holds 2 layers, so the one to open must be "
                                      "named: \"names\", \"numbers\"."),
                 qPrintable(unnamed.err));
        QVERIFY(!QFile::exists(inFolder("Unsorted-Sorted.csv")));

        const Finished named = runProgram({"analyse", "two.gpkg", "--layer", "numbers"}, folder());
        QCOMPARE(named.status, 0);
        QCOMPARE(named.err, QString());
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")).count('\n'), 6); // header, 5 values

        const Finished dbase = runProgram({"analyse", "numbers.dbf", "--layer", "x"}, folder());
        QCOMPARE(dbase.status, 2);
        QVERIFY2(dbase.err.contains("--layer is for layer sources"), qPrintable(dbase.err));
        QVERIFY(runProgram({"analyse", "--help"}, folder()).out.contains("--layer NAME"));
    }

    void ctrlCLeavesNoHalfMadeFile() {
        writeTable(inFolder("big.dbf"), largeNumberTable(300000));
        QProcess process;
        process.setWorkingDirectory(folder());
        process.start(kProgram, {"analyse", "big.dbf"});
        QVERIFY(process.waitForStarted());
        QTest::qWait(60);
        // Only the program itself: a process id of 0 would signal this whole process group.
        const qint64 pid = process.processId();
        if (pid > 0 && process.state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(pid), SIGINT);
        }
        process.waitForFinished(60000); // false when it had ended already
        QCOMPARE(process.state(), QProcess::NotRunning);
        // Stopped (130), ended before the handler was set, or finished first: in every case
        // the folder holds the table and, at most, a whole pairs file.
        const QStringList files = QDir(folder()).entryList(QDir::Files, QDir::Name);
        if (files.contains("Unsorted-Sorted.csv")) {
            QCOMPARE(files, QStringList({"Unsorted-Sorted.csv", "big.dbf"}));
            QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")).count('\n'), 300001);
        } else {
            QCOMPARE(files, QStringList({"big.dbf"}));
            QVERIFY(process.exitStatus() == QProcess::CrashExit || process.exitCode() == 130);
        }
    }

    void ctrlCStopsTheReading() {
        if (!QFile::exists(QStringLiteral("/proc/self/status"))) {
            QSKIP("needs /proc to see when the program catches Ctrl+C");
        }
        // A table of 268 million two-byte records, all zeros (a sparse file): opening it
        // scans every record's flag, which takes far longer than the signal takes to come;
        // opened whole, it would be refused (no field starts with a number).
        constexpr quint32 kRecords = 268'000'000;
        QByteArray header(65, '\0');
        header[0] = 0x03;
        qToLittleEndian<quint32>(kRecords, header.data() + 4);
        qToLittleEndian<quint16>(65, header.data() + 8); // header length
        qToLittleEndian<quint16>(2, header.data() + 10); // record length: flag and one byte
        header[32] = 'V';
        header[32 + 11] = 'N';
        header[32 + 16] = 1; // field width
        header[64] = 0x0D;
        QFile table(inFolder("big.dbf"));
        QVERIFY(table.open(QIODevice::WriteOnly) && table.write(header) == header.size() &&
                table.resize(65 + 2 * qint64(kRecords)));
        table.close();
        QProcess process;
        process.setWorkingDirectory(folder());
        process.start(kProgram, {"analyse", "big.dbf"});
        QVERIFY(process.waitForStarted());
        const qint64 pid = process.processId();
        QVERIFY(QTest::qWaitFor([pid] { return catchesInterrupt(pid); }, 20000));
        ::kill(static_cast<pid_t>(pid), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()),
                 "quarvel: big.dbf: Stopped; the files of this table were left as they were.\n");
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList({"big.dbf"}));
    }

    void figuresThatCannotBeWrittenAreAFailure() {
        QFile::copy(kSamples + "/counties.dbf", inFolder("counties.dbf"));
        const Finished full =
            runProgram({"analyse", "counties.dbf", "--json"}, folder(), "/dev/full");
        QCOMPARE(full.status, 1);
        QVERIFY2(full.err.contains("the standard output could not be written: No space left"),
                 qPrintable(full.err));
    }

    void jsonReadsBackToTheResults() {
        QFile::copy(kSamples + "/stations.dbf", inFolder("stations.dbf"));
        QFile::copy(kSamples + "/counties.dbf", inFolder("counties.dbf"));
        writeBytes(inFolder("garbage.dbf"), QByteArray("not a table"));
        QTemporaryDir out;
        const Finished finished = runProgram(
            {"analyse", "stations.dbf", "garbage.dbf", "counties.dbf", "--json", "--out-dir",
             out.path(), "--results", "--join", "STATION", "--join-file", "ranks.txt"},
            folder());
        QCOMPARE(finished.status, 1);
        const QList<QByteArray> lines = finished.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        const QJsonObject stations = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(stations["table"].toString(), QStringLiteral("stations.dbf"));
        QCOMPARE(stations["field"].toString(), QStringLiteral("ELEV_M"));
        QCOMPARE(stations["records"].toInt(), 12);
        // The same numbers as the results file of that table, to the last bit.
        const QList<QByteArray> quartiles =
            fileBytes(QDir(out.path()).filePath("stations/Median.csv")).split('\n')[1].split(',');
        QCOMPARE(stations["first_quartile"].toDouble(), quartiles[0].trimmed().toDouble());
        QCOMPARE(stations["median"].toDouble(), quartiles[1].trimmed().toDouble());
        QCOMPARE(stations["third_quartile"].toDouble(), quartiles[2].trimmed().toDouble());
        const double range =
            stations["third_quartile"].toDouble() - stations["first_quartile"].toDouble();
        QCOMPARE(stations["upper_outer_fence"].toDouble(),
                 stations["third_quartile"].toDouble() + 3 * range);
        // Every rank and note is present, and they count the records of the join file.
        const QList<QByteArray> join =
            fileBytes(QDir(out.path()).filePath("stations/ranks.txt")).trimmed().split('\n');
        const QJsonObject ranks = stations["ranks"].toObject();
        const QJsonObject notes = stations["notes"].toObject();
        QCOMPARE(ranks.size(), 4);
        QCOMPARE(notes.size(), 5);
        for (const QString& rank : ranks.keys()) {
            int counted = 0;
            for (const QByteArray& line : join.mid(1)) {
                counted += line.trimmed().split(',')[3] == rank.toLatin1() ? 1 : 0;
            }
            QCOMPARE(ranks[rank].toInt(), counted);
        }
        for (const QString& note : notes.keys()) {
            int counted = 0;
            for (const QByteArray& line : join.mid(1)) {
                counted += line.trimmed().endsWith("," + note.toLatin1()) ? 1 : 0;
            }
            QCOMPARE(notes[note].toInt(), counted);
        }
        const QJsonObject refused = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(refused["table"].toString(), QStringLiteral("garbage.dbf"));
        QVERIFY(refused["error"].toString().startsWith("A connection could not be made"));
        QVERIFY(QJsonDocument::fromJson(lines[2]).object()["error"].toString().contains(
            "no field named \"STATION\""));
    }

    void rankedLayerBesideTheTable_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("note");
        QTest::newRow("GeoPackage") << "ranked.gpkg" << QStringList{"ranked.gpkg"} << QString();
        // No shapes beside the table: a shapefile of empty shapes, no .prj, the table's code
        // page (its language driver says windows-1252).
        QTest::newRow("shapefile")
            << "Ranked.SHP" << QStringList{"Ranked.CPG", "Ranked.DBF", "Ranked.SHP", "Ranked.SHX"}
            << "quarvel: counties.dbf: note: The table has no shapes, so every shape of the "
               "shapefile is empty.\n";
    }

    void rankedLayerBesideTheTable() {
        QFETCH(QString, target);
        QFETCH(QStringList, written);
        QFETCH(QString, note);
        QFile::copy(kSamples + "/counties.dbf", inFolder("counties.dbf"));
        const Finished finished =
            runProgram({"analyse", "counties.dbf", "--ranked", target, "--json"}, folder());
        QCOMPARE(finished.status, 0);
        QCOMPARE(finished.err, note);
        // The last member names the layer where it was placed.
        const QString placed = inFolder(target);
        QVERIFY2(finished.out.endsWith(", \"ranked\": \"" + placed.toUtf8() + "\"}\n"),
                 finished.out.constData());
        QCOMPARE(QJsonDocument::fromJson(finished.out).object()["ranked"].toString(), placed);
        QStringList files = QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        files.removeAll("counties.dbf");
        files.removeAll("Unsorted-Sorted.csv");
        QCOMPARE(files, written);
        if (written.size() == 1) {
            QVERIFY(fileBytes(placed).startsWith(QByteArray("SQLite format 3\0", 16)));
        } else {
            QCOMPARE(fileBytes(inFolder("Ranked.CPG")), QByteArray("1252"));
        }
    }

    void rankedLayerRefusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QStringList table{"analyse", "counties.dbf"};
        QTest::newRow("neither GeoPackage nor shapefile")
            << (table + QStringList{"--ranked", "r.csv"}) << 2
            << "quarvel analyse: --ranked needs a name ending in .gpkg or .shp\n";
        QTest::newRow("onto the table's family")
            << (table + QStringList{"--ranked", "COUNTIES.shp"}) << 1
            << "The name \"COUNTIES.shp\" is the table being analyzed";
        QTest::newRow("a shapefile's .dbf is another file's name")
            << (table + QStringList{"--ranked", "r.shp", "--results-file", "r.dbf"}) << 2
            << "would both write";
        QTest::newRow("two tables, one layer")
            << QStringList{"analyse", "counties.dbf", "stations.dbf", "--out-dir",
                           "out",     "--ranked",     "sub/r.gpkg"}
            << 2 << "would both write";
        QTest::newRow("a folder that does not exist")
            << (table + QStringList{"--ranked", "no/r.gpkg"}) << 1
            << "The file \"r.gpkg\" could not be written in";
    }

    void rankedLayerRefusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        for (const char* name : {"counties.dbf", "stations.dbf"}) {
            QFile::copy(kSamples + "/" + name, inFolder(QString::fromLatin1(name)));
        }
        const Finished finished = runProgram(arguments, folder());
        QCOMPARE(finished.status, status);
        QVERIFY2(finished.err.contains(message), qPrintable(finished.err));
        // No layer, nor a part or a temporary of one.
        const QStringList layers{"r.*", ".r.*", "COUNTIES.*"};
        QCOMPARE(QDir(folder()).entryList(layers, QDir::Files | QDir::Hidden | QDir::CaseSensitive),
                 QStringList());
    }
};

QTEST_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
