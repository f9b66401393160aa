#pragma once

#include "Platform.h"

#include <QString>

class QWidget;

namespace quarvel {

class HelpWindow;

/** The help file's name; it lies in the program's own folder. */
inline constexpr const char* kHelpFileName = "Quarvel.chm";

/**
 * The command line that opens the help file in the Windows help viewer: the viewer's fixed
 * path for the platform code (code 1 the Windows 95/98 one, every other code the NT one),
 * one blank, then the program folder with "\Quarvel.chm", not quoted.
 */
QString helpCommandLine(int platformCode, const QString& programFolder);

/**
 * What "How to..." does: on Windows it starts the help viewer on the help file; on other
 * systems it shows the help file in the program's own help window. Either way the F1 key
 * is sent once the viewer has been started.
 */
class HelpLauncher {
public:
    HelpLauncher(Platform& platform, QWidget* parent);

    void launch();

    /** The help window of this run of the program, or nullptr while none is open. */
    static HelpWindow* helpWindow();

private:
    bool startViewer(int platformCode);
    bool showHelpWindow();

    Platform& platform_;
    QWidget* parent_;
};

} // namespace quarvel
