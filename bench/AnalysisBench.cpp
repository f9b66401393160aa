// The whole analysis run behind "Do It" on a million-record table, beside a floor made of
// the same work done the plainest way: read the field's texts, convert them, std::sort,
// write one CSV of unsorted,sorted pairs. The time the result box waits for the user is
// not counted (a scripted answer declines the save).
// Run: make bench, or QUARVEL_BENCH_TABLE=/path/big.dbf build/release/bench/quarvel_bench_analysis
#include "BenchMain.h"
#include "BenchWindow.h"
#include "DbfTable.h"
#include "FakePlatform.h"
#include "frmQuarvel.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

int fieldNamed(const quarvel::DbfTable& table, const char* name) {
    for (int f = 0; f < table.fieldCount(); ++f) {
        if (table.fieldName(f) == QLatin1String(name)) {
            return f;
        }
    }
    return 0;
}

void BM_Floor(benchmark::State& state) {
    QString error;
    auto table = quarvel::DbfTable::open(quarvel::bench::benchTablePath(), error);
    const int field = fieldNamed(*table, "POP");
    QTemporaryDir folder;
    const QByteArray out = QFile::encodeName(folder.filePath("pairs.csv"));
    for (auto _ : state) {
        std::vector<double> values(static_cast<std::size_t>(table->recordCount()));
        for (int r = 0; r < table->recordCount(); ++r) {
            const std::string text = table->cellBytes(r, field);
            std::from_chars(text.data(), text.data() + text.size(),
                            values[static_cast<std::size_t>(r)]);
        }
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        FILE* file = std::fopen(out.constData(), "wb");
        std::fputs("Unsorted,Sorted\r\n", file);
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::fprintf(file, "%.15g,%.15g\r\n", values[i], sorted[i]);
        }
        std::fclose(file);
    }
}

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
    state.counters["records"] = bench.results.ValueCount;
}

} // namespace

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AnalysisRun)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    return quarvel::bench::runOffscreen(argc, argv);
}
