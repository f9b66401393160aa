#include "Analysis.h"
#include "BackgroundWork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace quarvel;

namespace {

// Work that runs until it is asked to stop, reporting its stage once.
int untilStopped(Progress& progress, std::atomic<bool>& running) {
    progress.stage(QStringLiteral("spinning"));
    running = true;
    while (!progress.stopRequested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 1;
}

} // namespace

class tst_BackgroundWork : public QObject {
    Q_OBJECT

private slots:
    void resultAndStagesArriveInOrderOnTheOwnersThread() {
        BackgroundWork work;
        QStringList seen;
        connect(&work, &BackgroundWork::stageChanged, this,
                [&](const QString& text) { seen << text; });
        const bool started = work.start<int>(
            [](Progress& progress) {
                progress.stage(QStringLiteral("one"));
                progress.stage(QStringLiteral("two"));
                return 42;
            },
            [&](int& result) {
                QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
                seen << QString::number(result);
            },
            [&](const QString& message) { seen << message; });
        QVERIFY(started);
        QVERIFY(work.busy());
        // A second piece of work is refused while the first runs.
        QVERIFY(!work.start<int>([](Progress&) { return 0; }, [](int&) {}, {}));
        QTRY_VERIFY(!work.busy());
        QCOMPARE(seen, QStringList({"one", "two", "42"}));
    }

    void aStopMidwayEndsTheWorkAtItsNextCheckAndDropsItsResult() {
        BackgroundWork work;
        std::atomic<bool> running = false;
        int done = 0;
        QVERIFY(work.start<int>([&](Progress& progress) { return untilStopped(progress, running); },
                                [&](int&) { ++done; }, {}));
        QTRY_VERIFY(running.load());
        QSignalSpy busy(&work, &BackgroundWork::busyChanged);
        QElapsedTimer clock;
        clock.start();
        work.stop();
        QVERIFY(clock.elapsed() < 500);
        QVERIFY(!work.busy());
        QCOMPARE(busy.size(), 1);
        QTest::qWait(50); // anything still queued is dropped
        QCOMPARE(done, 0);
        // The worker is free again.
        int second = 0;
        QVERIFY(work.start<int>([](Progress&) { return 7; }, [&](int& r) { second = r; }, {}));
        QTRY_COMPARE(second, 7);
    }

    void anExceptionBecomesTheFailureMessage_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("out of memory") << 0 << NotEnoughMemoryMessage();
        QTest::newRow("a standard exception")
            << 1
            << QStringLiteral("The work could not be finished: disk on fire\r\nNothing was "
                              "changed.");
        QTest::newRow("anything else")
            << 2 << QStringLiteral("The work could not be finished.\r\nNothing was changed.");
    }

    void anExceptionBecomesTheFailureMessage() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        BackgroundWork work;
        QString failure;
        bool done = false;
        QVERIFY(work.start<int>(
            [kind](Progress&) -> int {
                if (kind == 0) {
                    throw std::bad_alloc();
                }
                if (kind == 1) {
                    throw std::runtime_error("disk on fire");
                }
                throw 3;
            },
            [&](int&) { done = true; }, [&](const QString& text) { failure = text; }));
        QTRY_VERIFY(!work.busy());
        QCOMPARE(failure, message);
        QVERIFY(!done);
    }

    void aResultArrivingAfterItsOwnerIsGoneIsDropped() {
        // The work has finished and its result waits in the queue when the owner goes.
        auto work = std::make_unique<BackgroundWork>();
        std::atomic<bool> finished = false;
        bool delivered = false;
        QVERIFY(work->start<int>(
            [&](Progress&) {
                finished = true;
                return 1;
            },
            [&](int&) { delivered = true; }, {}));
        while (!finished) {
            std::this_thread::yield();
        }
        work.reset();
        QTest::qWait(20);
        QVERIFY(!delivered);

        // The owner goes while the work still runs: it is stopped and waited for.
        work = std::make_unique<BackgroundWork>();
        std::atomic<bool> running = false;
        QVERIFY(
            work->start<int>([&](Progress& progress) { return untilStopped(progress, running); },
                             [&](int&) { delivered = true; }, {}));
        QTRY_VERIFY(running.load());
        work.reset();
        QTest::qWait(20);
        QVERIFY(!delivered);
    }
};

QTEST_GUILESS_MAIN(tst_BackgroundWork)
#include "tst_BackgroundWork.moc"
