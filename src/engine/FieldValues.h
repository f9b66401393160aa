#pragma once

#include "Table.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace quarvel {

/** The first record of a field whose cell does not hold a number. */
struct CellProblem {
    int record = 0; ///< counting from 1, in table order
    QString field;
    QString text;          ///< the cell as the grid shows it
    bool tooLarge = false; ///< a whole number beyond 2^53 in magnitude (Table::numberTooLarge)

    /**
     * "Record 3 of the field POP is empty", "... holds "n/a", which is not a number" or
     * "... holds 9007199254740993, a whole number too large to be held exactly".
     */
    QString describe() const;
};

/** What a reading of a field does with a record whose cell is empty (a blank or NULL cell). */
enum class EmptyCells {
    Refuse,  ///< such a cell is a cell that holds no number, as any other
    LeaveOut ///< the record is left out: it has no value, and the others are read
};

/**
 * Whether a record has no value in a field: its cell, as the grid shows it, is empty or blank
 * (a NULL cell of a layer, a blank dBASE cell). EmptyCells::LeaveOut leaves such records out.
 */
bool HasNoValue(const Table& table, int record, int field);

/** The first record (counting from 0) that has a value in the field; the record count if none. */
int FirstRecordWithValue(const Table& table, int field);

/** A field read as numbers: every record's value, or the first that is not one. */
struct FieldValues {
    /** The values in table order, of every record but those left out. */
    std::vector<double> values;
    /** Per record, 1 when it was left out without a value; empty when none was. */
    std::vector<std::uint8_t> leftOut;
    int leftOutCount = 0;
    std::optional<CellProblem> problem;
    bool stopped = false; ///< the reading was asked to stop; values is empty
};

/**
 * Reads one field of every record with the cell-value conversion (CellValue), which the
 * analysis and the join file share. onFraction, when given, hears how far the reading is
 * now and then, and ends the reading (stopped) by returning false. empty says whether an
 * empty cell is a problem or a record left out.
 */
FieldValues ReadFieldValues(const Table& table, int field, const QLocale& locale = QLocale(),
                            const std::function<bool(double)>& onFraction = {},
                            EmptyCells empty = EmptyCells::Refuse);

/**
 * The record (counting from 0) of each sorted value: the field is read again (leaving out
 * the empty cells as the analysis did) and each record takes the place of its value among the
 * sorted values, equal values in record order. Empty when the field no longer holds exactly
 * those values, or when stopRequested said stop; onFraction hears how far it is (0 to 1).
 */
std::vector<std::uint32_t> RecordsInSortedOrder(const Table& table, int field,
                                                const std::vector<double>& sorted,
                                                const QLocale& locale,
                                                const std::function<bool(double)>& onFraction,
                                                EmptyCells empty = EmptyCells::Refuse);

/**
 * The field a new table's field list selects at first: the first whose first record starts
 * with a number (a table without records is judged by its field names). -1 when none does.
 */
int PreselectedField(const Table& table);

/** The index of the field of this name (exact letters first, then any letter case), or -1. */
int FieldIndex(const Table& table, const QString& name);

/**
 * A digest of the values as a collection, whatever their order (zero and negative zero count
 * as one value). Two collections that differ give different digests but with a chance of
 * 2^-64; the join file uses it to see that a table still holds the values analysed.
 */
std::uint64_t ValuesDigest(std::span<const double> values);

/** One value's part of ValuesDigest, for digests built while reading. */
std::uint64_t ValueDigestPart(double value);

} // namespace quarvel
