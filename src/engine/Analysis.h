#pragma once

#include "AnalysisResults.h"
#include "FieldValues.h"
#include "Progress.h"
#include "Table.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace quarvel {

/** The status texts of the analysis's stages, in the order they come. */
namespace stage {
inline const QString kVerifying = QStringLiteral("Verifying data...");
inline const QString kLoading = QStringLiteral("Loading data for processing...please wait.");
inline const QString kSorting = QStringLiteral("Sorting...");
inline const QString kSortComplete = QStringLiteral("Sort complete...");
inline const QString kFinding = QStringLiteral("Finding Median and Quartiles...");
} // namespace stage

/** The names of the files an analysis writes beside the table (or where it is told). */
inline const QString kPairsFileName = QStringLiteral("Unsorted-Sorted.csv");
inline const QString kResultsFileName = QStringLiteral("Median.csv");

/** How an analysis ended. */
struct AnalysisOutcome {
    enum class Status { Completed, Refused, Failed, Stopped };

    Status status = Status::Refused;
    /** Why it was refused or failed, in the words of the message box titled "Error!". */
    QString message;
    /** What the status line says after a refusal or failure. */
    QString statusText;
    /** The results of a completed analysis (table path and field name included). */
    AnalysisResults results;
    /** The pairs file a completed analysis wrote. */
    QString pairsFile;
    /** The analysed values in table order, as the pairs file lists them (for AnalyseGroups). */
    std::vector<double> tableValues;
    /** Per record, 1 when the run left it out without a value; empty when none was. */
    std::vector<std::uint8_t> leftOut;

    bool completed() const { return status == Status::Completed; }
};

/**
 * The analysis of one field of a table: every check that can refuse it comes first (a field
 * chosen, records, the first record starting with a digit, three records or more, every
 * cell a number), then the values are sorted, "Unsorted-Sorted.csv" is written into folder
 * (its intermediate files too, removed again) and the quartile rule is applied. A refused,
 * failed or stopped analysis leaves every file in folder as it was. Progress hears the
 * stage texts and the fraction done, and may stop the work between stages.
 *
 * With EmptyCells::LeaveOut a record whose cell is empty is left out: the first-record check
 * looks at the first record with a value, the checks and files see only the values, and three
 * values are needed; the results say how many records were left out, the outcome which.
 */
AnalysisOutcome RunAnalysis(const Table& table, int field, const QString& folder,
                            Progress* progress = nullptr, const QLocale& locale = QLocale(),
                            EmptyCells empty = EmptyCells::Refuse);

/** What is said when memory runs out during long work; nothing has been changed then. */
QString NotEnoughMemoryMessage();

/** The refusal of an analysis asked for without a field (or without a table). */
AnalysisOutcome NoFieldRefusal();

/**
 * "Calculations complete: " and the three lines of the quartiles, numbers in the locale, and
 * a line with the number of records left out without a value when there were any.
 */
QString ResultMessage(const AnalysisResults& results, const QLocale& locale = QLocale());

/**
 * Where a file named by the user goes: a bare name into folder, a name with a folder part
 * where it says (relative to folder).
 */
QString OutputPath(const QString& folder, const QString& name);

/**
 * Why a file named by the user may not be written there: it is the analysed table or a file
 * of its family (the same base name with .dbf, .shp, .shx, .prj, .cpg, .dbt, .sbn, .sbx,
 * .qix or .xml, in any letter case, in the table's folder). The message for a box titled
 * "Error!"; nothing when the name is free to use.
 */
std::optional<QString> TableFamilyRefusal(const QString& tablePath, const QString& path);

/** Writes the results file (header and the three numbers); false with the reason. */
bool WriteResultsFile(const AnalysisResults& results, const QString& path, QString& error);

/** The intermediate files an analysis writes beside the pairs file and removes again. */
inline const QString kUnsortedFileName = QStringLiteral("Unsorted.tmp");
inline const QString kSortedFileName = QStringLiteral("Sorted.tmp");

/** What is said when a table cannot be opened; the reader's reason goes with it as detail. */
QString OpenFailureMessage();

/**
 * Writes the results file at path unless the name is the analysed table or a file of its
 * family (TableFamilyRefusal). Nothing when it was written, else the message for a box titled
 * "Error!": the refusal, or why the file could not be written; an earlier file stays then.
 */
std::optional<QString> SaveResultsFile(const AnalysisResults& results, const QString& path);

} // namespace quarvel
