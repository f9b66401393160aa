#pragma once

#include "CommandLineOptions.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quarvel {

/** Where one table's files go, every path absolute and clean. */
struct TablePlan {
    QString table;  ///< as given
    QString folder; ///< where the table's own files go
    QString pairs;
    QString results; ///< empty when no results file is asked for
    QString join;    ///< empty when no join file is asked for
    QString picture; ///< empty when no picture is asked for
    QString ranked;  ///< empty when no ranked layer is asked for
    QString map;     ///< empty when no map picture is asked for
    QString groups;  ///< empty when the records are not grouped

    /**
     * Every file the table's run may write, the intermediate files included (all the files of a
     * ranked shapefile).
     */
    QStringList paths() const;
};

/**
 * Places each table's files: beside the table, or into --out-dir (DIR/<table name>/ for
 * several tables); a name with a folder part goes where it says. Two tables that would write
 * the same file are refused before anything is written: nothing then, with the message (which
 * tables, which file, what to do) in clash.
 */
std::optional<std::vector<TablePlan>> PlanOutputs(const AnalyseOptions& options, QString& clash);

} // namespace quarvel
