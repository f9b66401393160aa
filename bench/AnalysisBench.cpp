// The whole analysis behind "Do It" on a million-record table, as the user waits for it:
// from the press to the result message (a scripted answer declines the save), the work on
// the worker thread included. Compare with the shared floor program through
// bench/command_line_vs_floor.sh, which times the same work beside it.
// Run: make bench, or QUARVEL_BENCH_TABLE=/path/big.dbf build/release/bench/quarvel_bench_analysis
#include "BenchMain.h"
#include "BenchWindow.h"
#include "FakePlatform.h"
#include "frmQuarvel.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

void BM_AnalysisRun(benchmark::State& state) {
    using namespace quarvel;
    bench::BenchWindow bench;
    testing::FakePlatform& fakes = bench.fakes;
    frmQuarvel& window = bench.window;

    for (auto _ : state) {
        fakes.dialogs.messageAnswers.push_back(MessageAnswer::No);
        window.findChild<QPushButton*>("cmdDoIt")->click();
        bench.waitForWork();
        if (!window.findChild<QAction*>("mnuViewQuarvel")->isEnabled()) {
            state.SkipWithError("the run did not complete");
            return;
        }
    }
    state.counters["records"] = bench.results->ValueCount;
}

} // namespace

BENCHMARK(BM_AnalysisRun)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    return quarvel::bench::runOffscreen(argc, argv);
}
