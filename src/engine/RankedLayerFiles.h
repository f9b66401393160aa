#pragma once

#include <QString>

#include <optional>

namespace quarvel::ranked {

/** A file of the target's shapefile: its base name, the extension in the letter case of its .shp.
 */
QString ShapefilePart(const QString& target, const char* extension);

/**
 * A base name for a ranked layer's temporaries in folder (hidden, with a random part) that no
 * file there starts with yet.
 */
QString TemporaryBase(const QString& folder, const QString& target);

/** Removes every file whose name is the temporary base name, a dot and anything. */
void RemoveTemporaries(const QString& base);

/**
 * Puts the files written under the temporary base name in the target's place (a GeoPackage,
 * or every file of a shapefile); files an earlier shapefile of that name had that would not fit
 * the new one (a .prj, a spatial index) go. Nothing when done, else the message for a box titled
 * "Error!"; the temporaries are gone in any case.
 */
std::optional<QString> PutInPlace(const QString& base, const QString& target, bool shapefile);

} // namespace quarvel::ranked
