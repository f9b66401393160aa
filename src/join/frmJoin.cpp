#include "frmJoin.h"

#include "Analysis.h"
#include "BackgroundWork.h"
#include "FieldValues.h"
#include "GroupAnalysis.h"
#include "JoinFile.h"
#include "RankPicture.h"
#include "Twips.h"
#include "WindowSetup.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace quarvel {
namespace {

// A wrapped label, top-left aligned, whose font shrinks until the text fits its height.
void fitWrapped(QLabel* label) {
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fitWrappedLabelText(*label);
}

} // namespace

frmJoin::frmJoin(std::shared_ptr<const AnalysisResults> results, JoinHost& host, Dialogs& dialogs,
                 BackgroundWork& work, QWidget* parent)
    : QWidget(parent), results_(std::move(results)), host_(host), dialogs_(dialogs), work_(work) {
    setObjectName(QStringLiteral("frmJoin"));
    setWindowTitle(QStringLiteral("Create Join-able file"));
    setFont(dialogFont());
    resize(twipsRect(0, 0, 4080, 6420).size());

    Label1 = placed<QLabel>(this, "Label1", twipsRect(120, 240, 3735, 375));
    Label1->setText(
        QStringLiteral("Step 1: Select the field that will act as your relate field in ArcView."));
    cmbJoinList = placed<QComboBox>(this, "cmbJoinList", twipsRect(480, 840, 2775, 315));
    cmbJoinList->setEditable(false);
    Label2 = placed<QLabel>(this, "Label2", twipsRect(120, 1320, 3855, 375));
    Label2->setText(
        QStringLiteral("Step 2:  Quartiles and quarvel data will be stored as follows:"));
    Picture1 = placed<QLabel>(this, "Picture1", twipsRect(120, 1920, 3735, 2535));
    Picture1->setPixmap(drawRankPicture());
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3 = placed<QLabel>(this, "Label3", twipsRect(120, 4560, 3735, 735));
    Label3->setText(QStringLiteral(
        "(i.e., if a data point falls into the region marked 1 in the graphic, that data point "
        "will recieve a rank of 1 (stored in a field called rank)."));
    lblRankWithin = placed<QLabel>(this, "lblRankWithin", twipsRect(120, 5400, 1560, 315));
    lblRankWithin->setText(QStringLiteral("Rank within groups of"));
    cmbRankWithin = placed<QComboBox>(this, "cmbRankWithin", twipsRect(1680, 5370, 2295, 315));
    cmbRankWithin->setEditable(false);
    lblRankWithin->setBuddy(cmbRankWithin);
    cmdDotIt = placed<QPushButton>(this, "cmdDotIt", twipsRect(120, 5880, 1935, 375));
    cmdDotIt->setText(QStringLiteral("&Do It"));
    cmdCancel = placed<QPushButton>(this, "cmdCancel", twipsRect(2160, 5880, 1815, 375));
    cmdCancel->setText(QStringLiteral("&Cancel"));
    for (QLabel* label : {Label1, Label2, Label3}) {
        fitWrapped(label);
    }

    setTabOrder(cmbJoinList, cmbRankWithin);
    setTabOrder(cmbRankWithin, cmdDotIt);
    setTabOrder(cmdDotIt, cmdCancel);
    connect(cmdDotIt, &QPushButton::clicked, this, &frmJoin::cmdDotIt_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmJoin::cmdCancel_Click);
    // While long work runs (here or in another window), Do It waits for it.
    cmdDotIt->setEnabled(!work_.busy());
    connect(&work_, &BackgroundWork::busyChanged, cmdDotIt,
            [this](bool busy) { cmdDotIt->setEnabled(!busy); });
    addEscapeShortcut(*this, cmdCancel);

    Form_Load();
}

void frmJoin::Form_Load() {
    // The relate list holds the shown table's field names as they are now; nothing is chosen.
    cmbJoinList->clear();
    cmbRankWithin->clear();
    cmbRankWithin->addItem(QStringLiteral("(none)"));
    if (const std::shared_ptr<const Table> table = host_.shownTable()) {
        for (int field = 0; field < table->fieldCount(); ++field) {
            cmbJoinList->insertItem(field, table->fieldName(field));
            cmbRankWithin->addItem(table->fieldName(field));
        }
    }
    cmbJoinList->setCurrentIndex(-1);
    cmbRankWithin->setCurrentIndex(0); // ranks against the whole field unless asked
}

void frmJoin::cmdCancel_Click() {
    close();
}

