#include "HelpLauncher.h"

#include "HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quarvel {
namespace {

// One help window for the whole program, however many times "How to..." is chosen.
QPointer<HelpWindow>& theHelpWindow() {
    static QPointer<HelpWindow> window;
    return window;
}

bool usesWindowsViewer(int platformCode) {
    return platformCode == SystemInfo::kPlatformWindows9x ||
           platformCode == SystemInfo::kPlatformWindowsNT;
}

#ifdef Q_OS_WIN
// Current Windows keeps the help viewer in the Windows folder itself, where neither of the
// fixed paths points.
QString viewerInWindowsFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length > MAX_PATH) {
        return QStringLiteral("hh.exe");
    }
    return QString::fromWCharArray(folder, static_cast<qsizetype>(length)) +
           QStringLiteral("\\hh.exe");
}
#endif

} // namespace

QString helpCommandLine(int platformCode, const QString& programFolder) {
    const QString viewer = platformCode == SystemInfo::kPlatformWindows9x
                               ? QStringLiteral("c:\\windows\\system\\hh.exe ")
                               : QStringLiteral("c:\\winnt\\system32\\hh.exe ");
    return viewer + programFolder + QLatin1Char('\\') + QLatin1String(kHelpFileName);
}

HelpLauncher::HelpLauncher(Platform& platform, QWidget* parent)
    : platform_(platform), parent_(parent) {}

HelpWindow* HelpLauncher::helpWindow() {
    return theHelpWindow().data();
}

void HelpLauncher::launch() {
    const int platformCode = platform_.systemInfo.platformCode();
    if (platformCode == SystemInfo::kPlatformUnknown) {
        platform_.dialogs.message(
            parent_, QStringLiteral("Help cannot be launched because your OS is undefined."),
            QStringLiteral("FYI"), MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    const bool started =
        usesWindowsViewer(platformCode) ? startViewer(platformCode) : showHelpWindow();
    if (!started) {
        platform_.dialogs.message(
            parent_, QStringLiteral("An Error occured attempting to launch Help."),
            QStringLiteral("Error!"), MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    platform_.keys.send(QStringLiteral("{F1}"));
}

bool HelpLauncher::startViewer(int platformCode) {
    // The viewer's fixed path holds no blank, so the command line's first blank is the one
    // that ends it; the help file's path after it may hold blanks and goes to the viewer whole.
    const QString commandLine = helpCommandLine(platformCode, platform_.systemInfo.programFolder());
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    QString viewer = commandLine.left(blank);
    const QString helpFile = commandLine.mid(blank + 1);
#ifdef Q_OS_WIN
    if (!QFileInfo::exists(viewer)) {
        viewer = viewerInWindowsFolder();
    }
#endif
    return platform_.launcher.start(viewer, QStringList{helpFile});
}

bool HelpLauncher::showHelpWindow() {
    QPointer<HelpWindow>& window = theHelpWindow();
    if (window.isNull()) {
        auto* opened = new HelpWindow;
        if (!opened->openFile(QDir(platform_.systemInfo.programFolder())
                                  .filePath(QLatin1String(kHelpFileName)))) {
            delete opened;
            return false;
        }
        // Closing the help window discards it; the next "How to..." reads the file afresh.
        opened->setAttribute(Qt::WA_DeleteOnClose);
        // It is a window of its own, not kept above the main window, but it goes with it.
        if (parent_ != nullptr) {
            QObject::connect(parent_, &QObject::destroyed, opened, [opened] { delete opened; });
        }
        window = opened;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

} // namespace quarvel
