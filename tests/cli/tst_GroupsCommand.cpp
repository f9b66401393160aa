#include "ProgramRun.h"
#include "TestTables.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quarvel::testing;

namespace {

const QString kProgram = QStringLiteral(QUARVEL_TEST_PROGRAM);
const QString kGolden = QStringLiteral(QUARVEL_TEST_DATA "/groups/");

Finished runProgram(const QStringList& arguments, const QString& folder) {
    return runProgramAt(kProgram, arguments, folder);
}

} // namespace

/** `quarvel analyse --by`: the groups file, the join lines and JSON within groups. */
class tst_GroupsCommand : public QObject {
    Q_OBJECT

    QString root() const { return folder->path(); }
    QString inRoot(const QString& name) const { return QDir(root()).filePath(name); }
    QStringList filesIn(const QString& name) const {
        return QDir(inRoot(name))
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    std::unique_ptr<QTemporaryDir> folder;

private slots:
    void init() {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        QVERIFY(QDir(root()).mkpath("tables"));
        writeTable(inRoot("tables/worked.dbf"), workedGroupsTable());
    }

    // The files and lines worked by hand; the pairs file stays the whole field's.
    void workedTable() {
        const Finished grouped = runProgram({"analyse", "worked.dbf", "--field", "POP", "--by",
                                             "STATE", "--join", "NAME", "--json"},
                                            inRoot("tables"));
        QCOMPARE(grouped.err, QString());
        QCOMPARE(grouped.status, 0);
        QCOMPARE(grouped.out, fileBytes(kGolden + "worked.json"));
        QCOMPARE(fileBytes(inRoot("tables/Groups.csv")), fileBytes(kGolden + "worked-Groups.csv"));
        QCOMPARE(fileBytes(inRoot("tables/Join.txt")), fileBytes(kGolden + "worked-Join.txt"));

        const Finished whole = runProgram(
            {"analyse", "tables/worked.dbf", "--field", "POP", "--out-dir", "whole"}, root());
        QCOMPARE(whole.status, 0);
        QCOMPARE(filesIn("whole"), QStringList({"Unsorted-Sorted.csv"}));
        QCOMPARE(fileBytes(inRoot("tables/Unsorted-Sorted.csv")),
                 fileBytes(inRoot("whole/Unsorted-Sorted.csv")));
    }

    void groupsFilePlaced_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("placed");
        QTest::newRow("beside the table") << QStringList() << "tables/Groups.csv";
        QTest::newRow("another name")
            << QStringList{"--groups-file", "ByState.csv"} << "tables/ByState.csv";
        QTest::newRow("a name with a folder")
            << QStringList{"--groups-file", "tables/../g.csv"} << "g.csv";
        QTest::newRow("into --out-dir") << QStringList{"--out-dir", "out"} << "out/Groups.csv";
    }

    void groupsFilePlaced() {
        QFETCH(QStringList, options);
        QFETCH(QString, placed);
        const Finished finished = runProgram(
            QStringList{"analyse", "tables/worked.dbf", "--field", "POP", "--by", "STATE"} +
                options,
            root());
        QCOMPARE(finished.err, QString());
        QCOMPARE(finished.status, 0);
        QCOMPARE(fileBytes(inRoot(placed)), fileBytes(kGolden + "worked-Groups.csv"));
    }

    // With --picture the group chart instead of the single chart: three rows of 28 pixels and
    // the axis' 34 below them, 800 across (the single chart is 501 x 341).
    void groupChart() {
        const Finished finished = runProgram(
            {"analyse", "worked.dbf", "--field", "POP", "--by", "STATE", "--picture", "g.png"},
            inRoot("tables"));
        QCOMPARE(finished.err, QString());
        QCOMPARE(finished.status, 0);
        QCOMPARE(QImage(inRoot("tables/g.png")).size(), QSize(800, 118));
    }

    // Nothing is written for a refused table; wrong usage is refused before any table.
    void refusals_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such field")
            << QStringList{"--by", "PROVINCE"} << 1
            << "quarvel: worked.dbf: The table has no field named \"PROVINCE\" to group the "
               "records by.\nName one of its fields with --by.\n";
        QTest::newRow("groups file onto the table")
            << QStringList{"--by", "STATE", "--groups-file", "WORKED.shp"} << 1
            << "quarvel: worked.dbf: The name \"WORKED.shp\" is the table being analyzed";
        QTest::newRow("groups file without --by")
            << QStringList{"--groups-file", "g.csv"} << 2
            << "quarvel analyse: --groups-file needs --by FIELD\n";
    }

    void refusals() {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, message);
        const Finished finished = runProgram(
            QStringList{"analyse", "worked.dbf", "--field", "POP"} + options, inRoot("tables"));
        QCOMPARE(finished.status, status);
        QVERIFY2(finished.err.startsWith(message), qPrintable(finished.err));
        QCOMPARE(filesIn("tables"), QStringList({"worked.dbf"}));
    }
};

QTEST_GUILESS_MAIN(tst_GroupsCommand)
#include "tst_GroupsCommand.moc"
