#include "frmGroups.h"

#include "BusyIndicator.h"
#include "DisplayList.h"
#include "FieldValues.h"
#include "GroupPicture.h"
#include "LocaleNumbers.h"
#include "NumberText.h"
#include "PlotPicture.h"
#include "WindowSetup.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

namespace quarvel {

/** The groups of one field and their chart, as found on the worker. */
struct frmGroups::Found {
    std::shared_ptr<const Table> table;
    GroupsOutcome outcome;
    std::vector<GroupBox> boxes;
    std::vector<std::size_t> boxGroup; ///< the group each box shows
    GroupChartScale scale;
    DisplayList drawing;
    QString message; ///< why there are none, for the box titled "Error!"
};

namespace {

/** The groups file's lines as a grid, read from the groups found when a cell is shown. */
class GroupsModel final : public QAbstractTableModel {
public:
    GroupsModel(std::shared_ptr<const GroupsOutcome> outcome, QObject* parent)
        : QAbstractTableModel(parent), outcome_(std::move(outcome)) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(outcome_->groups.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 9;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < 9) {
            return kColumns[section];
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) {
            return {};
        }
        if (role == Qt::TextAlignmentRole) {
            return index.column() == 0 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole) {
            return {};
        }
        const GroupSummary& group = outcome_->groups[static_cast<std::size_t>(index.row())];
        const AnalysisResults& r = group.results;
        switch (index.column()) {
        case 0:
            return GroupLabelText(group.text);
        case 1:
            return group.records;
        default:
            break;
        }
        if (!group.described) {
            return QString();
        }
        const double numbers[] = {r.FirstQuartile,   r.Median,          r.ThirdQuartile,
                                  r.LowerInnerFence, r.UpperInnerFence, r.LowerOuterFence,
                                  r.UpperOuterFence};
        return QString::fromStdString(FileNumberText(numbers[index.column() - 2]));
    }

    static const QStringList kColumns;

private:
    std::shared_ptr<const GroupsOutcome> outcome_;
};

const QStringList GroupsModel::kColumns = {QStringLiteral("Group"),
                                           QStringLiteral("Records"),
                                           QStringLiteral("1st Quartile"),
                                           QStringLiteral("Median"),
                                           QStringLiteral("3rd Quartile"),
                                           QStringLiteral("Lower Inner Fence"),
                                           QStringLiteral("Upper Inner Fence"),
                                           QStringLiteral("Lower Outer Fence"),
                                           QStringLiteral("Upper Outer Fence")};

// Pixels a row of the chart takes on screen, and the axis below the rows.
constexpr int kRowPixels = 24;
constexpr int kAxisPixels = 30;

} // namespace

frmGroups::frmGroups(std::shared_ptr<const AnalysisResults> results, Dialogs& dialogs,
                     QWidget* parent)
    : QWidget(parent), results_(std::move(results)), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmGroups"));
    setWindowTitle(QStringLiteral("Groups"));
    resize(900, 700);

    lblGroupBy = new QLabel(QStringLiteral("&Group by"), this);
    lblGroupBy->setObjectName(QStringLiteral("lblGroupBy"));
    cmbGroupBy = new QComboBox(this);
    cmbGroupBy->setObjectName(QStringLiteral("cmbGroupBy"));
    cmbGroupBy->setMinimumWidth(220);
    lblGroupBy->setBuddy(cmbGroupBy);
    groupsProgress = new QProgressBar(this);
    groupsProgress->setObjectName(QStringLiteral("groupsProgress"));
    groupsProgress->setFixedWidth(380);
    busy_ = new BusyIndicator(*groupsProgress, QStringLiteral("%1 %p%"));

    picGroups = new PlotPicture(dialogs_, this);
    picGroups->setObjectName(QStringLiteral("picGroups"));
    picGroups->setSaveName(QStringLiteral("Groups.png"));
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrGroups"));
    scroll->setWidget(picGroups);
    scroll->setWidgetResizable(true);
    lblNotDrawn = new QLabel(this);
    lblNotDrawn->setObjectName(QStringLiteral("lblNotDrawn"));
    grdGroups = new QTableView(this);
    grdGroups->setObjectName(QStringLiteral("grdGroups"));
    grdGroups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdGroups->verticalHeader()->setVisible(false);
    grdGroups->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    cmdSaveGroups = new QPushButton(QStringLiteral("&Save Groups.csv..."), this);
    cmdSaveGroups->setObjectName(QStringLiteral("cmdSaveGroups"));
    cmdSaveGroups->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(lblGroupBy);
    top->addWidget(cmbGroupBy);
    top->addStretch(1);
    top->addWidget(groupsProgress);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblNotDrawn, 1);
    bottom->addWidget(cmdSaveGroups);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(scroll, 3);
    layout->addWidget(grdGroups, 2);
    layout->addLayout(bottom);

    picGroups->setHoverText([this](double x, double yUp, double, double tolerance) {
        return hoverText(x, shown_ ? shown_->scale.height() - yUp : 0, tolerance);
    });
    connect(cmbGroupBy, &QComboBox::activated, this, &frmGroups::cmbGroupBy_Change);
    connect(cmdSaveGroups, &QPushButton::clicked, this, &frmGroups::cmdSaveGroups_Click);
    connect(&work_, &BackgroundWork::busyChanged, this, [this](bool busy) {
        if (busy) {
            busy_->begin();
        } else {
            busy_->end();
        }
    });
    connect(&work_, &BackgroundWork::stageChanged, this,
            [this](const QString& text) { busy_->setStage(text); });
    connect(&work_, &BackgroundWork::fractionChanged, this,
            [this](double done) { busy_->setFraction(done); });
    centreOnScreen(*this);
}

