#pragma once

#include "LayerColumn.h"
#include "LayerReader.h"
#include "Table.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace quarvel {

/**
 * One layer of a vector source that GDAL reads (GeoPackage, FlatGeobuf, GeoJSON, CSV with its
 * types detected, spreadsheets, SQLite), as a table. Records count from 0 in the layer's
 * reading order; texts are UTF-8.
 *
 * Cells hold what the source stores: a Real its double (shown as the shortest text that reads
 * back to it), an Integer its whole number, a String its text, which goes through the same
 * conversion as a dBASE cell; dates show as YYYY-MM-DD (date-times with their time), logicals
 * as T or F; a NULL or unset cell is empty.
 *
 * Nothing is copied at opening. The grid's cells are read a page of records at a time (every
 * field) and a few pages are kept; a field read whole (the analysis, the join file: they ask
 * prefetch) is read once, column-wise where GDAL can hand it over so, and kept. Any thread may
 * read the table: GDAL is reached by one at a time.
 */
class GdalTable final : public Table {
public:
    /**
     * Opens the layer of this name (any layer when the source has only one and none is
     * named); nullptr with a sentence in error on failure, GDAL's reason where it gives one.
     * onFraction hears 0 and 1 and stops the opening by returning false.
     */
    static std::unique_ptr<GdalTable> open(const QString& path, const QString& layer,
                                           QString& error,
                                           const std::function<bool(double)>& onFraction = {});

    GdalTable(const GdalTable&) = delete;
    GdalTable& operator=(const GdalTable&) = delete;
    ~GdalTable() override;

    QString path() const override { return path_; }
    /** The layer shown, as the source names it. */
    QString layerName() const override { return layerName_; }
    /** Whether the layer has a geometry field (its features may still lack shapes). */
    bool hasGeometry() const { return hasGeometry_; }
    int recordCount() const override { return recordCount_; }
    int fieldCount() const override;
    QString fieldName(int field) const override;
    std::string storedFieldName(int field) const override;
    /** Number for Real and Integer fields, Date for dates and date-times, Logical, Text. */
    FieldKind fieldKind(int field) const override;
    int fieldWidth(int field) const override;

    QString cellText(int record, int field) const override;
    std::string_view cellView(int record, int field, std::string& scratch) const override;
    std::optional<double> storedNumber(int record, int field) const override;
    bool numberTooLarge(int record, int field) const override;
    /** Reads the field of every record at once, unless it has been read already. */
    void prefetch(int record, int field) const override;

    QString codePage() const override { return QStringLiteral("UTF-8"); }
    QByteArray encode(const QString& text) const override { return text.toUtf8(); }

private:
    struct Page {
        int index = 0;
        std::vector<LayerColumn> columns;
    };

    GdalTable();
    bool valid(int record, int field) const;
    const LayerColumn* wholeField(int field) const;
    /** The page of the record, read when it is not kept. */
    std::shared_ptr<const Page> pageOf(int record) const;

    QString path_;
    QString layerName_;
    int recordCount_ = 0;
    bool hasGeometry_ = false;
    std::vector<LayerField> fields_;

    // GDAL is reached by one thread at a time; the pages kept have a lock of their own, so
    // that the grid shows them while a long read of a field holds the reader.
    mutable std::mutex reading_;
    std::unique_ptr<LayerReader> reader_;
    mutable std::vector<std::unique_ptr<LayerColumn>> readFields_;
    std::unique_ptr<std::atomic<const LayerColumn*>[]> wholeFields_;

    mutable std::mutex paging_;
    mutable std::vector<std::shared_ptr<const Page>> pages_; ///< the most recently used last
};

} // namespace quarvel
