#include "RankedLayer.h"

#include "Analysis.h"
#include "DbfTable.h"
#include "FieldValues.h"
#include "JoinFile.h"
#include "JoinRules.h"
#include "LocaleNumbers.h"
#include "OpenTable.h"
#include "RankedLayerFields.h"
#include "RankedLayerFiles.h"
#include "RankedLayerWriter.h"
#include "RecordClasses.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <mutex>

namespace quarvel {
namespace {

using ranked::FieldPlan;

bool hasSuffix(const QString& name, const char* suffix) {
    return QFileInfo(name).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// The folder as the system sees it, so that links and ".." do not hide a file.
QString canonicalFolder(const QFileInfo& info) {
    const QString canonical = QFileInfo(info.absolutePath()).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absolutePath()) : canonical;
}

// GDAL is set up once, and says nothing on the terminal while it works for this program: its
// reasons go into the messages.
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

// The join file's refusal, for this layer.
QString forRankedLayer(QString message) {
    return message.replace(QStringLiteral("write the join file"),
                           QStringLiteral("write the ranked layer"));
}

// The source opened with GDAL: the shapes beside a dBASE table, or the table's own layer.
std::optional<QString> openSource(const Table& table, const QString& layerName,
                                  GDALDatasetUniquePtr& dataset, ranked::LayerSource& source,
                                  QString& targetLayer) {
    source.table = &table;
    source.dbf = dynamic_cast<const DbfTable*>(&table);
    const QString path = source.dbf != nullptr ? ShapesBeside(table.path()) : table.path();
    targetLayer = QFileInfo(table.path()).completeBaseName();
    if (path.isEmpty()) {
        return std::nullopt; // a table without shapes
    }
    const char* const shapefileOnly[] = {"ESRI Shapefile", nullptr};
    dataset.reset(GDALDataset::Open(ranked::GdalPath(path).constData(),
                                    GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                    source.dbf != nullptr ? shapefileOnly : nullptr));
    if (dataset && !layerName.isEmpty()) {
        source.layer = dataset->GetLayerByName(layerName.toUtf8().constData());
    } else if (dataset && dataset->GetLayerCount() == 1) {
        source.layer = dataset->GetLayer(0);
    }
    if (source.layer == nullptr && source.dbf != nullptr) {
        return QStringLiteral("The shapes beside the table could not be read from \"%1\": %2.\r\n"
                              "Repair the shapefile, or move it away to write the ranked layer "
                              "without shapes.")
            .arg(QDir::toNativeSeparators(path), ranked::GdalReason());
    }
    if (source.layer == nullptr) {
        QString reason = QStringLiteral("it holds several layers");
        if (!dataset) {
            reason = ranked::GdalReason();
        } else if (!layerName.isEmpty()) {
            reason = QStringLiteral("it holds no layer named \"%1\"").arg(layerName);
        }
        return QStringLiteral("The layer could not be read again from \"%1\" to copy it: %2.")
            .arg(QDir::toNativeSeparators(path), reason);
    }
    if (source.dbf != nullptr) {
        // Only the shapes are read from the shapefile; the records come from the table.
        CPLStringList ignored;
        OGRFeatureDefn* definition = source.layer->GetLayerDefn();
        for (int field = 0; field < definition->GetFieldCount(); ++field) {
            ignored.AddString(definition->GetFieldDefn(field)->GetNameRef());
        }
        source.layer->SetIgnoredFields(const_cast<const char**>(ignored.List()));
    } else {
        targetLayer = QString::fromUtf8(source.layer->GetName());
    }
    return std::nullopt;
}

} // namespace

bool IsRankedLayerName(const QString& name) {
    return (hasSuffix(name, "gpkg") || hasSuffix(name, "shp")) &&
           !QFileInfo(name).completeBaseName().isEmpty();
}

std::optional<QString> RankedLayerRefusal(const QString& tablePath, const QString& target) {
    const QFileInfo table(tablePath);
    for (const QString& file : RankedLayerFiles(target)) {
        if (std::optional<QString> family = TableFamilyRefusal(tablePath, file)) {
            return family;
        }
        const QFileInfo info(file);
        if (tablePath.isEmpty() || canonicalFolder(info) != canonicalFolder(table)) {
            continue;
        }
        for (const char* beside : {"", "-wal", "-shm", "-journal"}) {
            if (info.fileName().compare(table.fileName() + QLatin1String(beside),
                                        Qt::CaseInsensitive) == 0) {
                return QStringLiteral("The name \"%1\" is the layer being analyzed, or a file "
                                      "its database keeps beside it, so it is not replaced.\r\n"
                                      "Choose another name.")
                    .arg(info.fileName());
            }
        }
    }
    return std::nullopt;
}

RankedOutcome WriteRankedLayer(const Table& table, int valueField, const AnalysisResults& results,
                               const QString& target, Progress* progress, const QLocale& locale,
                               const QString& layer) {
    RankedOutcome outcome;
    const auto refused = [&outcome](const QString& message) {
        outcome.message = message;
        return outcome;
    };
    if (const std::optional<QString> refusal = JoinRefusal(&table, valueField, results)) {
        return refused(forRankedLayer(*refusal));
    }
    if (!IsRankedLayerName(target)) {
        return refused(QStringLiteral("The name \"%1\" ends neither in .gpkg nor in .shp, so no "
                                      "layer is written under it.\r\nChoose a name ending in "
                                      ".gpkg (a GeoPackage) or .shp (a shapefile).")
                           .arg(QFileInfo(target).fileName()));
    }
    if (const std::optional<QString> refusal = RankedLayerRefusal(table.path(), target)) {
        return refused(*refusal);
    }
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        return refused(CannotWriteMessage(target, QStringLiteral("the folder does not exist")));
    }
    for (const QString& file : RankedLayerFiles(target)) {
        if (QFileInfo(file).isDir()) {
            return refused(CannotWriteMessage(file, QStringLiteral("a folder has that name")));
        }
    }

