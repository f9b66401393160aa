#pragma once

#include <string>
#include <string_view>

namespace quarvel {

/**
 * The number as written into the program's CSV and join files: a period as the decimal
 * separator in every locale, no grouping or padding, a leading minus for negatives, and
 * the shortest text of at most 15 significant digits (12.5 gives "12.5", 1/3 gives
 * "0.333333333333333"). Magnitudes from 1e15 up and below 1e-4 use exponent form
 * ("1e+15", "2.5e-05"). Negative zero is written "0".
 */
std::string FileNumberText(double value);

/** Appends FileNumberText(value) to out, without a string of its own (for long files). */
void AppendFileNumberText(std::string& out, double value);

/** Room enough for any FileNumberText. */
inline constexpr int kFileNumberRoom = 32;

/** Writes FileNumberText(value) at out, which has kFileNumberRoom bytes; returns the end. */
char* WriteFileNumberText(char* out, double value);

/**
 * The number as the plot's value labels show it: at most 15 significant digits, no
 * trailing zeros, no zero before the decimal point below 1 in magnitude, a leading blank
 * for values that are not negative or "-" for negatives, and one trailing blank
 * (0.5 gives " .5 ", -2.5 gives "-2.5 ", 10 gives " 10 "). Very large and very small
 * magnitudes use exponent form ("1E+15 ").
 */
std::string LabelNumberText(double value);

/**
 * The number a text begins with, as the field-list preselection judges its cells: blanks,
 * tabs and line feeds are skipped wherever they stand, then an optional sign, digits, at
 * most one "." as the decimal point (whatever the locale) and an optional exponent
 * introduced by "E" or "D" are taken; "&H" and "&O" at the start read a hexadecimal or
 * octal integer. Reading stops at the first character that does not fit; a text without a
 * leading number gives 0 ("12 Main St" gives 12, "abc" gives 0).
 */
double NumericPrefixValue(std::string_view text);

} // namespace quarvel
