#include "LayerShapes.h"

#include "DbfTable.h"
#include "GdalTable.h"
#include "OpenTable.h"
#include "RankedLayerWriter.h"

#include <QDir>
#include <QFileInfo>

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <mutex>

namespace quarvel {
namespace {

constexpr int kFeaturesPerCheck = 65536;

void addCurve(LayerGeometry& geometry, const OGRSimpleCurve& curve) {
    geometry.beginPart();
    const int count = curve.getNumPoints();
    for (int k = 0; k < count; ++k) {
        geometry.addPoint(curve.getX(k), curve.getY(k));
    }
}

void addPolygon(LayerGeometry& geometry, const OGRPolygon& polygon) {
    for (const OGRLinearRing* ring : polygon) {
        addCurve(geometry, *ring);
    }
}

ShapeKind kindOf(const OGRGeometry& shape) {
    switch (shape.getDimension()) {
    case 0:
        return ShapeKind::Point;
    case 1:
        return ShapeKind::Line;
    default:
        return ShapeKind::Polygon;
    }
}

// Adds the parts of a linear shape that are of the feature's kind.
void addParts(LayerGeometry& geometry, const OGRGeometry& shape, ShapeKind kind) {
    if (shape.IsEmpty()) {
        return;
    }
    switch (wkbFlatten(shape.getGeometryType())) {
    case wkbPoint:
        if (kind == ShapeKind::Point) {
            const auto& point = *shape.toPoint();
            geometry.beginPart();
            geometry.addPoint(point.getX(), point.getY());
        }
        return;
    case wkbLineString:
    case wkbLinearRing:
        if (kind == ShapeKind::Line) {
            addCurve(geometry, *shape.toLineString());
        }
        return;
    case wkbPolygon:
        if (kind == ShapeKind::Polygon) {
            addPolygon(geometry, *shape.toPolygon());
        }
        return;
    default:
        break;
    }
    if (const auto* collection = dynamic_cast<const OGRGeometryCollection*>(&shape)) {
        for (const OGRGeometry* member : *collection) {
            addParts(geometry, *member, kind);
        }
    } else if (const auto* surfaces = dynamic_cast<const OGRPolyhedralSurface*>(&shape)) {
        for (const OGRPolygon* polygon : *surfaces) {
            addParts(geometry, *polygon, kind);
        }
    }
}

// The feature of a record: its shape made linear (curves become line strings), each part of
// the shape's own dimension; a collection of several dimensions keeps its highest.
void addFeature(LayerGeometry& geometry, const OGRGeometry* shape) {
    if (shape == nullptr || shape->IsEmpty()) {
        geometry.beginFeature(ShapeKind::None);
        return;
    }
    std::unique_ptr<OGRGeometry> linear;
    if (shape->hasCurveGeometry(TRUE)) {
        linear.reset(shape->getLinearGeometry());
        if (linear == nullptr) {
            geometry.beginFeature(ShapeKind::None);
            return;
        }
        shape = linear.get();
    }
    const ShapeKind kind = kindOf(*shape);
    geometry.beginFeature(kind);
    addParts(geometry, *shape, kind);
}

class QuietGdal {
public:
    QuietGdal() {
        static std::once_flag registered;
        std::call_once(registered, [] { GDALAllRegister(); });
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
    ~QuietGdal() { CPLPopErrorHandler(); }
};

// Every attribute is left unread: only the shapes are wanted.
void ignoreAttributes(OGRLayer& layer) {
    CPLStringList ignored;
    OGRFeatureDefn* definition = layer.GetLayerDefn();
    for (int field = 0; field < definition->GetFieldCount(); ++field) {
        ignored.AddString(definition->GetFieldDefn(field)->GetNameRef());
    }
    ignored.AddString("OGR_STYLE");
    layer.SetIgnoredFields(const_cast<const char**>(ignored.List()));
}

// Reports and checks now and then; false when asked to stop.
bool goOn(Progress* progress, std::size_t done, std::size_t count) {
    if (progress == nullptr || done % kFeaturesPerCheck != 0) {
        return true;
    }
    progress->fraction(count > 0 ? static_cast<double>(done) / static_cast<double>(count) : 0);
    return !progress->stopRequested();
}

QString changedLayer(const Table& table) {
    return QStringLiteral("The layer no longer holds the %1 records of the table shown, so its "
                          "shapes cannot be matched with them.\r\nOpen the layer again, analyze "
                          "it, then show the map.")
        .arg(table.recordCount());
}

ShapesRead stoppedRead() {
    ShapesRead read;
    read.stopped = true;
    return read;
}

} // namespace

std::optional<QString> ShapesAbsence(const Table& table) {
    if (dynamic_cast<const DbfTable*>(&table) != nullptr) {
        if (ShapesBeside(table.path()).isEmpty()) {
            return QStringLiteral("The table has no shapes: no shapefile (.shp) of its name lies "
                                  "beside it.");
        }
        return std::nullopt;
    }
    if (const auto* layer = dynamic_cast<const GdalTable*>(&table)) {
        if (!layer->hasGeometry()) {
            return QStringLiteral("The layer \"%1\" has no geometry, only attributes.")
                .arg(layer->layerName());
        }
        return std::nullopt;
    }
    return QStringLiteral("The table has no shapes.");
}

ShapesRead ReadShapes(const Table& table, Progress* progress) {
    ShapesRead result;
    if (const std::optional<QString> absence = ShapesAbsence(table)) {
        result.message = *absence;
        return result;
    }
    const auto* dbf = dynamic_cast<const DbfTable*>(&table);
    const QString path = dbf != nullptr ? ShapesBeside(table.path()) : table.path();
    const QuietGdal quiet;
    const char* const shapefileOnly[] = {"ESRI Shapefile", nullptr};
    const GDALDatasetUniquePtr dataset(GDALDataset::Open(ranked::GdalPath(path).constData(),
                                                         GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                                         dbf != nullptr ? shapefileOnly : nullptr));
    OGRLayer* layer = nullptr;
    if (dataset && dbf == nullptr) {
        layer = dataset->GetLayerByName(table.layerName().toUtf8().constData());
    } else if (dataset && dataset->GetLayerCount() == 1) {
        layer = dataset->GetLayer(0);
    }
    if (layer == nullptr) {
        result.message =
            QStringLiteral("The shapes could not be read from \"%1\": %2.")
                .arg(QDir::toNativeSeparators(path),
                     dataset ? QStringLiteral("it holds no such layer") : ranked::GdalReason());
        return result;
    }
    ignoreAttributes(*layer);
    layer->ResetReading();

    LayerGeometry& geometry = result.geometry;
    const auto count = static_cast<std::size_t>(table.recordCount());
    geometry.reserveFeatures(count);
    if (dbf != nullptr) {
        // Shape i is physical record i; the table's records ascend through them, leaving out
        // the deleted ones, so both are walked together.
        OGRFeatureUniquePtr pending(layer->GetNextFeature());
        for (std::size_t record = 0; record < count; ++record) {
            if (!goOn(progress, record, count)) {
                return stoppedRead();
            }
            const auto physical =
                static_cast<GIntBig>(dbf->physicalRecord(static_cast<int>(record)));
            while (pending && pending->GetFID() < physical) {
                pending.reset(layer->GetNextFeature());
            }
            const bool found = pending && pending->GetFID() == physical;
            addFeature(geometry, found ? pending->GetGeometryRef() : nullptr);
        }
    } else {
        for (std::size_t record = 0; record < count; ++record) {
            if (!goOn(progress, record, count)) {
                return stoppedRead();
            }
            const OGRFeatureUniquePtr feature(layer->GetNextFeature());
            if (!feature) {
                result.message = changedLayer(table);
                return result;
            }
            addFeature(geometry, feature->GetGeometryRef());
        }
        if (OGRFeatureUniquePtr(layer->GetNextFeature())) {
            result.message = changedLayer(table);
            return result;
        }
    }
    geometry.finish();
    if (progress != nullptr) {
        progress->fraction(1);
    }
    return result;
}

} // namespace quarvel
