#pragma once

#include "AnalysisResults.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

/** Lines end with carriage return and line feed in every file the program writes. */
inline constexpr std::string_view kLineEnd = "\r\n";

/**
 * A number as written in a file or a table: blanks around it, an optional sign, digits with
 * a period as the decimal separator and an optional exponent; the whole text must be the
 * number, and it must be finite. Nothing for anything else.
 */
std::optional<double> ParsePlainNumber(std::string_view text);

/** An intermediate file: one number per line in file form (15 significant digits). */
std::string IntermediateFileText(std::span<const double> values);

/**
 * "Unsorted,Sorted", then one line per value: the k-th number of the unsorted intermediate
 * file beside the k-th number of the sorted one. Every line must be a number and both files must
 * end together; false, with the reason in error, otherwise. A number read back from a file-form
 * text writes as that same text, so the lines are copied rather than formatted again.
 */
bool PairsFileFromIntermediates(std::string_view unsortedFile, std::string_view sortedFile,
                                std::string& pairs, std::string& error);

/** "First Quartile,Median,Third Quartile", then the three numbers. */
std::string ResultsFileText(const AnalysisResults& results);

} // namespace quarvel