void frmJoin::closeEvent(QCloseEvent* event) {
    if (writing_) {
        // The file being written is not given up: its outcome is still reported, and the
        // window goes then.
        closeWhenDone_ = true;
        hide();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmJoin::showEvent(QShowEvent* event) {
    closeWhenDone_ = false;
    QWidget::showEvent(event);
}

void frmJoin::error(const QString& text) {
    dialogs_.message(this, text, QStringLiteral("Error!"), MessageButtons::Ok,
                     MessageIcon::Critical);
}

void frmJoin::cmdDotIt_Click() {
    if (work_.busy()) {
        return; // the button is disabled meanwhile; a queued click changes nothing
    }
    const int relate = cmbJoinList->currentIndex();
    if (relate < 0) {
        error(QStringLiteral("A 'Relate' field must be chosen"));
        return;
    }
    const std::shared_ptr<const Table> table = host_.shownTable();
    const int valueField = host_.analysedField();
    if (const std::optional<QString> refusal = JoinRefusal(table.get(), valueField, *results_)) {
        error(*refusal);
        return;
    }
    if (relate >= table->fieldCount() || table->fieldName(relate) != cmbJoinList->currentText()) {
        error(QStringLiteral("The field \"%1\" is not in the table now shown.\r\nClose this window "
                             "and open it again to choose from the current fields.")
                  .arg(cmbJoinList->currentText()));
        return;
    }
    const int groupField = cmbRankWithin->currentIndex() - 1; // -1: the whole field
    if (groupField >= table->fieldCount() ||
        (groupField >= 0 && table->fieldName(groupField) != cmbRankWithin->currentText())) {
        error(QStringLiteral("The field \"%1\" is not in the table now shown.\r\nClose this window "
                             "and open it again to choose from the current fields.")
                  .arg(cmbRankWithin->currentText()));
        return;
    }

    const QString name = askSaveName(dialogs_, this, kJoinFileName);
    if (name.isEmpty()) {
        return;
    }
    host_.setStatusText(QStringLiteral("Writing Join file (") + name + QStringLiteral(")."));

    // A bare name lands beside the table; a name with a folder goes where it says. The file
    // is written on the worker, from the table and what the results say of the values.
    const QString path = OutputPath(QFileInfo(table->path()).absolutePath(), name);
    const AnalysisResults summary = JoinSummary(*results_);
    const QLocale locale;
    const QPointer<frmJoin> self(this);
    const auto failed = [self](const QString& message) {
        if (self != nullptr) {
            self->showOutcome(JoinOutcome{false, false, message});
        }
    };
    writing_ = work_.start<JoinOutcome>(
        [table, relate, valueField, groupField, summary, path, locale](Progress& progress) {
            if (groupField < 0) {
                return WriteJoinFile(*table, relate, valueField, summary, path, &progress, locale);
            }
            // Within groups: each record's value, then its group's quartiles.
            const FieldValues read =
                ReadFieldValues(*table, valueField, locale, {},
                                summary.SkipEmpty ? EmptyCells::LeaveOut : EmptyCells::Refuse);
            if (read.problem) {
                return JoinOutcome{false, false,
                                   read.problem->describe() +
                                       QStringLiteral(", so it has no rank.\r\nCorrect the "
                                                      "table, analyze it again, then write the "
                                                      "join file.")};
            }
            const GroupsOutcome groups =
                AnalyseGroups(*table, groupField, read.values, read.leftOut, &progress);
            if (groups.stopped) {
                return JoinOutcome{false, true, QString()};
            }
            return WriteJoinFile(*table, relate, valueField, summary, path, &progress, locale,
                                 &groups);
        },
        [self](JoinOutcome& outcome) {
            if (self != nullptr) {
                self->showOutcome(outcome);
            }
        },
        failed);
    if (!writing_) {
        host_.setStatusText(QStringLiteral("The join file was not written."));
    }
}

void frmJoin::showOutcome(const JoinOutcome& outcome) {
    writing_ = false;
    showResult(outcome);
    if (closeWhenDone_) {
        close();
    }
}

void frmJoin::showResult(const JoinOutcome& outcome) {
    if (outcome.stopped) {
        return;
    }
    if (!outcome.written) {
        error(outcome.message);
        host_.setStatusText(QStringLiteral("The join file was not written."));
        return;
    }
    // Writing leaves the grid's current cell on the last record of the analysed field.
    host_.setGridCurrentCell(results_->ValueCount + results_->LeftOutCount - 1,
                             host_.analysedField());
    dialogs_.message(
        this,
        QStringLiteral("Join file written.  Please refer to help for file structure information."),
        QStringLiteral("File done."), MessageButtons::Ok, MessageIcon::Information);
}

} // namespace quarvel
