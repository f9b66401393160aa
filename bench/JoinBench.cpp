// Writing the join file for every record of a million-record table, as the join window's
// Do It does it (the analysis before it is not counted; the name is answered by a script).
// Run: make bench, or QUARVEL_BENCH_TABLE=/path/big.dbf build/release/bench/quarvel_bench_join
#include "BenchMain.h"
#include "BenchWindow.h"
#include "FakePlatform.h"
#include "frmJoin.h"
#include "frmQuarvel.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

void BM_WriteJoinFile(benchmark::State& state) {
    using namespace quarvel;
    bench::BenchWindow bench;
    testing::FakePlatform& fakes = bench.fakes;
    frmQuarvel& window = bench.window;
    const std::shared_ptr<AnalysisResults>& results = bench.results;
    fakes.dialogs.messageAnswers.push_back(MessageAnswer::No);
    window.findChild<QPushButton*>("cmdDoIt")->click();
    bench.waitForWork();

    frmJoin join(results, window, fakes.dialogs, fakes.work);
    auto* relate = join.findChild<QComboBox*>("cmbJoinList");
    relate->setCurrentIndex(relate->findText(QStringLiteral("ID")));
    for (auto _ : state) {
        fakes.dialogs.inputAnswers.push_back(QStringLiteral("Join.txt"));
        fakes.dialogs.messages.clear();
        join.findChild<QPushButton*>("cmdDotIt")->click();
        bench.waitForWork();
        if (fakes.dialogs.messages.empty() ||
            fakes.dialogs.messages.back().title != QLatin1String("File done.")) {
            state.SkipWithError("the join file was not written");
            return;
        }
    }
    state.counters["records"] = results->ValueCount;
}

} // namespace

BENCHMARK(BM_WriteJoinFile)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    return quarvel::bench::runOffscreen(argc, argv);
}
