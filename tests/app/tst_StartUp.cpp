#include "Controls.h"
#include "FakePlatform.h"
#include "StartUp.h"
#include "frmQuarvel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace quarvel;
using namespace quarvel::testing;
using quarvel::testing::FakePlatform;

namespace {

QWidget* topLevel(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name) {
            return widget;
        }
    }
    return nullptr;
}

} // namespace

class tst_StartUp : public QObject {
    Q_OBJECT

private slots:
    void splashThenMainWindowAfterTheWait() {
        FakePlatform fakes;
        StartUp startUp(std::make_shared<AnalysisResults>(), fakes.platform);

        bool splashShownAndPainted = false;
        bool mainWindowBeforeWait = true;
        QPointer<QWidget> splash;
        fakes.waiter.duringWait = [&] {
            splash = topLevel("frmSplash");
            splashShownAndPainted = splash != nullptr && splash->isVisible() &&
                                    splash->windowHandle() != nullptr &&
                                    splash->windowHandle()->isExposed();
            mainWindowBeforeWait = startUp.mainWindow() != nullptr || topLevel("frmQuarvel");
            // The user types and clicks while the program sleeps: these wait in the queue,
            // as they would for a thread that handles no events.
            QCoreApplication::postEvent(
                splash, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b"));
            QCoreApplication::postEvent(
                splash, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
            QVERIFY(splash->isVisible());
        };

        startUp.run();

        QCOMPARE(fakes.waiter.waits, std::vector<int>{2500});
        QVERIFY(splashShownAndPainted);
        QVERIFY(!mainWindowBeforeWait);
        QVERIFY(splash.isNull()); // closed and gone, with the input meant for it
        QVERIFY(startUp.mainWindow() != nullptr);
        QVERIFY(startUp.mainWindow()->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(startUp.mainWindow()->isVisible());
        QCOMPARE(fakes.ender.calls, 0);
        QVERIFY(QApplication::quitOnLastWindowClosed());
    }

    void mainWindowStartsInItsLoadState() {
        FakePlatform fakes;
        StartUp startUp(std::make_shared<AnalysisResults>(), fakes.platform);
        startUp.run();
        frmQuarvel* main = startUp.mainWindow();
        QVERIFY(!child<QAction>(main, "mnuFileCreateJoin")->isEnabled());
        QVERIFY(!child<QAction>(main, "mnuViewQuarvel")->isEnabled());
        QVERIFY(!child<QAction>(main, "mnuViewMap")->isEnabled());
        QVERIFY(!child<QPushButton>(main, "cmdDoIt")->isEnabled());
        QVERIFY(child<QTimer>(main, "check")->isActive());
    }

    void childWindowsAreTheRealOnes_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("plot") << int(ChildWindow::View) << "frmView"
                              << "View Plot";
        QTest::newRow("join") << int(ChildWindow::Join) << "frmJoin"
                              << "Create Join-able file";
        QTest::newRow("about") << int(ChildWindow::About) << "frmAbout"
                               << "About Quarvel";
        QTest::newRow("map") << int(ChildWindow::Map) << "frmMap"
                             << "Map";
        QTest::newRow("groups") << int(ChildWindow::Groups) << "frmGroups"
                                << "Groups";
    }

    void childWindowsAreTheRealOnes() {
        QFETCH(int, which);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        FakePlatform fakes;
        StartUp startUp(std::make_shared<AnalysisResults>(), fakes.platform);
        startUp.run();
        QWidget* child = startUp.children().show(static_cast<ChildWindow>(which));
        QVERIFY(child != nullptr);
        QCOMPARE(child->objectName(), name);
        QCOMPARE(child->windowTitle(), caption);
        QCOMPARE(startUp.children().show(static_cast<ChildWindow>(which)), child);
    }
};

QTEST_MAIN(tst_StartUp)
#include "tst_StartUp.moc"
