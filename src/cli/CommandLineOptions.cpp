#include "CommandLineOptions.h"

#include "Analysis.h"
#include "GroupAnalysis.h"
#include "JoinFile.h"
#include "OpenTable.h"
#include "RankedLayer.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace quarvel {

const char* const kMainUsage =
    "Usage: quarvel                      start the windows\n"
    "       quarvel analyse TABLE.dbf [TABLE.dbf ...] [options]\n"
    "       quarvel analyse --help       explain the options\n"
    "\n"
    "Quarvel describes one numeric field of a dBASE table (.dbf) by its median, quartiles\n"
    "and fences, and ranks every record for a join back to the table in a GIS.\n";

const char* const kAnalyseUsage =
    "Usage: quarvel analyse TABLE.dbf [TABLE.dbf ...] [options]\n"
    "\n"
    "Analyses one field of each table without a display and writes the same files as the\n"
    "windows: Unsorted-Sorted.csv (every value in table order beside the values in\n"
    "ascending order) and, when asked, the results file, the join file and the chart.\n"
    "\n"
    "A table is a dBASE table (.dbf), the .dbf of a shapefile (.shp), or a layer of a\n"
    "GeoPackage, FlatGeobuf, GeoJSON, CSV, XLSX, ODS or SQLite file, read through GDAL.\n"
    "\n"
    "Options:\n"
    "  --field NAME          the field to analyse; by default the first field whose first\n"
    "                        record starts with a number, as the main window preselects it\n"
    "  --layer NAME          the layer to analyse in each layer source (.gpkg, .fgb, .geojson,\n"
    "                        .json, .csv, .xlsx, .ods, .sqlite); needed when one holds several\n"
    "  --results             also write the results file (Median.csv)\n"
    "  --results-file FILE   write the results file under this name (implies --results)\n"
    "  --join KEY            also write the join file (Join.txt), keyed by the field KEY\n"
    "  --join-file FILE      write the join file under this name (needs --join)\n"
    "  --picture FILE        also draw the chart into FILE: .png, .svg or .pdf\n"
    "  --view basic|detailed the chart's view (default basic; needs --picture)\n"
    "  --ranked FILE         also write a copy of the layer with RANK and NOTE: .gpkg or .shp\n"
    "  --map FILE            also draw the map of the layer's shapes in their classes into\n"
    "                        FILE: .png, .svg or .pdf, 800 x 600 pixels, the whole extent\n"
    "  --by FIELD            also describe the field within each group of records that show the\n"
    "                        same text in FIELD (the empty text is a group too): Groups.csv,\n"
    "                        and with --join each record ranked within its own group\n"
    "  --groups-file FILE    write the groups file under this name (needs --by)\n"
    "  --out-dir DIR         put every file into DIR (created when missing) instead of beside\n"
    "                        the table; with several tables into DIR/<table name>/\n"
    "  --skip-empty          leave out the records whose cell is empty (or NULL) instead of\n"
    "                        refusing the table: they have no line in Unsorted-Sorted.csv,\n"
    "                        \"No value\" in the join file and the ranked layer, and a note on\n"
    "                        standard error says how many were left out\n"
    "  --json                print one JSON object per table on standard output: the table,\n"
    "                        field, record count, quartiles, fences and the number of\n"
    "                        records of each rank and note; {\"table\", \"error\"} when refused;\n"
    "                        with --by then one object a group, in the order of Groups.csv,\n"
    "                        with \"group_field\" and \"group\" (no quartiles below 3 records);\n"
    "                        with --skip-empty \"records\" counts the values analysed and\n"
    "                        \"left_out\" the records left out\n"
    "  -h, --help            show this help\n"
    "\n"
    "File names without a folder go where the table's files go; names with a folder go where\n"
    "they say. Several tables in one folder need --out-dir, so that nothing is overwritten.\n"
    "\n"
    "Exit status: 0 when every table succeeded, 1 when any table was refused or failed (the\n"
    "others still run), 2 for wrong usage.\n";

