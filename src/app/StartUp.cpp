#include "StartUp.h"

#include "Artwork.h"
#include "frmAbout.h"
#include "frmGroups.h"
#include "frmJoin.h"
#include "frmMap.h"
#include "frmQuarvel.h"
#include "frmSplash.h"
#include "frmView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

namespace quarvel {
namespace {

// A window that has just been shown is mapped by the window system a moment later; paint
// it only then, so that the whole splash is on screen before the blocking wait.
void paintFully(QWidget& window) {
    QElapsedTimer waited;
    waited.start();
    while (window.windowHandle() != nullptr && !window.windowHandle()->isExposed() &&
           waited.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    window.repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

void SetUpChildWindows(ChildWindows& children, const std::shared_ptr<AnalysisResults>& results,
                       const std::shared_ptr<UniformSequence>& heights, Platform& platform,
                       const std::function<frmQuarvel*()>& mainWindow) {
    ChildWindows* windows = &children;
    children.setFactory(ChildWindow::View, [=, &platform] {
        auto view = std::make_unique<frmView>(results, heights, platform.dialogs, platform.work);
        view->setTableSource([mainWindow] { return mainWindow()->shownTable(); });
        // A circle clicked in the chart: its record in the grid and its feature on the map.
        QObject::connect(view.get(), &frmView::recordClicked, view.get(), [=](int record) {
            mainWindow()->showRecord(record);
            if (auto* map = qobject_cast<frmMap*>(windows->instance(ChildWindow::Map))) {
                map->markRecord(record);
            }
        });
        return view;
    });
    children.setFactory(ChildWindow::Map, [=, &platform] {
        auto map = std::make_unique<frmMap>(results, platform.dialogs);
        map->setTableSource([mainWindow] { return mainWindow()->shownTable(); });
        // A feature clicked on the map: its record in the grid and its circle in the chart.
        QObject::connect(map.get(), &frmMap::recordClicked, map.get(), [=](int record) {
            mainWindow()->showRecord(record);
            if (auto* view = qobject_cast<frmView*>(windows->instance(ChildWindow::View))) {
                view->ringRecord(record);
            }
        });
        QObject::connect(map.get(), &frmMap::marksCleared, map.get(), [=] {
            if (auto* view = qobject_cast<frmView*>(windows->instance(ChildWindow::View))) {
                view->clearRing();
            }
        });
        return map;
    });
    children.setFactory(ChildWindow::Groups, [=, &platform] {
        auto groups = std::make_unique<frmGroups>(results, platform.dialogs);
        groups->setTableSource([mainWindow] { return mainWindow()->shownTable(); });
        return groups;
    });
    children.setFactory(ChildWindow::Join, [=, &platform] {
        return std::make_unique<frmJoin>(results, *mainWindow(), platform.dialogs, platform.work);
    });
    children.setFactory(ChildWindow::About,
                        [&platform] { return std::make_unique<frmAbout>(platform); });
}

StartUp::StartUp(std::shared_ptr<AnalysisResults> results, Platform& platform)
    : results_(std::move(results)), platform_(platform) {
    SetUpChildWindows(children_, results_, heights_, platform_, [this] { return main_.get(); });
}

StartUp::~StartUp() = default;

void StartUp::run(const QString& table) {
    // Closing the splash leaves no window open for a moment; that must not end the program.
    // Every window carries the program's icon.
    QApplication::setWindowIcon(QIcon(drawAppIcon()));
    const bool quitOnLastWindow = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    {
        auto splash = std::make_unique<frmSplash>();
        splash->show();
        paintFully(*splash);
        platform_.waiter.waitBlocking(kSplashMilliseconds);
        // Keys and clicks that arrived during the wait were meant for the splash and go
        // with it.
        splash->close();
    }
    main_ = std::make_unique<frmQuarvel>(results_, platform_, children_);
    main_->show();
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
    if (!table.isEmpty()) {
        main_->openTable(table);
    }
}

} // namespace quarvel
