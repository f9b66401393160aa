#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarvel {

/** What a field holds, as far as showing and reading it goes. */
enum class FieldKind { Text, Number, Date, Logical, Other };

/**
 * A table of records and fields, as every reader hands it to the grid, the analysis and the
 * join file: records count from 0 in the reader's order, and each cell has the text the grid
 * shows. A table once opened is not changed by the program, so any thread may read it.
 * Readers differ in where their texts come from (a code page, UTF-8) and in whether a cell
 * holds its number as stored (storedNumber) or only as a text.
 */
class Table {
public:
    virtual ~Table() = default;

    virtual QString path() const = 0;
    /** The layer of its source the table is, for sources of several; empty for a dBASE table. */
    virtual QString layerName() const { return {}; }
    virtual int recordCount() const = 0;
    virtual int fieldCount() const = 0;
    virtual QString fieldName(int field) const = 0;
    /** The field's name as the table stores it, in its own encoding. */
    virtual std::string storedFieldName(int field) const = 0;
    virtual FieldKind fieldKind(int field) const = 0;
    /** The most characters the field's values take, for the grid's column widths. */
    virtual int fieldWidth(int field) const = 0;

    /** The text of a cell, as the grid and every reader of the table sees it. */
    virtual QString cellText(int record, int field) const = 0;
    /** The same text in the table's own encoding, without a copy where the reader can. */
    virtual std::string_view cellView(int record, int field, std::string& scratch) const = 0;
    /**
     * The number a cell holds as stored, exactly: a plain number in a dBASE cell, a layer's
     * Real or Integer. Nothing when the cell is to be read through its text instead.
     */
    virtual std::optional<double> storedNumber(int record, int field) const = 0;
    /**
     * Whether a cell holds a whole number beyond 2^53 in magnitude, which no double holds
     * exactly (a layer's Integer64): storedNumber gives nothing for it, and the analysis
     * refuses it rather than take a rounded value.
     */
    virtual bool numberTooLarge(int record, int field) const {
        static_cast<void>(record);
        static_cast<void>(field);
        return false;
    }
    /** A hint that a cell will be asked for soon, so that its bytes are on their way. */
    virtual void prefetch(int record, int field) const {
        static_cast<void>(record);
        static_cast<void>(field);
    }

    /** The encoding of the table's texts, as a QStringDecoder name. */
    virtual QString codePage() const = 0;
    /** Encodes a text into the table's encoding, for files that must match it byte for byte. */
    virtual QByteArray encode(const QString& text) const = 0;
    /** Why the texts may be decoded from a fallback code page, or empty. */
    virtual QString codePageNote() const { return {}; }
    /** Records the table states, and records the file really holds. */
    virtual std::uint32_t declaredRecordCount() const {
        return static_cast<std::uint32_t>(recordCount());
    }
    virtual std::size_t storedRecordCount() const {
        return static_cast<std::size_t>(recordCount());
    }
};

} // namespace quarvel
