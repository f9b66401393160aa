#pragma once

#include "AnalysisResults.h"
#include "BoxPlot.h"
#include "ChildWindows.h"
#include "Platform.h"

#include <memory>

namespace quarvel {

class frmQuarvel;
class frmSplash;

/**
 * The program's start: shows the splash, paints it fully, waits 2500 ms without handling
 * any event, closes the splash and shows the main window. Owns every window it creates.
 */
class StartUp {
public:
    static constexpr int kSplashMilliseconds = 2500;

    StartUp(AnalysisResults& results, Platform& platform);
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    /** Shows the splash, then the main window, which opens the table named (if any). */
    void run(const QString& table = QString());

    frmQuarvel* mainWindow() const { return main_.get(); }
    ChildWindows& children() { return children_; }

private:
    AnalysisResults& results_;
    Platform& platform_;
    UniformSequence heights_; // one sequence for the whole run of the program
    ChildWindows children_;
    std::unique_ptr<frmQuarvel> main_;
};

} // namespace quarvel
