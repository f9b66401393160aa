#include "CommandLineOptions.h"

#include "Analysis.h"
#include "JoinFile.h"

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
    "Options:\n"
    "  --field NAME          the field to analyse; by default the first field whose first\n"
    "                        record starts with a number, as the main window preselects it\n"
    "  --results             also write the results file (Median.csv)\n"
    "  --results-file FILE   write the results file under this name (implies --results)\n"
    "  --join KEY            also write the join file (Join.txt), keyed by the field KEY\n"
    "  --join-file FILE      write the join file under this name (needs --join)\n"
    "  --picture FILE        also draw the chart into FILE: .png, .svg or .pdf\n"
    "  --view basic|detailed the chart's view (default basic; needs --picture)\n"
    "  --out-dir DIR         put every file into DIR (created when missing) instead of beside\n"
    "                        the table; with several tables into DIR/<table name>/\n"
    "  --json                print one JSON object per table on standard output: the table,\n"
    "                        field, record count, quartiles, fences and the number of\n"
    "                        records of each rank and note; {\"table\", \"error\"} when refused\n"
    "  -h, --help            show this help\n"
    "\n"
    "File names without a folder go where the table's files go; names with a folder go where\n"
    "they say. Several tables in one folder need --out-dir, so that nothing is overwritten.\n"
    "\n"
    "Exit status: 0 when every table succeeded, 1 when any table was refused or failed (the\n"
    "others still run), 2 for wrong usage.\n";

std::optional<AnalyseOptions> ParseAnalyseOptions(const QStringList& arguments, QString& error) {
    AnalyseOptions options;
    options.resultsFile = kResultsFileName;
    options.joinFile = kJoinFileName;
    for (int i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        std::optional<QString> inlineValue;
        if (argument.startsWith(QLatin1String("--")) && argument.contains(QLatin1Char('='))) {
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            inlineValue = argument.mid(equals + 1);
            argument = argument.left(equals);
        }
        const auto value = [&](QString& into) {
            if (inlineValue) {
                into = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                into = arguments[++i];
            } else {
                error = QStringLiteral("%1 needs a value").arg(argument);
                return false;
            }
            if (into.isEmpty()) {
                error = QStringLiteral("%1 needs a value that is not empty").arg(argument);
                return false;
            }
            return true;
        };
        const auto flag = [&] {
            if (inlineValue) {
                error = QStringLiteral("%1 takes no value").arg(argument);
                return false;
            }
            return true;
        };
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            options.help = true;
        } else if (argument == QLatin1String("--field")) {
            if (!value(options.field)) {
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--results")) {
            if (!flag()) {
                return std::nullopt;
            }
            options.results = true;
        } else if (argument == QLatin1String("--results-file")) {
            if (!value(options.resultsFile)) {
                return std::nullopt;
            }
            options.results = true;
        } else if (argument == QLatin1String("--join")) {
            if (!value(options.joinKey)) {
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--join-file")) {
            if (!value(options.joinFile)) {
                return std::nullopt;
            }
            options.joinFileGiven = true;
        } else if (argument == QLatin1String("--picture")) {
            if (!value(options.picture)) {
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--view")) {
            QString view;
            if (!value(view)) {
                return std::nullopt;
            }
            if (view == QLatin1String("basic")) {
                options.view = ChartView::Basic;
            } else if (view == QLatin1String("detailed")) {
                options.view = ChartView::Detailed;
            } else {
                error = QStringLiteral("--view is basic or detailed, not \"%1\"").arg(view);
                return std::nullopt;
            }
            options.viewGiven = true;
        } else if (argument == QLatin1String("--out-dir")) {
            if (!value(options.outDir)) {
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--json")) {
            if (!flag()) {
                return std::nullopt;
            }
            options.json = true;
        } else if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            error = QStringLiteral("unknown option %1").arg(argument);
            return std::nullopt;
        } else {
            options.tables << argument;
        }
    }
    if (options.help) {
        return options;
    }
    if (options.tables.isEmpty()) {
        error = QStringLiteral("name at least one table");
    } else if (options.joinFileGiven && options.joinKey.isEmpty()) {
        error = QStringLiteral("--join-file needs --join KEY");
    } else if (options.viewGiven && options.picture.isEmpty()) {
        error = QStringLiteral("--view needs --picture FILE");
    } else if (!options.picture.isEmpty() && !IsPictureFileName(options.picture)) {
        error = QStringLiteral("--picture needs a name ending in .png, .svg or .pdf");
    }
    if (!error.isEmpty()) {
        return std::nullopt;
    }
    return options;
}

} // namespace quarvel
