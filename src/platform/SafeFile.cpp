#include "SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace quarvel {
namespace {

constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

// The real device: Qt's save file, unbuffered, so that each block's write answers for itself.
class SaveFileDevice final : public SafeFile::Device {
public:
    explicit SaveFileDevice(const QString& path) : file_(path) {}
    bool open() override { return file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isOpen() const override { return file_.isOpen(); }
    qint64 write(const char* data, qint64 size) override { return file_.write(data, size); }
    bool flush() override { return file_.flush(); }
    bool failed() const override { return file_.error() != QFileDevice::NoError; }
    bool commit() override { return file_.commit(); }
    void cancel() override { file_.cancelWriting(); }
    QString errorString() const override { return file_.errorString(); }

private:
    QSaveFile file_;
};

} // namespace

SafeFile::SafeFile(const QString& path) : device_(std::make_unique<SaveFileDevice>(path)) {}

SafeFile::SafeFile(std::unique_ptr<Device> device) : device_(std::move(device)) {}

SafeFile::~SafeFile() {
    if (!done_ && device_->isOpen()) {
        device_->cancel();
    }
}

bool SafeFile::fail() {
    if (!failed_) {
        failed_ = true;
        error_ = device_->errorString();
        if (error_.isEmpty() || error_ == QLatin1String("Unknown error")) {
            error_ = QStringLiteral("the data did not reach the disk");
        }
    }
    if (device_->isOpen()) {
        device_->cancel();
    }
    done_ = true;
    return false;
}

bool SafeFile::open() {
    if (!device_->open()) {
        failed_ = true;
        error_ = device_->errorString();
        return false;
    }
    buffer_.reserve(kBlockBytes);
    return true;
}

bool SafeFile::writeBuffer() {
    const char* data = buffer_.data();
    auto left = static_cast<qint64>(buffer_.size());
    while (left > 0) {
        const qint64 written = device_->write(data, left);
        if (written <= 0) {
            return fail();
        }
        data += written;
        left -= written;
    }
    buffer_.clear();
    return true;
}

bool SafeFile::append(std::string_view bytes) {
    if (failed_ || !device_->isOpen()) {
        return false;
    }
    buffer_.append(bytes);
    return buffer_.size() < kBlockBytes || writeBuffer();
}

bool SafeFile::commit() {
    if (failed_ || !device_->isOpen()) {
        return false;
    }
    if (!writeBuffer() || !device_->flush() || device_->failed()) {
        return fail();
    }
    done_ = true;
    if (!device_->commit()) {
        failed_ = true;
        error_ = device_->errorString();
        if (error_.isEmpty() || error_ == QLatin1String("Unknown error")) {
            error_ = QStringLiteral("the file could not take the place of the earlier one");
        }
        return false;
    }
    return true;
}

void SafeFile::cancel() {
    if (device_->isOpen()) {
        device_->cancel();
    }
    done_ = true;
}

bool SaveWholeFile(const QString& path, std::string_view content, QString& error) {
    SafeFile file(path);
    if (file.open() && file.append(content) && file.commit()) {
        return true;
    }
    error = file.error();
    return false;
}

QString CannotWriteMessage(const QString& path, const QString& reason) {
    const QFileInfo info(path);
    return QStringLiteral("The file \"%1\" could not be written in %2: %3.\r\n"
                          "Check that the folder can be written and has room, then try again.")
        .arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath()), reason);
}

} // namespace quarvel
