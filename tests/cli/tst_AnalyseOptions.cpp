#include "CommandLine.h"
#include "CommandLineOptions.h"
#include "OutputPlan.h"

#include <QDir>

#include <QTest>

using namespace quarvel;

namespace {

// What was read, on one line, to compare with a hand-written expectation.
QString summary(const AnalyseOptions& options) {
    if (options.help) {
        return QStringLiteral("help");
    }
    QStringList parts{QStringLiteral("tables ") + options.tables.join(QLatin1Char(' '))};
    if (!options.field.isEmpty()) {
        parts << QStringLiteral("field ") + options.field;
    }
    if (!options.layer.isEmpty()) {
        parts << QStringLiteral("layer ") + options.layer;
    }
    if (options.results) {
        parts << QStringLiteral("results ") + options.resultsFile;
    }
    if (!options.joinKey.isEmpty()) {
        parts << QStringLiteral("join %1 %2").arg(options.joinKey, options.joinFile);
    }
    if (!options.picture.isEmpty()) {
        parts << QStringLiteral("picture %1 %2")
                     .arg(options.picture, options.view == ChartView::Detailed
                                               ? QStringLiteral("detailed")
                                               : QStringLiteral("basic"));
    }
    if (!options.ranked.isEmpty()) {
        parts << QStringLiteral("ranked ") + options.ranked;
    }
    if (!options.map.isEmpty()) {
        parts << QStringLiteral("map ") + options.map;
    }
    if (!options.outDir.isEmpty()) {
        parts << QStringLiteral("out ") + options.outDir;
    }
    if (options.json) {
        parts << QStringLiteral("json");
    }
    if (options.skipEmpty) {
        parts << QStringLiteral("skip empty");
    }
    return parts.join(QStringLiteral(" | "));
}

} // namespace

class tst_AnalyseOptions : public QObject {
    Q_OBJECT

private slots:
    void readsTheArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("read");
        // Both forms of a value, the last of a repeated option, "-" as a table.
        QTest::newRow("value forms") << QStringList{"a.dbf", "-", "--field=POP", "--out-dir", "o"}
                                     << "tables a.dbf - | field POP | out o";
        QTest::newRow("last one counts")
            << QStringList{"a.dbf", "--field", "X", "--field=Y"} << "tables a.dbf | field Y";
        QTest::newRow("everything")
            << QStringList{"a.dbf",           "--results-file=m.csv",
                           "--join",          "K",
                           "--join-file",     "j.txt",
                           "--picture",       "c.svg",
                           "--view=detailed", "--json"}
            << "tables a.dbf | results m.csv | join K j.txt | picture c.svg detailed | json";
        QTest::newRow("default names")
            << QStringList{"--results", "a.dbf", "--join=K", "--picture=c.pdf"}
            << "tables a.dbf | results Median.csv | join K Join.txt | picture c.pdf basic";
        QTest::newRow("a map beside the chart")
            << QStringList{"a.gpkg", "--picture", "c.png", "--map=m.PDF", "--ranked", "r.shp"}
            << "tables a.gpkg | picture c.png basic | ranked r.shp | map m.PDF";
        // A value is the next argument, whatever it looks like.
        QTest::newRow("option-like values")
            << QStringList{"a.dbf", "--field", "--json", "--out-dir", "--"}
            << "tables a.dbf | field --json | out --";
        QTest::newRow("help, a value after it ignored")
            << QStringList{"--help=x", "--field", "F"} << "help";
        QTest::newRow("help without tables") << QStringList{"-h"} << "help";
        QTest::newRow("records without a value left out")
            << QStringList{"--skip-empty", "a.dbf", "--json"} << "tables a.dbf | json | skip empty";
        QTest::newRow("a layer of each source")
            << QStringList{"a.gpkg", "--layer", "roads", "B.CSV", "c.geojson"}
            << "tables a.gpkg B.CSV c.geojson | layer roads";

