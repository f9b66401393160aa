#include "SafeFile.h"
#include "Analysis.h"
#include "DbfTable.h"
#include "FavoriteFolder.h"
#include "JoinFile.h"
#include "TestTables.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

namespace quarvel {
namespace {

using testing::fileBytes;
using testing::writeBytes;

// A device that fails at one chosen step, the way a full disk or a broken medium does.
enum class FailAt { Nothing, Write, Flush, Commit };

struct DeviceLog {
    QByteArray written;
    bool committed = false;
    bool cancelled = false;
};

class FailingDevice final : public SafeFile::Device {
public:
    FailingDevice(FailAt failAt, DeviceLog& log) : failAt_(failAt), log_(log) {}
    bool open() override { return open_ = true; }
    bool isOpen() const override { return open_; }
    qint64 write(const char* data, qint64 size) override {
        if (failAt_ == FailAt::Write) {
            failed_ = true;
            return -1;
        }
        log_.written.append(data, size);
        return size;
    }
    bool flush() override { return failAt_ != FailAt::Flush || !(failed_ = true); }
    bool failed() const override { return failed_; }
    bool commit() override {
        if (failAt_ == FailAt::Commit) {
            return false;
        }
        log_.committed = true;
        return true;
    }
    void cancel() override { log_.cancelled = true; }
    QString errorString() const override { return QStringLiteral("No space left on device"); }

private:
    FailAt failAt_;
    DeviceLog& log_;
    bool open_ = false;
    bool failed_ = false;
};

class FailingWrites : public ::testing::TestWithParam<FailAt> {};

TEST_P(FailingWrites, AreReportedWithTheSystemsReasonAndReplaceNothing) {
    DeviceLog log;
    SafeFile file(std::make_unique<FailingDevice>(GetParam(), log));
    ASSERT_TRUE(file.open());
    // A small file: its bytes stay in the block until commit, where Qt's own commit would
    // have lost the failure.
    const bool appended = file.append("First Quartile,Median,Third Quartile\r\n1,3,5\r\n");
    EXPECT_TRUE(appended);
    const bool committed = file.commit();
    if (GetParam() == FailAt::Nothing) {
        EXPECT_TRUE(committed);
        EXPECT_TRUE(log.committed);
        EXPECT_EQ(log.written, "First Quartile,Median,Third Quartile\r\n1,3,5\r\n");
        return;
    }
    EXPECT_FALSE(committed);
    EXPECT_FALSE(log.committed);
    EXPECT_TRUE(log.cancelled || GetParam() == FailAt::Commit);
    EXPECT_EQ(file.error(), QStringLiteral("No space left on device"));
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingWrites,
                         ::testing::Values(FailAt::Nothing, FailAt::Write, FailAt::Flush,
                                           FailAt::Commit));

// A real full disk: a small tmpfs, which only root may mount.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to mount a small tmpfs";
        }
        mount_ = QDir(folder.path()).filePath("small");
        QDir().mkpath(mount_);
        if (::mount("tmpfs", QFile::encodeName(mount_).constData(), "tmpfs", 0, "size=256k") != 0) {
            mount_.clear();
            GTEST_SKIP() << "this machine does not let a tmpfs be mounted";
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) {
            ::umount(QFile::encodeName(mount_).constData());
        }
    }
    QString in(const QString& name) const { return QDir(mount_).filePath(name); }
    void fillTheDisk() {
        QFile filler(in("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
    }

    QTemporaryDir folder;
    QString mount_;
    bool mounted_ = false;
};

TEST_F(FullDisk, EveryFileKeepsItsEarlierVersionAndSaysWhy) {
    testing::writeTable(in("t.dbf"), testing::textTable("VALUE", {"5", "3", "8", "1"}));
    QString error;
    const std::unique_ptr<DbfTable> table = DbfTable::open(in("t.dbf"), error);
    ASSERT_TRUE(table) << error.toStdString();
    const AnalysisOutcome done = RunAnalysis(*table, 0, mount_);
    ASSERT_TRUE(done.completed());
    for (const char* name : {"Unsorted-Sorted.csv", "Median.csv", "Join.txt"}) {
        writeBytes(in(name), "earlier\r\n");
    }
    const FavoriteFolderFile favourite(mount_, mount_);
    ASSERT_TRUE(favourite.write("/earlier/"));
    fillTheDisk();

    const AnalysisOutcome outcome = RunAnalysis(*table, 0, mount_);
    EXPECT_EQ(outcome.status, AnalysisOutcome::Status::Failed);
    EXPECT_TRUE(outcome.message.contains("No space left on device"))
        << outcome.message.toStdString();
    EXPECT_FALSE(WriteResultsFile(done.results, in("Median.csv"), error));
    EXPECT_EQ(error, QStringLiteral("No space left on device"));
    const JoinOutcome join = WriteJoinFile(*table, 0, 0, done.results, in("Join.txt"));
    EXPECT_FALSE(join.written);
    EXPECT_TRUE(join.message.contains("No space left on device")) << join.message.toStdString();
    EXPECT_FALSE(favourite.write("/later/"));

    for (const char* name : {"Unsorted-Sorted.csv", "Median.csv", "Join.txt"}) {
        EXPECT_EQ(fileBytes(in(name)), "earlier\r\n") << name;
    }
    EXPECT_EQ(favourite.read(), QStringLiteral("/earlier/"));
    EXPECT_FALSE(QFile::exists(in("Unsorted.tmp")));
    EXPECT_FALSE(QFile::exists(in("Sorted.tmp")));
}

} // namespace
} // namespace quarvel
