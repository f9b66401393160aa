#pragma once

#include "DbfLayout.h"
#include "Table.h"
#include "TableBytes.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

/** The memory the system can give now without swapping (Linux), or nothing where unknown. */
std::optional<qint64> AvailableMemoryBytes();

/**
 * A dBASE table held in memory: the file is mapped (or read) once, its header checked against
 * the file's size, and each cell is cut out of the record and decoded only when someone asks
 * for it. Records marked deleted are left out; record numbers here count the others from 0.
 *
 * Cell texts: character fields without their padding blanks; numbers as stored without
 * blanks; dates YYYYMMDD as YYYY-MM-DD; logicals as their letter; NULLs (blanks, a numeric
 * field of asterisks, "?" logicals, zero dates) as the empty text; memo and other fields
 * trimmed. Texts are decoded in the table's code page: its .cpg file, else its language
 * driver byte, else UTF-8 when the bytes are valid UTF-8, else Windows-1252. A table once
 * opened keeps its fields, records and code page, so any thread may read it; where the file is
 * mapped, cells show what another program writes into it meanwhile, and nothing (empty texts)
 * where it cuts the file short.
 */
class DbfTable final : public Table {
public:
    /**
     * Opens the table at exactly this path; nullptr with a sentence in error on failure.
     * onFraction, when given, hears how much of the opening is done (the reading, then the
     * scans over every record), a fraction that only grows, at least every 32 MiB or 262,144
     * records; it stops the opening by returning false.
     */
    static std::unique_ptr<DbfTable> open(const QString& path, QString& error,
                                          const std::function<bool(double)>& onFraction = {});

    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;
    ~DbfTable() override;

    QString path() const override { return path_; }
    int recordCount() const override { return recordCount_; }
    int fieldCount() const override { return static_cast<int>(layout_.fields.size()); }
    const DbfLayout& layout() const { return layout_; }
    const DbfFieldLayout& fieldLayout(int field) const;

    QString fieldName(int field) const override;
    std::string storedFieldName(int field) const override;
    /** Number for N and F fields, Date for D, Logical for L, Text for C, Other for the rest. */
    FieldKind fieldKind(int field) const override;
    /** The field's width in the record. */
    int fieldWidth(int field) const override;
    QString cellText(int record, int field) const override;
    /** The same text as bytes in the table's own code page, undecoded. */
    std::string cellBytes(int record, int field) const;
    /** The same bytes without a copy, valid while the table and scratch are. */
    std::string_view cellView(int record, int field, std::string& scratch) const override;
    /** A cell's stored bytes read whole as a plain number (not for dates, shown otherwise). */
    std::optional<double> storedNumber(int record, int field) const override;
    void prefetch(int record, int field) const override;
    /**
     * The cell's stored bytes, its whole width: untrimmed, not cut at a NUL, not copied. A
     * text that reads whole as a number from these holds no NUL, so it reads the same as
     * the cell's text.
     */
    std::string_view storedBytes(int record, int field) const;

    /** The code page the texts are decoded from, as a QStringDecoder name. */
    QString codePage() const override { return codePage_; }
    QString codePageNote() const override { return codePageNote_; }
    QByteArray encode(const QString& text) const override;

    /** Records marked deleted, which are not shown. */
    int deletedRecordCount() const { return deletedCount_; }
    /**
     * Where a shown record lies among all the records the file holds, deleted ones included
     * (counting from 0): the number of its shape in a shapefile beside the table.
     */
    std::size_t physicalRecord(int record) const;
    /** Records the header states, and records the file really holds (deleted ones included). */
    std::uint32_t declaredRecordCount() const override { return layout_.declaredRecords; }
    std::size_t storedRecordCount() const override {
        return static_cast<std::size_t>(recordCount_ + deletedCount_);
    }

private:
    DbfTable() = default;
    const char* field(int record, int fieldIndex) const;
    QString decode(const std::string& bytes) const;

    QString path_;
    TableBytes data_;
    DbfLayout layout_;
    // Records before the first one marked deleted keep their physical numbers; shown_ holds
    // those of the records shown after it.
    int firstDeleted_ = 0;
    std::vector<std::uint32_t> shown_;
    int recordCount_ = 0;
    int deletedCount_ = 0;
    QString codePage_;
    QString codePageNote_;
    // The grid reads cells on the windows' thread while long work reads them on another;
    // the decoder keeps state between calls, so one caller uses it at a time.
    mutable std::mutex decoding_;
    mutable QStringDecoder decoder_;
    std::vector<QString> names_;
};

} // namespace quarvel
