#include "TableRun.h"

#include "OpenTable.h"

#include "Analysis.h"
#include "ChartFile.h"
#include "FieldValues.h"
#include "GroupAnalysis.h"
#include "GroupPicture.h"
#include "JoinFile.h"
#include "JsonLine.h"
#include "LayerShapes.h"
#include "MapPainting.h"
#include "RankedLayer.h"
#include "RecordClasses.h"
#include "SafeFile.h"
#include "TerminalProgress.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace quarvel {
namespace {

const QString kStopped = QStringLiteral("Stopped; the files of this table were left as they were.");

} // namespace

QString PlainText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

bool TableRun::run() {
    QString problem;
    bool readStopped = false;
    // Ctrl+C stops a long read too, between the pieces it reads.
    const std::unique_ptr<Table> table = OpenTable(
        plan_.table, problem,
        [&readStopped](double) {
            readStopped = Interrupted();
            return !readStopped;
        },
        options_.layer);
    if (!table) {
        return refuse(readStopped ? kStopped
                                  : QStringLiteral("%1 (%2)").arg(OpenFailureMessage(), problem));
    }
    // A code-page file that was ignored (a pipe, a device, a folder) is said; the table runs.
    if (const QString note = table->codePageNote(); !note.isEmpty()) {
        std::fprintf(err_, "quarvel: %s: warning: %s\n", plan_.table.toLocal8Bit().constData(),
                     note.toLocal8Bit().constData());
    }
    int field = -1;
    if (!options_.field.isEmpty()) {
        field = FieldIndex(*table, options_.field);
        if (field < 0) {
            return refuse(QStringLiteral("The table has no field named \"%1\".\r\nName one of "
                                         "its fields with --field.")
                              .arg(options_.field));
        }
    } else {
        field = PreselectedField(*table);
        if (field < 0) {
            return refuse(QStringLiteral("No field of the table starts with a number in its "
                                         "first record.\r\nName the field to analyze with "
                                         "--field."));
        }
    }
    int relate = -1;
    if (!options_.joinKey.isEmpty()) {
        relate = FieldIndex(*table, options_.joinKey);
        if (relate < 0) {
            return refuse(QStringLiteral("The table has no field named \"%1\" to relate the "
                                         "join file by.\r\nName one of its fields with --join.")
                              .arg(options_.joinKey));
        }
    }
    int groupField = -1;
    if (!options_.by.isEmpty()) {
        groupField = FieldIndex(*table, options_.by);
        if (groupField < 0) {
            return refuse(QStringLiteral("The table has no field named \"%1\" to group the "
                                         "records by.\r\nName one of its fields with --by.")
                              .arg(options_.by));
        }
    }
    // A name that is the table or a file of its family is refused before anything is
    // written for this table.
    for (const QString& path :
         {plan_.results, plan_.join, plan_.picture, plan_.map, plan_.groups}) {
        if (path.isEmpty()) {
            continue;
        }
        if (const std::optional<QString> family = TableFamilyRefusal(table->path(), path)) {
            return refuse(*family);
        }
    }
    if (!plan_.ranked.isEmpty()) {
        if (const std::optional<QString> refusal =
                RankedLayerRefusal(table->path(), plan_.ranked)) {
            return refuse(*refusal);
        }
    }
    // A folder made here for a table that is then refused is removed again.
    createdFolder_ = !QFileInfo::exists(plan_.folder);
    if (!QDir().mkpath(plan_.folder)) {
        return refuse(CannotWriteMessage(QDir(plan_.folder).filePath(kPairsFileName),
                                         QStringLiteral("the folder cannot be created")));
    }

    TerminalProgress progress(err_, plan_.table);
    AnalysisOutcome outcome =
        RunAnalysis(*table, field, plan_.folder, &progress, QLocale(),
                    options_.skipEmpty ? EmptyCells::LeaveOut : EmptyCells::Refuse);
    if (!outcome.completed()) {
        progress.finish();
        return refuse(outcome.status == AnalysisOutcome::Status::Stopped ? kStopped
                                                                         : outcome.message);
    }
    const AnalysisResults& results = outcome.results;
    if (!plan_.results.isEmpty()) {
        if (const std::optional<QString> refusal = SaveResultsFile(results, plan_.results)) {
            progress.finish();
            return refuse(*refusal);
        }
    }
    // The field within each group: the groups file, and the join file's ranks below.
    std::optional<GroupsOutcome> groups;
    if (groupField >= 0) {
        groups = AnalyseGroups(*table, groupField, outcome.tableValues, outcome.leftOut, &progress);
        if (groups->stopped) {
            progress.finish();
            return refuse(kStopped);
        }
        if (const std::optional<QString> refusal =
                SaveGroupsFile(*groups, table->path(), plan_.groups)) {
            progress.finish();
            return refuse(*refusal);
        }
    }
    if (relate >= 0) {
        progress.stage(
            QStringLiteral("Writing Join file (%1).").arg(QFileInfo(plan_.join).fileName()));
        const JoinOutcome join = WriteJoinFile(*table, relate, field, results, plan_.join,
                                               &progress, QLocale(), groups ? &*groups : nullptr);
        if (!join.written) {
            progress.finish();
            return refuse(join.stopped ? kStopped : join.message);
        }
    }
    QStringList rankedNotes;
    if (!plan_.ranked.isEmpty()) {
        progress.stage(
            QStringLiteral("Writing ranked layer (%1).").arg(QFileInfo(plan_.ranked).fileName()));
        const RankedOutcome ranked = WriteRankedLayer(*table, field, results, plan_.ranked,
                                                      &progress, QLocale(), options_.layer);
        if (!ranked.written) {
            progress.finish();
            return refuse(ranked.stopped ? kStopped : ranked.message);
        }
        rankedNotes = ranked.notes;
    }
    if (!plan_.picture.isEmpty()) {
        // With --by the picture is the group chart: one box a group (the groups with most
        // records), as the groups window draws it.
        DisplayList drawing;
        QSize size = kChartPictureSize;
        if (groups) {
            const GroupChartBoxes chart = GroupBoxesOf(*groups);
            DrawGroupChart(drawing, chart.boxes);
            size = GroupChartPictureSize(chart.boxes.size());
        } else {
            UniformSequence heights; // as after the program's start
            drawing = DrawChart(results, options_.view, heights);
        }
        QString error;
        if (!SaveDrawing(drawing, plan_.picture, size, ChartFont(), error)) {
            progress.finish();
            return refuse(QStringLiteral("The picture could not be saved as \"%1\": %2.")
                              .arg(QFileInfo(plan_.picture).fileName(), error));
        }
    }
    // The map comes last: a table without shapes still has every other file it asked for.
    std::optional<QString> mapRefusal;
    if (!plan_.map.isEmpty()) {
        mapRefusal = drawMap(*table, field, results, progress);
        if (mapRefusal && mapRefusal->isEmpty()) {
            progress.finish();
            return refuse(kStopped);
        }
    }
    progress.finish();
    // Records left out are never left out silently.
    if (results.LeftOutCount > 0) {
        std::fprintf(err_, "quarvel: %s: note: %d records without a value were left out.\n",
                     plan_.table.toLocal8Bit().constData(), results.LeftOutCount);
    }
    // What the shapefile's limits changed is said once the table's work is done.
    for (const QString& note : rankedNotes) {
        std::fprintf(err_, "quarvel: %s: note: %s\n", plan_.table.toLocal8Bit().constData(),
                     note.toLocal8Bit().constData());
    }
    if (mapRefusal) {
        std::fprintf(err_, "quarvel: %s: %s\n", plan_.table.toLocal8Bit().constData(),
                     PlainText(*mapRefusal).toLocal8Bit().constData());
    }
    if (options_.json) {
        const QString map = mapRefusal ? QString() : plan_.map;
        const QString mapError = mapRefusal ? PlainText(*mapRefusal) : QString();
        std::fputs(ResultsJsonLine(plan_.table, results, plan_.ranked, map, mapError).constData(),
                   out_);
        if (groups) {
            const QString fieldName = QString::fromStdString(results.FieldName);
            for (const GroupSummary& group : groups->groups) {
                std::fputs(
                    GroupJsonLine(plan_.table, fieldName, groups->groupField, group).constData(),
                    out_);
            }
        }
        std::fflush(out_);
    }
    return !mapRefusal;
}

