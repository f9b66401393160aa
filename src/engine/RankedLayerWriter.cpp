#include "RankedLayerWriter.h"

#include "AnalysisFiles.h"
#include "DbfTable.h"
#include "JoinFile.h"
#include "SafeFile.h"

#include <QFile>

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <charconv>
#include <cstring>
#include <limits>

namespace quarvel::ranked {
namespace {

constexpr int kRecordsPerCheck = 4096;

// The geometry type the target layer declares. A shapefile's polygons and lines may have one
// part or several in the same layer; a GeoPackage layer holds what it declares, so it takes
// the type of several parts. A shapefile without shapes still gets its .shp, of null shapes.
OGRwkbGeometryType geometryType(const LayerSource& source, bool shapefile) {
    const OGRwkbGeometryType type = source.layer != nullptr ? source.layer->GetGeomType() : wkbNone;
    if (type == wkbNone) {
        return shapefile ? wkbPoint : wkbNone;
    }
    const OGRwkbGeometryType flat = wkbFlatten(type);
    if (source.dbf != nullptr && !shapefile && (flat == wkbPolygon || flat == wkbLineString)) {
        return OGR_GT_GetCollection(type);
    }
    return type;
}

template <typename Integer>
std::optional<Integer> integerOf(std::string_view text) {
    Integer value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// One cell of a dBASE table into the feature, as its field was planned (PlanDbfFields checked
// that every cell fits). Returns whether a text was cut.
bool setDbfCell(OGRFeature& feature, int index, const FieldPlan& plan, const DbfTable& table,
                int record, std::string& scratch, const LayerTarget& target) {
    if (plan.type == OFTString) {
        QString text = table.cellText(record, plan.source);
        const bool cut = plan.mayCut && CutText(text, kDbfTextBytes, target.byteLength);
        feature.SetField(index, text.toUtf8().constData());
        return cut;
    }
    const std::string_view view = table.cellView(record, plan.source, scratch);
    if (view.empty()) {
        feature.SetFieldNull(index);
        return false;
    }
    switch (plan.type) {
    case OFTInteger:
        feature.SetField(index, *integerOf<int>(view));
        break;
    case OFTInteger64:
        feature.SetField(index, static_cast<GIntBig>(*integerOf<std::int64_t>(view)));
        break;
    case OFTReal:
        feature.SetField(index, *ParsePlainNumber(view));
        break;
    case OFTDate:
        feature.SetField(index, *integerOf<int>(view.substr(0, 4)),
                         *integerOf<int>(view.substr(5, 2)), *integerOf<int>(view.substr(8, 2)));
        break;
    default:
        feature.SetFieldNull(index);
        break;
    }
    return false;
}

// A text longer than a shapefile holds, cut at a character. Returns whether it was.
bool cutLayerText(OGRFeature& feature, int index, const LayerTarget& target) {
    if (!feature.IsFieldSetAndNotNull(index) ||
        std::strlen(feature.GetFieldAsString(index)) <= std::size_t(kDbfTextBytes)) {
        return false;
    }
    QString text = QString::fromUtf8(feature.GetFieldAsString(index));
    CutText(text, kDbfTextBytes, target.byteLength);
    feature.SetField(index, text.toUtf8().constData());
    return true;
}

// The target layer with its fields; nullptr with GDAL's reason.
OGRLayer* createLayer(GDALDataset& dataset, const LayerSource& source,
                      const std::vector<FieldPlan>& fields, const LayerTarget& target,
                      QString& reason) {
    CPLStringList options;
    if (target.shapefile) {
        options.SetNameValue("ENCODING", target.cpg.toUtf8().constData());
        options.SetNameValue("2GB_LIMIT", "YES");
    } else {
        // The feature id and the geometry take names that no field has.
        QStringList taken;
        for (const FieldPlan& field : fields) {
            taken << field.name;
        }
        const auto utf8Bytes = [](const QString& text) {
            return static_cast<int>(text.toUtf8().size());
        };
        const int anyLength = std::numeric_limits<int>::max();
        const QString fid = FreeName(QStringLiteral("fid"), taken, anyLength, utf8Bytes);
        taken << fid;
        const QString geometry = FreeName(QStringLiteral("geom"), taken, anyLength, utf8Bytes);
        options.SetNameValue("FID", fid.toUtf8().constData());
        options.SetNameValue("GEOMETRY_NAME", geometry.toUtf8().constData());
    }
    OGRSpatialReference* reference =
        source.layer != nullptr ? source.layer->GetSpatialRef() : nullptr;
    OGRLayer* layer = dataset.CreateLayer(target.layerName.toUtf8().constData(), reference,
                                          geometryType(source, target.shapefile), options.List());
    if (layer == nullptr) {
        reason = GdalReason();
        return nullptr;
    }
    for (const FieldPlan& field : fields) {
        OGRFieldDefn definition(field.name.toUtf8().constData(), field.type);
        definition.SetSubType(field.subType);
        definition.SetWidth(field.width);
        definition.SetPrecision(field.precision);
        if (layer->CreateField(&definition, FALSE) != OGRERR_NONE) {
            reason = GdalReason();
            return nullptr;
        }
    }
    return layer;
}

// The layer read again does not hold the table's records one for one.
QString layerChanged(int records) {
    return QStringLiteral("The layer no longer holds the %1 records of the table shown, so its "
                          "features cannot take their ranks.\r\nOpen the layer again, analyze "
                          "it, then write the ranked layer.")
        .arg(records);
}

} // namespace

QByteArray GdalPath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8(); // GDAL takes UTF-8 names there
#else
    return QFile::encodeName(path);
#endif
}

QString GdalReason() {
    QString message = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    while (message.endsWith(QLatin1Char('.'))) {
        message.chop(1); // the messages that carry it end in a full stop of their own
    }
    return message.isEmpty() ? QStringLiteral("GDAL gave no reason") : message;
}

std::optional<QString> WriteLayer(const LayerSource& source, const std::vector<FieldPlan>& fields,
                                  const std::vector<RecordClass>& classes,
                                  const LayerTarget& target, Progress* progress, bool& stopped,
                                  QStringList& notes) {
    stopped = false;
    CPLErrorReset();
    GDALDriver* driver =
        GetGDALDriverManager()->GetDriverByName(target.shapefile ? "ESRI Shapefile" : "GPKG");
    const auto cannotWrite = [&target](const QString& reason) {
        return CannotWriteMessage(target.shown, reason);
    };
    if (driver == nullptr) {
        return cannotWrite(QStringLiteral("GDAL has no driver for it"));
    }
    GDALDatasetUniquePtr dataset(
        driver->Create(GdalPath(target.path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
        return cannotWrite(GdalReason());
    }
    QString reason;
    OGRLayer* layer = createLayer(*dataset, source, fields, target, reason);
    if (layer == nullptr) {
        return cannotWrite(reason);
    }
    // One transaction: a GeoPackage written a feature at a time would sync every one.
    const bool transaction = !target.shapefile && dataset->StartTransaction() == OGRERR_NONE;

    const int count = static_cast<int>(classes.size());
    const int rankIndex = static_cast<int>(fields.size()) - 2;
    const int noteIndex = rankIndex + 1;
    const OGRwkbGeometryType type = geometryType(source, target.shapefile);
    const bool promote = source.layer != nullptr && type != source.layer->GetGeomType();
    std::vector<int> cuts(fields.size(), 0);
    std::vector<int> fromSource; // a GDAL layer's field n goes to this field of the target
    if (source.dbf == nullptr && source.layer != nullptr) {
        fromSource.assign(static_cast<std::size_t>(source.layer->GetLayerDefn()->GetFieldCount()),
                          -1);
        for (std::size_t k = 0; k + 2 < fields.size(); ++k) {
            fromSource[static_cast<std::size_t>(fields[k].source)] = static_cast<int>(k);
        }
        source.layer->ResetReading();
    }
    OGRFeature feature(layer->GetLayerDefn());
    std::string scratch;
    for (int record = 0; record < count; ++record) {
        if (record % kRecordsPerCheck == 0 && progress != nullptr) {
            progress->fraction(static_cast<double>(record) / count);
            if (progress->stopRequested()) {
                stopped = true;
                return QString();
            }
        }
        OGRGeometry* shape = nullptr;
        if (source.dbf != nullptr) {
            for (std::size_t k = 0; k + 2 < fields.size(); ++k) {
                cuts[k] += setDbfCell(feature, static_cast<int>(k), fields[k], *source.dbf, record,
                                      scratch, target);
            }
            if (source.layer != nullptr) {
                const auto physical = static_cast<GIntBig>(source.dbf->physicalRecord(record));
                const OGRFeatureUniquePtr shapeFeature(source.layer->GetFeature(physical));
                if (!shapeFeature) {
                    return QStringLiteral("The shapefile beside the table has no shape for its "
                                          "record %1, so its shapes do not fit its records.\r\n"
                                          "Repair the shapefile, or move it away to write the "
                                          "ranked layer without shapes.")
                        .arg(record + 1);
                }
                shape = shapeFeature->StealGeometry();
            }
        } else if (source.layer != nullptr) {
            const OGRFeatureUniquePtr read(source.layer->GetNextFeature());
            if (!read) {
                return layerChanged(count);
            }
            shape = read->StealGeometry();
            feature.SetFrom(read.get(), fromSource.data(), TRUE);
            for (std::size_t k = 0; k + 2 < fields.size(); ++k) {
                cuts[k] += fields[k].mayCut && cutLayerText(feature, static_cast<int>(k), target);
            }
        }
        if (promote && shape != nullptr) {
            shape = OGRGeometryFactory::forceTo(shape, type);
        }
        feature.SetGeometryDirectly(shape);
        const RecordClass& rankAndNote = classes[static_cast<std::size_t>(record)];
        if (rankAndNote.hasValue()) {
            feature.SetField(rankIndex, rankAndNote.rank);
        } else {
            feature.SetFieldNull(rankIndex); // left out without a value: no rank
        }
        feature.SetField(noteIndex, rankAndNote.noteText());
        feature.SetFID(OGRNullFID);
        if (layer->CreateFeature(&feature) != OGRERR_NONE) {
            return cannotWrite(GdalReason());
        }
    }
    if (source.dbf == nullptr && source.layer != nullptr &&
        OGRFeatureUniquePtr(source.layer->GetNextFeature())) {
        return layerChanged(count);
    }
    if (progress != nullptr && progress->stopRequested()) {
        stopped = true;
        return QString();
    }
    if (transaction && dataset->CommitTransaction() != OGRERR_NONE) {
        return cannotWrite(GdalReason());
    }
    CPLErrorReset();
    dataset.reset(); // closed: everything is on disk, or the failure is said
    if (CPLGetLastErrorType() == CE_Failure || CPLGetLastErrorType() == CE_Fatal) {
        return cannotWrite(GdalReason());
    }
    for (std::size_t k = 0; k < cuts.size(); ++k) {
        if (cuts[k] > 0) {
            notes << QStringLiteral("Texts of more than 254 bytes are cut to 254: %1 of the "
                                    "field %2.")
                         .arg(cuts[k])
                         .arg(fields[k].shownName);
        }
    }
    return std::nullopt;
}

} // namespace quarvel::ranked
