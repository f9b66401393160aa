#include "AnalysisRun.h"

#include "AnalysisFiles.h"
#include "LocaleNumbers.h"
#include "LongSorts.h"
#include "QuartileRule.h"
#include "WholeFile.h"
#include "frmQuarvel.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace quarvel {
namespace {

const QString kUnsortedFile = QStringLiteral("Unsorted.tmp");
const QString kSortedFile = QStringLiteral("Sorted.tmp");
const QString kPairsFile = QStringLiteral("Unsorted-Sorted.csv");
const QString kTryAnotherField = QStringLiteral("Choose a numeric field and try again.");

// The intermediate files are deleted by the run itself, so they need no safe replacement
// (nor its wait for the disk): a plain write will do.
bool writeIntermediate(const QString& name, const std::string& content, QString& error) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = file.errorString();
        return false;
    }
    const auto size = static_cast<qint64>(content.size());
    if (file.write(content.data(), size) != size || !file.flush()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

AnalysisRun::AnalysisRun(frmQuarvel& window, AnalysisResults& results, Dialogs& dialogs)
    : window_(window), results_(results), dialogs_(dialogs) {}

void AnalysisRun::status(const QString& text) {
    window_.setStatusText(text);
}

void AnalysisRun::refuse(const QString& text, const QString& statusText) {
    dialogs_.message(&window_, text, QStringLiteral("Error!"), MessageButtons::Ok,
                     MessageIcon::Critical);
    status(statusText);
}

void AnalysisRun::run() {
    status(QStringLiteral("Verifying data..."));

    const int position = window_.cmbFieldList->currentIndex();
    if (position < 0 || window_.gridModel() == nullptr) {
        refuse(QStringLiteral("No field is selected.\r\nChoose the field to analyze in the list, "
                              "then press Do It again."),
               QStringLiteral("Choose a field and try again."));
        return;
    }
    window_.FieldColumn = position + 1;
    const int count = window_.gridRowCount() - 1;
    if (count < 1) {
        refuse(QStringLiteral("The table has no records, so there is nothing to analyze.\r\n"
                              "Choose another table."),
               QStringLiteral("Choose another table and try again."));
        return;
    }
    const QString first = window_.gridText(1, window_.FieldColumn);
    if (first.isEmpty() || first.front() < QLatin1Char('0') || first.front() > QLatin1Char('9')) {
        refuse(QStringLiteral("This field is not numeric"), kTryAnotherField);
        return;
    }
    if (count < 3) {
        refuse(QStringLiteral("The median and quartiles need at least three records; this table "
                              "has %1.\r\nChoose a table with more records.")
                   .arg(count),
               QStringLiteral("Choose another table and try again."));
        return;
    }

    // Files go beside the table analysed, whatever the process's current folder.
    folder_ = QFileInfo(window_.gridModel()->table().path()).absoluteDir();
    status(QStringLiteral("Loading data for processing...please wait."));
    std::vector<double> unsorted;
    if (!readValues(window_.FieldColumn - 1, unsorted)) {
        return;
    }

    status(QStringLiteral("Sorting..."));
    std::vector<double> sorted = unsorted;
    SortDoubles(sorted);
    status(QStringLiteral("Sort complete..."));
    if (!writeFiles(unsorted, sorted)) {
        return;
    }

    status(QStringLiteral("Finding Median and Quartiles..."));
    AnalysisResults fresh;
    fresh.ValueCount = count;
    fresh.SortedValues = std::move(sorted);
    ApplyQuartileRule(fresh);
    const DbfTable& table = window_.gridModel()->table();
    fresh.TablePath = QFileInfo(table.path()).absoluteFilePath().toStdString();
    fresh.FieldName = table.fieldName(window_.FieldColumn - 1).toStdString();
    results_ = std::move(fresh);

    offerToSave();

    window_.mnuFileCreateJoin->setEnabled(true);
    window_.mnuViewQuarvel->setEnabled(true);
    status(QStringLiteral("Calculations complete."));
}

bool AnalysisRun::readValues(int field, std::vector<double>& values) {
    const DbfTable& table = window_.gridModel()->table();
    const QLocale locale;
    const int count = table.recordCount();
    values.resize(static_cast<std::size_t>(count));
    for (int record = 0; record < count; ++record) {
        const std::optional<double> value = CellValue(table, record, field, locale);
        if (!value) {
            const QString text = table.cellText(record, field);
            const QString what =
                text.trimmed().isEmpty()
                    ? QStringLiteral("is empty")
                    : QStringLiteral("holds \"%1\", which is not a number").arg(text);
            refuse(QStringLiteral("Record %1 of the field %2 %3.\r\nCorrect the table or choose "
                                  "another field.")
                       .arg(record + 1)
                       .arg(table.fieldName(field), what),
                   kTryAnotherField);
            return false;
        }
        values[static_cast<std::size_t>(record)] = *value;
    }
    return true;
}

bool AnalysisRun::writeFiles(const std::vector<double>& unsorted,
                             const std::vector<double>& sorted) {
    const QString unsortedFile = folder_.filePath(kUnsortedFile);
    const QString sortedFile = folder_.filePath(kSortedFile);
    const QString pairsFile = folder_.filePath(kPairsFile);
    const auto removeIntermediates = [&] {
        QFile::remove(unsortedFile);
        QFile::remove(sortedFile);
    };
    const auto fail = [&](const QString& name, const QString& reason) {
        removeIntermediates();
        refuse(CannotWriteMessage(name, reason), QStringLiteral("Nothing was changed."));
        return false;
    };

    // The intermediate files: the values in table order and in ascending order, written
    // in file form and read back, so that the two columns hold the numbers as written.
    QString error;
    removeIntermediates();
    if (!writeIntermediate(unsortedFile, IntermediateFileText(unsorted), error)) {
        return fail(unsortedFile, error);
    }
    if (!writeIntermediate(sortedFile, IntermediateFileText(sorted), error)) {
        return fail(sortedFile, error);
    }
    QByteArray written[2];
    for (int i = 0; i < 2; ++i) {
        const QString& name = i == 0 ? unsortedFile : sortedFile;
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(name, file.errorString());
        }
        written[i] = file.readAll();
    }
    std::string pairs;
    std::string problem;
    const auto view = [](const QByteArray& bytes) {
        return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    };
    if (!PairsFileFromIntermediates(view(written[0]), view(written[1]), pairs, problem) ||
        std::count(pairs.begin(), pairs.end(), '\n') != static_cast<long>(sorted.size()) + 1) {
        return fail(sortedFile, problem.empty() ? QStringLiteral("it did not read back whole")
                                                : QString::fromStdString(problem));
    }
    if (!SaveWholeFile(pairsFile, pairs, error)) {
        return fail(pairsFile, error);
    }
    removeIntermediates();
    return true;
}

