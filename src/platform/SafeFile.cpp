#include "SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace quarvel {
namespace {

constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

} // namespace

SafeFile::SafeFile(const QString& path) : file_(path) {}

SafeFile::~SafeFile() {
    if (!done_ && file_.isOpen()) {
        file_.cancelWriting();
    }
}

bool SafeFile::fail() {
    if (!failed_) {
        failed_ = true;
        error_ = file_.errorString();
        if (error_.isEmpty() || file_.error() == QFileDevice::NoError) {
            error_ = QStringLiteral("the data did not reach the disk");
        }
    }
    if (file_.isOpen()) {
        file_.cancelWriting();
    }
    return false;
}

bool SafeFile::open() {
    // Unbuffered: the blocks below are large already, and a failed write must report its
    // own reason rather than surface later, or never, from Qt's buffer.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failed_ = true;
        error_ = file_.errorString();
        return false;
    }
    buffer_.reserve(kBlockBytes);
    return true;
}

bool SafeFile::writeBuffer() {
    const char* data = buffer_.data();
    auto left = static_cast<qint64>(buffer_.size());
    while (left > 0) {
        const qint64 written = file_.write(data, left);
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
    if (failed_ || !file_.isOpen()) {
        return false;
    }
    buffer_.append(bytes);
    return buffer_.size() < kBlockBytes || writeBuffer();
}

bool SafeFile::commit() {
    if (failed_ || !file_.isOpen()) {
        return false;
    }
    if (!writeBuffer() || !file_.flush() || file_.error() != QFileDevice::NoError) {
        return fail();
    }
    done_ = true;
    if (!file_.commit()) {
        failed_ = true;
        error_ = file_.errorString();
        return false;
    }
    return true;
}

void SafeFile::cancel() {
    if (file_.isOpen()) {
        file_.cancelWriting();
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
