#include "JoinFile.h"

#include "Analysis.h"

#include "AnalysisFiles.h"
#include "FieldValues.h"
#include "GroupAnalysis.h"
#include "JoinRules.h"
#include "LocaleNumbers.h"
#include "SafeFile.h"

#include <QFileInfo>

#include <cstring>

namespace quarvel {

std::optional<QString> JoinRefusal(const Table* table, int valueField,
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
        table->recordCount() != results.ValueCount + results.LeftOutCount) {
        return QStringLiteral("The last analysis was not made on the table and field now shown "
                              "in the main window, so its quartiles do not fit these records.\r\n"
                              "Press Do It in the main window for this table and field first, "
                              "then write the join file.");
    }
    return std::nullopt;
}

JoinOutcome WriteJoinFile(const Table& table, int relateField, int valueField,
                          const AnalysisResults& results, const QString& path, Progress* progress,
                          const QLocale& locale, const GroupsOutcome* groups) {
    JoinOutcome outcome;
    if (const std::optional<QString> refusal = JoinRefusal(&table, valueField, results)) {
        outcome.message = *refusal;
        return outcome;
    }
    if (relateField < 0 || relateField >= table.fieldCount()) {
        outcome.message = QStringLiteral("A 'Relate' field must be chosen");
        return outcome;
    }
    if (const std::optional<QString> family = TableFamilyRefusal(table.path(), path)) {
        outcome.message = *family;
        return outcome;
    }
    if (groups != nullptr &&
        groups->groupOf.size() != static_cast<std::size_t>(table.recordCount())) {
        outcome.message = QStringLiteral("The groups were found in another table, so they do not "
                                         "fit these records.\r\nFind the groups of this table "
                                         "first, then write the join file.");
        return outcome;
    }
    SafeFile file(path);
    if (!file.open()) {
        outcome.message = CannotWriteMessage(path, file.error());
        return outcome;
    }
    // Names and texts go out as the table stores them, in its own code page. Lines are laid
    // out in a block, and the block goes to the file when it is full.
    std::string header;
    AppendJoinHeader(header, table.storedFieldName(relateField), table.storedFieldName(valueField));
    if (!file.append(header)) {
        outcome.message = CannotWriteMessage(path, file.error());
        return outcome;
    }
    constexpr std::size_t kBlockBytes = std::size_t(1) << 20;
    std::string block(kBlockBytes, '\0');
    std::size_t used = 0;
    const auto handOver = [&] {
        const bool ok = file.append(std::string_view(block.data(), used));
        used = 0;
        return ok;
    };
    const int count = results.ValueCount + results.LeftOutCount;
    std::string relateScratch;
    std::string valueScratch;
    std::uint64_t digest = 0;
    constexpr int kAhead = 32;
    for (int record = 0; record < count; ++record) {
        // The next records' cells are asked for early: two cells a record, far apart in a
        // large table, would each wait for memory otherwise.
        if (record + kAhead < count) {
            table.prefetch(record + kAhead, relateField);
            table.prefetch(record + kAhead, valueField);
        }
        const std::string_view relate = table.cellView(record, relateField, relateScratch);
        const std::string_view value = table.cellView(record, valueField, valueScratch);
        // The shown bytes are read once: as the file's text and, when plain, as the number;
        // anything else is read as the grid shows it, in the user's locale.
        std::optional<double> v = ParsePlainNumber(value);
        if (!v) {
            v = CellValue(table.cellText(record, valueField), locale);
        }
        // A record the run left out without a value has neither; its line says so.
        const bool noValue = !v && results.SkipEmpty && HasNoValue(table, record, valueField);
        if (!v && !noValue) {
            file.cancel();
            const CellProblem problem{record + 1, table.fieldName(valueField),
                                      table.cellText(record, valueField)};
            outcome.message = problem.describe() +
                              QStringLiteral(", so it has no rank.\r\nCorrect the table, analyze "
                                             "it again, then write the join file.");
            return outcome;
        }
        digest += noValue ? 0 : ValueDigestPart(*v);
        const std::size_t room = JoinLineRoom(relate.size(), value.size());
        if (used + room > block.size()) {
            if (!handOver()) {
                outcome.message = CannotWriteMessage(path, file.error());
                return outcome;
            }
            if (room > block.size()) {
                block.resize(room);
            }
            if (progress != nullptr) {
                progress->fraction(static_cast<double>(record) / count);
                if (progress->stopRequested()) {
                    file.cancel();
                    outcome.stopped = true;
                    return outcome;
                }
            }
        }
        char* const start = block.data() + used;
        char* end = nullptr;
        if (noValue) {
            end = WriteNoValueLine(start, record + 1, relate);
        } else if (groups == nullptr) {
            end = WriteJoinLine(start, record + 1, relate, value, JoinRank(*v, results),
                                JoinNote(*v, results));
        } else {
            // Ranked within the record's own group when that has the records to be described; a
            // record left out of the analysis has no group.
            const std::int32_t group = groups->groupOf[static_cast<std::size_t>(record)];
            const GroupSummary* summary =
                group < 0 ? nullptr : &groups->groups[static_cast<std::size_t>(group)];
            if (summary == nullptr) {
                end = WriteNoValueLine(start, record + 1, relate);
            } else if (!summary->described) {
                end = WriteUnrankedJoinLine(start, record + 1, relate, value, kTooFewInGroupNote);
            } else {
                end = WriteJoinLine(start, record + 1, relate, value,
                                    JoinRank(*v, summary->results), JoinNote(*v, summary->results));
            }
        }
        used += static_cast<std::size_t>(end - start);
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
    if (!handOver() || !file.commit()) {
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
    summary.SkipEmpty = results.SkipEmpty;
    summary.LeftOutCount = results.LeftOutCount;
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
