#include "LongSorts.h"

#include "StopCheck.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace quarvel {
namespace {

using Index = std::ptrdiff_t;

// Ranges this short are finished by insertion: quicker than partitioning them further.
constexpr Index kInsertionLimit = 16;

template <typename T, typename Before>
void insertionSort(T* v, Index lo, Index hi, Before before) {
    for (Index i = lo + 1; i <= hi; ++i) {
        const T value = v[i];
        Index j = i;
        while (j > lo && before(value, v[j - 1])) {
            v[j] = v[j - 1];
            --j;
        }
        v[j] = value;
    }
}

template <typename T, typename Before>
void siftDown(T* base, Index root, Index count, Before before) {
    const T value = base[root];
    for (;;) {
        Index child = 2 * root + 1;
        if (child >= count) {
            break;
        }
        if (child + 1 < count && before(base[child], base[child + 1])) {
            ++child;
        }
        if (!before(value, base[child])) {
            break;
        }
        base[root] = base[child];
        root = child;
    }
    base[root] = value;
}

template <typename T, typename Before>
bool heapSort(T* v, Index lo, Index hi, Before before, const StopCheck& stop) {
    T* base = v + lo;
    const Index count = hi - lo + 1;
    const auto due = [&stop](Index step) {
        return stop && static_cast<std::size_t>(step) % kStepsBetweenStopChecks == 0 && stop();
    };
    for (Index root = count / 2 - 1; root >= 0; --root) {
        siftDown(base, root, count, before);
        if (due(root)) {
            return false;
        }
    }
    for (Index last = count - 1; last > 0; --last) {
        std::swap(base[0], base[last]);
        siftDown(base, 0, last, before);
        if (due(last)) {
            return false;
        }
    }
    return true;
}

template <typename T, typename Before>
void compareExchange(T* v, Index a, Index b, Before before) {
    if (before(v[b], v[a])) {
        std::swap(v[a], v[b]);
    }
}

// Puts the median of the values at a, b and c at b.
template <typename T, typename Before>
void sortThree(T* v, Index a, Index b, Index c, Before before) {
    compareExchange(v, a, b, before);
    compareExchange(v, b, c, before);
    compareExchange(v, a, b, before);
}

// Ranges at least this long take the median of three medians of three as their pivot, which
// keeps inputs such as organ pipes from splitting badly again and again.
constexpr Index kNintherLimit = 128;

// Chooses the pivot, the median of the first, middle and last value (of three such medians
// for long ranges), and moves it to the last position, where the partition takes it.
template <typename T, typename Before>
void choosePivot(T* v, Index lo, Index hi, Before before) {
    const Index length = hi - lo + 1;
    const Index mid = lo + length / 2;
    if (length >= kNintherLimit) {
        const Index step = length / 8;
        sortThree(v, lo, lo + step, lo + 2 * step, before);
        sortThree(v, mid - step, mid, mid + step, before);
        sortThree(v, hi - 2 * step, hi - step, hi, before);
        sortThree(v, lo + step, mid, hi - step, before);
    } else {
        sortThree(v, lo, mid, hi, before);
    }
    std::swap(v[mid], v[hi]);
}

// Partitions lo..hi around the value at hi and returns the pivot's final position:
// nothing after it comes before it, nothing before it comes after it.
template <typename T, typename Before>
Index partition(T* v, Index lo, Index hi, Before before) {
    const T pivot = v[hi];
    Index i = lo - 1;
    Index j = hi;
    for (;;) {
        // Stops at hi at the latest, where the pivot itself stands.
        do {
            ++i;
        } while (before(v[i], pivot));
        do {
            --j;
        } while (j > lo && before(pivot, v[j]));
        if (j <= i) {
            break;
        }
        std::swap(v[i], v[j]);
    }
    std::swap(v[i], v[hi]);
    return i;
}

struct Range {
    Index lo;
    Index hi;
    int depthLeft;
};

// Tables are often stored sorted by the analysed field, one way or the other: such ranges
// are finished in one pass. Returns false, having changed nothing, for anything else.
template <typename T, typename Before>
bool finishIfMonotonic(T* v, Index lo, Index hi, Before before) {
    Index i = lo;
    while (i < hi && !before(v[i + 1], v[i])) {
        ++i;
    }
    if (i == hi) {
        return true;
    }
    if (i != lo) {
        return false;
    }
    while (i < hi && !before(v[i], v[i + 1])) {
        ++i;
    }
    if (i == hi) {
        std::reverse(v + lo, v + hi + 1);
        return true;
    }
    return false;
}

template <typename T, typename Before>
bool sortRange(T* v, Index lo, Index hi, Before before, const StopCheck& stop = {}) {
    if (finishIfMonotonic(v, lo, hi, before)) {
        return true;
    }

    // The smaller part is always the one sorted next, so at most log2(n) ranges wait.
    std::array<Range, 2 * 64> waiting{};
    std::size_t height = 0;

    const auto length = static_cast<std::uint64_t>(hi - lo + 1);
    int depthLeft = 2 * std::bit_width(length);

    for (;;) {
        if (hi - lo + 1 <= kInsertionLimit) {
            if (hi > lo) {
                insertionSort(v, lo, hi, before);
            }
        } else if (depthLeft == 0) {
            if (!heapSort(v, lo, hi, before, stop)) {
                return false;
            }
        } else {
            // A long range takes a while to partition: the stop is asked before each.
            if (stop && static_cast<std::size_t>(hi - lo) >= kStepsBetweenStopChecks && stop()) {
                return false;
            }
            --depthLeft;
            choosePivot(v, lo, hi, before);
            const Index p = partition(v, lo, hi, before);
            if (p - lo > hi - p) {
                waiting[height++] = Range{lo, p - 1, depthLeft};
                lo = p + 1;
            } else {
                waiting[height++] = Range{p + 1, hi, depthLeft};
                hi = p - 1;
            }
            continue;
        }
        if (height == 0) {
            return true;
        }
        const Range next = waiting[--height];
        lo = next.lo;
        hi = next.hi;
        depthLeft = next.depthLeft;
    }
}

} // namespace

