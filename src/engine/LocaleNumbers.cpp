#include "LocaleNumbers.h"

#include "AnalysisFiles.h"

#include <cmath>

namespace quarvel {

std::optional<double> CellValue(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    if (const std::optional<double> plain = ParsePlainNumber(trimmed.toStdString())) {
        return plain;
    }
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> CellValue(const DbfTable& table, int record, int field,
                                const QLocale& locale) {
    // Numbers are stored as plain ASCII; only texts that are not get the slower path.
    if (const std::optional<double> plain = ParsePlainNumber(table.cellBytes(record, field))) {
        return plain;
    }
    return CellValue(table.cellText(record, field), locale);
}

QString MessageNumberText(double value, const QLocale& locale) {
    QLocale plain(locale);
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

} // namespace quarvel