// The shapes of the table's records in their classes, the whole extent fitted into the
// command line's picture. Why it cannot be drawn, or an empty text when stopped.
std::optional<QString> TableRun::drawMap(const Table& table, int field,
                                         const AnalysisResults& results, Progress& progress) {
    if (const std::optional<QString> absence = ShapesAbsence(table)) {
        return *absence;
    }
    const QString name = QFileInfo(plan_.map).fileName();
    progress.stage(QStringLiteral("Drawing the map (%1).").arg(name));
    const ShapesRead shapes = ReadShapes(table, &progress);
    if (!shapes.read()) {
        return shapes.stopped ? QString() : shapes.message;
    }
    std::vector<RecordClass> ranks;
    if (const std::optional<QString> refusal = ClassifyRecords(
            table, field, results, QLocale(), &progress, ranks, QStringLiteral("draw the map"))) {
        return *refusal;
    }
    // A record the run left without a value has a feature but no rank.
    std::vector<MapClass> classes(shapes.geometry.featureCount(), MapClass::NoValue);
    const std::size_t ranked = std::min(classes.size(), ranks.size());
    for (std::size_t record = 0; record < ranked; ++record) {
        classes[record] = ranks[record].mapClass();
    }
    const MapTransform whole = MapTransform::fit(shapes.geometry.extent(), kMapPictureWidth,
                                                 kMapPictureHeight, kMapPictureMargin);
    QString error;
    if (!SaveMap(MapScene{&shapes.geometry, &classes}, whole, MapMarks(), plan_.map, error)) {
        return QStringLiteral("The map could not be saved as \"%1\": %2.").arg(name, error);
    }
    return std::nullopt;
}

bool TableRun::refuse(const QString& message) {
    if (createdFolder_) {
        QDir().rmdir(plan_.folder); // only when it is still empty
    }
    std::fprintf(err_, "quarvel: %s: %s\n", plan_.table.toLocal8Bit().constData(),
                 PlainText(message).toLocal8Bit().constData());
    if (options_.json) {
        std::fputs(RefusalJsonLine(plan_.table, PlainText(message)).constData(), out_);
    }
    return false;
}

} // namespace quarvel
