#include "CommandLine.h"

#include "Analysis.h"
#include "ChartFile.h"
#include "FieldValues.h"
#include "JoinFile.h"
#include "SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <unistd.h>

namespace quarvel {
namespace {

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

const QString kStopped = QStringLiteral("Stopped; the files of this table were left as they were.");

struct Options {
    QStringList tables;
    QString field;
    bool results = false;
    QString resultsFile = kResultsFileName;
    QString joinKey;
    QString joinFile = kJoinFileName;
    bool joinFileGiven = false;
    QString picture;
    ChartView view = ChartView::Basic;
    bool viewGiven = false;
    QString outDir;
    bool json = false;
    bool help = false;
};

// Reads the options; nothing with the reason in error for wrong usage.
std::optional<Options> parseOptions(const QStringList& arguments, QString& error) {
    Options options;
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

bool hasFolderPart(const QString& name) {
    return name.contains(QLatin1Char('/')) || name.contains(QDir::separator());
}

/** Where one table's files go. */
struct TablePlan {
    QString table;  ///< as given
    QString folder; ///< where the table's own files go
    QString pairs;
    QString results;
    QString join;
    QString picture;

    QStringList paths() const {
        QStringList all{pairs, QDir(folder).filePath(kUnsortedFileName),
                        QDir(folder).filePath(kSortedFileName)};
        for (const QString& path : {results, join, picture}) {
            if (!path.isEmpty()) {
                all << path;
            }
        }
        return all;
    }
};

TablePlan planFor(const QString& table, const Options& options) {
    TablePlan plan;
    plan.table = table;
    const QFileInfo info(table);
    if (options.outDir.isEmpty()) {
        plan.folder = info.absolutePath();
    } else if (options.tables.size() == 1) {
        plan.folder = QFileInfo(options.outDir).absoluteFilePath();
    } else {
        plan.folder =
            QDir(QFileInfo(options.outDir).absoluteFilePath()).filePath(info.completeBaseName());
    }
    plan.folder = QDir::cleanPath(plan.folder);
    const auto place = [&plan](const QString& name) {
        return QDir::cleanPath(hasFolderPart(name) ? QFileInfo(name).absoluteFilePath()
                                                   : QDir(plan.folder).filePath(name));
    };
    plan.pairs = place(kPairsFileName);
    if (options.results) {
        plan.results = place(options.resultsFile);
    }
    if (!options.joinKey.isEmpty()) {
        plan.join = place(options.joinFile);
    }
    if (!options.picture.isEmpty()) {
        plan.picture = place(options.picture);
    }
    return plan;
}

// The shortest text that reads back to the same double; null for what JSON cannot hold.
std::string jsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string jsonString(const QString& text) {
    std::string out = "\"";
    for (const char c : text.toStdString()) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

// A message box's text as lines of a terminal.
QString plainText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Set by Ctrl+C (or a polite kill): the work stops at the next stage and leaves no file
// half-made; a second signal ends the program at once.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int signal) {
    interrupted = 1;
    std::signal(signal, SIG_DFL);
}

// The stages on standard error, once a table has taken more than a second, on a terminal.
class TerminalProgress final : public Progress {
public:
    TerminalProgress(std::FILE* err, const QString& table)
        : err_(err), table_(table), terminal_(isatty(fileno(err)) != 0) {
        clock_.start();
    }
    ~TerminalProgress() override { finish(); }

    void stage(const QString& text) override {
        stage_ = text;
        show();
    }
    void fraction(double done) override {
        done_ = done;
        show();
    }
    bool stopRequested() override { return interrupted != 0; }
    void finish() {
        if (shown_) {
            std::fputs("\n", err_);
            std::fflush(err_);
            shown_ = false;
        }
    }

private:
    void show() {
        if (!terminal_ || clock_.elapsed() < 1000 ||
            (lastShown_.isValid() && lastShown_.elapsed() < 100)) {
            return;
        }
        lastShown_.start();
        const QString line =
            QStringLiteral("\r%1: %2 %3%").arg(table_, stage_).arg(static_cast<int>(done_ * 100));
        std::fputs(line.leftJustified(79).toLocal8Bit().constData(), err_);
        std::fflush(err_);
        shown_ = true;
    }

    std::FILE* err_;
    QString table_;
    bool terminal_;
    QElapsedTimer clock_;
    QElapsedTimer lastShown_;
    QString stage_;
    double done_ = 0;
    bool shown_ = false;
};

class TableRun {
public:
    TableRun(const TablePlan& plan, const Options& options, std::FILE* out, std::FILE* err)
        : plan_(plan), options_(options), out_(out), err_(err) {}

    bool run() {
        QString problem;
        const std::unique_ptr<DbfTable> table = DbfTable::open(plan_.table, problem);
        if (!table) {
            return refuse(QStringLiteral("%1 (%2)").arg(OpenFailureMessage(), problem));
        }
        int field = -1;
        if (!options_.field.isEmpty()) {
            field = FieldIndex(*table, options_.field);
            if (field < 0) {
                return refuse(QStringLiteral("The table has no field named \"%1\".\r\nName one of "
                                             "its fields with --field.")
                                  .arg(options_.field));
            }
        } else {
            field = PreselectedField(*table);
            if (field < 0) {
                return refuse(QStringLiteral("No field of the table starts with a number in its "
                                             "first record.\r\nName the field to analyze with "
                                             "--field."));
            }
        }
        int relate = -1;
        if (!options_.joinKey.isEmpty()) {
            relate = FieldIndex(*table, options_.joinKey);
            if (relate < 0) {
                return refuse(QStringLiteral("The table has no field named \"%1\" to relate the "
                                             "join file by.\r\nName one of its fields with --join.")
                                  .arg(options_.joinKey));
            }
        }
        // A name that is the table or a file of its family is refused before anything is
        // written for this table.
        for (const QString& path : {plan_.results, plan_.join, plan_.picture}) {
            if (path.isEmpty()) {
                continue;
            }
            if (const std::optional<QString> family = TableFamilyRefusal(table->path(), path)) {
                return refuse(*family);
            }
        }
        // A folder made here for a table that is then refused is removed again.
        createdFolder_ = !QFileInfo::exists(plan_.folder);
        if (!QDir().mkpath(plan_.folder)) {
            return refuse(CannotWriteMessage(QDir(plan_.folder).filePath(kPairsFileName),
                                             QStringLiteral("the folder cannot be created")));
        }

        TerminalProgress progress(err_, plan_.table);
        AnalysisOutcome outcome = RunAnalysis(*table, field, plan_.folder, &progress);
        if (!outcome.completed()) {
            progress.finish();
            return refuse(outcome.status == AnalysisOutcome::Status::Stopped ? kStopped
                                                                             : outcome.message);
        }
        const AnalysisResults& results = outcome.results;
        if (!plan_.results.isEmpty()) {
            if (const std::optional<QString> refusal = SaveResultsFile(results, plan_.results)) {
                progress.finish();
                return refuse(*refusal);
            }
        }
        if (relate >= 0) {
            progress.stage(
                QStringLiteral("Writing Join file (%1).").arg(QFileInfo(plan_.join).fileName()));
            const JoinOutcome join =
                WriteJoinFile(*table, relate, field, results, plan_.join, &progress);
            if (!join.written) {
                progress.finish();
                return refuse(join.stopped ? kStopped : join.message);
            }
        }
        if (!plan_.picture.isEmpty()) {
            UniformSequence heights; // as after the program's start
            const DisplayList drawing = DrawChart(results, options_.view, heights);
            QString error;
            if (!SaveDrawing(drawing, plan_.picture, kChartPictureSize, ChartFont(), error)) {
                progress.finish();
                return refuse(QStringLiteral("The picture could not be saved as \"%1\": %2.")
                                  .arg(QFileInfo(plan_.picture).fileName(), error));
            }
        }
        progress.finish();
        if (options_.json) {
            printJson(results);
        }
        return true;
    }

private:
    bool refuse(const QString& message) {
        if (createdFolder_) {
            QDir().rmdir(plan_.folder); // only when it is still empty
        }
        std::fprintf(err_, "quarvel: %s: %s\n", plan_.table.toLocal8Bit().constData(),
                     plainText(message).toLocal8Bit().constData());
        if (options_.json) {
            const std::string line = "{\"table\": " + jsonString(plan_.table) +
                                     ", \"error\": " + jsonString(plainText(message)) + "}\n";
            std::fputs(line.c_str(), out_);
        }
        return false;
    }

    void printJson(const AnalysisResults& r) {
        const JoinCounts counts = CountJoinClasses(r);
        std::string line = "{\"table\": " + jsonString(plan_.table);
        line += ", \"field\": " + jsonString(QString::fromStdString(r.FieldName));
        line += ", \"records\": " + std::to_string(r.ValueCount);
        const std::pair<const char*, double> numbers[] = {
            {"first_quartile", r.FirstQuartile},      {"median", r.Median},
            {"third_quartile", r.ThirdQuartile},      {"lower_inner_fence", r.LowerInnerFence},
            {"upper_inner_fence", r.UpperInnerFence}, {"lower_outer_fence", r.LowerOuterFence},
            {"upper_outer_fence", r.UpperOuterFence}};
        for (const auto& [name, value] : numbers) {
            line += std::string(", \"") + name + "\": " + jsonNumber(value);
        }
        line += ", \"ranks\": {";
        for (int rank = 0; rank < 4; ++rank) {
            line += (rank == 0 ? "\"" : ", \"") + std::to_string(rank + 1) +
                    "\": " + std::to_string(counts.ranks[rank]);
        }
        // Notes in the order: within, then the possible, then the probable outliers.
        line += "}, \"notes\": {";
        const int order[5] = {2, 1, 3, 0, 4};
        for (int i = 0; i < 5; ++i) {
            line += std::string(i == 0 ? "\"" : ", \"") + kJoinNotes[order[i]] +
                    "\": " + std::to_string(counts.notes[order[i]]);
        }
        line += "}}\n";
        std::fputs(line.c_str(), out_);
        std::fflush(out_);
    }

    const TablePlan& plan_;
    const Options& options_;
    std::FILE* out_;
    std::FILE* err_;
    bool createdFolder_ = false;
};

} // namespace

bool CommandLine::isCommand(const QString& argument) {
    return argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("analyse") ||
           argument == QLatin1String("analyze");
}

bool CommandLine::needsPainting(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--picture") ||
            argument.startsWith(QLatin1String("--picture="))) {
            return true;
        }
    }
    return false;
}

