#include "frmQuarvel.h"

#include "Analysis.h"
#include "Artwork.h"
#include "BackgroundWork.h"
#include "FavoriteFolder.h"
#include "FieldValues.h"
#include "HelpLauncher.h"
#include "SafeFile.h"
#include "Twips.h"
#include "WindowSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace quarvel {
namespace {

constexpr int kPollMilliseconds = 500;
// Work that ends sooner shows only its stage texts; longer work also shows how far it is.
constexpr int kProgressDelayMilliseconds = 300;

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
    setFont(dialogFont());
    buildControls();
    buildMenus();
    // Long work runs on the worker; its stages come here, and while it runs the commands
    // that would start other work are disabled.
    connect(&platform_.work, &BackgroundWork::busyChanged, this, &frmQuarvel::workBusy);
    connect(&platform_.work, &BackgroundWork::stageChanged, this, &frmQuarvel::setStatusText);
    connect(&platform_.work, &BackgroundWork::workFailed, this, [this](const QString& reason) {
        platform_.dialogs.message(this, reason, QStringLiteral("Error!"), MessageButtons::Ok,
                                  MessageIcon::Critical);
        if (loadingTable_) {
            loadingTable_ = false;
            keepShownTable(); // the table shown before stays, and so do its folder and name
        }
        setStatusText(QStringLiteral("Nothing was changed."));
    });
    connect(&platform_.work, &BackgroundWork::fractionChanged, this,
            [this](double done) { progress_->setValue(static_cast<int>(done * 100 + 0.5)); });
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
    progress_ = new QProgressBar(StatusBar1);
    progress_->setObjectName(QStringLiteral("StatusBar1Progress"));
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(twipsRect(0, 0, 2400, 0).width());
    progress_->setMaximumHeight(statusRect.height() - 6);
    progress_->hide();
    StatusBar1->addPermanentWidget(progress_);
    progressDelay_ = new QTimer(this);
    progressDelay_->setSingleShot(true);
    progressDelay_->setInterval(kProgressDelayMilliseconds);
    connect(progressDelay_, &QTimer::timeout, progress_, &QWidget::show);
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

    connect(cmdOpen, &QPushButton::clicked, this, &frmQuarvel::cmdOpen_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmQuarvel::mnuFileOpen_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmQuarvel::mnuFileExit_Click);
    connect(mnuFileCreateJoin, &QAction::triggered, this, &frmQuarvel::mnuFileCreateJoin_Click);
    connect(mnuViewQuarvel, &QAction::triggered, this, &frmQuarvel::mnuViewQuarvel_Click);
    connect(mnuHelpHowto, &QAction::triggered, this, &frmQuarvel::mnuHelpHowto_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmQuarvel::mnuHelpAbout_Click);
}

