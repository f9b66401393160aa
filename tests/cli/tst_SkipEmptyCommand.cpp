#include "ProgramRun.h"
#include "TestTables.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <optional>

// `--skip-empty` through the real program, on a dBASE table with NULL numbers and on a
// GeoPackage layer with NULL cells: the files, the note, the JSON line; without it the table is
// refused as it always was.

using namespace quarvel::testing;

namespace {

const QString kProgram = QStringLiteral(QUARVEL_TEST_PROGRAM);
const QString kData = QStringLiteral(QUARVEL_TEST_DATA);

Finished runProgram(const QStringList& arguments, const QString& folder) {
    return runProgramAt(kProgram, arguments, folder);
}

// AREA A to K; POP empty (NULL) in A, D and K, else 15 3 100 1 6 4 2 5: quartiles 2 / 4 / 6,
// inner fences -4 and 12, outer fences -10 and 18. ZONE N and S in turn.
const std::optional<int> kPop[] = {std::nullopt, 15, 3, std::nullopt, 100, 1, 6, 4, 2, 5,
                                   std::nullopt};

std::string zone(char area) {
    return (area - 'A') % 2 == 0 ? "N" : "S";
}

TableSpec gapsTable() {
    TableSpec tableSpec;
    tableSpec.fields = {{"AREA", 'C', 4, 0}, {"POP", 'N', 6, 0}, {"ZONE", 'C', 1, 0}};
    char area = 'A';
    for (const std::optional<int>& pop : kPop) {
        tableSpec.records.push_back(
            {std::string(1, area),
             pop ? std::optional<std::string>(std::to_string(*pop)) : std::nullopt, zone(area)});
        ++area;
    }
    return tableSpec;
}

void writeGapsLayer(const QString& path) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    const GDALDatasetUniquePtr dataset(
        driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    QVERIFY(dataset);
    OGRLayer* layer = dataset->CreateLayer("places", nullptr, wkbPoint, nullptr);
    QVERIFY(layer != nullptr);
    OGRFieldDefn area("AREA", OFTString);
    OGRFieldDefn pop("POP", OFTInteger);
    OGRFieldDefn zones("ZONE", OFTString);
    QCOMPARE(layer->CreateField(&area), OGRERR_NONE);
    QCOMPARE(layer->CreateField(&pop), OGRERR_NONE);
    QCOMPARE(layer->CreateField(&zones), OGRERR_NONE);
    char name[] = "A";
    for (const std::optional<int>& value : kPop) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField(0, name);
        feature.SetField(2, zone(name[0]).c_str());
        ++name[0];
        if (value) {
            feature.SetField(1, *value);
        } else {
            feature.SetFieldNull(1);
        }
        QCOMPARE(layer->CreateFeature(&feature), OGRERR_NONE);
    }
}

} // namespace

class tst_SkipEmptyCommand : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> tables;

    QString folder() const { return tables->path(); }
    QString inFolder(const QString& name) const { return QDir(folder()).filePath(name); }