    std::vector<RecordClass> classes;
    if (const std::optional<QString> refusal =
            ClassifyRecords(table, valueField, results, locale, progress, classes,
                            QStringLiteral("write the ranked layer"))) {
        outcome.stopped = refusal->isEmpty();
        return refused(*refusal);
    }

    const QuietGdal quiet;
    GDALDatasetUniquePtr sourceData;
    ranked::LayerSource source;
    ranked::LayerTarget into;
    if (const std::optional<QString> problem =
            openSource(table, layer, sourceData, source, into.layerName)) {
        return refused(*problem);
    }
    into.shapefile = hasSuffix(target, "shp");
    into.shown = target;
    into.cpg = source.dbf != nullptr ? ranked::CpgName(table.codePage()) : QStringLiteral("UTF-8");
    if (source.dbf != nullptr && into.shapefile) {
        into.byteLength = [&table](const QString& text) {
            return static_cast<int>(table.encode(text).size());
        };
    } else {
        into.byteLength = [](const QString& text) {
            return static_cast<int>(text.toUtf8().size());
        };
    }
    std::vector<FieldPlan> fields;
    if (source.dbf != nullptr) {
        std::optional<std::vector<FieldPlan>> planned =
            ranked::PlanDbfFields(*source.dbf, outcome.notes, progress);
        if (!planned) {
            outcome.stopped = true;
            return outcome;
        }
        fields = std::move(*planned);
    } else {
        fields = ranked::PlanLayerFields(*source.layer, into.shapefile);
    }
    if (into.shapefile) {
        ranked::CapTextWidths(fields, source.dbf != nullptr);
    }
    ranked::NameFields(fields, into.shapefile, into.byteLength, outcome.notes);
    if (into.shapefile) {
        if (const std::optional<QString> refusal =
                ranked::DbfLimitRefusal(fields, static_cast<std::int64_t>(classes.size()))) {
            return refused(*refusal);
        }
        if (source.layer == nullptr || source.layer->GetGeomType() == wkbNone) {
            outcome.notes << QStringLiteral("The table has no shapes, so every shape of the "
                                            "shapefile is empty.");
        }
    }

    const QString base = ranked::TemporaryBase(folder, target);
    into.path = base + (into.shapefile ? QStringLiteral(".shp") : QStringLiteral(".gpkg"));
    bool stopped = false;
    std::optional<QString> failure =
        ranked::WriteLayer(source, fields, classes, into, progress, stopped, outcome.notes);
    if (!failure && progress != nullptr && progress->stopRequested()) {
        stopped = true;
        failure = QString();
    }
    if (failure) {
        ranked::RemoveTemporaries(base);
        outcome.stopped = stopped;
        outcome.notes.clear();
        return refused(*failure);
    }
    if (const std::optional<QString> problem = ranked::PutInPlace(base, target, into.shapefile)) {
        outcome.notes.clear();
        return refused(*problem);
    }
    if (progress != nullptr) {
        progress->fraction(1);
    }
    outcome.written = true;
    return outcome;
}

} // namespace quarvel
