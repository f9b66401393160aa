#include "RecordClasses.h"

#include "FieldValues.h"
#include "JoinFile.h"
#include "JoinRules.h"
#include "LocaleNumbers.h"

namespace quarvel {

const char* RecordClass::noteText() const {
    // The view is of a string literal, so its text ends in a NUL as kJoinNotes' do.
    return hasValue() ? kJoinNotes[note] : kNoValueNote.data();
}

std::optional<QString> ClassifyRecords(const Table& table, int field,
                                       const AnalysisResults& results, const QLocale& locale,
                                       Progress* progress, std::vector<RecordClass>& classes,
                                       const QString& purpose) {
    const int count = results.ValueCount + results.LeftOutCount;
    classes.assign(static_cast<std::size_t>(count), RecordClass());
    std::uint64_t digest = 0;
    for (int record = 0; record < count; ++record) {
        if (progress != nullptr && record % 65536 == 0) {
            if (progress->stopRequested()) {
                return QString();
            }
            progress->fraction(static_cast<double>(record) / count);
        }
        const std::optional<double> v = CellValue(table, record, field, locale);
        RecordClass& rankAndNote = classes[static_cast<std::size_t>(record)];
        if (!v && results.SkipEmpty && HasNoValue(table, record, field)) {
            rankAndNote.note = RecordClass::kNoValue;
            continue;
        }
        if (!v) {
            const CellProblem problem{record + 1, table.fieldName(field),
                                      table.cellText(record, field)};
            return problem.describe() +
                   QStringLiteral(", so it has no rank.\r\nCorrect the table, analyze it again, "
                                  "then %1.")
                       .arg(purpose);
        }
        digest += ValueDigestPart(*v);
        rankAndNote.rank = static_cast<std::uint8_t>(JoinRank(*v, results));
        const std::string_view note = JoinNote(*v, results);
        while (rankAndNote.note < 4 && note != kJoinNotes[rankAndNote.note]) {
            ++rankAndNote.note;
        }
    }
    if (digest != results.ValuesDigest) {
        return QStringLiteral("The values of the field %1 have changed since the last analysis, "
                              "so its quartiles do not fit them.\r\nPress Do It in the main "
                              "window for this table and field first, then %2.")
            .arg(table.fieldName(field), purpose);
    }
    return std::nullopt;
}

} // namespace quarvel