frmGroups::~frmGroups() {
    work_.stop();
}

const GroupsOutcome* frmGroups::outcome() const {
    return shown_ ? &shown_->outcome : nullptr;
}

const std::vector<GroupBox>& frmGroups::boxes() const {
    static const std::vector<GroupBox> none;
    return shown_ ? shown_->boxes : none;
}

void frmGroups::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fillFieldList();
}

void frmGroups::fillFieldList() {
    // The list offers the fields of the analysed table, afresh after every run.
    if (listedFor_ == results_->ValuesDigest && cmbGroupBy->count() > 0) {
        return;
    }
    listedFor_ = results_->ValuesDigest;
    cmbGroupBy->clear();
    const std::shared_ptr<const Table> table = tableSource_ ? tableSource_() : nullptr;
    if (table == nullptr ||
        QFileInfo(table->path()).absoluteFilePath().toStdString() != results_->TablePath) {
        return;
    }
    for (int field = 0; field < table->fieldCount(); ++field) {
        cmbGroupBy->addItem(table->fieldName(field));
    }
    cmbGroupBy->setCurrentIndex(-1);
}

void frmGroups::cmbGroupBy_Change(int index) {
    const std::shared_ptr<const Table> table = tableSource_ ? tableSource_() : nullptr;
    const AnalysisResults& r = *results_;
    if (index < 0 || table == nullptr ||
        QFileInfo(table->path()).absoluteFilePath().toStdString() != r.TablePath) {
        showError(QStringLiteral("The groups divide the last analysis of the table shown.\r\n"
                                 "Open the table, press Do It, then choose the field to group "
                                 "by."));
        return;
    }
    const int valueField = FieldIndex(*table, QString::fromStdString(r.FieldName));
    const std::uint64_t digest = r.ValuesDigest;
    const EmptyCells empty = r.SkipEmpty ? EmptyCells::LeaveOut : EmptyCells::Refuse;
    const QString tablePath = QString::fromStdString(r.TablePath);
    const QString fieldName = QString::fromStdString(r.FieldName);
    const QPointer<frmGroups> self(this);
    work_.stop();
    static_cast<void>(work_.start<std::shared_ptr<const Found>>(
        [table, valueField, index, digest, empty, fieldName](Progress& progress) {
            auto found = std::make_shared<Found>();
            found->table = table;
            progress.stage(QStringLiteral("Reading the values..."));
            FieldValues read = ReadFieldValues(
                *table, valueField, QLocale(),
                [&progress](double done) {
                    progress.fraction(done);
                    return !progress.stopRequested();
                },
                empty);
            if (read.stopped) {
                return std::shared_ptr<const Found>();
            }
            if (read.problem || ValuesDigest(read.values) != digest) {
                found->message =
                    QStringLiteral("The values of the field %1 have changed since the last "
                                   "analysis.\r\nPress Do It in the main window for this table "
                                   "and field first, then choose the field to group by.")
                        .arg(fieldName);
                return std::shared_ptr<const Found>(found);
            }
            found->outcome = AnalyseGroups(*table, index, read.values, read.leftOut, &progress);
            if (found->outcome.stopped) {
                return std::shared_ptr<const Found>();
            }
            GroupChartBoxes chart = GroupBoxesOf(found->outcome, kMostGroupBoxes);
            found->boxes = std::move(chart.boxes);
            found->boxGroup = std::move(chart.groups);
            found->scale = DrawGroupChart(found->drawing, found->boxes);
            return std::shared_ptr<const Found>(found);
        },
        [self](std::shared_ptr<const Found>& found) {
            if (self != nullptr && found != nullptr) {
                self->showFound(found);
            }
        },
        [self](const QString& message) {
            if (self != nullptr) {
                self->showError(message);
            }
        },
        this));
}