int CommandLine::run(const QStringList& arguments) {
    if (arguments.isEmpty() || arguments.front() == QLatin1String("-h") ||
        arguments.front() == QLatin1String("--help")) {
        std::fputs(kMainUsage, arguments.isEmpty() ? err_ : out_);
        return arguments.isEmpty() ? 2 : 0;
    }
    if (arguments.front() != QLatin1String("analyse") &&
        arguments.front() != QLatin1String("analyze")) {
        std::fprintf(err_, "quarvel: unknown command \"%s\"\n\n%s",
                     arguments.front().toLocal8Bit().constData(), kMainUsage);
        return 2;
    }
    QString error;
    const std::optional<Options> options = parseOptions(arguments.mid(1), error);
    if (!options) {
        std::fprintf(err_, "quarvel analyse: %s\nTry \"quarvel analyse --help\".\n",
                     error.toLocal8Bit().constData());
        return 2;
    }
    if (options->help) {
        std::fputs(kAnalyseUsage, out_);
        return 0;
    }

    // Every table's files are placed first: tables that would write the same file are
    // refused before anything is written.
    std::vector<TablePlan> plans;
    std::map<QString, QString> owners;
    for (const QString& table : options->tables) {
        plans.push_back(planFor(table, *options));
        for (const QString& path : plans.back().paths()) {
            const auto [at, fresh] = owners.emplace(path, table);
            if (!fresh) {
                const char* advice =
                    options->outDir.isEmpty()
                        ? "Give --out-dir DIR so that each table's files go to DIR/<table "
                          "name>/, and file names without a folder."
                        : "Name each table once (tables of one name from different folders in "
                          "separate runs), and give file names without a folder.";
                std::fprintf(err_, "quarvel analyse: %s and %s would both write %s.\n%s\n",
                             at->second.toLocal8Bit().constData(), table.toLocal8Bit().constData(),
                             QDir::toNativeSeparators(path).toLocal8Bit().constData(), advice);
                return 2;
            }
        }
    }

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    int status = 0;
    for (const TablePlan& plan : plans) {
        bool succeeded = false;
        try {
            succeeded = TableRun(plan, *options, out_, err_).run();
        } catch (const std::bad_alloc&) {
            std::fprintf(err_, "quarvel: %s: %s\n", plan.table.toLocal8Bit().constData(),
                         plainText(NotEnoughMemoryMessage()).toLocal8Bit().constData());
        }
        if (!succeeded) {
            status = 1;
        }
        if (interrupted != 0) {
            status = 130; // as a shell reports a command ended by Ctrl+C
            break;
        }
    }
    // Figures that never reached their reader (a full disk, a closed pipe) are a failure.
    if (std::fflush(out_) != 0 || std::ferror(out_) != 0) {
        std::fprintf(err_, "quarvel analyse: the standard output could not be written: %s\n",
                     std::strerror(errno));
        status = 1;
    }
    return status;
}

int CommandLineMain(int argc, char* argv[]) {
    // Qt's notes about the environment (no runtime folder, no display) are not the user's
    // business on the command line; only its serious messages still come through.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "quarvel: %s\n", text.toLocal8Bit().constData());
        }
    });
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // No display is needed: pictures are painted off screen.
    std::unique_ptr<QCoreApplication> app;
    if (CommandLine::needsPainting(arguments)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Quarvel"));
    return CommandLine(stdout, stderr).run(arguments);
}

} // namespace quarvel
