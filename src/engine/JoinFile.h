#pragma once

#include "AnalysisResults.h"
#include "Progress.h"
#include "Table.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace quarvel {

struct GroupsOutcome;

inline const QString kJoinFileName = QStringLiteral("Join.txt");

/**
 * Why the results cannot rank the records of this table's field, in the words of the
 * message box titled "Error!"; nothing when they can. table is nullptr while none is loaded;
 * valueField -1 when no field is chosen.
 */
std::optional<QString> JoinRefusal(const Table* table, int valueField,
                                   const AnalysisResults& results);

/** How writing a join file ended. */
struct JoinOutcome {
    bool written = false;
    bool stopped = false; ///< asked to stop: nothing written, nothing to report
    QString message;      ///< why not, for the message box titled "Error!"
};

/**
 * Writes the join file at path: "id,<relate>,<value>,Rank,Note", then one line per record
 * with its sequence number, the relate and value cells exactly as stored (the table's own
 * code page, so the keys match the table in the GIS), its rank and its note; a record the run
 * left out without a value has an empty value and rank and the note "No value". Checks first
 * what JoinRefusal checks, and while writing that every value converts and that the values
 * are still the ones analysed; on any refusal or failure an earlier file at path stays.
 * With groups (AnalyseGroups on this table), each record is ranked within its own group; a
 * record of a group too small to be described has no rank and the note "Too few records in
 * group".
 */
JoinOutcome WriteJoinFile(const Table& table, int relateField, int valueField,
                          const AnalysisResults& results, const QString& path,
                          Progress* progress = nullptr, const QLocale& locale = QLocale(),
                          const GroupsOutcome* groups = nullptr);

/** The results without their values: what a join file needs, cheap to hand to a worker. */
AnalysisResults JoinSummary(const AnalysisResults& results);

/** Records per rank (index 0 for rank 1) and per note, in the order of the rules. */
struct JoinCounts {
    int ranks[4] = {0, 0, 0, 0};
    int notes[5] = {0, 0, 0, 0, 0};
};

/** How the analysed values fall into the ranks and notes of the join file. */
JoinCounts CountJoinClasses(const AnalysisResults& results);

/** The five notes, from "Probable Outlier-Low" to "Probable Outlier-High". */
inline constexpr const char* kJoinNotes[5] = {"Probable Outlier-Low", "Possible Outlier-Low",
                                              "Within Inner-Quartile Range",
                                              "Possible Outlier-High", "Probable Outlier-High"};

} // namespace quarvel
