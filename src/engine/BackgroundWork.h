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
 *
 * The work must own (or share) everything it reads and writes: it may outlive the window
 * that started it, never this object.
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
     * thread. An exception thrown by the work becomes failed(message) there instead, and the
     * program goes on. shownIn is the window that shows the work's stages and progress
     * (nullptr: the main window). Nothing starts (false) while other work is busy.
     */
    template <typename Result>
    [[nodiscard]] bool
    start(std::function<Result(Progress&)> work, std::function<void(Result&)> done,
          std::function<void(const QString&)> failed, const QObject* shownIn = nullptr) {
        auto result = std::make_shared<Result>();
        return startWork([work = std::move(work),
                          result](Progress& progress) mutable { *result = work(progress); },
                         [done = std::move(done), result] { done(*result); }, std::move(failed),
                         shownIn);
    }

    /** The window that shows the running work's progress (nullptr: the main window). */
    const QObject* shownIn() const { return shownIn_; }

    /** Asks running work to stop at its next check and waits until it has. */
    void stop();

    /** The message for an exception that ended work: memory, or what the exception says. */
    static QString failureMessage(std::exception_ptr failure);

signals:
    void busyChanged(bool busy);
    void stageChanged(const QString& text);
    void fractionChanged(double done);

private:
    class Reporter;

    bool startWork(std::function<void(Progress&)> work, std::function<void()> done,
                   std::function<void(const QString&)> failed, const QObject* shownIn);

    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    bool busy_ = false;
    const QObject* shownIn_ = nullptr;
    unsigned generation_ = 0;
};

} // namespace quarvel
