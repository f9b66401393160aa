#pragma once

#include "AnalysisResults.h"
#include "Progress.h"
#include "Table.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace quarvel {

/** Whether a ranked layer can be written under this name: it ends in .gpkg or .shp. */
bool IsRankedLayerName(const QString& name);

/**
 * The files a ranked layer of this name consists of: the GeoPackage itself, or a shapefile's
 * .shp, .shx, .dbf, .prj and .cpg (the same base name).
 */
QStringList RankedLayerFiles(const QString& target);

/**
 * Why a ranked layer may not be written at target for the table at tablePath, in the words of
 * the message box titled "Error!": one of its files is the table or a file of its family
 * (TableFamilyRefusal), or the table's database itself or a file SQLite keeps beside it
 * (-wal, -shm, -journal). Nothing when the name is free to use.
 */
std::optional<QString> RankedLayerRefusal(const QString& tablePath, const QString& target);

/** How writing a ranked layer ended. */
struct RankedOutcome {
    bool written = false;
    bool stopped = false; ///< asked to stop: nothing written, nothing to report
    QString message;      ///< why not, for the message box titled "Error!"
    /** What a shapefile's limits changed (names, texts), one sentence each, for the user. */
    QStringList notes;
};

/**
 * Writes a copy of the table's layer at target (.gpkg or .shp): every record, every field and
 * the shape of each record, plus RANK (1 to 4) and NOTE, the rank and note the join file gives
 * the record. A dBASE table carries the shapes of the shapefile of its name beside it (and
 * its coordinate system), if there is one; any other table is read again through GDAL
 * (layer: its name, or empty for a source of one layer). Checks first what the join file
 * checks (the analysis was made on this table and field, every value converts and they are
 * still the values analysed) and RankedLayerRefusal; a shapefile's limits (names of 10
 * characters, texts of 254 bytes, 255 fields, 2 GB) are kept and named in notes. The layer
 * is written under a temporary name in target's folder and renamed at the end: on any
 * refusal, failure or stop nothing is left and an earlier target stays as it was.
 */
RankedOutcome WriteRankedLayer(const Table& table, int valueField, const AnalysisResults& results,
                               const QString& target, Progress* progress = nullptr,
                               const QLocale& locale = QLocale(), const QString& layer = QString());

} // namespace quarvel