private slots:
    void init() {
        tables = std::make_unique<QTemporaryDir>();
        QVERIFY(tables->isValid());
        writeTable(inFolder("places.dbf"), gapsTable());
        writeGapsLayer(inFolder("places.gpkg"));
        writeTable(inFolder("full.dbf"), workedJoinTable());
    }

    void sources_data() {
        QTest::addColumn<QString>("table");
        QTest::newRow("dBASE, NULL numbers") << "places.dbf";
        QTest::newRow("GeoPackage, NULL cells") << "places.gpkg";
    }

    void sources() {
        QFETCH(QString, table);
        const Finished finished = runProgram({"analyse", table, "--field", "POP", "--skip-empty",
                                              "--join", "AREA", "--results", "--json"},
                                             folder());
        QCOMPARE(finished.status, 0);
        QCOMPARE(finished.err,
                 "quarvel: " + table + ": note: 3 records without a value were left out.\n");
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")),
                 fileBytes(kData + "/analysis/gaps-Unsorted-Sorted.csv"));
        QCOMPARE(fileBytes(inFolder("Join.txt")), fileBytes(kData + "/join/gaps-Join.txt"));
        QCOMPARE(fileBytes(inFolder("Median.csv")),
                 QByteArray("First Quartile,Median,Third Quartile\r\n2,4,6\r\n"));
        // The values analysed and the records left out; ranks and notes count the values.
        QVERIFY2(finished.out.startsWith("{\"table\": \"" + table.toUtf8() +
                                         "\", \"field\": \"POP\", \"records\": 8, "
                                         "\"left_out\": 3, \"first_quartile\": 2, "),
                 finished.out.constData());
        const QJsonObject line = QJsonDocument::fromJson(finished.out).object();
        QCOMPARE(line["ranks"].toObject(), QJsonObject({{"1", 1}, {"2", 3}, {"3", 2}, {"4", 2}}));
        QCOMPARE(line["notes"].toObject()["Within Inner-Quartile Range"].toInt(), 6);
    }

    // With --by a record left out belongs to no group, and a group's count is of its values.
    // N (A C E G I K) holds 3 100 6 2, A and K left out: sorted 2 3 6 100, and of four values
    // the quartiles are the 1st, 2nd and 3rd smallest, 2 / 3 / 6, fences -4 12 -10 18. S (B D F
    // H J) holds 15 1 4 5, D left out: sorted 1 4 5 15, quartiles 1 / 4 / 5, fences -5 11 -11 17.
    void groupsCountOnlyTheValues_data() { sources_data(); }

    void groupsCountOnlyTheValues() {
        QFETCH(QString, table);
        const Finished finished = runProgram({"analyse", table, "--field", "POP", "--skip-empty",
                                              "--by", "ZONE", "--join", "AREA", "--json"},
                                             folder());
        QCOMPARE(finished.status, 0);
        QCOMPARE(fileBytes(inFolder("Groups.csv")),
                 QByteArray("Group,Records,1st Quartile,Median,3rd Quartile,Lower Inner Fence,"
                            "Upper Inner Fence,Lower Outer Fence,Upper Outer Fence\r\n"
                            "N,4,2,3,6,-4,12,-10,18\r\n"
                            "S,4,1,4,5,-5,11,-11,17\r\n"));
        QCOMPARE(fileBytes(inFolder("Join.txt")),
                 QByteArray("id,AREA,POP,Rank,Note\r\n"
                            "1,A,,,No value\r\n"
                            "2,B,15,4,Possible Outlier-High\r\n"
                            "3,C,3,2,Within Inner-Quartile Range\r\n"
                            "4,D,,,No value\r\n"
                            "5,E,100,4,Probable Outlier-High\r\n"
                            "6,F,1,2,Within Inner-Quartile Range\r\n"
                            "7,G,6,3,Within Inner-Quartile Range\r\n"
                            "8,H,4,2,Within Inner-Quartile Range\r\n"
                            "9,I,2,2,Within Inner-Quartile Range\r\n"
                            "10,J,5,3,Within Inner-Quartile Range\r\n"
                            "11,K,,,No value\r\n"));
        const QList<QByteArray> lines = finished.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].contains("\"records\": 8, \"left_out\": 3, "), lines[0].constData());
        QVERIFY2(lines[1].contains("\"group\": \"N\", \"records\": 4, \"first_quartile\": 2, "),
                 lines[1].constData());
        QVERIFY2(lines[2].contains("\"group\": \"S\", \"records\": 4, \"first_quartile\": 1, "),
                 lines[2].constData());
    }

    void withoutTheOptionTheTableIsRefusedAsBefore_data() { sources_data(); }

    void withoutTheOptionTheTableIsRefusedAsBefore() {
        QFETCH(QString, table);
        const Finished finished =
            runProgram({"analyse", table, "--field", "POP", "--join", "AREA", "--json"}, folder());
        QCOMPARE(finished.status, 1);
        QCOMPARE(finished.err, "quarvel: " + table + ": This field is not numeric\n");
        QCOMPARE(finished.out, "{\"table\": \"" + table.toUtf8() +
                                   "\", \"error\": \"This field is not numeric\"}\n");
        QVERIFY(!QFile::exists(inFolder("Unsorted-Sorted.csv")));
        QVERIFY(!QFile::exists(inFolder("Join.txt")));
    }

    // A table without empty records: the same files, no note, and only "left_out": 0 added.
    void nothingToLeaveOut() {
        const Finished plain =
            runProgram({"analyse", "full.dbf", "--join", "AREA", "--json"}, folder());
        QCOMPARE(plain.status, 0);
        const QByteArray pairs = fileBytes(inFolder("Unsorted-Sorted.csv"));
        const QByteArray join = fileBytes(inFolder("Join.txt"));
        QCOMPARE(join, fileBytes(kData + "/join/worked-Join.txt"));
        const Finished asked = runProgram(
            {"analyse", "full.dbf", "--join", "AREA", "--json", "--skip-empty"}, folder());
        QCOMPARE(asked.status, 0);
        QCOMPARE(asked.err, QString());
        QCOMPARE(fileBytes(inFolder("Unsorted-Sorted.csv")), pairs);
        QCOMPARE(fileBytes(inFolder("Join.txt")), join);
        QByteArray expected = plain.out;
        expected.replace("\"records\": 8, ", "\"records\": 8, \"left_out\": 0, ");
        QCOMPARE(asked.out, expected);
        QVERIFY(!plain.out.contains("left_out"));
    }
};

QTEST_GUILESS_MAIN(tst_SkipEmptyCommand)
#include "tst_SkipEmptyCommand.moc"
