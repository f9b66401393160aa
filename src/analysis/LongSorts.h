#pragma once

#include "StopCheck.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quarvel {

/**
 * Sorts Values in place: indices 0 to LastIndex inclusive (the whole span when LastIndex
 * is omitted), ascending unless Descending is true. Indices after LastIndex are left
 * alone.
 *
 * A LastIndex at or below 0, an empty span or a span of one value leaves the values
 * unchanged; a LastIndex past the end is taken as the last index.
 *
 * An iterative quicksort: median-of-three pivot (of three such medians on long ranges), a
 * two-scan partition that stops on values equal to the pivot (so runs of equal values
 * split near their middle), the smaller part sorted first while the larger waits on a
 * small explicit stack. Input already in order, either way, is finished in one pass;
 * short ranges are finished by insertion, and a range that keeps splitting badly is
 * finished by heapsort, so every input sorts in O(n log n). Not stable; NaNs are moved around but
 * never make it read or write outside the range.
 */
void SortDoubles(std::span<double> Values, std::optional<std::int64_t> LastIndex = std::nullopt,
                 bool Descending = false);

/**
 * Sorts the whole span ascending as SortDoubles does, asking stopRequested before each long
 * partition: false, with the values in no particular order, when it said stop.
 */
bool SortDoubles(std::span<double> Values, const StopCheck& stopRequested);

/**
 * The indices of the values in ascending order of value, equal values (zero and negative zero
 * among them) in index order; stopRequested is asked between passes, and nothing comes back
 * when it said stop. Values are not NaN.
 */
std::optional<std::vector<std::uint32_t>> RecordsInValueOrder(std::span<const double> values,
                                                              const StopCheck& stopRequested);

} // namespace quarvel
