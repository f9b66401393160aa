#include "frmQuarvel.h"

#include "Artwork.h"
#include "BackgroundWork.h"
#include "BusyIndicator.h"
#include "HelpLauncher.h"
#include "Twips.h"
#include "WindowSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace quarvel {
namespace {

constexpr int kPollMilliseconds = 500;

QAction* menuItem(QMenu* menu, const char* name, const QString& caption) {
    auto* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

QSize frmQuarvel::clientSize() {
    return twipsRect(0, 0, 8655, 4200).size();
}

frmQuarvel::frmQuarvel(std::shared_ptr<AnalysisResults> results, Platform& platform,
                       ChildWindows& children, QWidget* parent)
    : QMainWindow(parent), results_(std::move(results)), platform_(platform), children_(children) {
    setObjectName(QStringLiteral("frmQuarvel"));
    setWindowTitle(QStringLiteral("Quarvel"));
    setWindowIcon(QIcon(drawAppIcon()));
    // The layout is drawn for a small dialog font; texts that would still be cut off by
    // their control are shrunk a little to fit.
    setFont(dialogFont());
    buildControls();
    buildMenus();
    // Long work runs on the worker; while it runs the commands that would start other work
    // are disabled. The stages and progress of the work shown here (all but the detailed
    // drawing, which the plot window shows) come to the status line.
    connect(&platform_.work, &BackgroundWork::busyChanged, this, &frmQuarvel::workBusy);
    connect(&platform_.work, &BackgroundWork::stageChanged, this, [this](const QString& text) {
        if (platform_.work.shownIn() == nullptr) {
            setStatusText(text);
        }
    });
    connect(&platform_.work, &BackgroundWork::fractionChanged, this, [this](double done) {
        if (platform_.work.shownIn() == nullptr) {
            busy_->setFraction(done);
        }
    });
    resize(clientSize().width(), menuBar()->sizeHint().height() + clientSize().height());
    setMinimumSize(size()); // it opens at its designed size, and grows from there
    Form_Load();
}

void frmQuarvel::buildControls() {
    // The controls keep their places whatever size the window is given.
    const QRect statusRect = twipsRect(0, 3825, 8655, 375);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(clientSize().width(), statusRect.top());
    setCentralWidget(client);

    Label1 = placed<QLabel>(client, "Label1", twipsRect(240, 360, 3255, 255));
    Label1->setText(QStringLiteral("Select the ArcView database attribute table"));

    txtInfile = placed<QLineEdit>(client, "txtInfile", twipsRect(3600, 240, 4335, 375));
    txtInfile->setText(QLatin1String(kNoTableText));
    txtInfile->setToolTip(
        QStringLiteral("This box shows the name of the database table you are working with."));
    txtInfile->setEnabled(false);

    cmdOpen = placed<QPushButton>(client, "cmdOpen", twipsRect(7920, 240, 495, 375));
    cmdOpen->setIcon(QIcon(drawOpenFolder()));
    cmdOpen->setIconSize(QSize(16, 16));
    cmdOpen->setToolTip(QStringLiteral("Click this button to choose a database table."));

    Label2 = placed<QLabel>(client, "Label2", twipsRect(240, 960, 3255, 495));
    Label2->setText(QStringLiteral("View the database table"));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Grid = placed<QTableView>(client, "Grid", twipsRect(3600, 840, 4815, 1815));
    Grid->setToolTip(QStringLiteral("Note: you can expand the width of the columns by dragging "
                                    "the right side of the column's label."));
    // Tab leaves the grid for the next control, as in the other controls of the window.
    Grid->setTabKeyNavigation(false);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid->verticalHeader()->setVisible(false);
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setDefaultSectionSize(Grid->fontMetrics().height() + 4);
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Grid->horizontalHeader()->setHighlightSections(false);
    Grid->setWordWrap(false);
    Grid->setVisible(false);
    // A click anywhere in a column, header or cell, picks that column's field.
    connect(Grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmQuarvel::Grid_Click);
    Grid->viewport()->installEventFilter(this);

    Label3 = placed<QLabel>(client, "Label3", twipsRect(240, 2760, 3135, 375));
    Label3->setText(QStringLiteral("Select a field (attribute) to analyze."));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setVisible(false);

    cmbFieldList = placed<QComboBox>(client, "cmbFieldList", twipsRect(3600, 2760, 2415, 315));
    cmbFieldList->setEditable(false);
    cmbFieldList->setMaxVisibleItems(20);
    cmbFieldList->setVisible(false);

    cmdDoIt = placed<QPushButton>(client, "cmdDoIt", twipsRect(3600, 3240, 2415, 495));
    cmdDoIt->setText(QStringLiteral("&Do It"));
    cmdDoIt->setEnabled(false);

    cmdCancel = placed<QPushButton>(client, "cmdCancel", twipsRect(6240, 3240, 2175, 495));
    cmdCancel->setText(QStringLiteral("&Cancel"));
    connect(cmdDoIt, &QPushButton::clicked, this, &frmQuarvel::cmdDoIt_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmQuarvel::cmdCancel_Click);
    // The window's cancel button: Escape anywhere in the window presses it.
    addEscapeShortcut(*this, cmdCancel);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(statusRect.height());
    StatusBar1->setSizeGripEnabled(true);
    statusText_ = new QLabel(StatusBar1);
    statusText_->setObjectName(QStringLiteral("StatusBar1Text"));
    statusText_->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(statusText_, 1);
    recordsNote_ = new QLabel(StatusBar1);
    recordsNote_->setObjectName(QStringLiteral("StatusBar1Records"));
    recordsNote_->setTextFormat(Qt::PlainText);
    recordsNote_->hide();
    StatusBar1->addPermanentWidget(recordsNote_);
    auto* progress = new QProgressBar(StatusBar1);
    progress->setObjectName(QStringLiteral("StatusBar1Progress"));
    progress->setMaximumWidth(twipsRect(0, 0, 2400, 0).width());
    progress->setMaximumHeight(statusRect.height() - 6);
    busy_ = new BusyIndicator(*progress);
    StatusBar1->addPermanentWidget(progress);
    setStatusBar(StatusBar1);

    fitLabelTexts();

    // Made larger, the window gives the grid the room; the rest keep their places.
    auto* growing = new GrowingLayout(*client, client->minimumSize());
    for (QWidget* control : std::initializer_list<QWidget*>{Label1, cmdOpen, Label2, Label3,
                                                            cmbFieldList, cmdDoIt, cmdCancel}) {
        growing->add(control);
    }
    growing->add(txtInfile, GrowingLayout::Grow::Width);
    growing->add(Grid, GrowingLayout::Grow::Both);

    setTabOrder(txtInfile, cmdOpen);
    setTabOrder(cmdOpen, Grid);
    setTabOrder(Grid, cmbFieldList);
    setTabOrder(cmbFieldList, cmdDoIt);
    setTabOrder(cmdDoIt, cmdCancel);

    check = new QTimer(this);
    check->setObjectName(QStringLiteral("check"));
    check->setInterval(kPollMilliseconds);
    connect(check, &QTimer::timeout, this, &frmQuarvel::check_Timer);
}

void frmQuarvel::fitLabelTexts() {
    for (QLabel* label : {Label1, Label2, Label3}) {
        fitLabelText(*label);
    }
}

void frmQuarvel::buildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileOpen = menuItem(mnuFile, "mnuFileOpen", QStringLiteral("Open"));
    mnuFileCreateJoin = menuItem(mnuFile, "mnuFileCreateJoin", QStringLiteral("Create Join file"));
    mnuFileSaveRanked =
        menuItem(mnuFile, "mnuFileSaveRanked", QStringLiteral("Save Ranked Layer As..."));
    // Off at every start: an empty cell refuses the run unless the user asks otherwise.
    mnuFileLeaveOutEmpty =
        menuItem(mnuFile, "mnuFileLeaveOutEmpty", QStringLiteral("Leave Out Empty Records"));
    mnuFileLeaveOutEmpty->setCheckable(true);
    mnuFileSep = mnuFile->addSeparator();
    mnuFileSep->setObjectName(QStringLiteral("mnuFileSep"));
    mnuFileExit = menuItem(mnuFile, "mnuFileExit", QStringLiteral("Exit"));

    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewQuarvel = menuItem(mnuView, "mnuViewQuarvel", QStringLiteral("Quarvel"));
    mnuViewMap = menuItem(mnuView, "mnuViewMap", QStringLiteral("Map"));
    mnuViewGroups = menuItem(mnuView, "mnuViewGroups", QStringLiteral("Groups"));
    // A disabled Map says why in its tooltip.
    mnuView->setToolTipsVisible(true);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpHowto = menuItem(mnuHelp, "mnuHelpHowto", QStringLiteral("How to..."));
    mnuHelpAbout = menuItem(mnuHelp, "mnuHelpAbout", QStringLiteral("About Quarvel"));

    connect(cmdOpen, &QPushButton::clicked, this, &frmQuarvel::cmdOpen_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmQuarvel::mnuFileOpen_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmQuarvel::mnuFileExit_Click);
    connect(mnuFileCreateJoin, &QAction::triggered, this, &frmQuarvel::mnuFileCreateJoin_Click);
    connect(mnuFileSaveRanked, &QAction::triggered, this, &frmQuarvel::mnuFileSaveRanked_Click);
    connect(mnuViewQuarvel, &QAction::triggered, this, &frmQuarvel::mnuViewQuarvel_Click);
    connect(mnuViewMap, &QAction::triggered, this, &frmQuarvel::mnuViewMap_Click);
    connect(mnuViewGroups, &QAction::triggered, this, &frmQuarvel::mnuViewGroups_Click);
    connect(mnuHelpHowto, &QAction::triggered, this, &frmQuarvel::mnuHelpHowto_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmQuarvel::mnuHelpAbout_Click);
}

void frmQuarvel::Form_Load() {
    // The plot and the join export have nothing to show before the first completed run.
    mnuFileCreateJoin->setEnabled(false);
    mnuFileSaveRanked->setEnabled(false);
    mnuViewQuarvel->setEnabled(false);
    mnuViewGroups->setEnabled(false);
    updateMapCommand();
    centreOnScreen(*this);
    check->start();
}

void frmQuarvel::setStatusText(const QString& text) {
    statusText_->setText(text);
    // Long commands set the text between stages without returning to the event loop.
    statusText_->repaint();
    emit statusTextChanged(text);
}

QString frmQuarvel::statusText() const {
    return statusText_->text();
}

bool frmQuarvel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // The column where the user's selection ends: the clicked one for a plain click.
        const QModelIndex current = Grid->currentIndex();
        if (current.isValid()) {
            Grid_Click(current.column());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmQuarvel::workBusy(bool busy) {
    if (busy) {
        doItEnabled_ = cmdDoIt->isEnabled();
        if (platform_.work.shownIn() == nullptr) {
            busy_->begin();
        }
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        busy_->end();
        QApplication::restoreOverrideCursor();
    }
    cmdDoIt->setEnabled(busy ? false : doItEnabled_);
    cmdOpen->setEnabled(!busy);
    mnuFileOpen->setEnabled(!busy);
}

void frmQuarvel::showWorkFailure(const QString& message) {
    platform_.dialogs.message(this, message, QStringLiteral("Error!"), MessageButtons::Ok,
                              MessageIcon::Critical);
    setStatusText(QStringLiteral("Nothing was changed."));
}

void frmQuarvel::cmdCancel_Click() {
    platform_.ender.endProgram();
}

void frmQuarvel::mnuFileExit_Click() {
    platform_.ender.endProgram();
}

void frmQuarvel::mnuFileCreateJoin_Click() {
    children_.show(ChildWindow::Join);
}

void frmQuarvel::mnuViewQuarvel_Click() {
    children_.show(ChildWindow::View);
}

void frmQuarvel::mnuViewMap_Click() {
    children_.show(ChildWindow::Map);
}

void frmQuarvel::mnuViewGroups_Click() {
    children_.show(ChildWindow::Groups);
}

void frmQuarvel::mnuHelpHowto_Click() {
    HelpLauncher(platform_, this).launch();
}

void frmQuarvel::mnuHelpAbout_Click() {
    children_.show(ChildWindow::About);
}

} // namespace quarvel
