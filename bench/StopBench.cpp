// How long a stop takes during each step of the long work on a large table: the table's
// reading, each stage of the analysis, the join file and the detailed drawing. Each step is
// started afresh on a thread, asked to stop a while after it has begun, and the time from
// the request to the thread's end is printed (the longest of the tries).
//
//   quarvel_bench_stop [TABLE.dbf] [FIELD] [RELATE]   (default: the benchmark table, POP, ID)

#include "Analysis.h"
#include "BenchTable.h"
#include "ChartFile.h"
#include "DbfTable.h"
#include "DetailedPicture.h"
#include "FieldValues.h"
#include "JoinFile.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace quarvel;

// Records the stage the work is in and stops it when asked.
class StopWatchProgress final : public Progress {
public:
    void stage(const QString& text) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        stage_ = text;
        since_ = Clock::now();
    }
    bool stopRequested() override { return stop_.load(); }

    // How long the work has been in this stage; negative while it is in another.
    double inStage(const QString& text) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (stage_ != text) {
            return -1;
        }
        return std::chrono::duration<double>(Clock::now() - since_).count();
    }
    void requestStop() { stop_ = true; }

private:
    std::mutex mutex_;
    QString stage_;
    Clock::time_point since_;
    std::atomic<bool> stop_{false};
};

// Runs work on a thread, stops it once it has spent delay seconds in stage, and returns the
// seconds from the request to the thread's end (negative when the stage was never reached
// or had ended first).
template <typename Work>
double stopLatency(Work work, const QString& stage, double delay) {
    StopWatchProgress progress;
    std::atomic<bool> finished = false;
    std::thread thread([&] {
        work(progress);
        finished = true;
    });
    while (!finished && progress.inStage(stage) < delay) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const bool reached = !finished;
    const Clock::time_point asked = Clock::now();
    progress.requestStop();
    thread.join();
    const double latency = std::chrono::duration<double>(Clock::now() - asked).count();
    return reached ? latency : -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString path = argc > 1 ? QDir().absoluteFilePath(QString::fromLocal8Bit(argv[1]))
                                  : quarvel::bench::benchTablePath();
    const QString fieldName = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("POP");
    const QString relateName = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("ID");
    QTemporaryDir out;

    const QString kOpen = QStringLiteral("Opening");
    const auto open = [&](Progress& progress) {
        progress.stage(kOpen);
        QString error;
        return DbfTable::open(path, error,
                              [&progress](double) { return !progress.stopRequested(); });
    };
    std::printf("step                                      delay   stop took\n");
    const auto report = [](const QString& step, double delay, double latency) {
        if (latency < 0) {
            std::printf("%-40s %5.2f s  (step over before the stop)\n", qPrintable(step), delay);
        } else {
            std::printf("%-40s %5.2f s  %7.1f ms\n", qPrintable(step), delay, latency * 1000);
        }
        std::fflush(stdout);
    };
    for (const double delay : {0.05, 0.5, 1.0}) {
        report(kOpen, delay, stopLatency([&](Progress& p) { open(p); }, kOpen, delay));
    }

    QString error;
    const std::shared_ptr<const Table> table = DbfTable::open(path, error);
    if (!table) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }
    const int field = FieldIndex(*table, fieldName);
    const int relate = FieldIndex(*table, relateName);
    const auto analyse = [&](Progress& progress) {
        return RunAnalysis(*table, field, out.path(), &progress);
    };
    for (const QString& stage : {stage::kLoading, stage::kSorting, stage::kSortComplete}) {
        for (const double delay : {0.01, 0.2}) {
            report(stage, delay, stopLatency(analyse, stage, delay));
        }
    }

    const AnalysisOutcome outcome = RunAnalysis(*table, field, out.path());
    const AnalysisResults summary = JoinSummary(outcome.results);
    const QString kJoin = QStringLiteral("Writing the join file");
    for (const double delay : {0.05, 0.5}) {
        report(kJoin, delay,
               stopLatency(
                   [&](Progress& progress) {
                       progress.stage(kJoin);
                       WriteJoinFile(*table, relate, field, summary, out.filePath("Join.txt"),
                                     &progress);
                   },
                   kJoin, delay));
    }

    // The detailed picture, as the plot window draws it on the worker.
    const QString kDraw = drawingStage::kDrawing;
    const QString kPaint = drawingStage::kPainting;
    const QString kRecords = drawingStage::kRecords;
    const auto draw = [&](Progress& progress) {
        DrawDetailedPicture(outcome.results, table.get(), field, kChartPictureSize, ChartFont(),
                            QLocale(), UniformSequence(), progress);
    };
    for (const QString& stage : {kDraw, kPaint, kRecords}) {
        for (const double delay : {0.01, 0.3}) {
            report(stage, delay, stopLatency(draw, stage, delay));
        }
    }

    // How long each step of the detailed drawing takes when it is not stopped.
    class StageTimes final : public Progress {
    public:
        void stage(const QString& text) override {
            lap();
            current_ = text;
        }
        void lap() {
            const Clock::time_point now = Clock::now();
            if (!current_.isEmpty()) {
                std::printf("%-40s took %7.1f ms\n", qPrintable(current_),
                            std::chrono::duration<double>(now - since_).count() * 1000);
            }
            since_ = now;
        }

    private:
        QString current_;
        Clock::time_point since_ = Clock::now();
    } times;
    draw(times);
    times.lap();
    return 0;
}
