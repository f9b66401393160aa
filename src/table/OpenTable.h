#pragma once

#include "Table.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace quarvel {

/** A layer of a source, by its name and its record count. */
struct LayerInfo {
    QString name;
    qint64 records = 0;
};

/**
 * Opens a table with the reader its file calls for: a dBASE table with the program's own
 * reader, a shapefile (.shp) through the .dbf beside it of the same base name, in any letter
 * case, and a layer source (IsLayerSource) through GDAL: the layer named, or its only layer.
 * nullptr with a sentence in error on failure (for a source with several layers and none
 * named, the sentence names them); onFraction hears how far the opening is and stops it by
 * returning false.
 */
std::unique_ptr<Table> OpenTable(const QString& path, QString& error,
                                 const std::function<bool(double)>& onFraction = {},
                                 const QString& layer = {});

/** The .dbf of a shapefile: the file of its base name with that extension, any letter case. */
QString ShapefileTable(const QString& shpPath);

/** The shapes of a dBASE table: the .shp beside it of its base name, any letter case, or empty. */
QString ShapesBeside(const QString& dbfPath);

/**
 * Whether the path is read through GDAL, as a source of layers: .gpkg, .fgb, .geojson, .json,
 * .csv, .xlsx, .ods and .sqlite, in any letter case.
 */
bool IsLayerSource(const QString& path);

/**
 * The layers of a layer source in its order, with their record counts; nothing with the
 * reason in error when GDAL cannot open it or it holds none.
 */
std::vector<LayerInfo> SourceLayers(const QString& path, QString& error);

} // namespace quarvel
