#include "FieldValues.h"

#include "AnalysisFiles.h"
#include "LocaleNumbers.h"
#include "LongSorts.h"
#include "NumberText.h"

#include <cstring>

namespace quarvel {

QString CellProblem::describe() const {
    const QString what =
        tooLarge ? QStringLiteral("holds %1, a whole number too large to be held exactly "
                                  "(beyond 2^53 in magnitude)")
                       .arg(text)
        : text.trimmed().isEmpty()
            ? QStringLiteral("is empty")
            : QStringLiteral("holds \"%1\", which is not a number").arg(text);
    return QStringLiteral("Record %1 of the field %2 %3").arg(record).arg(field, what);
}

bool HasNoValue(const Table& table, int record, int field) {
    return table.cellText(record, field).trimmed().isEmpty();
}

int FirstRecordWithValue(const Table& table, int field) {
    int record = 0;
    while (record < table.recordCount() && HasNoValue(table, record, field)) {
        ++record;
    }
    return record;
}

FieldValues ReadFieldValues(const Table& table, int field, const QLocale& locale,
                            const std::function<bool(double)>& onFraction, EmptyCells empty) {
    FieldValues read;
    const int count = table.recordCount();
    read.values.resize(static_cast<std::size_t>(count));
    std::size_t kept = 0;
    // A number held as stored is taken as it is; any other cell takes the grid's text.
    constexpr int kReportEvery = 1 << 16;
    constexpr int kAhead = 32;
    for (int record = 0; record < count; ++record) {
        // A later record's cell is asked for early, so that it is in the cache when needed.
        if (record + kAhead < count) {
            table.prefetch(record + kAhead, field);
        }
        std::optional<double> value = table.storedNumber(record, field);
        // A whole number no double holds exactly is refused rather than rounded.
        const bool tooLarge = !value && table.numberTooLarge(record, field);
        if (!value && !tooLarge) {
            value = CellValue(table, record, field, locale);
        }
        if (!value && !tooLarge && empty == EmptyCells::LeaveOut &&
            HasNoValue(table, record, field)) {
            // Only a record without a value gets here, so the mask costs the others nothing.
            if (read.leftOut.empty()) {
                read.leftOut.resize(static_cast<std::size_t>(count));
            }
            read.leftOut[static_cast<std::size_t>(record)] = 1;
            ++read.leftOutCount;
        } else if (!value) {
            read.values.clear();
            read.leftOut.clear();
            read.leftOutCount = 0;
            read.problem = CellProblem{record + 1, table.fieldName(field),
                                       table.cellText(record, field), tooLarge};
            return read;
        } else {
            read.values[kept++] = *value;
        }
        if (onFraction && (record + 1) % kReportEvery == 0 &&
            !onFraction(static_cast<double>(record + 1) / count)) {
            read.values.clear();
            read.leftOut.clear();
            read.leftOutCount = 0;
            read.stopped = true;
            return read;
        }
    }
    read.values.resize(kept);
    return read;
}

std::vector<std::uint32_t> RecordsInSortedOrder(const Table& table, int field,
                                                const std::vector<double>& sorted,
                                                const QLocale& locale,
                                                const std::function<bool(double)>& onFraction,
                                                EmptyCells empty) {
    const auto going = [&onFraction](double done) { return !onFraction || onFraction(done); };
    const FieldValues read = ReadFieldValues(
        table, field, locale, [&going](double done) { return going(0.4 * done); }, empty);
    if (read.stopped || read.problem || read.values.size() != sorted.size()) {
        return {};
    }
    std::optional<std::vector<std::uint32_t>> records =
        RecordsInValueOrder(read.values, [&going] { return !going(0.5); });
    if (!records) {
        return {};
    }
    for (std::size_t i = 0; i < records->size(); ++i) {
        if (!(read.values[(*records)[i]] == sorted[i])) {
            return {}; // not the values analysed
        }
    }
    if (!read.leftOut.empty()) {
        // The places found are among the values read; the records left out lie between them.
        std::vector<std::uint32_t> recordOf;
        recordOf.reserve(read.values.size());
        for (std::size_t record = 0; record < read.leftOut.size(); ++record) {
            if (read.leftOut[record] == 0) {
                recordOf.push_back(static_cast<std::uint32_t>(record));
            }
        }
        for (std::uint32_t& place : *records) {
            place = recordOf[place];
        }
    }
    return going(1) ? std::move(*records) : std::vector<std::uint32_t>{};
}

int PreselectedField(const Table& table) {
    for (int field = 0; field < table.fieldCount(); ++field) {
        const QString text =
            table.recordCount() > 0 ? table.cellText(0, field) : table.fieldName(field);
        if (NumericPrefixValue(text.toStdString()) != 0 || text == QLatin1String("0")) {
            return field;
        }
    }
    return -1;
}

int FieldIndex(const Table& table, const QString& name) {
    for (int field = 0; field < table.fieldCount(); ++field) {
        if (table.fieldName(field) == name) {
            return field;
        }
    }
    for (int field = 0; field < table.fieldCount(); ++field) {
        if (table.fieldName(field).compare(name, Qt::CaseInsensitive) == 0) {
            return field;
        }
    }
    return -1;
}

std::uint64_t ValueDigestPart(double value) {
    const double v = value == 0 ? 0.0 : value;
    std::uint64_t x = 0;
    std::memcpy(&x, &v, sizeof x);
    // SplitMix64's finaliser: every bit of the value moves every bit of the result.
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

std::uint64_t ValuesDigest(std::span<const double> values) {
    std::uint64_t sum = 0;
    for (double v : values) {
        sum += ValueDigestPart(v);
    }
    return sum;
}

} // namespace quarvel
