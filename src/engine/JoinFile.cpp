#include "JoinFile.h"

#include "AnalysisFiles.h"
#include "FieldValues.h"
#include "JoinRules.h"
#include "LocaleNumbers.h"
#include "SafeFile.h"

#include <QFileInfo>

#include <cstring>

namespace quarvel {

std::optional<QString> JoinRefusal(const DbfTable* table, int valueField,
                                   const AnalysisResults& results) {
    if (table == nullptr || valueField < 0) {
        return QStringLiteral("No field is selected in the main window.\r\nChoose the analyzed "
                              "field there and press Do It, then write the join file.");
    }
    const bool sameTable =
        results.TablePath == QFileInfo(table->path()).absoluteFilePath().toStdString();
    const bool sameField = valueField < table->fieldCount() &&
                           table->fieldName(valueField).toStdString() == results.FieldName;
    if (results.ValueCount < 1 || !sameTable || !sameField ||
        table->recordCount() != results.ValueCount) {
        return QStringLiteral("The last analysis was not made on the table and field now shown "
                              "in the main window, so its quartiles do not fit these records.\r\n"
                              "Press Do It in the main window for this table and field first, "
                              "then write the join file.");
    }
    return std::nullopt;
}

JoinOutcome WriteJoinFile(const DbfTable& table, int relateField, int valueField,
                          const AnalysisResults& results, const QString& path, Progress* progress,
                          const QLocale& locale) {
    JoinOutcome outcome;
    if (const std::optional<QString> refusal = JoinRefusal(&table, valueField, results)) {
        outcome.message = *refusal;
        return outcome;
    }
    if (relateField < 0 || relateField >= table.fieldCount()) {
        outcome.message = QStringLiteral("A 'Relate' field must be chosen");
        return outcome;
    }
    SafeFile file(path);
    if (!file.open()) {
        outcome.message = CannotWriteMessage(path, file.error());
        return outcome;
    }
    // Names and texts go out as the table stores them, in its own code page.
    std::string block;
    AppendJoinHeader(block, table.fieldLayout(relateField).name,
                     table.fieldLayout(valueField).name);
    const int count = results.ValueCount;
    const bool storedIsShown = table.fieldLayout(valueField).type != 'D';
    std::uint64_t digest = 0;
    constexpr std::size_t kBlockBytes = std::size_t(1) << 20;
    for (int record = 0; record < count; ++record) {
        const std::string relate = table.cellBytes(record, relateField);
        const std::string value = table.cellBytes(record, valueField);
        // The stored bytes are read once: as the file's text and, when plain, as the number.
        std::optional<double> v;
        if (storedIsShown) {
            v = ParsePlainNumber(value);
        }
        if (!v) {
            v = CellValue(table, record, valueField, locale);
        }
        if (!v) {
            file.cancel();
            const CellProblem problem{record + 1, table.fieldName(valueField),
                                      table.cellText(record, valueField)};
            outcome.message = problem.describe() +
                              QStringLiteral(", so it has no rank.\r\nCorrect the table, analyze "
                                             "it again, then write the join file.");
            return outcome;
        }
        digest += ValueDigestPart(*v);
        AppendJoinLine(block, record + 1, relate, value, JoinRank(*v, results),
                       JoinNote(*v, results));
        if (block.size() >= kBlockBytes) {
            if (!file.append(block)) {
                outcome.message = CannotWriteMessage(path, file.error());
                return outcome;
            }
            block.clear();
            if (progress != nullptr) {
                progress->fraction(static_cast<double>(record + 1) / count);
                if (progress->stopRequested()) {
                    file.cancel();
                    outcome.stopped = true;
                    return outcome;
                }
            }
        }
    }
    // The same file opened again may hold other values now: rank them only against
    // quartiles that were found from these very values.
    if (digest != results.ValuesDigest) {
        file.cancel();
        outcome.message =
            QStringLiteral("The values of the field %1 have changed since the last analysis, "
                           "so its quartiles do not fit them.\r\nPress Do It in the main window "
                           "for this table and field first, then write the join file.")
                .arg(table.fieldName(valueField));
        return outcome;
    }
    if (progress != nullptr && progress->stopRequested()) {
        file.cancel();
        outcome.stopped = true;
        return outcome;
    }
    if (!file.append(block) || !file.commit()) {
        outcome.message = CannotWriteMessage(path, file.error());
        return outcome;
    }
    if (progress != nullptr) {
        progress->fraction(1);
    }
    outcome.written = true;
    return outcome;
}

AnalysisResults JoinSummary(const AnalysisResults& results) {
    AnalysisResults summary;
    summary.FirstQuartile = results.FirstQuartile;
    summary.Median = results.Median;
    summary.ThirdQuartile = results.ThirdQuartile;
    summary.ValueCount = results.ValueCount;
    summary.LowerInnerFence = results.LowerInnerFence;
    summary.UpperInnerFence = results.UpperInnerFence;
    summary.LowerOuterFence = results.LowerOuterFence;
    summary.UpperOuterFence = results.UpperOuterFence;
    summary.ValuesDigest = results.ValuesDigest;
    summary.TablePath = results.TablePath;
    summary.FieldName = results.FieldName;
    return summary;
}

JoinCounts CountJoinClasses(const AnalysisResults& results) {
    JoinCounts counts;
    for (double v : results.SortedValues) {
        ++counts.ranks[JoinRank(v, results) - 1];
        const std::string_view note = JoinNote(v, results);
        for (int i = 0; i < 5; ++i) {
            if (note == kJoinNotes[i]) {
                ++counts.notes[i];
                break;
            }
        }
    }
    return counts;
}

} // namespace quarvel
