#include "BackgroundWork.h"

#include "Analysis.h"

#include <QMetaObject>

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

bool BackgroundWork::startWork(std::function<void(Progress&)> work, std::function<void()> done) {
    if (busy_) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    stopRequested_ = false;
    busy_ = true;
    const unsigned generation = ++generation_;
    emit busyChanged(true);
    thread_ = std::thread([this, generation, work = std::move(work), done = std::move(done)] {
        Reporter reporter(*this, generation);
        bool failed = false;
        try {
            work(reporter);
        } catch (const std::bad_alloc&) {
            failed = true; // the work left its files as they were; the program goes on
        }
        QMetaObject::invokeMethod(
            this, [this, generation, done, failed] { finish(generation, done, failed); },
            Qt::QueuedConnection);
    });
    return true;
}

void BackgroundWork::finish(unsigned generation, const std::function<void()>& done, bool failed) {
    if (generation != generation_ || !busy_) {
        return; // stopped meanwhile: its result is not wanted
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    busy_ = false;
    emit busyChanged(false);
    if (failed) {
        emit workFailed(NotEnoughMemoryMessage());
        return;
    }
    done();
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
