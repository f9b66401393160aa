// The detailed view of 1,000,000 values: the drawing recorded into the display list and the
// first painting of the picture at the size of the plot window's picture box.
// Run: make bench (or build/release/bench/quarvel_bench_plot).
#include "BenchMain.h"
#include "BoxPlot.h"
#include "FakePlatform.h"
#include "LongSorts.h"
#include "PlotPicture.h"
#include "QuartileRule.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <random>

namespace {

quarvel::AnalysisResults millionValues() {
    quarvel::AnalysisResults r;
    std::mt19937_64 random(7);
    std::lognormal_distribution<double> skewed(8, 1.5);
    r.SortedValues.resize(1'000'000);
    for (double& v : r.SortedValues) {
        v = skewed(random);
    }
    quarvel::SortDoubles(r.SortedValues);
    r.ValueCount = static_cast<int>(r.SortedValues.size());
    quarvel::ApplyQuartileRule(r);
    return r;
}

void BM_DetailedViewOfAMillionValues(benchmark::State& state) {
    const quarvel::AnalysisResults results = millionValues();
    quarvel::testing::FakeDialogs dialogs;
    quarvel::PlotPicture picture(dialogs);
    picture.resize(505, 345);
    quarvel::UniformSequence heights;
    for (auto _ : state) {
        quarvel::DisplayList& list = picture.displayList();
        list.clear();
        quarvel::DrawDetailedView(list, results, heights);
        picture.pictureChanged();
        const QImage image = picture.renderImage();
        benchmark::DoNotOptimize(image.constBits());
    }
}

} // namespace

BENCHMARK(BM_DetailedViewOfAMillionValues)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    return quarvel::bench::runOffscreen(argc, argv);
}
