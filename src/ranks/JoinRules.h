#pragma once

#include "AnalysisResults.h"

#include <string>
#include <string_view>

namespace quarvel {

/**
 * The quartile rank of a value: 1 below the box, 2 in its lower half (the first quartile
 * and the median included), 3 in its upper half (the third quartile included), 4 above.
 */
int JoinRank(double value, const AnalysisResults& results);

/**
 * The outlier note of a value. A value on a fence counts with the class nearer the box,
 * unlike the colours of the detailed plot.
 */
std::string_view JoinNote(double value, const AnalysisResults& results);

/** The note of a record that was left out of the run without a value; it has no rank. */
inline constexpr std::string_view kNoValueNote = "No value";
/**
 * The note's class: 0 "Probable Outlier-Low", 1 "Possible Outlier-Low", 2 "Within
 * Inner-Quartile Range", 3 "Possible Outlier-High", 4 "Probable Outlier-High".
 */
int JoinNoteClass(double value, const AnalysisResults& results);

/** "id,<relate>,<value>,Rank,Note" and the line end. */
void AppendJoinHeader(std::string& out, std::string_view relateName, std::string_view valueName);

/** "<id>,<relate text>,<value text>,<rank>,<note>" and the line end; texts unchanged. */
void AppendJoinLine(std::string& out, int id, std::string_view relateText,
                    std::string_view valueText, int rank, std::string_view note);

/** The most bytes WriteJoinLine writes for texts of these sizes. */
constexpr std::size_t JoinLineRoom(std::size_t relateSize, std::size_t valueSize) {
    return relateSize + valueSize + 48; // id, rank, the longest note, commas, line end
}

/** The same line written at out, which has JoinLineRoom() bytes; returns the end. */
char* WriteJoinLine(char* out, int id, std::string_view relateText, std::string_view valueText,
                    int rank, std::string_view note);

/** "<id>,<relate text>,<value text>,,<note>" and the line end, for a record without a rank. */
char* WriteUnrankedJoinLine(char* out, int id, std::string_view relateText,
                            std::string_view valueText, std::string_view note);
/**
 * The line of a record left out without a value, "<id>,<relate text>,,,No value" and the line
 * end, at out, which has JoinLineRoom(relateText.size(), 0) bytes; returns the end.
 */
char* WriteNoValueLine(char* out, int id, std::string_view relateText);

} // namespace quarvel