namespace {

// The option an argument names: "--" and a long name, or "-" and a letter; nullptr for none.
const QCommandLineOption* optionNamed(const QList<QCommandLineOption>& options,
                                      const QString& name) {
    for (const QCommandLineOption& option : options) {
        for (const QString& optionName : option.names()) {
            const QLatin1String dashes(optionName.size() == 1 ? "-" : "--");
            if (name == dashes + optionName) {
                return &option;
            }
        }
    }
    return nullptr;
}

// The first wrong argument, in the words this command has always used; nothing when every
// argument is right. QCommandLineParser cannot say this itself: it keeps unknown names without
// their dashes or their place, reads "--" as the end of the options, "-field" as five one-letter
// options and "--h" as -h, and refuses a value after --help, which has always been ignored. An
// option with a value takes the next argument whatever it is, as QCommandLineParser does.
std::optional<QString> firstWrongArgument(const QStringList& arguments,
                                          const QList<QCommandLineOption>& options) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            continue; // a table
        }
        const qsizetype equals =
            argument.startsWith(QLatin1String("--")) ? argument.indexOf(QLatin1Char('=')) : -1;
        const QString name = argument.left(equals); // the whole argument without an '='
        const QCommandLineOption* option = optionNamed(options, name);
        if (option == nullptr) {
            return QStringLiteral("unknown option %1").arg(name);
        }
        if (option->valueName().isEmpty()) {
            if (equals >= 0 && !option->names().contains(QLatin1String("help"))) {
                return QStringLiteral("%1 takes no value").arg(name);
            }
            continue;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return QStringLiteral("%1 needs a value").arg(name);
        }
        if (value.isEmpty()) {
            return QStringLiteral("%1 needs a value that is not empty").arg(name);
        }
        if (name == QLatin1String("--view") && value != QLatin1String("basic") &&
            value != QLatin1String("detailed")) {
            return QStringLiteral("--view is basic or detailed, not \"%1\"").arg(value);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<AnalyseOptions> ParseAnalyseOptions(const QStringList& arguments, QString& error) {
    // The usage texts above are the help; QCommandLineParser only reads the arguments.
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption field(QStringLiteral("field"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption layer(QStringLiteral("layer"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption results(QStringLiteral("results"));
    const QCommandLineOption resultsFile(QStringLiteral("results-file"), QString(),
                                         QStringLiteral("FILE"));
    const QCommandLineOption join(QStringLiteral("join"), QString(), QStringLiteral("KEY"));
    const QCommandLineOption joinFile(QStringLiteral("join-file"), QString(),
                                      QStringLiteral("FILE"));
    const QCommandLineOption picture(QStringLiteral("picture"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption view(QStringLiteral("view"), QString(),
                                  QStringLiteral("basic|detailed"));
    const QCommandLineOption ranked(QStringLiteral("ranked"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption map(QStringLiteral("map"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption outDir(QStringLiteral("out-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption by(QStringLiteral("by"), QString(), QStringLiteral("FIELD"));
    const QCommandLineOption groupsFile(QStringLiteral("groups-file"), QString(),
                                        QStringLiteral("FILE"));
    const QCommandLineOption skipEmpty(QStringLiteral("skip-empty"));
    const QList<QCommandLineOption> all{
        help, field,  layer, results, resultsFile, join, joinFile,   picture,
        view, ranked, map,   outDir,  json,        by,   groupsFile, skipEmpty};
    if (const std::optional<QString> wrong = firstWrongArgument(arguments, all)) {
        error = *wrong;
        return std::nullopt;
    }
    QCommandLineParser parser;
    parser.addOptions(all);
    const bool parsed = parser.parse(QStringList{QStringLiteral("quarvel")} + arguments);

    AnalyseOptions options;
    options.help = parser.isSet(help);
    if (options.help) {
        return options; // "--help=x" too, which QCommandLineParser alone would refuse
    }
    if (!parsed) { // not expected: every wrong argument was named above
        error = parser.errorText();
        return std::nullopt;
    }
    // Given more than once, the last one counts.
    options.tables = parser.positionalArguments();
    options.field = parser.value(field);
    options.layer = parser.value(layer);
    options.results = parser.isSet(results) || parser.isSet(resultsFile);
    options.resultsFile = parser.isSet(resultsFile) ? parser.value(resultsFile) : kResultsFileName;
    options.joinKey = parser.value(join);
    options.joinFileGiven = parser.isSet(joinFile);
    options.joinFile = options.joinFileGiven ? parser.value(joinFile) : kJoinFileName;
    options.picture = parser.value(picture);
    options.viewGiven = parser.isSet(view);
    options.view =
        parser.value(view) == QLatin1String("detailed") ? ChartView::Detailed : ChartView::Basic;
    options.ranked = parser.value(ranked);
    options.map = parser.value(map);
    options.outDir = parser.value(outDir);
    options.json = parser.isSet(json);
    options.by = parser.value(by);
    options.groupsFile = parser.isSet(groupsFile) ? parser.value(groupsFile) : kGroupsFileName;
    options.skipEmpty = parser.isSet(skipEmpty);

    // Only a layer source has layers: a dBASE table (a shapefile's too) has none to name.
    QString withoutLayers;
    for (const QString& table : options.tables) {
        if (withoutLayers.isEmpty() && !IsLayerSource(table)) {
            withoutLayers = table;
        }
    }
    if (options.tables.isEmpty()) {
        error = QStringLiteral("name at least one table");
    } else if (!options.layer.isEmpty() && !withoutLayers.isEmpty()) {
        error = QStringLiteral("--layer is for layer sources (.gpkg, .fgb, .geojson, .json, "
                               ".csv, .xlsx, .ods, .sqlite), not for \"%1\"")
                    .arg(withoutLayers);
    } else if (options.joinFileGiven && options.joinKey.isEmpty()) {
        error = QStringLiteral("--join-file needs --join KEY");
    } else if (parser.isSet(groupsFile) && options.by.isEmpty()) {
        error = QStringLiteral("--groups-file needs --by FIELD");
    } else if (options.viewGiven && options.picture.isEmpty()) {
        error = QStringLiteral("--view needs --picture FILE");
    } else if (!options.picture.isEmpty() && !IsPictureFileName(options.picture)) {
        error = QStringLiteral("--picture needs a name ending in .png, .svg or .pdf");
    } else if (!options.ranked.isEmpty() && !IsRankedLayerName(options.ranked)) {
        error = QStringLiteral("--ranked needs a name ending in .gpkg or .shp");
    } else if (!options.map.isEmpty() && !IsPictureFileName(options.map)) {
        error = QStringLiteral("--map needs a name ending in .png, .svg or .pdf");
    }
    if (!error.isEmpty()) {
        return std::nullopt;
    }
    return options;
}

} // namespace quarvel
