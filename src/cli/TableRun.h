#pragma once

#include "CommandLineOptions.h"
#include "OutputPlan.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace quarvel {

class Progress;
class Table;
struct AnalysisResults;

/** A message box's text as lines of a terminal. */
QString PlainText(QString text);

/**
 * One table of `quarvel analyse`: opened and analysed through the engine, then the results
 * file, the join file, the ranked layer, the picture and last the map, each where its plan says;
 * the JSON line when asked. A refusal is printed on err (and as a JSON line), and leaves this
 * table's files as they were; a map that cannot be drawn is said on err and in the JSON line,
 * and leaves the table's other files written.
 */
class TableRun {
public:
    TableRun(const TablePlan& plan, const AnalyseOptions& options, std::FILE* out, std::FILE* err)
        : plan_(plan), options_(options), out_(out), err_(err) {}

    /** True when every file asked for was written. */
    bool run();

private:
    bool refuse(const QString& message);
    std::optional<QString> drawMap(const Table& table, int field, const AnalysisResults& results,
                                   Progress& progress);

    const TablePlan& plan_;
    const AnalyseOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    bool createdFolder_ = false;
};

} // namespace quarvel
