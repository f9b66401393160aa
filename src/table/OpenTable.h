#pragma once

#include "Table.h"

#include <QString>

#include <functional>
#include <memory>

namespace quarvel {

/**
 * Opens a table with the reader its file calls for: a dBASE table with the program's own
 * reader, and a shapefile (.shp) through the .dbf beside it of the same base name, in any
 * letter case. nullptr with a sentence in error on failure; onFraction hears how far the
 * opening is and stops it by returning false.
 */
std::unique_ptr<Table> OpenTable(const QString& path, QString& error,
                                 const std::function<bool(double)>& onFraction = {});

/** The .dbf of a shapefile: the file of its base name with that extension, any letter case. */
QString ShapefileTable(const QString& shpPath);

} // namespace quarvel
