#pragma once

#include "AnalysisResults.h"

#include <optional>
#include <string>
#include <string_view>

namespace quarvel {

/** Lines end with carriage return and line feed in every file the program writes. */
inline constexpr std::string_view kLineEnd = "\r\n";

/**
 * A number as written in a file or a table: blanks around it, an optional sign, digits with
 * a period as the decimal separator and an optional exponent; the whole text must be the
 * number, and it must be finite. Nothing for anything else.
 */
std::optional<double> ParsePlainNumber(std::string_view text);

/** "First Quartile,Median,Third Quartile", then the three numbers. */
std::string ResultsFileText(const AnalysisResults& results);

} // namespace quarvel
