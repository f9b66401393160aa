#pragma once

#include "Progress.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace quarvel {

/**
 * Runs long work (opening a table, the analysis, the join file, the detailed chart) on a
 * thread of its own, one piece at a time, so that the windows keep repainting and answering.
 * The work reports through a Progress; its stage texts and fractions, and then its result,
 * arrive on the thread that owns this object (the windows' thread), in the order they were
 * sent. stop() asks the work to end at its next check and waits for it; the result of
 * stopped work is never delivered. Destroying this object stops the work first.
 */
class BackgroundWork : public QObject {
    Q_OBJECT

public:
    explicit BackgroundWork(QObject* parent = nullptr);
    ~BackgroundWork() override;

    /** Whether work is running (from start() until its result has been handed over). */
    bool busy() const { return busy_; }

    /**
     * Starts work(progress) on the worker thread; done(result) then runs on this object's
     * thread. Nothing starts (false) while other work is busy.
     */
    template <typename Result>
    bool start(std::function<Result(Progress&)> work, std::function<void(Result&)> done) {
        auto result = std::make_shared<Result>();
        return startWork([work = std::move(work),
                          result](Progress& progress) mutable { *result = work(progress); },
                         [done = std::move(done), result] { done(*result); });
    }

    /** Asks running work to stop at its next check and waits until it has. */
    void stop();

signals:
    void busyChanged(bool busy);
    void stageChanged(const QString& text);
    void fractionChanged(double done);
    /** The work ran out of memory: its result never comes, and nothing was changed. */
    void workFailed(const QString& reason);

private:
    class Reporter;

    bool startWork(std::function<void(Progress&)> work, std::function<void()> done);
    void finish(unsigned generation, const std::function<void()>& done, bool failed);

    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    bool busy_ = false;
    unsigned generation_ = 0;
};

} // namespace quarvel
