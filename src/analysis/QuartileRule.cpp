#include "QuartileRule.h"

#include <cmath>
#include <cstddef>

namespace quarvel {
namespace {

// The mean of two values as (a + b) / 2; only when that sum leaves the range of a double
// (two values near the largest double) is it taken as a / 2 + b / 2, which stays finite.
double halfSum(double a, double b) {
    const double sum = a + b;
    if (std::isinf(sum) && std::isfinite(a) && std::isfinite(b)) {
        return a / 2 + b / 2;
    }
    return sum / 2;
}

} // namespace

long long RoundHalfEven(long long numerator, long long denominator) {
    long long quotient = numerator / denominator;
    long long remainder = numerator % denominator;
    if (remainder < 0) { // floor division, so that the remainder is never negative
        quotient -= 1;
        remainder += denominator;
    }
    const long long twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) {
        quotient += 1;
    }
    return quotient;
}

void ApplyQuartileRule(AnalysisResults& results) {
    const long long n = results.ValueCount;
    if (n < 3 || static_cast<std::size_t>(n) > results.SortedValues.size()) {
        return;
    }
    ApplyQuartileRule(
        results, std::span<const double>(results.SortedValues).first(static_cast<std::size_t>(n)));
}

std::array<long long, 6> QuartilePositions(long long n) {
    const long long m = RoundHalfEven(n, 2);
    const long long q = RoundHalfEven(n, 4);
    return {m, n - m, q, m - q, n - q, m + q};
}

void ApplyQuartileRule(AnalysisResults& results, std::span<const double> values) {
    const auto n = static_cast<long long>(values.size());
    if (n < 3) {
        return;
    }
    const long long m = RoundHalfEven(n, 2);
    const long long q = RoundHalfEven(n, 4);

    // Positions count from 1, as the rule is stated.
    const auto at = [values](long long position) {
        return values[static_cast<std::size_t>(position - 1)];
    };

    results.Median = halfSum(at(m), at(n - m));
    results.FirstQuartile = halfSum(at(q), at(m - q));
    results.ThirdQuartile = halfSum(at(n - q), at(m + q));

    const double range = results.ThirdQuartile - results.FirstQuartile;
    const double innerStep = range * 1.5;
    const double outerStep = range * 3;

    results.LowerInnerFence = results.FirstQuartile - innerStep;
    results.UpperInnerFence = results.ThirdQuartile + innerStep;
    results.LowerOuterFence = results.FirstQuartile - outerStep;
    results.UpperOuterFence = results.ThirdQuartile + outerStep;
}

} // namespace quarvel
