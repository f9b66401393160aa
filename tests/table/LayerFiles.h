#pragma once

#include <QString>
#include <QStringList>

namespace quarvel::testing {

/**
 * Writes the layers of a source into a new file, as ogr2ogr would with these options (the
 * driver with -f; -update with -nln adds a layer to an existing GeoPackage), through GDAL's
 * own library so that no program needs to be found. Aborts the test program when GDAL
 * refuses, since every later check would be meaningless.
 */
void translateLayer(const QString& from, const QString& to, const QStringList& options);

} // namespace quarvel::testing