void SortDoubles(std::span<double> Values, std::optional<std::int64_t> LastIndex, bool Descending) {
    if (Values.size() < 2) {
        return;
    }
    auto hi = static_cast<std::int64_t>(Values.size() - 1);
    if (LastIndex) {
        if (*LastIndex <= 0) {
            return;
        }
        if (*LastIndex < hi) {
            hi = *LastIndex;
        }
    }
    if (Descending) {
        sortRange(Values.data(), 0, static_cast<Index>(hi), std::greater<double>{});
    } else {
        sortRange(Values.data(), 0, static_cast<Index>(hi), std::less<double>{});
    }
}

bool SortDoubles(std::span<double> Values, const StopCheck& stopRequested) {
    if (Values.size() < 2) {
        return true;
    }
    return sortRange(Values.data(), 0, static_cast<Index>(Values.size() - 1), std::less<double>{},
                     stopRequested);
}

namespace {

// A key whose unsigned order is the order of the values (zero and negative zero as one).
std::uint64_t orderKey(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value);
    constexpr std::uint64_t kSign = std::uint64_t(1) << 63;
    return (bits & kSign) != 0 ? ~bits : bits | kSign;
}

} // namespace

std::optional<std::vector<std::uint32_t>> RecordsInValueOrder(std::span<const double> values,
                                                              const StopCheck& stopRequested) {
    // A least-significant-digit radix sort of the values' order keys with their indices:
    // stable, so equal values keep their order, and one pass a byte over the data. A byte
    // that every key shares is passed over (most of them, for whole numbers).
    struct Keyed {
        std::uint64_t key;
        std::uint32_t record;
    };
    std::vector<Keyed> from(values.size());
    std::vector<Keyed> to(values.size());
    std::array<std::array<std::size_t, 256>, 8> counts{};
    // Every pass is long for a large table: the stop is asked every million steps.
    constexpr std::size_t kStepsBetweenChecks = kStepsBetweenStopChecks * 16;
    const auto stopNow = [&stopRequested](std::size_t step) {
        return step % kStepsBetweenChecks == 0 && stopRequested && stopRequested();
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        from[i] = Keyed{orderKey(values[i]), static_cast<std::uint32_t>(i)};
        for (std::size_t digit = 0; digit < 8; ++digit) {
            ++counts[digit][(from[i].key >> (8 * digit)) & 0xFF];
        }
        if (stopNow(i + 1)) {
            return std::nullopt;
        }
    }
    for (std::size_t digit = 0; digit < 8; ++digit) {
        std::array<std::size_t, 256>& count = counts[digit];
        if (std::find(count.begin(), count.end(), values.size()) != count.end()) {
            continue;
        }
        if (stopRequested && stopRequested()) {
            return std::nullopt;
        }
        std::size_t start = 0;
        for (std::size_t& c : count) {
            start += std::exchange(c, start);
        }
        for (std::size_t i = 0; i < from.size(); ++i) {
            const Keyed& k = from[i];
            to[count[(k.key >> (8 * digit)) & 0xFF]++] = k;
            if (stopNow(i + 1)) {
                return std::nullopt;
            }
        }
        from.swap(to);
    }
    to.clear();
    to.shrink_to_fit();
    std::vector<std::uint32_t> records(values.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i] = from[i].record;
    }
    return records;
}

} // namespace quarvel
