#include "ProgramRun.h"
#include "TestTables.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <utility>
#include <vector>

using namespace quarvel::testing;

namespace {

const QString kProgram = QStringLiteral(QUARVEL_TEST_PROGRAM);

Finished runProgram(const QStringList& arguments, const QString& folder) {
    return runProgramAt(kProgram, arguments, folder);
}

// The layer "parts" of every kind, its records in this order with their VALUE. Sorted, the
// eight values are -30 10 15 20 25 30 50 500: the quartiles are the 2nd, 4th and 6th smallest
// (10, 20, 30), the inner fences -20 and 60, the outer ones -50 and 90.
const std::vector<std::pair<double, const char*>> kParts = {
    // rank 3: a square with a hole
    {25, "POLYGON((1000 5000,1080 5000,1080 5080,1000 5080,1000 5000),"
         "(1020 5020,1060 5020,1060 5060,1020 5060,1020 5020))"},
    // probable outlier-high: a square over the first one's corner
    {500, "POLYGON((1060 5060,1100 5060,1100 5100,1060 5100,1060 5060))"},
    // possible outlier-low: two horizontal lines, the first reaching the extent's right edge
    {-30, "MULTILINESTRING((1100 5020.625,1195 5020.625),(1120 5040.625,1180 5040.625))"},
    {10, "POINT(1150.125 5080.125)"}, // rank 2
    {15, nullptr},                    // no shape: analysed, drawn nowhere
    {50, "MULTIPOINT((1120.125 5070.125),(1180.125 5070.125))"}, // rank 4
    {20, "POINT(1150.125 5060.125)"},                            // rank 2
    {30, "POLYGON((1120 5000,1180 5000,1150 5010,1120 5000))"},  // rank 3
};

void writeParts(const QString& path) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    const GDALDatasetUniquePtr dataset(
        driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    QVERIFY(dataset);
    OGRLayer* layer = dataset->CreateLayer("parts", nullptr, wkbUnknown, nullptr);
    QVERIFY(layer != nullptr);
    OGRFieldDefn value("VALUE", OFTReal);
    QCOMPARE(layer->CreateField(&value), OGRERR_NONE);
    for (const auto& [number, shape] : kParts) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField(0, number);
        if (shape != nullptr) {
            OGRGeometry* geometry = nullptr;
            QCOMPARE(OGRGeometryFactory::createFromWkt(shape, nullptr, &geometry), OGRERR_NONE);
            feature.SetGeometryDirectly(geometry);
        }
        QCOMPARE(layer->CreateFeature(&feature), OGRERR_NONE);
    }
}

// A numeric table of six records and nothing beside it.
TableSpec valuesTable() {
    TableSpec tableSpec;
    tableSpec.fields = {{"VALUE", 'N', 6, 0}};
    for (const char* value : {"4", "8", "15", "16", "23", "42"}) {
        tableSpec.records.push_back({std::string(value)});
    }
    return tableSpec;
}

} // namespace

class tst_MapCommand : public QObject {
    Q_OBJECT

    QString folder() const { return tables->path(); }
    QString inFolder(const QString& name) const { return QDir(folder()).filePath(name); }

    std::unique_ptr<QTemporaryDir> tables;
    QImage drawn;

private slots:
    void init() {
        tables = std::make_unique<QTemporaryDir>();
        QVERIFY(tables->isValid());
        writeParts(inFolder("parts.gpkg"));
        writeTable(inFolder("plain.dbf"), valuesTable());
        writeBytes(inFolder("values.csv"),
                   QByteArray("VALUE,NAME\n4,a\n8,b\n15,c\n16,d\n23,e\n42,f\n"));
    }

