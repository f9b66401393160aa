#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarvel {

/**
 * The one set of results the whole program shares: the analysed field's values in
 * ascending order, their count, the median, the quartiles and the four fences.
 *
 * Only the analysis run writes it; the plot and the join export read it afresh each
 * time one of their commands runs. Position k of a value (counting from 1) is index
 * k - 1 of SortedValues.
 */
struct AnalysisResults {
    std::vector<double> SortedValues;
    double FirstQuartile = 0;
    double Median = 0;
    double ThirdQuartile = 0;
    int ValueCount = 0;
    double LowerInnerFence = 0;
    double UpperInnerFence = 0;
    double LowerOuterFence = 0;
    double UpperOuterFence = 0;

    /**
     * Whether the run was asked to leave out records without a value (an empty or NULL cell),
     * and how many it left out: ValueCount counts only the values analysed, so the table has
     * ValueCount + LeftOutCount records.
     */
    bool SkipEmpty = false;
    int LeftOutCount = 0;

    /** A digest of the analysed values as a collection (see the engine's ValuesDigest). */
    std::uint64_t ValuesDigest = 0;

    /** Which table (full path) and which field the results describe, as UTF-8 texts. */
    std::string TablePath;
    std::string FieldName;
};

} // namespace quarvel
