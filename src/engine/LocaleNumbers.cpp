#include "LocaleNumbers.h"

#include "AnalysisFiles.h"

#include <charconv>
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

std::optional<double> CellValue(const Table& table, int record, int field, const QLocale& locale) {
    // Numbers are stored as plain ASCII; only texts that are not get the slower path.
    std::string scratch;
    if (const std::optional<double> plain =
            ParsePlainNumber(table.cellView(record, field, scratch))) {
        return plain;
    }
    return CellValue(table.cellText(record, field), locale);
}

QString MessageNumberText(double value, const QLocale& locale) {
    // The digits and layout of the file form at 15 significant digits, with the user's
    // decimal separator: the plain minus sign and "e+20" in every locale, where some
    // locales' own forms would write a typographic minus or "x10^".
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
    QString text = QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer));
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

} // namespace quarvel
