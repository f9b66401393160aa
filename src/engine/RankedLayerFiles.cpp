#include "RankedLayerFiles.h"

#include "RankedLayer.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>
#include <utility>

namespace quarvel {
namespace {

// The files of a shapefile target, the .shp first.
const char* const kShapefileParts[] = {"shp", "shx", "dbf", "prj", "cpg"};
// Files an earlier shapefile of the target's name may have, which would not fit the new one.
const char* const kStaleParts[] = {"prj", "cpg", "qix", "sbn", "sbx"};

std::filesystem::path systemPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

bool isShapefileName(const QString& name) {
    return QFileInfo(name).suffix().compare(QLatin1String("shp"), Qt::CaseInsensitive) == 0;
}

} // namespace

QStringList RankedLayerFiles(const QString& target) {
    if (!isShapefileName(target)) {
        return {target};
    }
    QStringList files;
    for (const char* part : kShapefileParts) {
        files << ranked::ShapefilePart(target, part);
    }
    return files;
}

namespace ranked {

QString ShapefilePart(const QString& target, const char* extension) {
    const QString suffix = QFileInfo(target).suffix();
    const QString wanted = QString::fromLatin1(extension);
    if (suffix.compare(wanted, Qt::CaseInsensitive) == 0) {
        return target;
    }
    const bool upper = suffix == suffix.toUpper();
    return target.left(target.size() - suffix.size()) + (upper ? wanted.toUpper() : wanted);
}

QString TemporaryBase(const QString& folder, const QString& target) {
    const QDir dir(folder);
    for (;;) {
        const QString base =
            QStringLiteral(".%1.%2")
                .arg(QFileInfo(target).completeBaseName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        if (dir.entryList({base + QStringLiteral("*")},
                          QDir::AllEntries | QDir::Hidden | QDir::System)
                .isEmpty()) {
            return dir.filePath(base);
        }
    }
}

void RemoveTemporaries(const QString& base) {
    const QFileInfo info(base);
    const QDir dir = info.dir();
    for (const QString& entry : dir.entryList({info.fileName() + QStringLiteral(".*")},
                                              QDir::Files | QDir::Hidden | QDir::System)) {
        QFile::remove(dir.filePath(entry));
    }
}

std::optional<QString> PutInPlace(const QString& base, const QString& target, bool shapefile) {
    QList<std::pair<QString, QString>> moves;
    if (shapefile) {
        for (const char* part : kShapefileParts) {
            moves.append(
                {base + QLatin1Char('.') + QLatin1String(part), ShapefilePart(target, part)});
        }
    } else {
        moves.append({base + QStringLiteral(".gpkg"), target});
    }
    QStringList placed;
    for (const auto& [from, to] : moves) {
        if (!QFileInfo::exists(from)) {
            continue; // a .prj of a layer without a coordinate system
        }
        std::error_code error;
        std::filesystem::rename(systemPath(from), systemPath(to), error);
        if (error) {
            RemoveTemporaries(base);
            return CannotWriteMessage(to, QString::fromLocal8Bit(error.message().c_str()));
        }
        placed << to;
    }
    RemoveTemporaries(base);
    if (shapefile) {
        const QString stem = target.left(target.size() - 3); // "name."
        for (const char* part : kStaleParts) {
            for (const QString& stale :
                 {stem + QLatin1String(part), stem + QString::fromLatin1(part).toUpper()}) {
                if (!placed.contains(stale)) {
                    QFile::remove(stale);
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace ranked
} // namespace quarvel