void frmQuarvel::Form_Load() {
    // The plot and the join export have nothing to show before the first completed run.
    mnuFileCreateJoin->setEnabled(false);
    mnuViewQuarvel->setEnabled(false);
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

// ---------------------------------------------------------------------------------------
// The open command and the favourite folder.

void frmQuarvel::cmdOpen_Click() {
    openCommand();
}

void frmQuarvel::mnuFileOpen_Click() {
    openCommand();
}

QString frmQuarvel::startFolder() const {
    // Where the open dialog starts when no remembered folder exists: the sample tables
    // beside the program, else the user's home folder.
    const QString samples = QDir(platform_.systemInfo.programFolder()).filePath("samples");
    return QFileInfo(samples).isDir() ? samples : QDir::homePath();
}

void frmQuarvel::openCommand() {
    const FavoriteFolderFile favourite(platform_.systemInfo.programFolder(),
                                       platform_.systemInfo.configFolder());
    FavoriteFolder = favourite.read();
    const bool remembered = !FavoriteFolder.isEmpty() && QFileInfo(FavoriteFolder).isDir();
    QDir::setCurrent(remembered ? FavoriteFolder : startFolder());

    OpenFile();
    if (dialogFileTitle_.isEmpty()) {
        return; // no table has ever been confirmed
    }
    txtInfile->setText(TableFolder + dialogFileTitle_);
    setStatusText(QStringLiteral("Loading ") + TableFolder);
    LoadData(); // the table is read on the worker; "Ready..." follows once it is shown
}

void frmQuarvel::openTable(const QString& path) {
    // As if the table had been chosen in the open dialog.
    const QFileInfo chosen(path);
    remember(
        OpenFileChoice{QDir::toNativeSeparators(chosen.absoluteFilePath()), chosen.fileName()});
    txtInfile->setText(TableFolder + dialogFileTitle_);
    setStatusText(QStringLiteral("Loading ") + TableFolder);
    LoadData();
}

void frmQuarvel::OpenFile() {
    OpenFileSettings settings;
    settings.initialFolder = QDir::currentPath();
    const std::optional<OpenFileChoice> choice = platform_.dialogs.openFile(this, settings);
    if (!choice || choice->fileName.isEmpty() || choice->fileTitle.isEmpty()) {
        return; // cancelled: nothing changes
    }
    remember(*choice);
}

void frmQuarvel::remember(const OpenFileChoice& choice) {
    dialogFileName_ = choice.fileName;
    dialogFileTitle_ = choice.fileTitle;
    TableFolder = dialogFileName_.left(dialogFileName_.size() - dialogFileTitle_.size());
    // Files the program writes under plain names land beside the table.
    QDir::setCurrent(TableFolder);
    const FavoriteFolderFile favourite(platform_.systemInfo.programFolder(),
                                       platform_.systemInfo.configFolder());
    favourite.write(TableFolder); // a failure here is not worth stopping the load for
}

// ---------------------------------------------------------------------------------------
// Loading the table into the grid.

namespace {

// A table read on the worker, on its way to the grid.
struct ReadTable {
    std::unique_ptr<DbfTable> table;
    QString problem;
};

} // namespace

void frmQuarvel::LoadData() {
    if (platform_.work.busy()) {
        return; // Open is disabled while work runs
    }
    TableName = dialogFileTitle_.size() >= 4 ? dialogFileTitle_.chopped(4) : QString();
    ConnectAttempt = 1;
    const QString path = TableFolder + dialogFileTitle_;
    const QPointer<frmQuarvel> self(this);
    loadingTable_ = true;
    platform_.work.start<ReadTable>(
        [path](Progress& progress) {
            ReadTable read;
            read.table = DbfTable::open(path, read.problem, [&progress](double done) {
                progress.fraction(done);
                return !progress.stopRequested();
            });
            return read;
        },
        [self](ReadTable& read) {
            if (self != nullptr) {
                self->showTable(std::move(read.table), read.problem);
            }
        });
}

void frmQuarvel::showTable(std::unique_ptr<DbfTable> table, const QString& problem) {
    loadingTable_ = false;
    if (table) {
        bindTable(std::move(table));
        Grid->setColumnHidden(0, true);
        FieldListFilled = 0;
    } else {
        // The second attempt has no record source left to open, and so only confirms the
        // failure.
        TableName.clear();
        ConnectAttempt = 2;
        // The reader's own reason ("The record length it states is zero.") is the detail.
        platform_.dialogs.messageWithDetail(this, OpenFailureMessage(),
                                            QStringLiteral("Data Connection Error"),
                                            MessageButtons::Ok, MessageIcon::Critical, problem);
        keepShownTable();
    }
    setStatusText(QStringLiteral("Ready..."));
}

void frmQuarvel::keepShownTable() {
    // The grid still shows the table loaded before. The path box, the table's folder, the
    // current folder (where plain file names land) and the dialog's remembered choice go
    // back to it, so that nothing is written beside the file that failed to load.
    if (model_ == nullptr) {
        return;
    }
    const QFileInfo shown(model_->table().path());
    dialogFileName_ = model_->table().path();
    dialogFileTitle_ = shown.fileName();
    TableFolder = dialogFileName_.left(dialogFileName_.size() - dialogFileTitle_.size());
    TableName = dialogFileTitle_.size() >= 4 ? dialogFileTitle_.chopped(4) : QString();
    txtInfile->setText(dialogFileName_);
    QDir::setCurrent(TableFolder);
}

void frmQuarvel::bindTable(std::unique_ptr<DbfTable> table) {
    // A table cut short shows the records it still holds; the right of the status line
    // says how many of those its header states are there.
    const std::size_t stored = table->storedRecordCount();
    const std::uint32_t declared = table->declaredRecordCount();
    recordsNote_->setText(
        stored < declared ? QStringLiteral("%1 of %2 records readable").arg(stored).arg(declared)
                          : QString());
    recordsNote_->setVisible(stored < declared);
    auto* model = new DbfTableModel(std::shared_ptr<const DbfTable>(std::move(table)), this);
    QItemSelectionModel* oldSelection = Grid->selectionModel();
    Grid->setModel(model);
    delete oldSelection;
    delete model_;
    model_ = model;
    // A new table is seen from its top-left, whatever the one before was scrolled to.
    Grid->scrollToTop();
    Grid->horizontalScrollBar()->setValue(0);
    const int charWidth = Grid->fontMetrics().averageCharWidth();
    for (int column = 1; column < model_->columnCount(); ++column) {
        Grid->setColumnWidth(column, model_->suggestedColumnWidth(column, charWidth));
    }
}

void frmQuarvel::setGridCurrentCell(int record, int field) {
    if (model_ == nullptr || record < 0 || record >= model_->table().recordCount() || field < 0 ||
        field >= model_->table().fieldCount()) {
        return;
    }
    Grid->setCurrentIndex(model_->index(record, field + 1));
}

std::shared_ptr<const DbfTable> frmQuarvel::shownTable() const {
    return model_ != nullptr ? model_->sharedTable() : nullptr;
}

int frmQuarvel::analysedField() const {
    return model_ != nullptr ? cmbFieldList->currentIndex() : -1;
}

// ---------------------------------------------------------------------------------------
// The field-list refresh, run by every tick of the poll timer.

void frmQuarvel::check_Timer() {
    // While a table is being read, the list waits for it.
    if (FieldListFilled != 0 || txtInfile->text() == QLatin1String(kNoTableText) ||
        platform_.work.busy()) {
        return;
    }
    Grid->show();
    cmdDoIt->setEnabled(true);

    cmbFieldList->clear();
    int preselected = -1;
    if (model_ != nullptr) {
        const DbfTable& table = model_->table();
        for (int field = 0; field < table.fieldCount(); ++field) {
            cmbFieldList->insertItem(field, table.fieldName(field));
        }
        preselected = PreselectedField(table);
    }
    cmbFieldList->show();
    Label3->show();
    FieldListFilled = 1;
    cmbFieldList->setCurrentIndex(preselected);
}

void frmQuarvel::Grid_Click(int column) {
    // Entry p of the list is the field of grid column p + 1, also where names repeat; a list
    // not yet filled for the table shown has nothing to pick.
    if (model_ != nullptr && FieldListFilled != 0 && column >= 1 &&
        column <= cmbFieldList->count()) {
        cmbFieldList->setCurrentIndex(column - 1);
    }
}

void frmQuarvel::cmdDoIt_Click() {
    if (platform_.work.busy()) {
        return; // the button is disabled meanwhile; a queued click changes nothing
    }
    if (FieldListFilled == 0 && model_ != nullptr) {
        // A table has been loaded since the list was filled, so the list still names the
        // fields of the table shown before: its selection would pick an unseen field of the
        // new one. Fill it now and let the user look before anything is analysed.
        check_Timer();
        platform_.dialogs.message(
            this,
            QStringLiteral("The field list has just been filled for the table you opened.\r\n"
                           "Check the field to analyze, then press Do It again."),
            QStringLiteral("Error!"), MessageButtons::Ok, MessageIcon::Critical);
        setStatusText(QStringLiteral("Choose a field and try again."));
        return;
    }
    const int field = analysedField();
    if (field < 0) {
        setStatusText(stage::kVerifying);
        showOutcome(NoFieldRefusal(), QString());
        return;
    }
    FieldColumn = field + 1;
    // Files go beside the table analysed, whatever the process's current folder. The work
    // runs on the worker with its own hold on the table and the user's locale as it is now.
    const std::shared_ptr<const DbfTable> table = model_->sharedTable();
    const QString folder = QFileInfo(table->path()).absolutePath();
    const QLocale locale;
    const QPointer<frmQuarvel> self(this);
    platform_.work.start<AnalysisOutcome>(
        [table, field, folder, locale](Progress& progress) {
            return RunAnalysis(*table, field, folder, &progress, locale);
        },
        [self, folder](AnalysisOutcome& outcome) {
            if (self != nullptr) {
                self->showOutcome(std::move(outcome), folder);
            }
        });
}

void frmQuarvel::showOutcome(AnalysisOutcome outcome, const QString& folder) {
    if (outcome.status == AnalysisOutcome::Status::Stopped) {
        setStatusText(outcome.statusText);
        return;
    }
    if (!outcome.completed()) {
        platform_.dialogs.message(this, outcome.message, QStringLiteral("Error!"),
                                  MessageButtons::Ok, MessageIcon::Critical);
        setStatusText(outcome.statusText);
        return;
    }
    results_ = std::move(outcome.results);
    // The run leaves the grid's current cell on the last record of the analysed column.
    setGridCurrentCell(model_ != nullptr ? model_->table().recordCount() - 1 : -1, FieldColumn - 1);
    offerToSave(folder);
    mnuFileCreateJoin->setEnabled(true);
    mnuViewQuarvel->setEnabled(true);
    setStatusText(QStringLiteral("Calculations complete."));
}

void frmQuarvel::workBusy(bool busy) {
    if (busy) {
        doItEnabled_ = cmdDoIt->isEnabled();
        progress_->setValue(0);
        progressDelay_->start();
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        progressDelay_->stop();
        progress_->hide();
        QApplication::restoreOverrideCursor();
    }
    cmdDoIt->setEnabled(busy ? false : doItEnabled_);
    cmdOpen->setEnabled(!busy);
    mnuFileOpen->setEnabled(!busy);
}

void frmQuarvel::offerToSave(const QString& folder) {
    SaveAnswer = platform_.dialogs.message(this, ResultMessage(results_),
                                           QStringLiteral("Save this information to disk?"),
                                           MessageButtons::YesNo,
                                           MessageIcon::Information) == MessageAnswer::Yes;
    if (!SaveAnswer) {
        return;
    }
    ResultFileName = askSaveName(platform_.dialogs, this, kResultsFileName);
    if (ResultFileName.isEmpty()) {
        return;
    }
    // A bare name lands beside the table; a name with a folder goes where it says.
    const QString path = OutputPath(folder, ResultFileName);
    if (const std::optional<QString> refusal = SaveResultsFile(results_, path)) {
        platform_.dialogs.message(this, *refusal, QStringLiteral("Error!"), MessageButtons::Ok,
                                  MessageIcon::Critical);
        return;
    }
    setStatusText(QStringLiteral(" ") + ResultFileName + QStringLiteral(" has been written to ") +
                  QDir::toNativeSeparators(folder + QLatin1Char('/')) + QStringLiteral("."));
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

void frmQuarvel::mnuHelpHowto_Click() {
    HelpLauncher(platform_, this).launch();
}

void frmQuarvel::mnuHelpAbout_Click() {
    children_.show(ChildWindow::About);
}

} // namespace quarvel
