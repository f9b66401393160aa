#pragma once

#include "AnalysisResults.h"

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

/** Rounds numerator / denominator (denominator > 0) to the nearest integer, halves to even. */
long long RoundHalfEven(long long numerator, long long denominator);

} // namespace quarvel
