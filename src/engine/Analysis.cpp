#include "Analysis.h"

#include "AnalysisFiles.h"
#include "FieldValues.h"
#include "LocaleNumbers.h"
#include "LongSorts.h"
#include "NumberText.h"
#include "QuartileRule.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <new>

namespace quarvel {
namespace {

const QString kTryAnotherField = QStringLiteral("Choose a numeric field and try again.");
const QString kTryAnotherTable = QStringLiteral("Choose another table and try again.");

AnalysisOutcome refusal(const QString& message, const QString& statusText,
                        AnalysisOutcome::Status status = AnalysisOutcome::Status::Refused) {
    AnalysisOutcome outcome;
    outcome.status = status;
    outcome.message = message;
    outcome.statusText = statusText;
    return outcome;
}

AnalysisOutcome stopped() {
    return refusal(QString(), QStringLiteral("Stopped; nothing was changed."),
                   AnalysisOutcome::Status::Stopped);
}

// The intermediate files are removed by the analysis itself, so they need no safe
// replacement: a plain file written in blocks will do.
class PlainFile {
public:
    explicit PlainFile(const QString& path) : file_(path) {}
    bool open() {
        return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) ||
               failed();
    }
    bool append(std::string_view bytes) {
        buffer_.append(bytes);
        return buffer_.size() < (std::size_t(1) << 20) || write();
    }
    bool close() {
        const bool ok = write() && file_.flush() && file_.error() == QFileDevice::NoError;
        if (!ok) {
            failed();
        }
        file_.close();
        return ok;
    }
    /** The system's reason for the first failure (closing the file forgets it). */
    QString error() const { return error_; }

private:
    bool failed() {
        if (error_.isEmpty()) {
            error_ = file_.errorString();
        }
        return false;
    }
    bool write() {
        const auto size = static_cast<qint64>(buffer_.size());
        const bool ok = file_.write(buffer_.data(), size) == size;
        buffer_.clear();
        return ok || failed();
    }
    QFile file_;
    std::string buffer_;
    QString error_;
};

// Writes the two intermediate files and the pairs file in one pass over the values, each
// value formatted once: the pairs file holds exactly the texts the intermediate files hold.
bool writeValueFiles(const QDir& folder, const std::vector<double>& unsorted,
                     const std::vector<double>& sorted, Progress* progress, QString& message) {
    const QString unsortedPath = folder.filePath(kUnsortedFileName);
    const QString sortedPath = folder.filePath(kSortedFileName);
    const QString pairsPath = folder.filePath(kPairsFileName);
    QFile::remove(unsortedPath);
    QFile::remove(sortedPath);
    const auto removeIntermediates = [&] {
        QFile::remove(unsortedPath);
        QFile::remove(sortedPath);
    };

    PlainFile unsortedFile(unsortedPath);
    PlainFile sortedFile(sortedPath);
    SafeFile pairsFile(pairsPath);
    const auto fail = [&](const QString& path, const QString& reason) {
        pairsFile.cancel();
        removeIntermediates();
        message = CannotWriteMessage(path, reason);
        return false;
    };
    if (!unsortedFile.open()) {
        return fail(unsortedPath, unsortedFile.error());
    }
    if (!sortedFile.open()) {
        return fail(sortedPath, sortedFile.error());
    }
    if (!pairsFile.open()) {
        return fail(pairsPath, pairsFile.error());
    }
    std::string header("Unsorted,Sorted");
    header += kLineEnd;
    pairsFile.append(header);

    // Each file's lines are laid out in a block of its own and handed over a block at a time.
    constexpr std::size_t kBlockBytes = std::size_t(1) << 20;
    constexpr std::size_t kLineRoom = 2 * kFileNumberRoom + 4;
    std::string blocks[3];
    char* at[3];
    for (int i = 0; i < 3; ++i) {
        blocks[i].resize(kBlockBytes + kLineRoom);
        at[i] = blocks[i].data();
    }
    const auto handOver = [&](int i) {
        const std::string_view block(blocks[i].data(),
                                     static_cast<std::size_t>(at[i] - blocks[i].data()));
        at[i] = blocks[i].data();
        return i == 0   ? unsortedFile.append(block)
               : i == 1 ? sortedFile.append(block)
                        : pairsFile.append(block);
    };
    const QString* paths[3] = {&unsortedPath, &sortedPath, &pairsPath};
    const auto errorOf = [&](int i) {
        return i == 0 ? unsortedFile.error() : i == 1 ? sortedFile.error() : pairsFile.error();
    };
    const std::size_t count = sorted.size();
    constexpr std::size_t kReportEvery = std::size_t(1) << 16;
    for (std::size_t k = 0; k < count; ++k) {
        char* const u = at[0];
        char* const uEnd = WriteFileNumberText(u, unsorted[k]);
        char* const s = at[1];
        char* const sEnd = WriteFileNumberText(s, sorted[k]);
        char* pair = at[2];
        for (const char* c = u; c < uEnd; ++c) {
            *pair++ = *c;
        }
        *pair++ = ',';
        for (const char* c = s; c < sEnd; ++c) {
            *pair++ = *c;
        }
        at[0] = uEnd;
        at[1] = sEnd;
        at[2] = pair;
        for (int i = 0; i < 3; ++i) {
            *at[i]++ = '\r';
            *at[i]++ = '\n';
            if (static_cast<std::size_t>(at[i] - blocks[i].data()) >= kBlockBytes && !handOver(i)) {
                return fail(*paths[i], errorOf(i));
            }
        }
        if (progress != nullptr && (k + 1) % kReportEvery == 0) {
            progress->fraction(0.6 + 0.35 * static_cast<double>(k + 1) / count);
            if (progress->stopRequested()) {
                pairsFile.cancel();
                removeIntermediates();
                return false;
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (!handOver(i)) {
            return fail(*paths[i], errorOf(i));
        }
    }
    if (!unsortedFile.close()) {
        return fail(unsortedPath, unsortedFile.error());
    }
    if (!sortedFile.close()) {
        return fail(sortedPath, sortedFile.error());
    }
    if (progress != nullptr && progress->stopRequested()) {
        pairsFile.cancel();
        removeIntermediates();
        return false;
    }
    if (!pairsFile.commit()) {
        return fail(pairsPath, pairsFile.error());
    }
    removeIntermediates();
    return true;
}

} // namespace

QString NotEnoughMemoryMessage() {
    return QStringLiteral("There is not enough memory for this work.\r\nClose other programs or "
                          "choose a smaller table, then try again.");
}

AnalysisOutcome NoFieldRefusal() {
    return refusal(QStringLiteral("No field is selected.\r\nChoose the field to analyze in the "
                                  "list, then press Do It again."),
                   QStringLiteral("Choose a field and try again."));
}

AnalysisOutcome RunAnalysis(const Table& table, int field, const QString& folder,
                            Progress* progress, const QLocale& locale, EmptyCells empty) {
    const auto report = [progress](const QString& text, double done) {
        if (progress != nullptr) {
            progress->stage(text);
            progress->fraction(done);
        }
    };
    const auto stopRequested = [progress] {
        return progress != nullptr && progress->stopRequested();
    };
    const auto tooFew = [](int values) {
        return refusal(QStringLiteral("The median and quartiles need at least three records; "
                                      "this table has %1.\r\nChoose a table with more records.")
                           .arg(values),
                       kTryAnotherTable);
    };

    report(stage::kVerifying, 0);
    if (field < 0 || field >= table.fieldCount()) {
        return NoFieldRefusal();
    }
    const int count = table.recordCount();
    if (count < 1) {
        return refusal(QStringLiteral("The table has no records, so there is nothing to "
                                      "analyze.\r\nChoose another table."),
                       kTryAnotherTable);
    }
    // Records to be left out without a value are passed over.
    const int firstRecord = empty == EmptyCells::LeaveOut ? FirstRecordWithValue(table, field) : 0;
    if (firstRecord == count) {
        return tooFew(0);
    }
    const QString first = table.cellText(firstRecord, field);
    if (first.isEmpty() || first.front() < QLatin1Char('0') || first.front() > QLatin1Char('9')) {
        return refusal(QStringLiteral("This field is not numeric"), kTryAnotherField);
    }
    if (count < 3) {
        return tooFew(count);
    }
    if (stopRequested()) {
        return stopped();
    }

    // A table named like one of the files the analysis writes would be written over.
    const QString tableFile = QFileInfo(table.path()).absoluteFilePath();
    for (const QString& name : {kUnsortedFileName, kSortedFileName, kPairsFileName}) {
        if (QFileInfo(QDir(folder).filePath(name)).absoluteFilePath() == tableFile) {
            return refusal(QStringLiteral("The table is named \"%1\", a file the analysis "
                                          "writes, so it would be written over.\r\nRename the "
                                          "table (and the files that belong with it), then "
                                          "open it again.")
                               .arg(name),
                           kTryAnotherTable);
        }
    }
    report(stage::kLoading, 0.05);
    FieldValues read = ReadFieldValues(
        table, field, locale,
        [progress](double done) {
            if (progress != nullptr) {
                progress->fraction(0.05 + 0.35 * done);
            }
            return progress == nullptr || !progress->stopRequested();
        },
        empty);
    if (read.stopped) {
        return stopped();
    }
    if (read.problem) {
        return refusal(read.problem->describe() +
                           QStringLiteral(".\r\nCorrect the table or choose another field."),
                       kTryAnotherField);
    }
    if (read.values.size() < 3) {
        return tooFew(static_cast<int>(read.values.size()));
    }
    if (stopRequested()) {
        return stopped();
    }

    report(stage::kSorting, 0.4);
    std::vector<double> sorted = read.values;
    if (!SortDoubles(sorted, stopRequested) || stopRequested()) {
        return stopped();
    }
    report(stage::kSortComplete, 0.6);
    const QDir dir(folder);
    QString message;
    bool written = false;
    try {
        written = writeValueFiles(dir, read.values, sorted, progress, message);
    } catch (const std::bad_alloc&) {
        // The pairs file's temporary goes with its writer; the plain ones are removed here.
        QFile::remove(dir.filePath(kUnsortedFileName));
        QFile::remove(dir.filePath(kSortedFileName));
        message = NotEnoughMemoryMessage();
    }
    if (!written) {
        if (message.isEmpty()) {
            return stopped();
        }
        return refusal(message, QStringLiteral("Nothing was changed."),
                       AnalysisOutcome::Status::Failed);
    }

    report(stage::kFinding, 0.95);
    AnalysisOutcome outcome;
    outcome.status = AnalysisOutcome::Status::Completed;
    AnalysisResults& results = outcome.results;
    results.ValueCount = static_cast<int>(sorted.size());
    results.SkipEmpty = empty == EmptyCells::LeaveOut;
    results.LeftOutCount = read.leftOutCount;
    outcome.leftOut = std::move(read.leftOut);
    results.ValuesDigest = ValuesDigest(sorted);
    results.SortedValues = std::move(sorted);
    ApplyQuartileRule(results);
    results.TablePath = QFileInfo(table.path()).absoluteFilePath().toStdString();
    results.FieldName = table.fieldName(field).toStdString();
    outcome.pairsFile = dir.filePath(kPairsFileName);
    outcome.tableValues = std::move(read.values);
    if (progress != nullptr) {
        progress->fraction(1);
    }
    return outcome;
}

QString ResultMessage(const AnalysisResults& results, const QLocale& locale) {
    QString message = QStringLiteral("Calculations complete: \r\n"
                                     "    1st Quartile = %1\r\n"
                                     "    Median       = %2\r\n"
                                     "    3rd Quartile = %3")
                          .arg(MessageNumberText(results.FirstQuartile, locale),
                               MessageNumberText(results.Median, locale),
                               MessageNumberText(results.ThirdQuartile, locale));
    if (results.LeftOutCount > 0) {
        message += QStringLiteral("\r\n%1 records without a value were left out.")
                       .arg(results.LeftOutCount);
    }
    return message;
}

std::optional<QString> TableFamilyRefusal(const QString& tablePath, const QString& path) {
    static const QStringList kFamily = {
        QStringLiteral("dbf"), QStringLiteral("shp"), QStringLiteral("shx"), QStringLiteral("prj"),
        QStringLiteral("cpg"), QStringLiteral("dbt"), QStringLiteral("sbn"), QStringLiteral("sbx"),
        QStringLiteral("qix"), QStringLiteral("xml")};
    const QFileInfo table(tablePath);
    const QFileInfo file(path);
    // The folders compared as the system sees them, so that links and ".." do not hide one.
    const auto folderOf = [](const QFileInfo& info) {
        const QString canonical = QFileInfo(info.absolutePath()).canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absolutePath()) : canonical;
    };
    const bool sameTable =
        !tablePath.isEmpty() && folderOf(table) == folderOf(file) &&
        file.completeBaseName().compare(table.completeBaseName(), Qt::CaseInsensitive) == 0 &&
        kFamily.contains(file.suffix().toLower());
    if (!sameTable) {
        return std::nullopt;
    }
    return QStringLiteral("The name \"%1\" is the table being analyzed, or a file that belongs "
                          "with it in the GIS (%2 with another extension), so it is not "
                          "replaced.\r\nChoose another name.")
        .arg(file.fileName(), table.completeBaseName());
}

QString OutputPath(const QString& folder, const QString& name) {
    return QDir(folder).filePath(name);
}

bool WriteResultsFile(const AnalysisResults& results, const QString& path, QString& error) {
    return SaveWholeFile(path, ResultsFileText(results), error);
}

QString OpenFailureMessage() {
    return QStringLiteral("A connection could not be made to the database record source.");
}

std::optional<QString> SaveResultsFile(const AnalysisResults& results, const QString& path) {
    if (std::optional<QString> family =
            TableFamilyRefusal(QString::fromStdString(results.TablePath), path)) {
        return family;
    }
    QString error;
    if (!WriteResultsFile(results, path, error)) {
        return CannotWriteMessage(path, error);
    }
    return std::nullopt;
}

} // namespace quarvel
