#include "AnalysisResults.h"
#include "BackgroundWork.h"
#include "CommandLine.h"
#include "QtPlatform.h"
#include "StartUp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // With arguments Quarvel is a command for batch work; without, the windows start. One
    // argument that names a file (a table double-clicked in a file manager) starts the
    // windows with that table open.
    QString table;
    if (argc == 2 && !quarvel::CommandLine::isCommand(QString::fromLocal8Bit(argv[1]))) {
        table = QString::fromLocal8Bit(argv[1]);
    } else if (argc > 1) {
        return quarvel::CommandLineMain(argc, argv);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarvel"));

    // The results outlive the windows and any work that still reads them.
    const auto results = std::make_shared<quarvel::AnalysisResults>();
    quarvel::QtDialogs dialogs;
    quarvel::ThreadSleepWaiter waiter;
    quarvel::ApplicationEnder ender;
    quarvel::DetachedProcessLauncher launcher;
    quarvel::HostSystemInfo systemInfo;
    quarvel::HostRegistry registry;
    quarvel::FocusKeySender keys;
    quarvel::BackgroundWork work; // outlives the windows; stops its work when they are gone
    quarvel::Platform platform{dialogs, waiter, ender, launcher, systemInfo, registry, keys, work};

    quarvel::StartUp startUp(results, platform);
    startUp.run(table);
    return QApplication::exec();
}