        // Wrong usage: the first wrong argument, in the command's own words.
        QTest::newRow("unknown") << QStringList{"a.dbf", "--frob=1"}
                                 << "wrong: unknown option --frob";
        QTest::newRow("double dash") << QStringList{"--", "a.dbf"} << "wrong: unknown option --";
        QTest::newRow("one-dash word")
            << QStringList{"-field", "F", "a.dbf"} << "wrong: unknown option -field";
        QTest::newRow("letters after -h") << QStringList{"-hx"} << "wrong: unknown option -hx";
        QTest::newRow("a letter after --") << QStringList{"--h"} << "wrong: unknown option --h";
        QTest::newRow("missing value")
            << QStringList{"a.dbf", "--field"} << "wrong: --field needs a value";
        QTest::newRow("empty value") << QStringList{"a.dbf", "--out-dir", ""}
                                     << "wrong: --out-dir needs a value that is not empty";
        QTest::newRow("empty after =")
            << QStringList{"a.dbf", "--field="} << "wrong: --field needs a value that is not empty";
        QTest::newRow("flag with a value")
            << QStringList{"a.dbf", "--json=yes"} << "wrong: --json takes no value";
        QTest::newRow("skip-empty with a value")
            << QStringList{"a.dbf", "--skip-empty=1"} << "wrong: --skip-empty takes no value";
        QTest::newRow("skip-empty misspelt")
            << QStringList{"a.dbf", "--skip-empties"} << "wrong: unknown option --skip-empties";
        QTest::newRow("view of no kind") << QStringList{"a.dbf", "--view=round", "--frob"}
                                         << "wrong: --view is basic or detailed, not \"round\"";
        QTest::newRow("first wrong one")
            << QStringList{"--frob", "--view=round"} << "wrong: unknown option --frob";
        QTest::newRow("no table") << QStringList{"--field", "--json"}
                                  << "wrong: name at least one table";
        QTest::newRow("join file alone") << QStringList{"a.dbf", "--join-file", "j.txt"}
                                         << "wrong: --join-file needs --join KEY";
        QTest::newRow("view alone")
            << QStringList{"a.dbf", "--view", "basic"} << "wrong: --view needs --picture FILE";
        QTest::newRow("picture of no kind")
            << QStringList{"a.dbf", "--picture", "c.gif"}
            << "wrong: --picture needs a name ending in .png, .svg or .pdf";
        QTest::newRow("map of no kind") << QStringList{"a.dbf", "--map", "m.gif"}
                                        << "wrong: --map needs a name ending in .png, .svg or .pdf";
        QTest::newRow("map without a name")
            << QStringList{"a.dbf", "--map"} << "wrong: --map needs a value";
        QTest::newRow("a layer of a dBASE table")
            << QStringList{"a.gpkg", "b.dbf", "--layer=roads"}
            << "wrong: --layer is for layer sources (.gpkg, .fgb, .geojson, .json, .csv, .xlsx, "
               ".ods, .sqlite), not for \"b.dbf\"";
        QTest::newRow("a layer of a shapefile")
            << QStringList{"--layer", "roads", "a.SHP"}
            << "wrong: --layer is for layer sources (.gpkg, .fgb, .geojson, .json, .csv, .xlsx, "
               ".ods, .sqlite), not for \"a.SHP\"";
    }

    void readsTheArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, read);
        QString error;
        const std::optional<AnalyseOptions> options = ParseAnalyseOptions(arguments, error);
        QCOMPARE(options ? summary(*options) : QStringLiteral("wrong: ") + error, read);
    }

    // The map goes where the picture goes, and counts among the files that may clash.
    void placesTheMapLikeThePicture_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("maps");
        QTest::newRow("beside the table")
            << QStringList{"/data/a.dbf", "--map", "m.png"} << QStringList{"/data/m.png"};
        QTest::newRow("into the folder asked for")
            << QStringList{"/data/a.dbf", "--map", "m.svg", "--out-dir", "/out"}
            << QStringList{"/out/m.svg"};
        QTest::newRow("a folder a table")
            << QStringList{"/data/a.gpkg", "/other/b.dbf", "--map", "m.pdf", "--out-dir", "/out/"}
            << QStringList{"/out/a/m.pdf", "/out/b/m.pdf"};
        QTest::newRow("a name with a folder")
            << QStringList{"/data/a.dbf", "--map", "/maps/../maps/m.png"}
            << QStringList{"/maps/m.png"};
    }

    void placesTheMapLikeThePicture() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, maps);
        QString error;
        const std::optional<AnalyseOptions> options = ParseAnalyseOptions(arguments, error);
        QVERIFY2(options, qPrintable(error));
        QString clash;
        const std::optional<std::vector<TablePlan>> plans = PlanOutputs(*options, clash);
        QVERIFY2(plans, qPrintable(clash));
        QStringList placed;
        for (const TablePlan& plan : *plans) {
            placed << plan.map;
            QVERIFY(plan.paths().contains(plan.map));
        }
        QCOMPARE(placed, maps);
    }

    void theMapClashesWithTheTablesOtherFiles_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("the chart's name")
            << QStringList{"/data/a.dbf", "--picture", "m.png", "--map", "m.png"};
        QTest::newRow("the results file's name")
            << QStringList{"/data/a.dbf", "--results-file", "m.svg", "--map", "/data/m.svg"};
        QTest::newRow("one map for two tables")
            << QStringList{"/data/a.dbf", "/data/b.dbf", "--out-dir", "/out", "--map", "/m.png"};
    }

    void theMapClashesWithTheTablesOtherFiles() {
        QFETCH(QStringList, arguments);
        QString error;
        const std::optional<AnalyseOptions> options = ParseAnalyseOptions(arguments, error);
        QVERIFY2(options, qPrintable(error));
        QString clash;
        QVERIFY(!PlanOutputs(*options, clash));
        QVERIFY2(clash.contains(" would both write "), qPrintable(clash));
    }

    void aMapNeedsPainting_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("painting");
        QTest::newRow("map") << QStringList{"analyse", "a.gpkg", "--map", "m.png"} << true;
        QTest::newRow("map=") << QStringList{"analyse", "a.gpkg", "--map=m.svg"} << true;
        QTest::newRow("picture") << QStringList{"analyse", "a.dbf", "--picture=c.png"} << true;
        QTest::newRow("neither") << QStringList{"analyse", "a.dbf", "--mapx", "--json"} << false;
    }

    void aMapNeedsPainting() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, painting);
        QCOMPARE(CommandLine::needsPainting(arguments), painting);
    }
};

QTEST_GUILESS_MAIN(tst_AnalyseOptions)
#include "tst_AnalyseOptions.moc"
