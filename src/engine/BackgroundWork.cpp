#include "BackgroundWork.h"

#include "Analysis.h"

#include <QMetaObject>

#include <exception>
#include <new>

namespace quarvel {

// What the work hears: its reports are posted to the owner's thread, and it may be stopped.
class BackgroundWork::Reporter final : public Progress {
public:
    Reporter(BackgroundWork& owner, unsigned generation) : owner_(owner), generation_(generation) {}

    void stage(const QString& text) override {
        post([text](BackgroundWork& owner) { emit owner.stageChanged(text); });
    }
    void fraction(double done) override {
        post([done](BackgroundWork& owner) { emit owner.fractionChanged(done); });
    }
    bool stopRequested() override { return owner_.stopRequested_.load(); }

private:
    template <typename Call>
    void post(Call call) {
        BackgroundWork* owner = &owner_;
        const unsigned generation = generation_;
        QMetaObject::invokeMethod(
            owner,
            [owner, generation, call] {
                if (owner->generation_ == generation && owner->busy_) {
                    call(*owner);
                }
            },
            Qt::QueuedConnection);
    }

    BackgroundWork& owner_;
    unsigned generation_;
};

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent) {}

BackgroundWork::~BackgroundWork() {
    stop();
}

QString BackgroundWork::failureMessage(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return NotEnoughMemoryMessage();
    } catch (const std::exception& e) {
        return QStringLiteral("The work could not be finished: %1\r\nNothing was changed.")
            .arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return QStringLiteral("The work could not be finished.\r\nNothing was changed.");
    }
}

bool BackgroundWork::startWork(std::function<void(Progress&)> work, std::function<void()> done,
                               std::function<void(const QString&)> failed, const QObject* shownIn) {
    if (busy_) {
        return false;
    }
    shownIn_ = shownIn;
    if (thread_.joinable()) {
        thread_.join();
    }
    stopRequested_ = false;
    busy_ = true;
    const unsigned generation = ++generation_;
    emit busyChanged(true);
    thread_ = std::thread([this, generation, work = std::move(work), done = std::move(done),
                           failed = std::move(failed)] {
        Reporter reporter(*this, generation);
        std::exception_ptr failure;
        try {
            work(reporter);
        } catch (...) {
            failure = std::current_exception(); // the work left its files as they were
        }
        // Handed over on the owner's thread, unless the work was stopped (or the owner is
        // gone: a queued call to a destroyed object is dropped).
        QMetaObject::invokeMethod(
            this,
            [this, generation, done, failed, failure] {
                if (generation != generation_ || !busy_) {
                    return;
                }
                if (thread_.joinable()) {
                    thread_.join();
                }
                busy_ = false;
                emit busyChanged(false);
                if (!failure) {
                    done();
                } else if (failed) {
                    failed(failureMessage(failure));
                }
            },
            Qt::QueuedConnection);
    });
    return true;
}

void BackgroundWork::stop() {
    stopRequested_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (busy_) {
        busy_ = false;
        ++generation_; // whatever is still on its way is dropped
        emit busyChanged(false);
    }
}

} // namespace quarvel
