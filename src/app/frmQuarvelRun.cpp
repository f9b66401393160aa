#include "frmQuarvel.h"

#include "Analysis.h"
#include "BackgroundWork.h"
#include "FieldValues.h"
#include "JoinFile.h"
#include "RankedLayer.h"
#include "SafeFile.h"
#include "WindowSetup.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

// The main window's analysis: the field list, Do It on the worker, the outcome and the
// results file.

namespace quarvel {

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
        const Table& table = model_->table();
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
    const std::shared_ptr<const Table> table = model_->sharedTable();
    const QString folder = QFileInfo(table->path()).absolutePath();
    const QLocale locale;
    const EmptyCells empty =
        mnuFileLeaveOutEmpty->isChecked() ? EmptyCells::LeaveOut : EmptyCells::Refuse;
    const QPointer<frmQuarvel> self(this);
    const bool started = platform_.work.start<AnalysisOutcome>(
        [table, field, folder, locale, empty](Progress& progress) {
            return RunAnalysis(*table, field, folder, &progress, locale, empty);
        },
        [self, folder](AnalysisOutcome& outcome) {
            if (self != nullptr) {
                self->showOutcome(std::move(outcome), folder);
            }
        },
        [self](const QString& message) {
            if (self != nullptr) {
                self->showWorkFailure(message);
            }
        });
    static_cast<void>(started); // while other work runs Do It is disabled; nothing to undo
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
    *results_ = std::move(outcome.results);
    // The run leaves the grid's current cell on the last record of the analysed column.
    setGridCurrentCell(model_ != nullptr ? model_->table().recordCount() - 1 : -1, FieldColumn - 1);
    offerToSave(folder);
    mnuFileCreateJoin->setEnabled(true);
    mnuFileSaveRanked->setEnabled(true);
    mnuViewQuarvel->setEnabled(true);
    mnuViewGroups->setEnabled(true);
    updateMapCommand();
    setStatusText(QStringLiteral("Calculations complete."));
}

void frmQuarvel::offerToSave(const QString& folder) {
    SaveAnswer = platform_.dialogs.message(this, ResultMessage(*results_),
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
    if (const std::optional<QString> refusal = SaveResultsFile(*results_, path)) {
        platform_.dialogs.message(this, *refusal, QStringLiteral("Error!"), MessageButtons::Ok,
                                  MessageIcon::Critical);
        return;
    }
    setStatusText(QStringLiteral(" ") + ResultFileName + QStringLiteral(" has been written to ") +
                  QDir::toNativeSeparators(folder + QLatin1Char('/')) + QStringLiteral("."));
}

void frmQuarvel::mnuFileSaveRanked_Click() {
    if (platform_.work.busy()) {
        return; // the command waits for running work
    }
    const auto error = [this](const QString& text) {
        platform_.dialogs.message(this, text, QStringLiteral("Error!"), MessageButtons::Ok,
                                  MessageIcon::Critical);
    };
    const std::shared_ptr<const Table> table = shownTable();
    const int field = analysedField();
    if (const std::optional<QString> refusal = JoinRefusal(table.get(), field, *results_)) {
        error(*refusal);
        return;
    }
    const QFileInfo source(table->path());
    const std::optional<QString> target = platform_.dialogs.saveFile(
        this, QStringLiteral("Save Ranked Layer As"),
        {QStringLiteral("GeoPackage (*.gpkg)"), QStringLiteral("Shapefile (*.shp)")},
        QDir(source.absolutePath()).filePath(source.completeBaseName() + "_ranked.gpkg"));
    if (!target) {
        return;
    }
    if (!IsRankedLayerName(*target)) {
        error(QStringLiteral("A ranked layer is a GeoPackage (.gpkg) or a shapefile (.shp).\r\n"
                             "Choose a name with one of those endings."));
        return;
    }
    if (const std::optional<QString> refusal = RankedLayerRefusal(table->path(), *target)) {
        error(*refusal);
        return;
    }
    if (QFileInfo::exists(*target) &&
        platform_.dialogs.message(this,
                                  QStringLiteral("%1 already exists.\r\nReplace it?").arg(*target),
                                  QStringLiteral("Save Ranked Layer As"), MessageButtons::YesNo,
                                  MessageIcon::Question) != MessageAnswer::Yes) {
        return;
    }
    const QString name = QFileInfo(*target).fileName();
    setStatusText(QStringLiteral("Writing ranked layer (%1).").arg(name));
    // Written on the worker, from the shared table and results.
    const std::shared_ptr<const AnalysisResults> results = results_;
    const QString path = *target;
    const QLocale locale;
    const QPointer<frmQuarvel> self(this);
    const bool started = platform_.work.start<RankedOutcome>(
        [table, field, results, path, locale](Progress& progress) {
            return WriteRankedLayer(*table, field, *results, path, &progress, locale,
                                    table->layerName());
        },
        [self, name](RankedOutcome& outcome) {
            if (self == nullptr || outcome.stopped) {
                return;
            }
            if (!outcome.written) {
                self->showWorkFailure(outcome.message);
                return;
            }
            QString text = QStringLiteral("Ranked layer written.");
            if (!outcome.notes.isEmpty()) {
                text += QStringLiteral("\r\n\r\n") + outcome.notes.join(QStringLiteral("\r\n"));
            }
            self->platform_.dialogs.message(self, text, QStringLiteral("File done."),
                                            MessageButtons::Ok, MessageIcon::Information);
            self->setStatusText(QStringLiteral(" %1 has been written.").arg(name));
        },
        [self](const QString& message) {
            if (self != nullptr) {
                self->showWorkFailure(message);
            }
        });
    static_cast<void>(started); // while other work runs the command waits; nothing to undo
}

} // namespace quarvel
