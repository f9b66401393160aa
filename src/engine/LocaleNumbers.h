#pragma once

#include "Table.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace quarvel {

/**
 * The number a grid cell holds. Blanks around it are ignored; the text is read with a
 * period as the decimal separator, as dBASE stores numbers, and failing that in the
 * user's locale (its decimal separator and grouping). The result must be finite; anything
 * else, the empty text included, does not convert.
 */
std::optional<double> CellValue(const QString& text, const QLocale& locale = QLocale());

/** The same for a cell of a table, reading its stored bytes directly when they are plain. */
std::optional<double> CellValue(const Table& table, int record, int field,
                                const QLocale& locale = QLocale());

/**
 * A number for a message: 15 significant digits laid out as in the files (a plain minus,
 * "e+20" for exponents), with the locale's decimal separator and no grouping.
 */
QString MessageNumberText(double value, const QLocale& locale = QLocale());

} // namespace quarvel
