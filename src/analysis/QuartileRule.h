#pragma once

#include "AnalysisResults.h"

#include <array>
#include <span>

namespace quarvel {

/**
 * Stores the median, the two quartiles and the four fences of results.SortedValues,
 * which must be in ascending order, by the program's fixed quartile rule.
 *
 * With n = ValueCount, m = n / 2 and q = n / 4, each rounded to the nearest integer
 * with exact halves going to the even neighbour, and A[k] the k-th smallest value:
 * Median = (A[m] + A[n - m]) / 2, FirstQuartile = (A[q] + A[m - q]) / 2 and
 * ThirdQuartile = (A[n - q] + A[m + q]) / 2. The fences lie 1.5 and 3 inter-quartile
 * ranges beyond the quartiles.
 *
 * The rule needs ValueCount of 3 or more and at least that many values; for anything
 * else there are no positions to average, and results is left as it was.
 */
void ApplyQuartileRule(AnalysisResults& results);

/**
 * The same rule over values.size() values that need not be in order: at each position that
 * QuartilePositions names, values must hold the value ascending order puts there (as after a
 * sort, or after selecting those positions). SortedValues and ValueCount are left alone; fewer
 * than three values leave results as they were.
 */
void ApplyQuartileRule(AnalysisResults& results, std::span<const double> values);

/**
 * The positions (counting from 1) whose values the rule averages for n values (n >= 3): the
 * median's two, the first quartile's two and the third quartile's two.
 */
std::array<long long, 6> QuartilePositions(long long n);

/** Rounds numerator / denominator (denominator > 0) to the nearest integer, halves to even. */
long long RoundHalfEven(long long numerator, long long denominator);

} // namespace quarvel