void AnalysisRun::offerToSave() {
    const QLocale locale;
    const QString text = QStringLiteral("Calculations complete: \r\n"
                                        "    1st Quartile = %1\r\n"
                                        "    Median       = %2\r\n"
                                        "    3rd Quartile = %3")
                             .arg(MessageNumberText(results_.FirstQuartile, locale),
                                  MessageNumberText(results_.Median, locale),
                                  MessageNumberText(results_.ThirdQuartile, locale));
    window_.SaveAnswer =
        dialogs_.message(&window_, text, QStringLiteral("Save this information to disk?"),
                         MessageButtons::YesNo, MessageIcon::Information) == MessageAnswer::Yes;
    if (!window_.SaveAnswer) {
        return;
    }
    window_.ResultFileName = dialogs_.input(
        &window_,
        QStringLiteral("Enter a name for this file (note: it will be saved to the same folder as "
                       "the input database attribute table)."),
        QStringLiteral("Question"), QStringLiteral("Median.csv"));
    if (window_.ResultFileName.isEmpty()) {
        return;
    }
    // A bare name lands beside the table; a name with a folder goes where it says.
    const QString resultsFile = folder_.filePath(window_.ResultFileName);
    QString error;
    if (!SaveWholeFile(resultsFile, ResultsFileText(results_), error)) {
        dialogs_.message(&window_, CannotWriteMessage(resultsFile, error), QStringLiteral("Error!"),
                         MessageButtons::Ok, MessageIcon::Critical);
        return;
    }
    status(QStringLiteral(" ") + window_.ResultFileName + QStringLiteral(" has been written to ") +
           QDir::toNativeSeparators(folder_.absolutePath() + QLatin1Char('/')) +
           QStringLiteral("."));
}

} // namespace quarvel
