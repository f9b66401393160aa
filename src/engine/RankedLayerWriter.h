#pragma once

#include "Progress.h"
#include "RankedLayerFields.h"
#include "RecordClasses.h"
#include "Table.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class OGRLayer;

namespace quarvel {

class DbfTable;

namespace ranked {

/** Where a ranked layer's records and shapes come from. */
struct LayerSource {
    const Table* table = nullptr;
    /** The table when it is a dBASE table: its cells are copied, its shapes come from shapes. */
    const DbfTable* dbf = nullptr;
    /**
     * The shapefile beside a dBASE table (feature id = physical record), or the GDAL layer
     * the table was read from (read in order: feature n is record n); nullptr for none.
     */
    OGRLayer* layer = nullptr;
};

/** What is written: a GeoPackage of one layer, or a shapefile. */
struct LayerTarget {
    QString path;  ///< the temporary .gpkg or .shp
    QString shown; ///< the name it takes at the end, for messages
    bool shapefile = false;
    QString layerName; ///< a GeoPackage's layer
    QString cpg;       ///< a shapefile's code page, as its .cpg names it
    /** How many bytes a text takes in the target, for the texts a shapefile cuts. */
    std::function<int(const QString&)> byteLength;
};

/**
 * Writes the layer: the fields as planned (RANK and NOTE last, from classes), a feature for
 * every record, each with its shape. Nothing when it was written; else the message for a box
 * titled "Error!" (GDAL's reason as the cause), or an empty text with stopped set when
 * progress asked to stop. notes hears about cut texts.
 */
std::optional<QString> WriteLayer(const LayerSource& source, const std::vector<FieldPlan>& fields,
                                  const std::vector<RecordClass>& classes,
                                  const LayerTarget& target, Progress* progress, bool& stopped,
                                  QStringList& notes);

/** A file name as GDAL takes it. */
QByteArray GdalPath(const QString& path);

/** GDAL's last error message without its full stop, for a message's reason. */
QString GdalReason();

} // namespace ranked
} // namespace quarvel
