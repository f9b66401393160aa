#pragma once

#include "AnalysisResults.h"
#include "BoxPlot.h"
#include "ChildWindows.h"
#include "Platform.h"

#include <functional>
#include <memory>

namespace quarvel {

class frmQuarvel;
class frmSplash;

/**
 * Gives the child windows their factories: the plot, the map, the join export and About, over
 * the program's shared results and heights, the plot and the map linked to each other and to
 * the main window's grid. mainWindow gives the main window, which exists by the time a child
 * window is shown.
 */
void SetUpChildWindows(ChildWindows& children, const std::shared_ptr<AnalysisResults>& results,
                       const std::shared_ptr<UniformSequence>& heights, Platform& platform,
                       const std::function<frmQuarvel*()>& mainWindow);

/**
 * The program's start: shows the splash, paints it fully, waits 2500 ms without handling
 * any event, closes the splash and shows the main window. Owns every window it creates.
 */
class StartUp {
public:
    static constexpr int kSplashMilliseconds = 2500;

    /** results are the program's shared results, which the windows read and a run replaces. */
    StartUp(std::shared_ptr<AnalysisResults> results, Platform& platform);
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    /** Shows the splash, then the main window, which opens the table named (if any). */
    void run(const QString& table = QString());

    frmQuarvel* mainWindow() const { return main_.get(); }
    ChildWindows& children() { return children_; }

private:
    std::shared_ptr<AnalysisResults> results_;
    Platform& platform_;
    // One sequence for the whole run of the program; the detailed drawing on the worker
    // draws with a copy and hands it back advanced.
    std::shared_ptr<UniformSequence> heights_ = std::make_shared<UniformSequence>();
    ChildWindows children_;
    std::unique_ptr<frmQuarvel> main_;
};

} // namespace quarvel