    // The extent is 1000..1195 x 5000..5100: 780 / 195 = 4 pixels a unit across beats
    // 580 / 100 = 5.8 down, and the centre (1097.5, 5050) lies at (400, 300), so a map point
    // (x, y) lands at pixel x 4x - 3990 and pixel y 20500 - 4y.
    void everyFeatureShowsItsClassColour_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("color");
        // (1010, 5010), in the holed square
        QTest::newRow("polygon, rank 3") << 50 << 460 << "#fddbc7";
        // (1040, 5040), in its hole
        QTest::newRow("the polygon's hole") << 170 << 340 << "#ffffff";
        // (1070, 5070), in both squares: the later record is drawn over the earlier
        QTest::newRow("polygon over polygon, probable high") << 290 << 220 << "#b2182b";
        QTest::newRow("that polygon alone") << 370 << 140 << "#b2182b"; // (1090, 5090)
        // (1150, 5020.625) and (1150, 5040.625): pixel rows centred on the 2 px lines
        QTest::newRow("line, possible low") << 610 << 417 << "#4393c3";
        QTest::newRow("line's second part") << 610 << 337 << "#4393c3";
        // Points: the pixel whose centre is the point
        QTest::newRow("point, rank 2") << 610 << 179 << "#d1e5f0";       // (1150.125, 5080.125)
        QTest::newRow("other point, rank 2") << 610 << 259 << "#d1e5f0"; // (1150.125, 5060.125)
        QTest::newRow("multi-point, rank 4") << 490 << 219 << "#f4a582"; // (1120.125, 5070.125)
        QTest::newRow("its second point") << 730 << 219 << "#f4a582";    // (1180.125, 5070.125)
        QTest::newRow("triangle, rank 3") << 610 << 488 << "#fddbc7";    // (1150, 5003)
        // The extent's edges, where the transform shows to the pixel: the holed square's left
        // edge at pixel x 10 and bottom edge at pixel y 500, the other square's top edge at
        // pixel y 100, each outlined on that pixel; the line's end at pixel x 790.
        QTest::newRow("left of the left edge") << 9 << 460 << "#ffffff";
        QTest::newRow("right of the left edge") << 11 << 460 << "#fddbc7";
        QTest::newRow("on the left edge") << 10 << 460 << "#636363";
        QTest::newRow("above the bottom edge") << 50 << 499 << "#fddbc7";
        QTest::newRow("below the bottom edge") << 50 << 501 << "#ffffff";
        QTest::newRow("above the top edge") << 370 << 99 << "#ffffff";
        QTest::newRow("below the top edge") << 370 << 101 << "#b2182b";
        QTest::newRow("the line's end") << 788 << 417 << "#4393c3";
        QTest::newRow("past the line's end") << 792 << 417 << "#ffffff";
        // Nothing: the corners, between the lines, below the extent
        QTest::newRow("top left") << 2 << 2 << "#ffffff";
        QTest::newRow("bottom right") << 797 << 597 << "#ffffff";
        QTest::newRow("between the lines") << 500 << 400 << "#ffffff"; // (1122.5, 5025)
        QTest::newRow("below the extent") << 400 << 550 << "#ffffff";  // y 4987.5
    }

    void everyFeatureShowsItsClassColour() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, color);
        if (drawn.isNull()) { // drawn once, for every row
            const Finished finished = runProgram(
                {"analyse", "parts.gpkg", "--field", "VALUE", "--map", "m.png"}, folder());
            QVERIFY2(finished.status == 0, qPrintable(finished.err));
            QCOMPARE(finished.err, QString());
            drawn = QImage(inFolder("m.png"));
        }
        QCOMPARE(drawn.size(), QSize(800, 600));
        QCOMPARE(drawn.pixelColor(x, y).name(), color);
    }

    void everyFormatIsWritten_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArrayList>("inside");
        QTest::newRow("png") << "m.png" << QByteArray("\x89PNG") << QByteArrayList();
        QTest::newRow("svg") << "m.SVG" << QByteArray("<?xml")
                             << QByteArrayList{"viewBox=\"0 0 800 600\"",
                                               "#fddbc7",
                                               "#b2182b",
                                               "#4393c3",
                                               "#d1e5f0",
                                               "#f4a582"};
        QTest::newRow("pdf") << "sub/m.pdf" << QByteArray("%PDF-") << QByteArrayList();
    }

    void everyFormatIsWritten() {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QFETCH(QByteArrayList, inside);
        QVERIFY(QDir(folder()).mkdir("sub"));
        const Finished finished =
            runProgram({"analyse", "parts.gpkg", "--map", name, "--json"}, folder());
        QVERIFY2(finished.status == 0, qPrintable(finished.err));
        const QByteArray bytes = fileBytes(inFolder(name));
        QVERIFY2(bytes.size() > 100 && bytes.startsWith(start), bytes.left(40).constData());
        for (const QByteArray& text : inside) {
            QVERIFY2(bytes.contains(text), text.constData());
        }
        // The last member names the map where it was placed.
        QVERIFY2(finished.out.endsWith(", \"map\": \"" + inFolder(name).toUtf8() + "\"}\n"),
                 finished.out.constData());
        QCOMPARE(QJsonDocument::fromJson(finished.out).object()["records"].toInt(), 8);
    }

    // The map fails alone: the table's other files are written, the status says it failed.
    void aMapThatCannotBeDrawn_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("reason");
        QTest::newRow("dBASE table without shapes")
            << "plain.dbf"
            << "m.png"
            << "The table has no shapes: no shapefile (.shp) of its name lies beside it.";
        QTest::newRow("layer without geometry")
            << "values.csv"
            << "m.svg"
            << "The layer \"values\" has no geometry, only attributes.";
        QTest::newRow("a folder that does not exist")
            << "parts.gpkg"
            << "no/m.pdf"
            << "The map could not be saved as \"m.pdf\": ";
    }

    void aMapThatCannotBeDrawn() {
        QFETCH(QString, table);
        QFETCH(QString, map);
        QFETCH(QString, reason);
        const Finished finished = runProgram(
            {"analyse", table, "--field", "VALUE", "--results", "--picture", "c.png", "--map", map},
            folder());
        QVERIFY2(finished.status == 1, qPrintable(finished.err));
        QVERIFY2(finished.err.startsWith("quarvel: " + table + ": " + reason),
                 qPrintable(finished.err));
        QVERIFY(finished.err.endsWith('\n'));
        QCOMPARE(finished.err.count('\n'), 1);
        for (const char* written : {"Unsorted-Sorted.csv", "Median.csv", "c.png"}) {
            QVERIFY2(QFile::exists(inFolder(written)), written);
        }
        QVERIFY(!QFile::exists(inFolder(map)));

        const Finished json =
            runProgram({"analyse", table, "--field", "VALUE", "--map", map, "--json"}, folder());
        QVERIFY2(json.status == 1, qPrintable(json.err));
        const QJsonObject line = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(line["table"].toString(), table);
        QCOMPARE(line["records"].toInt(), table == "parts.gpkg" ? 8 : 6);
        QVERIFY(line.contains("map") && line["map"].isNull());
        QVERIFY2(line["map_error"].toString().startsWith(reason), json.out.constData());
        QVERIFY(!line.contains("error"));
        QVERIFY(json.out.contains("\"notes\": {") && json.out.endsWith("\"}\n"));
    }

    void helpNamesTheOption() {
        const Finished help = runProgram({"analyse", "--help"}, folder());
        QVERIFY2(help.status == 0, qPrintable(help.err));
        QVERIFY(help.out.contains("\n  --map FILE            also draw the map"));
    }

    void wrongUsageWritesNothing_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("no picture kind")
            << QStringList{"--map", "m.gif"}
            << "quarvel analyse: --map needs a name ending in .png, .svg or .pdf\n";
        QTest::newRow("the chart's name")
            << QStringList{"--picture", "m.png", "--map", "m.png"} << "would both write";
    }

    void wrongUsageWritesNothing() {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        const Finished finished =
            runProgram(QStringList{"analyse", "parts.gpkg"} + options, folder());
        QVERIFY2(finished.status == 2, qPrintable(finished.err));
        QVERIFY2(finished.err.contains(message), qPrintable(finished.err));
        QCOMPARE(QDir(folder()).entryList(QDir::Files),
                 QStringList({"parts.gpkg", "plain.dbf", "values.csv"}));
    }
};

QTEST_GUILESS_MAIN(tst_MapCommand)
#include "tst_MapCommand.moc"
