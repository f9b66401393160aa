#pragma once

#include "Progress.h"

#include <QString>
#include <QStringList>

#include <ogr_core.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class OGRFeatureDefn;
class OGRLayer;

namespace quarvel {

class DbfTable;

namespace ranked {

/** The longest text and name a dBASE file holds, in bytes, and its most fields. */
constexpr int kDbfTextBytes = 254;
constexpr int kDbfNameBytes = 10;
constexpr int kDbfFields = 255;
constexpr std::int64_t kDbfFileBytes = std::int64_t(1) << 31;

/** One field of a ranked layer: where its values come from and how it is declared. */
struct FieldPlan {
    int source = -1;   ///< the source field; -1 for RANK and NOTE
    QString name;      ///< as written, possibly shortened or numbered
    QString shownName; ///< as the source names it, for the notes
    OGRFieldType type = OFTString;
    OGRFieldSubType subType = OFSTNone;
    int width = 0; ///< 0: the driver's own default
    int precision = 0;
    bool mayCut = false; ///< a text whose values may be longer than a shapefile holds
};

/** The .cpg text for texts in this code page (a QStringDecoder name): "1252", "UTF-8", ... */
QString CpgName(const QString& codePage);

/**
 * The fields of a dBASE table in a ranked layer: C as text of its width, N and F without
 * decimals as Integer (width 9 or less) or Integer64, with decimals as Real, D as Date, the
 * rest as text. Every number and date cell is read once, so that a field whose cells do not
 * all fit its type (a fraction in an integer field, a cell that is no number) goes out as
 * the next type that holds them all, text at last; notes says which. Nothing when progress
 * asked to stop.
 */
std::optional<std::vector<FieldPlan>> PlanDbfFields(const DbfTable& table, QStringList& notes,
                                                    Progress* progress);

/**
 * The fields of a GDAL layer in a ranked layer, types as they are; for a shapefile, types a
 * dBASE file cannot hold (date-times, lists, blobs) go out as text, and texts take the width
 * of their longest value, at most 254 bytes (one pass over the features).
 */
std::vector<FieldPlan> PlanLayerFields(OGRLayer& layer, bool shapefile);

/**
 * Appends RANK and NOTE and gives every field a name the target holds: in a shapefile at most
 * 10 bytes (byteLength measures a name as written), cut names and numbered ones (RANK_1 when
 * the table has a RANK) unique in any letter case; in a GeoPackage names stay as they are and
 * only RANK and NOTE take a number when taken. notes says what changed.
 */
void NameFields(std::vector<FieldPlan>& fields, bool shapefile,
                const std::function<int(const QString&)>& byteLength, QStringList& notes);

/** A name not in taken (any letter case): base, else base cut to fit maxBytes and "_1", ... */
QString FreeName(const QString& base, const QStringList& taken, int maxBytes,
                 const std::function<int(const QString&)>& byteLength);

/**
 * Texts of a shapefile: at most 254 bytes wide, and those whose values may be longer are marked
 * to be cut (all texts of a GDAL layer, whose widths are not kept; a dBASE table's wider ones).
 */
void CapTextWidths(std::vector<FieldPlan>& fields, bool fromDbf);

/** The bytes of a .dbf file of these fields and records. */
std::int64_t DbfFileBytes(const std::vector<FieldPlan>& fields, std::int64_t records);

/** Why a shapefile cannot hold these fields and records (255 fields, 2 GB), or nothing. */
std::optional<QString> DbfLimitRefusal(const std::vector<FieldPlan>& fields, std::int64_t records);

/** text cut at a character so that it takes at most maxBytes; true when it was cut. */
bool CutText(QString& text, int maxBytes, const std::function<int(const QString&)>& byteLength);

} // namespace ranked
} // namespace quarvel
