#pragma once

#include "AnalysisResults.h"
#include "Progress.h"
#include "Table.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

/** The file that lists each group's quartiles and fences, beside the table by default. */
inline const QString kGroupsFileName = QStringLiteral("Groups.csv");

/** What the status line says while the groups are found and described. */
inline const QString kGroupingStage =
    QStringLiteral("Finding Median and Quartiles of each group...");

/** The join note of a record whose group has too few records to be described. */
inline constexpr std::string_view kTooFewInGroupNote = "Too few records in group";

/** One group of records: those whose group field shows the same text. */
struct GroupSummary {
    /** The group field's text as the grid shows it; empty for the records without one. */
    QString text;
    /** How many values the group holds. */
    int records = 0;
    /** Whether the group has the three values or more that the quartile rule needs. */
    bool described = false;
    /**
     * The group's values in ascending order (SortedValues, ValueCount) and, when described,
     * its quartiles, median and fences; TablePath names the table (FieldName is left to the
     * caller). A group that is not described keeps zeros there.
     */
    AnalysisResults results;

    /** The group's lowest and highest value (records > 0). */
    double lowest() const { return results.SortedValues.front(); }
    double highest() const { return results.SortedValues.back(); }
};

/** The groups of a field's records, each described by the quartile rule. */
struct GroupsOutcome {
    /** The name of the field the records are grouped by. */
    QString groupField;
    /** Ascending by the bytes of each group text in UTF-8; the empty text, if any, first. */
    std::vector<GroupSummary> groups;
    /** Each record's index into groups, or -1 for a record left out of the analysis. */
    std::vector<std::int32_t> groupOf;
    /** The work was asked to stop; groups and groupOf are empty then. */
    bool stopped = false;
};

/**
 * Groups the records of table by the text of groupField and describes each group's values
 * by the quartile rule. values holds the value of every record that is not left out, in table
 * order (the analysis's values before they were sorted: AnalysisOutcome::tableValues);
 * leftOut, when not empty, has one entry a record, nonzero for a record left out of the
 * analysis, which then belongs to no group. The group field's cells are read once. Progress
 * hears the stage and the fraction done, and may stop the work.
 */
GroupsOutcome AnalyseGroups(const Table& table, int groupField, std::span<const double> values,
                            std::span<const std::uint8_t> leftOut = {},
                            Progress* progress = nullptr);

/**
 * The text of the groups file: the header "Group,Records,1st Quartile,Median,3rd Quartile,
 * Lower Inner Fence,Upper Inner Fence,Lower Outer Fence,Upper Outer Fence", then a line a
 * group in the outcome's order, numbers as in the results file; a group text that holds a
 * comma, a double quote, a carriage return or a line feed is quoted (its quotes doubled). A
 * group that is not described has its text and count and empty fields. UTF-8, CRLF line ends.
 */
std::string GroupsFileText(const GroupsOutcome& outcome);

/**
 * Writes the groups file at path unless the name is the table at tablePath or a file of its
 * family. Nothing when it was written, else the message for a box titled "Error!"; an earlier
 * file stays then.
 */
std::optional<QString> SaveGroupsFile(const GroupsOutcome& outcome, const QString& tablePath,
                                      const QString& path);

} // namespace quarvel
