#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>

namespace quarvel {

/**
 * A file written through a temporary that replaces the real one only when commit() succeeds,
 * so an earlier file of that name is never lost to a half-written one. Bytes are gathered
 * and written in large blocks, unbuffered by Qt, so that a failing write (a full disk) is
 * seen at once with the system's reason instead of being lost in a buffer at commit time;
 * before the replacement the device is flushed and its error checked again. Every file the
 * program writes goes through here.
 */
class SafeFile {
public:
    /**
     * Where the bytes go: the temporary beside the file, which commit() puts in the file's
     * place (a QSaveFile). Tests give a device that fails on purpose.
     */
    class Device {
    public:
        virtual ~Device() = default;
        virtual bool open() = 0;
        virtual bool isOpen() const = 0;
        /** Bytes written, or -1. */
        virtual qint64 write(const char* data, qint64 size) = 0;
        virtual bool flush() = 0;
        /** Whether the device has seen an error since it was opened. */
        virtual bool failed() const = 0;
        /** Puts the written bytes in the file's place; false when that fails. */
        virtual bool commit() = 0;
        /** Drops what was written; the file stays as it was. */
        virtual void cancel() = 0;
        /** The system's reason for the last failure. */
        virtual QString errorString() const = 0;
    };

    explicit SafeFile(const QString& path);
    explicit SafeFile(std::unique_ptr<Device> device);
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

    std::unique_ptr<Device> device_;
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
