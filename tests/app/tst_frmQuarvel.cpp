#include "Controls.h"
#include "FakePlatform.h"
#include "frmQuarvel.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace quarvel;
using namespace quarvel::testing;
using quarvel::testing::FakePlatform;

namespace {

// Stand-in child windows, so that these tests do not depend on the real ones.
class ChildStandIn : public QWidget {
public:
    explicit ChildStandIn(const QString& caption) { setWindowTitle(caption); }
};

} // namespace

class tst_frmQuarvel : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<ChildWindows> children;
    std::unique_ptr<frmQuarvel> window;
    std::shared_ptr<AnalysisResults> results = std::make_shared<AnalysisResults>();
    int childrenMade = 0;

private slots:
    void init() {
        fakes = std::make_unique<FakePlatform>();
        children = std::make_unique<ChildWindows>();
        childrenMade = 0;
        const std::pair<ChildWindow, const char*> captions[] = {
            {ChildWindow::View, "View Plot"},
            {ChildWindow::Join, "Create Join-able file"},
            {ChildWindow::About, "About Quarvel"}};
        for (const auto& [which, caption] : captions) {
            const QString text = QString::fromLatin1(caption);
            children->setFactory(which, [this, text] {
                ++childrenMade;
                return std::make_unique<ChildStandIn>(text);
            });
        }
        window = std::make_unique<frmQuarvel>(results, fakes->platform, *children);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        children.reset();
        fakes.reset();
    }

    void captionAndClientArea() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Quarvel"));
        // 8655 x 4200 twips: the area under the menu bar, status line included.
        const QWidget* client = window->centralWidget();
        QCOMPARE(client->width(), 577);
        QCOMPARE(client->height() + child<QStatusBar>(window.get(), "StatusBar1")->height(), 280);
        QCOMPARE(child<QStatusBar>(window.get(), "StatusBar1")->geometry().top() -
                     client->geometry().top(),
                 255);
        QCOMPARE(child<QStatusBar>(window.get(), "StatusBar1")->width(), 577);
        QCOMPARE(child<QStatusBar>(window.get(), "StatusBar1")->height(), 25);
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("enabled");

        // Twips divided by 15: left, top, width, height in pixels.
        QTest::newRow("Label1") << "Label1" << QRect(16, 24, 217, 17)
                                << "Select the ArcView database attribute table"
                                << "" << true << true;
        QTest::newRow("txtInfile")
            << "txtInfile" << QRect(240, 16, 289, 25) << "no table selected"
            << "This box shows the name of the database table you are working with." << true
            << false;
        QTest::newRow("cmdOpen") << "cmdOpen" << QRect(528, 16, 33, 25) << ""
                                 << "Click this button to choose a database table." << true << true;
        QTest::newRow("Label2") << "Label2" << QRect(16, 64, 217, 33) << "View the database table"
                                << "" << true << true;
        QTest::newRow("Grid") << "Grid" << QRect(240, 56, 321, 121) << ""
                              << "Note: you can expand the width of the columns by dragging the "
                                 "right side of the column's label."
                              << false << true;
        QTest::newRow("Label3") << "Label3" << QRect(16, 184, 209, 25)
                                << "Select a field (attribute) to analyze."
                                << "" << false << true;
        QTest::newRow("cmbFieldList") << "cmbFieldList" << QRect(240, 184, 161, 21) << ""
                                      << "" << false << true;
        QTest::newRow("cmdDoIt") << "cmdDoIt" << QRect(240, 216, 161, 33) << "&Do It"
                                 << "" << true << false;
        QTest::newRow("cmdCancel") << "cmdCancel" << QRect(416, 216, 145, 33) << "&Cancel"
                                   << "" << true << true;
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QFETCH(bool, shown);
        QFETCH(bool, enabled);

        auto* control = window->findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QCOMPARE(control->parentWidget(), window->centralWidget());
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->toolTip(), toolTip);
        QCOMPARE(control->isVisible(), shown);
        QCOMPARE(control->isEnabled(), enabled);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
            // The whole text fits in the label's width.
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            QCOMPARE(edit->text(), text);
        }
    }

    void pictures() {
        const QList<QSize> iconSizes = window->windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(32, 32)));
        QCOMPARE(child<QPushButton>(window.get(), "cmdOpen")->iconSize(), QSize(16, 16));
        const QImage folder =
            child<QPushButton>(window.get(), "cmdOpen")->icon().pixmap(16, 16).toImage();
        QCOMPARE(folder.size(), QSize(16, 16));
        // Something is drawn, in more than one colour.
        QSet<QRgb> colours;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (qAlpha(folder.pixel(x, y)) > 0) {
                    colours.insert(folder.pixel(x, y));
                }
            }
        }
        QVERIFY(colours.size() >= 2);
    }

    void menus_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("Open") << "mnuFile"
                              << "mnuFileOpen"
                              << "Open" << true;
        QTest::newRow("Create Join file") << "mnuFile"
                                          << "mnuFileCreateJoin"
                                          << "Create Join file" << false;
        QTest::newRow("Save Ranked Layer As") << "mnuFile"
                                              << "mnuFileSaveRanked"
                                              << "Save Ranked Layer As..." << false;
        QTest::newRow("Leave Out Empty Records") << "mnuFile"
                                                 << "mnuFileLeaveOutEmpty"
                                                 << "Leave Out Empty Records" << true;
        QTest::newRow("separator") << "mnuFile"
                                   << "mnuFileSep"
                                   << "" << true;
        QTest::newRow("Exit") << "mnuFile"
                              << "mnuFileExit"
                              << "Exit" << true;
        QTest::newRow("Quarvel") << "mnuView"
                                 << "mnuViewQuarvel"
                                 << "Quarvel" << false;
        QTest::newRow("How to") << "mnuHelp"
                                << "mnuHelpHowto"
                                << "How to..." << true;
        QTest::newRow("About") << "mnuHelp"
                               << "mnuHelpAbout"
                               << "About Quarvel" << true;
    }

    void menus() {
        QFETCH(QString, menu);
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);

        auto* owner = window->findChild<QMenu*>(menu);
        QVERIFY(owner != nullptr);
        auto* action = window->findChild<QAction*>(item);
        QVERIFY2(action != nullptr, qPrintable(item));
        QVERIFY(owner->actions().contains(action));
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->isEnabled(), enabled);
        QVERIFY(action->shortcut().isEmpty());
        QCOMPARE(action->isSeparator(), item == "mnuFileSep");
    }

    void menuBarOrder() {
        QStringList titles;
        for (QAction* top : window->menuBar()->actions()) {
            titles << top->text();
        }
        QCOMPARE(titles, QStringList({"&File", "&View", "&Help"}));
        QStringList fileItems;
        for (QAction* action : child<QMenu>(window.get(), "mnuFile")->actions()) {
            fileItems << action->objectName();
        }
        QCOMPARE(fileItems, QStringList({"mnuFileOpen", "mnuFileCreateJoin", "mnuFileSaveRanked",
                                         "mnuFileLeaveOutEmpty", "mnuFileSep", "mnuFileExit"}));
    }

    void focusOrderSkipsWhatCannotTakeFocus() {
        // At load the grid and the list are hidden and Do It is disabled: Tab goes straight
        // from the open button to Cancel.
        window->activateWindow();
        child<QPushButton>(window.get(), "cmdOpen")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), child<QPushButton>(window.get(), "cmdOpen"));
        QTest::keyClick(child<QPushButton>(window.get(), "cmdOpen"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(window.get(), "cmdCancel"));
    }

    void focusOrderOnceEverythingIsShown() {
        child<QTableView>(window.get(), "Grid")->show();
        child<QComboBox>(window.get(), "cmbFieldList")->show();
        child<QPushButton>(window.get(), "cmdDoIt")->setEnabled(true);
        child<QLineEdit>(window.get(), "txtInfile")->setEnabled(true);
        window->activateWindow();
        child<QLineEdit>(window.get(), "txtInfile")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(window.get(), "txtInfile"));
        const QList<QWidget*> expected = {child<QPushButton>(window.get(), "cmdOpen"),
                                          child<QTableView>(window.get(), "Grid"),
                                          child<QComboBox>(window.get(), "cmbFieldList"),
                                          child<QPushButton>(window.get(), "cmdDoIt"),
                                          child<QPushButton>(window.get(), "cmdCancel")};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void endingTheProgram_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Escape") << "escape";
        QTest::newRow("Cancel button") << "cancel";
        QTest::newRow("Alt+C") << "alt-c";
        QTest::newRow("Exit") << "exit";
        QTest::newRow("Escape with a child window open") << "escape-child";
    }

    void endingTheProgram() {
        QFETCH(QString, how);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        if (how == "escape") {
            QTest::keyClick(window.get(), Qt::Key_Escape);
        } else if (how == "cancel") {
            QTest::mouseClick(child<QPushButton>(window.get(), "cmdCancel"), Qt::LeftButton);
        } else if (how == "alt-c") {
            QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);
        } else if (how == "exit") {
            child<QAction>(window.get(), "mnuFileExit")->trigger();
        } else if (how == "escape-child") {
            child<QAction>(window.get(), "mnuHelpAbout")->trigger();
            QVERIFY(children->instance(ChildWindow::About)->isVisible());
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            QTest::keyClick(window.get(), Qt::Key_Escape);
        }
        // An access key presses its button with a short animation, so allow it a moment.
        QTRY_COMPARE(fakes->ender.calls, 1);
    }

    void doItIsNotTheEscapeButton() {
        child<QPushButton>(window.get(), "cmdDoIt")->setEnabled(true);
        QSignalSpy pressed(child<QPushButton>(window.get(), "cmdDoIt"), &QPushButton::clicked);
        QTest::keyClick(window.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(pressed.count(), 1);
        QCOMPARE(fakes->ender.calls, 0);
    }

    void childWindowsAreSingleInstances_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("caption");
        QTest::newRow("plot") << "mnuViewQuarvel" << int(ChildWindow::View) << "View Plot";
        QTest::newRow("join") << "mnuFileCreateJoin" << int(ChildWindow::Join)
                              << "Create Join-able file";
        QTest::newRow("about") << "mnuHelpAbout" << int(ChildWindow::About) << "About Quarvel";
    }

    void childWindowsAreSingleInstances() {
        QFETCH(QString, item);
        QFETCH(int, which);
        QFETCH(QString, caption);
        auto* action = window->findChild<QAction*>(item);
        action->setEnabled(true); // as a completed analysis run leaves it
        const auto child = static_cast<ChildWindow>(which);
        QVERIFY(children->instance(child) == nullptr);

        action->trigger();
        QWidget* first = children->instance(child);
        QVERIFY(first != nullptr);
        QVERIFY(first->isVisible());
        QCOMPARE(first->windowTitle(), caption);
        QVERIFY(first->parentWidget() == nullptr); // no owner
        QVERIFY(!first->isModal());

        // Shown again while open: the same window.
        action->trigger();
        action->trigger();
        QCOMPARE(children->instance(child), first);
        QVERIFY(first->isVisible());
        QCOMPARE(childrenMade, 1);

        // Closing unloads it; the next show makes a fresh one.
        QPointer<QWidget> closed = first;
        first->close();
        QTRY_VERIFY(closed.isNull());
        QVERIFY(children->instance(child) == nullptr);
        action->trigger();
        QVERIFY(children->instance(child) != nullptr);
        QVERIFY(children->instance(child)->isVisible());
        QCOMPARE(childrenMade, 2);
    }

    void closingTheMainWindowLeavesChildrenOpen() {
        child<QAction>(window.get(), "mnuViewQuarvel")->setEnabled(true);
        child<QAction>(window.get(), "mnuViewQuarvel")->trigger();
        QWidget* plot = children->instance(ChildWindow::View);
        QPointer<frmQuarvel> main = window.get();
        window->close();
        QCoreApplication::processEvents();
        QVERIFY(!main.isNull()); // closed, not destroyed: other windows still reach it
        QVERIFY(!main->isVisible());
        QVERIFY(plot->isVisible());
        QCOMPARE(fakes->ender.calls, 0);
        // Both take part in ending the program once the last window has closed.
        QVERIFY(QApplication::quitOnLastWindowClosed());
        QVERIFY(plot->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(main->testAttribute(Qt::WA_QuitOnClose));
    }

    void aLargerWindowGivesTheGridTheRoom() {
        QMap<QString, QRect> designed;
        const QStringList names = {"Label1", "txtInfile",    "cmdOpen", "Label2",   "Grid",
                                   "Label3", "cmbFieldList", "cmdDoIt", "cmdCancel"};
        for (const QString& name : names) {
            designed[name] = window->findChild<QWidget*>(name)->geometry();
        }
        const QSize designedWindow = window->size();
        window->resize(900, 600);
        QTRY_COMPARE(window->width(), 900);
        const int dw = 900 - 577;
        const int dh = window->centralWidget()->height() - 255;
        QVERIFY(dh > 0);
        const auto at = [&](const char* name) {
            return window->findChild<QWidget*>(name)->geometry();
        };
        // The grid takes the room; the path box the width; the rest keep the nearer edges.
        QCOMPARE(at("Grid"), designed["Grid"].adjusted(0, 0, dw, dh));
        QCOMPARE(at("txtInfile"), designed["txtInfile"].adjusted(0, 0, dw, 0));
        QCOMPARE(at("cmdOpen"), designed["cmdOpen"].translated(dw, 0));
        QCOMPARE(at("Label1"), designed["Label1"]);
        QCOMPARE(at("Label2"), designed["Label2"]);
        QCOMPARE(at("Label3"), designed["Label3"].translated(0, dh));
        QCOMPARE(at("cmbFieldList"), designed["cmbFieldList"].translated(dw, dh));
        QCOMPARE(at("cmdDoIt"), designed["cmdDoIt"].translated(dw, dh));
        QCOMPARE(at("cmdCancel"), designed["cmdCancel"].translated(dw, dh));
        // Never smaller than designed, and back at that size everything is where it was.
        window->resize(300, 150);
        QTRY_COMPARE(window->size(), designedWindow);
        for (const QString& name : names) {
            QCOMPARE(window->findChild<QWidget*>(name)->geometry(), designed[name]);
        }
    }

    void pollTimerRunsFromLoad() {
        // It ticks from the start, twice a second: half a second from one tick to the next.
        QSignalSpy ticks(child<QTimer>(window.get(), "check"), &QTimer::timeout);
        QVERIFY(ticks.wait(1500));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(ticks.wait(1500));
        QVERIFY2(clock.elapsed() >= 400 && clock.elapsed() <= 900,
                 qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(tst_frmQuarvel)
#include "tst_frmQuarvel.moc"
