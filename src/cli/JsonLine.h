#pragma once

#include "AnalysisResults.h"
#include "GroupAnalysis.h"

#include <QByteArray>
#include <QString>

namespace quarvel {

/**
 * The line `--json` prints for a completed table: table (as given), field, records (the values
 * analysed), "left_out" when the run was asked to leave out empty records, the quartiles, the
 * four fences, then the records of each rank ("1" to "4") and of each note
 * (within, then the possible, then the probable outliers), then the ranked layer written (when
 * ranked is not empty), then the map picture: "map" and its path when map is not empty, or
 * "map": null and "map_error" with mapError when the map was refused; in that order, with ", "
 * and ": " between the members, and a newline.
 */
QByteArray ResultsJsonLine(const QString& table, const AnalysisResults& results,
                           const QString& ranked = QString(), const QString& map = QString(),
                           const QString& mapError = QString());

/**
 * The line `--json` prints for each group after the table's line: table, field, group_field,
 * group, records, then for a group of three records or more the quartiles, the fences and its
 * records of each rank and note as in the table's line.
 */
QByteArray GroupJsonLine(const QString& table, const QString& field, const QString& groupField,
                         const GroupSummary& group);

/** The line `--json` prints for a refused table: {"table": ..., "error": ...} and a newline. */
QByteArray RefusalJsonLine(const QString& table, const QString& message);

} // namespace quarvel
