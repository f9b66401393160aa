#pragma once

#include <QSaveFile>
#include <QString>

#include <string>
#include <string_view>

namespace quarvel {

/**
 * A file written through a temporary that replaces the real one only when commit() succeeds,
 * so an earlier file of that name is never lost to a half-written one. Bytes are gathered
 * and written in large blocks, unbuffered by Qt, so that a failing write (a full disk) is
 * seen at once with the system's reason instead of being lost in a buffer at commit time.
 * Every file the program writes goes through here.
 */
class SafeFile {
public:
    explicit SafeFile(const QString& path);
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;
    /** A file never committed is abandoned: the temporary goes, the earlier file stays. */
    ~SafeFile();

    /** False, with the reason in error(), when the temporary cannot be created. */
    bool open();
    /** Adds bytes; false (and nothing more is written) once a write has failed. */
    bool append(std::string_view bytes);
    /** Writes the rest, checks the device, and replaces the file; false with the reason. */
    bool commit();
    /** Drops everything written; the earlier file stays. */
    void cancel();

    /** The system's reason for the first failure. */
    QString error() const { return error_; }

private:
    bool writeBuffer();
    bool fail();

    QSaveFile file_;
    std::string buffer_;
    QString error_;
    bool failed_ = false;
    bool done_ = false;
};

/** Writes a whole file through SafeFile. False, with the reason in error, on failure. */
bool SaveWholeFile(const QString& path, std::string_view content, QString& error);

/** "The file "x" could not be written in <folder>: <reason>." and what to do about it. */
QString CannotWriteMessage(const QString& path, const QString& reason);

} // namespace quarvel