void frmGroups::showFound(std::shared_ptr<const Found> found) {
    if (!found->message.isEmpty()) {
        showError(found->message);
        return;
    }
    shown_ = std::move(found);
    const GroupsOutcome& outcome = shown_->outcome;
    picGroups->setTablePath(QString::fromStdString(results_->TablePath));
    picGroups->setUnitsDown(shown_->scale.height());
    picGroups->setMinimumHeight(kRowPixels * static_cast<int>(shown_->boxes.size()) + kAxisPixels);
    picGroups->setDrawing(shown_->drawing, QImage());
    const std::size_t notDrawn = outcome.groups.size() - shown_->boxes.size();
    lblNotDrawn->setText(
        notDrawn == 0 ? QStringLiteral("%1 groups.").arg(outcome.groups.size())
                      : QStringLiteral("%1 groups; the %2 with fewest records are not drawn.")
                            .arg(outcome.groups.size())
                            .arg(notDrawn));
    // The grid reads the groups as it shows them, so a field of a million groups lists at once.
    QAbstractItemModel* old = grdGroups->model();
    grdGroups->setModel(
        new GroupsModel(std::shared_ptr<const GroupsOutcome>(shown_, &shown_->outcome), grdGroups));
    delete old;
    const int charWidth = grdGroups->fontMetrics().averageCharWidth();
    for (int column = 0; column < GroupsModel::kColumns.size(); ++column) {
        grdGroups->setColumnWidth(
            column,
            charWidth *
                (std::max<int>(GroupsModel::kColumns[column].size(), column == 0 ? 16 : 17) + 2));
    }
    cmdSaveGroups->setEnabled(true);
    emit groupsShown();
}

QString frmGroups::hoverText(double x, double y, double tolerance) const {
    if (!shown_) {
        return {};
    }
    const std::optional<GroupTarget> target =
        GroupTargetAt(shown_->boxes, shown_->scale, x, y, tolerance);
    if (!target) {
        return {};
    }
    const GroupSummary& group = shown_->outcome.groups[shown_->boxGroup[target->row]];
    const QString name = GroupLabelText(group.text);
    static const char* const kNames[] = {nullptr,
                                         "Lowest value",
                                         "Highest value",
                                         "First quartile",
                                         "Median",
                                         "Third quartile",
                                         "Lower inner fence",
                                         "Upper inner fence",
                                         "Lower outer fence",
                                         "Upper outer fence"};
    if (target->kind == GroupTarget::Kind::Label) {
        return group.described ? QStringLiteral("%1: %2 records").arg(name).arg(group.records)
                               : QStringLiteral("%1: %2 records, too few to describe")
                                     .arg(name)
                                     .arg(group.records);
    }
    return QStringLiteral("%1: %2 = %3")
        .arg(name, QString::fromLatin1(kNames[static_cast<int>(target->kind)]),
             MessageNumberText(target->value));
}

void frmGroups::cmdSaveGroups_Click() {
    if (!shown_) {
        return;
    }
    const QString tablePath = QString::fromStdString(results_->TablePath);
    const std::optional<QString> path = dialogs_.saveFile(
        this, QStringLiteral("Save Groups As"), {QStringLiteral("CSV file (*.csv)")},
        QFileInfo(tablePath).dir().filePath(kGroupsFileName));
    if (!path) {
        return;
    }
    if (const std::optional<QString> refusal = SaveGroupsFile(shown_->outcome, tablePath, *path)) {
        showError(*refusal);
        return;
    }
    lblNotDrawn->setText(
        QStringLiteral("%1 has been written.").arg(QDir::toNativeSeparators(*path)));
}

void frmGroups::showError(const QString& message) {
    dialogs_.message(this, message, QStringLiteral("Error!"), MessageButtons::Ok,
                     MessageIcon::Critical);
}

} // namespace quarvel
