#pragma once

#include "LayerGeometry.h"
#include "Progress.h"
#include "Table.h"

#include <QString>

#include <optional>

namespace quarvel {

/**
 * Why the table has no shapes to draw, as a sentence, or nothing when it has: a layer with a
 * geometry field, or a dBASE table with the .shp of its base name beside it (any letter case).
 */
std::optional<QString> ShapesAbsence(const Table& table);

/** The shapes of a table's records, or why they could not be read. */
struct ShapesRead {
    LayerGeometry geometry;
    QString message; ///< for the message box titled "Error!"; empty when read or stopped
    bool stopped = false;

    bool read() const { return message.isEmpty() && !stopped; }
};

/**
 * Reads the shape of every record of the table, in record order, with GDAL: a layer's features
 * read again in order (feature n is record n), or a dBASE table's shapefile beside it, where
 * shape i belongs to the table's record i counted with its deleted records (a deleted record's
 * shape is left out with it; a record past the shapefile's last shape has none). Attributes are
 * not read. progress hears the fraction read and may stop the reading.
 */
ShapesRead ReadShapes(const Table& table, Progress* progress = nullptr);

} // namespace quarvel
