#include "CommandLine.h"

#include "Analysis.h"
#include "CommandLineOptions.h"
#include "OutputPlan.h"
#include "TableRun.h"
#include "TerminalProgress.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace quarvel {

bool CommandLine::isCommand(const QString& argument) {
    return argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("analyse") ||
           argument == QLatin1String("analyze");
}

bool CommandLine::needsPainting(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (name == QLatin1String("--picture") || name == QLatin1String("--map")) {
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
    const std::optional<AnalyseOptions> options = ParseAnalyseOptions(arguments.mid(1), error);
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
    QString clash;
    const std::optional<std::vector<TablePlan>> plans = PlanOutputs(*options, clash);
    if (!plans) {
        std::fprintf(err_, "quarvel analyse: %s\n", clash.toLocal8Bit().constData());
        return 2;
    }

    CatchInterrupts();
    int status = 0;
    for (const TablePlan& plan : *plans) {
        bool succeeded = false;
        try {
            succeeded = TableRun(plan, *options, out_, err_).run();
        } catch (const std::bad_alloc&) {
            std::fprintf(err_, "quarvel: %s: %s\n", plan.table.toLocal8Bit().constData(),
                         PlainText(NotEnoughMemoryMessage()).toLocal8Bit().constData());
        }
        if (!succeeded) {
            status = 1;
        }
        if (Interrupted()) {
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
