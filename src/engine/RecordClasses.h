#pragma once

#include "AnalysisResults.h"
#include "MapClasses.h"
#include "Progress.h"
#include "Table.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace quarvel {

/**
 * A record's rank (1 to 4) and the index of its note in kJoinNotes; a record left out of the
 * run without a value has rank 0 and the note index kNoValue (the note "No value").
 */
struct RecordClass {
    static constexpr std::uint8_t kNoValue = 5;

    std::uint8_t rank = 0;
    std::uint8_t note = 0;

    bool hasValue() const { return note != kNoValue; }
    /** The note as the join file writes it (one of the program's own constant texts). */
    const char* noteText() const;
    MapClass mapClass() const { return MapClassOf(rank, note); }
};

/**
 * The rank and note of every record, its value read as the join file reads it (a record the
 * run left out without a value has none, and the map class MapClass::NoValue). A refusal for
 * the message box titled "Error!" when a value does not convert or the values are no longer the
 * ones analysed, ending in what to do: correct or analyse, "then <purpose>" ("write the ranked
 * layer"); an empty text when progress asked to stop.
 */
std::optional<QString> ClassifyRecords(const Table& table, int field,
                                       const AnalysisResults& results, const QLocale& locale,
                                       Progress* progress, std::vector<RecordClass>& classes,
                                       const QString& purpose);

} // namespace quarvel
