// Opening a table of a million records and showing it in the grid, opening it alone, stopping
// an opening part way, and reading one field of every record through the same cell texts the
// analysis uses.
// Run: make bench, or QUARVEL_BENCH_TABLE=/path/big.dbf build/release/bench/quarvel_bench_table
// Without QUARVEL_BENCH_TABLE a 1,000,000-record table is written once to the temp folder.
#include "BenchMain.h"
#include "BenchTable.h"
#include "DbfTable.h"
#include "Table.h"
#include "TableModel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QTableView>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

// Memory the process holds now (not its high-water mark, which earlier benchmarks in the
// same process would have set).
long residentKiB() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    long pages = 0;
    long resident = 0;
    if (statm != nullptr) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_OpenAndShowInGrid(benchmark::State& state) {
    const QString path = quarvel::bench::benchTablePath();
    const double fileMiB = static_cast<double>(QFileInfo(path).size()) / (1024.0 * 1024.0);
    QTableView view;
    view.resize(800, 400);
    view.show();
    QApplication::processEvents();
    const long before = residentKiB();
    long afterFirst = 0;
    for (auto _ : state) {
        QString error;
        auto table = quarvel::DbfTable::open(path, error);
        if (!table) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        auto* model = new quarvel::TableModel(std::move(table));
        QAbstractItemModel* old = view.model();
        view.setModel(model);
        view.setColumnHidden(0, true);
        view.repaint();
        QApplication::processEvents();
        delete old;
        benchmark::DoNotOptimize(model);
        if (afterFirst == 0) {
            afterFirst = residentKiB();
        }
    }
    delete view.model();
    // Memory for one table shown in the grid (later rounds hold the previous table until
    // the next one has loaded, as the program does).
    state.counters["file_MiB"] = fileMiB;
    state.counters["memory_per_file_size"] =
        static_cast<double>(afterFirst - before) / 1024.0 / fileMiB;
}

// The table opened and dropped, nothing shown: the reading and the scans over every record.
void BM_Open(benchmark::State& state) {
    const QString path = quarvel::bench::benchTablePath();
    for (auto _ : state) {
        QString error;
        auto table = quarvel::DbfTable::open(path, error);
        if (!table) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        benchmark::DoNotOptimize(table->recordCount());
    }
    state.counters["file_MiB"] = static_cast<double>(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

// An opening on another thread, asked to stop after the argument's milliseconds: how long
// from the request until the opening has returned (its memory given back), at worst over the
// rounds, and how far the opening had come when asked (its fraction done).
void BM_StopDuringOpen(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const QString path = quarvel::bench::benchTablePath();
    double worstMs = 0;
    double fractionAtWorst = 0;
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::atomic<double> fraction{0};
        Clock::time_point returned;
        bool opened = false;
        std::thread opening([&] {
            QString error;
            auto table = quarvel::DbfTable::open(path, error, [&](double done) {
                fraction = done;
                return !stop.load();
            });
            opened = table != nullptr;
            table.reset();
            returned = Clock::now();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
        const double asked = fraction.load();
        const Clock::time_point requested = Clock::now();
        stop = true;
        opening.join();
        const double ms =
            opened ? 0.0 : std::chrono::duration<double, std::milli>(returned - requested).count();
        if (ms >= worstMs) {
            worstMs = ms;
            fractionAtWorst = asked;
        }
    }
    state.counters["stop_ms"] = worstMs;
    state.counters["fraction"] = fractionAtWorst;
}

void BM_ReadOneFieldOfEveryRecord(benchmark::State& state) {
    QString error;
    auto table = quarvel::DbfTable::open(quarvel::bench::benchTablePath(), error);
    if (!table) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    int field = 0;
    for (int f = 0; f < table->fieldCount(); ++f) {
        if (table->fieldName(f) == QLatin1String("POP")) {
            field = f;
        }
    }
    for (auto _ : state) {
        qsizetype total = 0;
        for (int r = 0; r < table->recordCount(); ++r) {
            total += table->cellText(r, field).size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * table->recordCount());
}

} // namespace

BENCHMARK(BM_OpenAndShowInGrid)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Open)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
BENCHMARK(BM_StopDuringOpen)->Unit(benchmark::kMillisecond)->Iterations(3)->DenseRange(0, 1000, 20);
BENCHMARK(BM_ReadOneFieldOfEveryRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    return quarvel::bench::runOffscreen(argc, argv);
}
