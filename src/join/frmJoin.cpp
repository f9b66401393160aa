#include "frmJoin.h"

#include "AnalysisFiles.h"
#include "DbfTableModel.h"
#include "JoinRules.h"
#include "LocaleNumbers.h"
#include "RankPicture.h"
#include "Twips.h"
#include "WholeFile.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <vector>

namespace quarvel {
namespace {

// A wrapped label whose text does not fit its height gets a slightly smaller font.
void fitWrapped(QLabel* label) {
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font = label->font();
    while (
        QFontMetrics(font)
                .boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, label->text())
                .height() > label->height() &&
        font.pointSizeF() > 6.5) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    label->setFont(font);
}

} // namespace

frmJoin::frmJoin(const AnalysisResults& results, JoinHost& host, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), results_(results), host_(host), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmJoin"));
    setWindowTitle(QStringLiteral("Create Join-able file"));
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSizeF(8.25);
    setFont(dialogFont);
    resize(twipsRect(0, 0, 4080, 5940).size());

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
    cmdDotIt = placed<QPushButton>(this, "cmdDotIt", twipsRect(120, 5400, 1935, 375));
    cmdDotIt->setText(QStringLiteral("&Do It"));
    cmdCancel = placed<QPushButton>(this, "cmdCancel", twipsRect(2160, 5400, 1815, 375));
    cmdCancel->setText(QStringLiteral("&Cancel"));
    for (QLabel* label : {Label1, Label2, Label3}) {
        fitWrapped(label);
    }

    setTabOrder(cmbJoinList, cmdDotIt);
    setTabOrder(cmdDotIt, cmdCancel);
    connect(cmdDotIt, &QPushButton::clicked, this, &frmJoin::cmdDotIt_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmJoin::cmdCancel_Click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, cmdCancel, &QPushButton::click);

    Form_Load();
}

void frmJoin::Form_Load() {
    // The relate list holds the grid's field names as they are now; nothing is selected.
    cmbJoinList->clear();
    if (const DbfTableModel* model = host_.gridModel()) {
        for (int column = 1; column < model->gridColumnCount(); ++column) {
            cmbJoinList->insertItem(column - 1, model->gridText(0, column));
        }
    }
    cmbJoinList->setCurrentIndex(-1);
}

void frmJoin::cmdCancel_Click() {
    close();
}

void frmJoin::error(const QString& text) {
    dialogs_.message(this, text, QStringLiteral("Error!"), MessageButtons::Ok,
                     MessageIcon::Critical);
}

bool frmJoin::resultsMatchTheGrid(int valueField) {
    const DbfTableModel* model = host_.gridModel();
    if (valueField < 0 || model == nullptr) {
        error(QStringLiteral("No field is selected in the main window.\r\nChoose the analyzed "
                             "field there and press Do It, then write the join file."));
        return false;
    }
    const DbfTable& table = model->table();
    const bool sameTable =
        results_.TablePath == QFileInfo(table.path()).absoluteFilePath().toStdString();
    const bool sameField = valueField < table.fieldCount() &&
                           table.fieldName(valueField).toStdString() == results_.FieldName;
    if (results_.ValueCount < 1 || !sameTable || !sameField ||
        table.recordCount() != results_.ValueCount) {
        error(QStringLiteral("The last analysis was not made on the table and field now shown "
                             "in the main window, so its quartiles do not fit these records.\r\n"
                             "Press Do It in the main window for this table and field first, "
                             "then write the join file."));
        return false;
    }
    return true;
}

bool frmJoin::buildFile(const DbfTable& table, int relateField, int valueField,
                        std::string& content) {
    const int count = results_.ValueCount;
    content.clear();
    content.reserve(static_cast<std::size_t>(count) * 64);
    // Names and texts go out as the table stores them, in its own code page.
    AppendJoinHeader(content, table.fieldLayout(relateField).name,
                     table.fieldLayout(valueField).name);
    const QLocale locale;
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int record = 0; record < count; ++record) {
        const std::string relate = table.cellBytes(record, relateField);
        const std::string value = table.cellBytes(record, valueField);
        // The stored bytes are read once: as the file's text and, when plain, as the number.
        std::optional<double> v = ParsePlainNumber(value);
        if (!v) {
            v = CellValue(table.cellText(record, valueField), locale);
        }
        if (!v) {
            const QString shown = table.cellText(record, valueField);
            error(QStringLiteral("Record %1 of the field %2 %3, so it has no rank.\r\nCorrect the "
                                 "table, analyze it again, then write the join file.")
                      .arg(record + 1)
                      .arg(table.fieldName(valueField),
                           shown.trimmed().isEmpty()
                               ? QStringLiteral("is empty")
                               : QStringLiteral("holds \"%1\", which is not a number").arg(shown)));
            return false;
        }
        AppendJoinLine(content, record + 1, relate, value, JoinRank(*v, results_),
                       JoinNote(*v, results_));
        values.push_back(*v);
    }
    // The same file opened again may hold other values now: rank them only against
    // quartiles that were found from these very values.
    std::sort(values.begin(), values.end());
    if (values != results_.SortedValues) {
        error(QStringLiteral("The values of the field %1 have changed since the last analysis, "
                             "so its quartiles do not fit them.\r\nPress Do It in the main window "
                             "for this table and field first, then write the join file.")
                  .arg(table.fieldName(valueField)));
        return false;
    }
    return true;
}

void frmJoin::cmdDotIt_Click() {
    const int relate = cmbJoinList->currentIndex();
    if (relate < 0) {
        error(QStringLiteral("A 'Relate' field must be chosen"));
        return;
    }
    const int valueField = host_.analysedFieldPosition();
    if (!resultsMatchTheGrid(valueField)) {
        return;
    }
    const DbfTable& table = host_.gridModel()->table();
    if (relate >= table.fieldCount() || table.fieldName(relate) != cmbJoinList->currentText()) {
        error(QStringLiteral("The field \"%1\" is not in the table now shown.\r\nClose this window "
                             "and open it again to choose from the current fields.")
                  .arg(cmbJoinList->currentText()));
        return;
    }

    const QString name = dialogs_.input(
        this,
        QStringLiteral("Enter a name for this file (note: it will be saved to the same folder as "
                       "the input database attribute table)."),
        QStringLiteral("Question"), QStringLiteral("Join.txt"));
    if (name.isEmpty()) {
        return;
    }
    host_.setStatusText(QStringLiteral("Writing Join file (") + name + QStringLiteral(")."));

    std::string content;
    if (!buildFile(table, relate, valueField, content)) {
        host_.setStatusText(QStringLiteral("The join file was not written."));
        return;
    }
    // A bare name lands beside the table; a name with a folder goes where it says.
    const QString path = QFileInfo(table.path()).absoluteDir().filePath(name);
    QString problem;
    if (!SaveWholeFile(path, content, problem)) {
        error(CannotWriteMessage(path, problem));
        host_.setStatusText(QStringLiteral("The join file was not written."));
        return;
    }
    dialogs_.message(
        this,
        QStringLiteral("Join file written.  Please refer to help for file structure information."),
        QStringLiteral("File done."), MessageButtons::Ok, MessageIcon::Information);
}

} // namespace quarvel
