#include "frmQuarvel.h"

#include "Artwork.h"
#include "Twips.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace quarvel {
namespace {

constexpr int kPollMilliseconds = 500;

template <typename Widget>
Widget* placed(QWidget* parent, const char* name, const QRect& rect) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption) {
    auto* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

QSize frmQuarvel::clientSize() {
    return twipsRect(0, 0, 8655, 4200).size();
}

frmQuarvel::frmQuarvel(AnalysisResults& results, Platform& platform, ChildWindows& children,
                       QWidget* parent)
    : QMainWindow(parent), results_(results), platform_(platform), children_(children) {
    setObjectName(QStringLiteral("frmQuarvel"));
    setWindowTitle(QStringLiteral("Quarvel"));
    setWindowIcon(QIcon(drawAppIcon()));
    // The layout is drawn for a small dialog font; texts that would still be cut off by
    // their control are shrunk a little to fit.
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSizeF(8.25);
    setFont(dialogFont);
    buildControls();
    buildMenus();
    resize(clientSize().width(), menuBar()->sizeHint().height() + clientSize().height());
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
    txtInfile->setText(QStringLiteral("no table selected"));
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
    Grid->setVisible(false);

    Label3 = placed<QLabel>(client, "Label3", twipsRect(240, 2760, 3135, 375));
    Label3->setText(QStringLiteral("Select a field (attribute) to analyze."));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setVisible(false);

    cmbFieldList = placed<QComboBox>(client, "cmbFieldList", twipsRect(3600, 2760, 2415, 315));
    cmbFieldList->setVisible(false);

    cmdDoIt = placed<QPushButton>(client, "cmdDoIt", twipsRect(3600, 3240, 2415, 495));
    cmdDoIt->setText(QStringLiteral("&Do It"));
    cmdDoIt->setEnabled(false);

    cmdCancel = placed<QPushButton>(client, "cmdCancel", twipsRect(6240, 3240, 2175, 495));
    cmdCancel->setText(QStringLiteral("&Cancel"));
    connect(cmdCancel, &QPushButton::clicked, this, &frmQuarvel::cmdCancel_Click);
    // The window's cancel button: Escape anywhere in the window presses it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("escapeShortcut"));
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, cmdCancel, &QPushButton::click);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(statusRect.height());
    StatusBar1->setSizeGripEnabled(true);
    statusText_ = new QLabel(StatusBar1);
    statusText_->setObjectName(QStringLiteral("StatusBar1Text"));
    statusText_->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(statusText_, 1);
    setStatusBar(StatusBar1);

    fitLabelTexts();

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
        QFont font = label->font();
        while (QFontMetrics(font).horizontalAdvance(label->text()) > label->width() &&
               font.pointSizeF() > 6.5) {
            font.setPointSizeF(font.pointSizeF() - 0.25);
        }
        label->setFont(font);
    }
}

void frmQuarvel::buildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileOpen = menuItem(mnuFile, "mnuFileOpen", QStringLiteral("Open"));
    mnuFileCreateJoin = menuItem(mnuFile, "mnuFileCreateJoin", QStringLiteral("Create Join file"));
    mnuFileSep = mnuFile->addSeparator();
    mnuFileSep->setObjectName(QStringLiteral("mnuFileSep"));
    mnuFileExit = menuItem(mnuFile, "mnuFileExit", QStringLiteral("Exit"));

    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewQuarvel = menuItem(mnuView, "mnuViewQuarvel", QStringLiteral("Quarvel"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpHowto = menuItem(mnuHelp, "mnuHelpHowto", QStringLiteral("How to..."));
    mnuHelpAbout = menuItem(mnuHelp, "mnuHelpAbout", QStringLiteral("About Quarvel"));

    connect(mnuFileExit, &QAction::triggered, this, &frmQuarvel::mnuFileExit_Click);
    connect(mnuFileCreateJoin, &QAction::triggered, this, &frmQuarvel::mnuFileCreateJoin_Click);
    connect(mnuViewQuarvel, &QAction::triggered, this, &frmQuarvel::mnuViewQuarvel_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmQuarvel::mnuHelpAbout_Click);
}

void frmQuarvel::Form_Load() {
    // The plot and the join export have nothing to show before the first completed run.
    mnuFileCreateJoin->setEnabled(false);
    mnuViewQuarvel->setEnabled(false);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    check->start();
}

void frmQuarvel::setStatusText(const QString& text) {
    statusText_->setText(text);
    // Long commands set the text between stages without returning to the event loop.
    statusText_->repaint();
}

QString frmQuarvel::statusText() const {
    return statusText_->text();
}

void frmQuarvel::check_Timer() {
    // The field-list refresh runs here once a table has been loaded.
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

void frmQuarvel::mnuHelpAbout_Click() {
    children_.show(ChildWindow::About);
}

} // namespace quarvel
