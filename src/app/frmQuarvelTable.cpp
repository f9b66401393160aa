#include "frmQuarvel.h"

#include "Analysis.h"
#include "BackgroundWork.h"
#include "FavoriteFolder.h"
#include "FieldValues.h"
#include "LayerShapes.h"
#include "OpenTable.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>

// The main window's table session: the open command, the favourite folder, reading the
// table on the worker and binding it to the grid, and what the join window asks of it.

namespace quarvel {

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

// A table read on the worker, on its way to the grid; or, for a source of several layers
// with none named yet, its layers for the user to choose from.
struct ReadTable {
    std::unique_ptr<Table> table;
    QString problem;
    std::vector<LayerInfo> layers;
};

} // namespace

void frmQuarvel::LoadData() {
    if (platform_.work.busy()) {
        return; // Open is disabled while work runs
    }
    TableName = IsLayerSource(dialogFileTitle_) ? QFileInfo(dialogFileTitle_).completeBaseName()
                : dialogFileTitle_.size() >= 4  ? dialogFileTitle_.chopped(4)
                                                : QString();
    ConnectAttempt = 1;
    readTable(TableFolder + dialogFileTitle_, QString());
}

void frmQuarvel::readTable(const QString& path, const QString& layer) {
    const QPointer<frmQuarvel> self(this);
    const bool started = platform_.work.start<ReadTable>(
        [path, layer](Progress& progress) {
            ReadTable read;
            QString named = layer;
            if (named.isEmpty() && IsLayerSource(path)) {
                read.layers = SourceLayers(path, read.problem);
                if (read.layers.size() != 1) {
                    return read; // several to choose from, or none to open
                }
                named = read.layers.front().name;
            }
            read.table = OpenTable(
                path, read.problem,
                [&progress](double done) {
                    progress.fraction(done);
                    return !progress.stopRequested();
                },
                named);
            return read;
        },
        [self, path](ReadTable& read) {
            if (self == nullptr) {
                return;
            }
            if (read.table == nullptr && read.layers.size() > 1) {
                self->chooseLayer(path, read.layers);
            } else {
                self->showTable(std::move(read.table), read.problem);
            }
        },
        [self](const QString& message) {
            if (self != nullptr) {
                self->showWorkFailure(message);
                self->keepShownTable(); // the table shown before stays, with its folder and name
            }
        });
    if (!started) {
        keepShownTable(); // Open is disabled while work runs; a queued command changes nothing
        setStatusText(QStringLiteral("Ready..."));
    }
}

void frmQuarvel::chooseLayer(const QString& path, const std::vector<LayerInfo>& layers) {
    QStringList items;
    for (const LayerInfo& layer : layers) {
        items << QStringLiteral("%1 (%2 records)").arg(layer.name).arg(layer.records);
    }
    const std::optional<int> chosen = platform_.dialogs.chooseItem(
        this, QStringLiteral("Choose a layer"),
        QStringLiteral("%1 holds several layers. Choose the one to open:")
            .arg(QFileInfo(path).fileName()),
        items);
    if (!chosen) {
        // Cancelled: the table shown before stays, or nothing when none was.
        keepShownTable();
        if (model_ == nullptr) {
            txtInfile->setText(QLatin1String(kNoTableText));
        }
        setStatusText(QStringLiteral("Ready..."));
        return;
    }
    setStatusText(QStringLiteral("Loading ") + TableFolder);
    readTable(path, layers[static_cast<std::size_t>(*chosen)].name);
}

void frmQuarvel::showTable(std::unique_ptr<Table> table, const QString& problem) {
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

void frmQuarvel::bindTable(std::unique_ptr<Table> table) {
    // A table cut short shows the records it still holds; the right of the status line
    // says how many of those its header states are there, and why its texts may be decoded
    // from the fallback code page.
    QStringList notes;
    const std::size_t stored = table->storedRecordCount();
    const std::uint32_t declared = table->declaredRecordCount();
    if (stored < declared) {
        notes << QStringLiteral("%1 of %2 records readable").arg(stored).arg(declared);
    }
    if (!table->codePageNote().isEmpty()) {
        notes << table->codePageNote();
    }
    recordsNote_->setText(notes.join(QStringLiteral("; ")));
    recordsNote_->setVisible(!notes.isEmpty());
    auto* model = new TableModel(std::shared_ptr<const Table>(std::move(table)), this);
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
    updateMapCommand();
}

void frmQuarvel::updateMapCommand() {
    const std::shared_ptr<const Table> table = shownTable();
    std::optional<QString> absence;
    if (table == nullptr || results_->ValueCount < 1 ||
        QFileInfo(table->path()).absoluteFilePath().toStdString() != results_->TablePath) {
        absence = QStringLiteral("Press Do It first: the map shows the classes of the last "
                                 "analysis of the table shown.");
    } else {
        absence = ShapesAbsence(*table);
    }
    mnuViewMap->setEnabled(!absence);
    mnuViewMap->setToolTip(absence ? *absence
                                   : QStringLiteral("Show where the records of each class lie."));
}

void frmQuarvel::showRecord(int record) {
    const std::shared_ptr<const Table> table = shownTable();
    if (table == nullptr ||
        QFileInfo(table->path()).absoluteFilePath().toStdString() != results_->TablePath) {
        return;
    }
    setGridCurrentCell(record, FieldIndex(*table, QString::fromStdString(results_->FieldName)));
}

void frmQuarvel::setGridCurrentCell(int record, int field) {
    if (model_ == nullptr || record < 0 || record >= model_->table().recordCount() || field < 0 ||
        field >= model_->table().fieldCount()) {
        return;
    }
    const QModelIndex cell = model_->index(record, field + 1);
    Grid->setCurrentIndex(cell);
    Grid->scrollTo(cell);
}

std::shared_ptr<const Table> frmQuarvel::shownTable() const {
    return model_ != nullptr ? model_->sharedTable() : nullptr;
}

int frmQuarvel::analysedField() const {
    return model_ != nullptr ? cmbFieldList->currentIndex() : -1;
}

} // namespace quarvel
