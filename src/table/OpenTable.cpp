#include "OpenTable.h"

#include "DbfTable.h"
#include "GdalTable.h"

#include <QDir>
#include <QFileInfo>

namespace quarvel {

namespace {

// The file beside path of its base name with this extension, in any letter case; empty when
// there is none.
QString sibling(const QString& path, const QString& extension) {
    const QFileInfo file(path);
    const QDir folder = file.absoluteDir();
    const QString wanted = file.completeBaseName() + QLatin1Char('.') + extension;
    if (QFileInfo(folder.filePath(wanted)).isFile()) {
        return folder.filePath(wanted);
    }
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
            return folder.filePath(entry);
        }
    }
    return {};
}

} // namespace

QString ShapefileTable(const QString& shpPath) {
    const QString table = sibling(shpPath, QStringLiteral("dbf"));
    const QFileInfo shp(shpPath);
    return table.isEmpty()
               ? shp.absoluteDir().filePath(shp.completeBaseName() + QStringLiteral(".dbf"))
               : table;
}

QString ShapesBeside(const QString& dbfPath) {
    return sibling(dbfPath, QStringLiteral("shp"));
}

bool IsLayerSource(const QString& path) {
    static const QStringList kLayerSuffixes = {QStringLiteral("gpkg"),    QStringLiteral("fgb"),
                                               QStringLiteral("geojson"), QStringLiteral("json"),
                                               QStringLiteral("csv"),     QStringLiteral("xlsx"),
                                               QStringLiteral("ods"),     QStringLiteral("sqlite")};
    return kLayerSuffixes.contains(QFileInfo(path).suffix().toLower());
}

std::unique_ptr<Table> OpenTable(const QString& path, QString& error,
                                 const std::function<bool(double)>& onFraction,
                                 const QString& layer) {
    if (IsLayerSource(path)) {
        return GdalTable::open(path, layer, error, onFraction);
    }
    if (!layer.isEmpty()) {
        error = QStringLiteral("A dBASE table has no layers: \"%1\" cannot be opened in it.")
                    .arg(layer);
        return nullptr;
    }
    if (QFileInfo(path).suffix().compare(QLatin1String("shp"), Qt::CaseInsensitive) == 0) {
        return DbfTable::open(ShapefileTable(path), error, onFraction);
    }
    return DbfTable::open(path, error, onFraction);
}

} // namespace quarvel
