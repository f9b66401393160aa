#include "OutputPlan.h"

#include "Analysis.h"
#include "RankedLayer.h"

#include <QDir>
#include <QFileInfo>

#include <map>

namespace quarvel {
namespace {

bool hasFolderPart(const QString& name) {
    return name.contains(QLatin1Char('/')) || name.contains(QDir::separator());
}

TablePlan planFor(const QString& table, const AnalyseOptions& options) {
    TablePlan plan;
    plan.table = table;
    const QFileInfo info(table);
    if (options.outDir.isEmpty()) {
        plan.folder = info.absolutePath();
    } else if (options.tables.size() == 1) {
        plan.folder = QFileInfo(options.outDir).absoluteFilePath();
    } else {
        plan.folder =
            QDir(QFileInfo(options.outDir).absoluteFilePath()).filePath(info.completeBaseName());
    }
    plan.folder = QDir::cleanPath(plan.folder);
    const auto place = [&plan](const QString& name) {
        return QDir::cleanPath(hasFolderPart(name) ? QFileInfo(name).absoluteFilePath()
                                                   : QDir(plan.folder).filePath(name));
    };
    plan.pairs = place(kPairsFileName);
    if (options.results) {
        plan.results = place(options.resultsFile);
    }
    if (!options.joinKey.isEmpty()) {
        plan.join = place(options.joinFile);
    }
    if (!options.picture.isEmpty()) {
        plan.picture = place(options.picture);
    }
    if (!options.ranked.isEmpty()) {
        plan.ranked = place(options.ranked);
    }
    if (!options.map.isEmpty()) {
        plan.map = place(options.map);
    }
    if (!options.by.isEmpty()) {
        plan.groups = place(options.groupsFile);
    }
    return plan;
}

} // namespace

QStringList TablePlan::paths() const {
    QStringList all{pairs, QDir(folder).filePath(kUnsortedFileName),
                    QDir(folder).filePath(kSortedFileName)};
    for (const QString& path : {results, join, picture, map, groups}) {
        if (!path.isEmpty()) {
            all << path;
        }
    }
    if (!ranked.isEmpty()) {
        all << RankedLayerFiles(ranked);
    }
    return all;
}

std::optional<std::vector<TablePlan>> PlanOutputs(const AnalyseOptions& options, QString& clash) {
    std::vector<TablePlan> plans;
    std::map<QString, QString> owners;
    for (const QString& table : options.tables) {
        plans.push_back(planFor(table, options));
        for (const QString& path : plans.back().paths()) {
            const auto [at, fresh] = owners.emplace(path, table);
            if (!fresh) {
                const QString advice =
                    options.outDir.isEmpty()
                        ? QStringLiteral("Give --out-dir DIR so that each table's files go to "
                                         "DIR/<table name>/, and file names without a folder.")
                        : QStringLiteral("Name each table once (tables of one name from different "
                                         "folders in separate runs), and give file names without "
                                         "a folder.");
                clash = QStringLiteral("%1 and %2 would both write %3.\n%4")
                            .arg(at->second, table, QDir::toNativeSeparators(path), advice);
                return std::nullopt;
            }
        }
    }
    return plans;
}

} // namespace quarvel
