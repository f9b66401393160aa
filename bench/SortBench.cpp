// SortDoubles against std::sort on one million doubles of several shapes.
// Run: make bench (or build/release/bench/quarvel_bench_sort --benchmark_repetitions=5).
#include "LongSorts.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kCount = 1'000'000;

// The first five are the shapes the goal is set on; the last two keep an eye on inputs
// that are almost in order, which the quicksort itself has to handle.
enum Shape { kRandom, kSorted, kReversed, kAllEqual, kOrganPipe, kNearlySorted, kFewDistinct };

std::vector<double> makeInput(int shape) {
    std::vector<double> v(kCount);
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    for (std::size_t i = 0; i < kCount; ++i) {
        switch (shape) {
        case kRandom:
            v[i] = any(random);
            break;
        case kSorted:
            v[i] = static_cast<double>(i);
            break;
        case kReversed:
            v[i] = static_cast<double>(kCount - i);
            break;
        case kAllEqual:
            v[i] = 42.0;
            break;
        case kOrganPipe:
            v[i] = static_cast<double>(std::min(i, kCount - 1 - i));
            break;
        case kNearlySorted:
            v[i] = static_cast<double>(i);
            break;
        case kFewDistinct:
            v[i] = static_cast<double>(random() % 8);
            break;
        default:
            break;
        }
    }
    if (shape == kNearlySorted) {
        for (std::size_t k = 0; k < kCount / 100; ++k) {
            std::swap(v[random() % kCount], v[random() % kCount]);
        }
    }
    return v;
}

template <typename Sort>
void runSort(benchmark::State& state, Sort sort) {
    const std::vector<double> input = makeInput(static_cast<int>(state.range(0)));
    std::vector<double> work(input.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(input.begin(), input.end(), work.begin());
        state.ResumeTiming();
        sort(work);
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kCount));
}

void BM_SortDoubles(benchmark::State& state) {
    runSort(state, [](std::vector<double>& v) { quarvel::SortDoubles(v); });
}

void BM_StdSort(benchmark::State& state) {
    runSort(state, [](std::vector<double>& v) { std::sort(v.begin(), v.end()); });
}

void shapes(benchmark::internal::Benchmark* b) {
    b->ArgName("shape");
    for (int shape :
         {kRandom, kSorted, kReversed, kAllEqual, kOrganPipe, kNearlySorted, kFewDistinct}) {
        b->Arg(shape);
    }
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_SortDoubles)->Apply(shapes);
BENCHMARK(BM_StdSort)->Apply(shapes);
