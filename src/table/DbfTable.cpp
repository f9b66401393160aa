#include "DbfTable.h"

#include "CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <limits>
#include <new>
#include <string_view>

namespace quarvel {
namespace {

// The .cpg beside a table, found without regard to the letter case of its name.
QString findCpg(const QFileInfo& table) {
    const QDir folder = table.absoluteDir();
    const QString wanted = table.completeBaseName() + QStringLiteral(".cpg");
    // Only a regular file is read: a pipe of that name would never answer.
    const QString exact = folder.filePath(wanted);
    if (QFileInfo(exact).isFile()) {
        return exact;
    }
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0 &&
            QFileInfo(folder.filePath(entry)).isFile()) {
            return folder.filePath(entry);
        }
    }
    return {};
}

bool isAscii(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

constexpr char kDeletedFlag = '*';
constexpr char kEndOfFile = 0x1A;

} // namespace

std::optional<qint64> AvailableMemoryBytes() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    for (const QByteArray& line : meminfo.readAll().split('\n')) {
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').front().toLongLong(&ok);
            if (ok) {
                return kib * 1024;
            }
        }
    }
    return std::nullopt;
}

DbfTable::~DbfTable() = default;

std::unique_ptr<DbfTable> DbfTable::open(const QString& path, QString& error,
                                         const std::function<bool(double)>& onFraction) {
    // Only a regular file is read: a pipe or a device would never end, or never start.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        error = QStringLiteral("The file cannot be opened: it is not a regular file.");
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        error = QStringLiteral("The file cannot be opened: %1").arg(file.errorString());
        return nullptr;
    }
    std::unique_ptr<DbfTable> table(new DbfTable);
    table->path_ = path;
    // A table is held in memory whole, and its analysis needs room besides: a file larger
    // than three quarters of the memory free now is refused before anything is taken.
    const qint64 fileSize = file.size();
    const std::optional<qint64> available = AvailableMemoryBytes();
    if (available && fileSize > *available / 4 * 3) {
        error = QStringLiteral("The file is %1 bytes (%2 MiB), more than this computer's free "
                               "memory can hold with room for the analysis (%3 MiB free).")
                    .arg(fileSize)
                    .arg(fileSize >> 20)
                    .arg(*available >> 20);
        return nullptr;
    }
    // Read in large pieces, so that a long read can tell how far it is and be stopped.
    try {
        table->data_ = QByteArray(fileSize, Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("The file is too large to be read into memory (%1 bytes).")
                    .arg(fileSize);
        return nullptr;
    }
    constexpr qint64 kPiece = qint64(1) << 26;
    qint64 got = 0;
    while (got < fileSize) {
        const qint64 read = file.read(table->data_.data() + got, std::min(kPiece, fileSize - got));
        if (read <= 0) {
            break;
        }
        got += read;
        if (onFraction && !onFraction(static_cast<double>(got) / static_cast<double>(fileSize))) {
            error = QStringLiteral("The reading was stopped.");
            return nullptr;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("The file cannot be read: %1").arg(file.errorString());
        return nullptr;
    }
    table->data_.truncate(got); // a file that shrank while it was read keeps what was read
    file.close();

    std::string problem;
    const auto* bytes = reinterpret_cast<const unsigned char*>(table->data_.constData());
    const auto size = static_cast<std::size_t>(table->data_.size());
    std::optional<DbfLayout> layout = checkDbfLayout(bytes, size, problem);
    if (!layout) {
        error = QString::fromStdString(problem);
        return nullptr;
    }
    if (layout->readableRecords > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        error = QStringLiteral("The table has more records than this program can show.");
        return nullptr;
    }
    table->layout_ = std::move(*layout);

    // The .cpg (if any) names the code page.
    QByteArray cpg;
    const QString cpgPath = findCpg(QFileInfo(path));
    bool haveCpg = false;
    if (!cpgPath.isEmpty()) {
        QFile cpgFile(cpgPath);
        if (cpgFile.open(QIODevice::ReadOnly)) {
            cpg = cpgFile.read(4096);
            haveCpg = true;
        }
    }

    // Records marked deleted are not shown; an end-of-file mark where a record should
    // start ends the records.
    const auto recordLength = static_cast<std::size_t>(table->layout_.recordLength);
    const char* records = table->data_.constData() + table->layout_.headerLength;
    std::size_t physical = table->layout_.readableRecords;
    for (std::size_t r = 0; r < physical; ++r) {
        const char flag = records[r * recordLength];
        if (flag == kEndOfFile) {
            physical = r;
            break;
        }
        if (flag == kDeletedFlag) {
            ++table->deletedCount_;
        }
    }
    if (table->deletedCount_ > 0) {
        table->shown_.reserve(physical - static_cast<std::size_t>(table->deletedCount_));
        for (std::size_t r = 0; r < physical; ++r) {
            if (records[r * recordLength] != kDeletedFlag) {
                table->shown_.push_back(static_cast<std::uint32_t>(r));
            }
        }
    }
    table->recordCount_ = static_cast<int>(physical) - table->deletedCount_;

    // The code page: .cpg, language driver, a UTF-8 guess, Windows-1252.
    QString codePage;
    if (haveCpg) {
        const qsizetype lineEnd = cpg.indexOf('\n');
        codePage = codePageFromCpg(QString::fromLatin1(lineEnd < 0 ? cpg : cpg.left(lineEnd)));
    }
    if (codePage.isEmpty()) {
        codePage = codePageFromLanguageDriver(table->layout_.languageDriver);
    }
    if (codePage.isEmpty()) {
        // The descriptors hold binary widths; only the names and the records are text.
        const std::string_view everything(table->data_.constData(), size);
        bool utf8 =
            isValidUtf8(everything.substr(static_cast<std::size_t>(table->layout_.headerLength)));
        for (const DbfFieldLayout& field : table->layout_.fields) {
            utf8 = utf8 && isValidUtf8(field.name);
        }
        codePage = utf8 ? QStringLiteral("UTF-8") : QStringLiteral("windows-1252");
    }
    table->codePage_ = codePage;
    table->decoder_ = QStringDecoder(codePage.toLatin1().constData());

    table->names_.reserve(table->layout_.fields.size());
    for (const DbfFieldLayout& field : table->layout_.fields) {
        table->names_.push_back(table->decode(field.name));
    }
    return table;
}

const DbfFieldLayout& DbfTable::fieldLayout(int field) const {
    return layout_.fields.at(static_cast<std::size_t>(field));
}

QString DbfTable::fieldName(int field) const {
    if (field < 0 || field >= fieldCount()) {
        return {};
    }
    return names_[static_cast<std::size_t>(field)];
}

const char* DbfTable::field(int record, int fieldIndex) const {
    if (record < 0 || record >= recordCount_ || fieldIndex < 0 || fieldIndex >= fieldCount()) {
        return nullptr;
    }
    const std::size_t physical = shown_.empty() ? static_cast<std::size_t>(record)
                                                : shown_[static_cast<std::size_t>(record)];
    return data_.constData() + layout_.headerLength +
           physical * static_cast<std::size_t>(layout_.recordLength) +
           layout_.fields[static_cast<std::size_t>(fieldIndex)].offset;
}

std::string_view DbfTable::cellView(int record, int fieldIndex, std::string& scratch) const {
    const char* bytes = field(record, fieldIndex);
    if (bytes == nullptr) {
        return {};
    }
    const DbfFieldLayout& layout = layout_.fields[static_cast<std::size_t>(fieldIndex)];
    return cellDisplayView(layout.type, bytes, static_cast<std::size_t>(layout.width), scratch);
}

std::string DbfTable::cellBytes(int record, int fieldIndex) const {
    const char* bytes = field(record, fieldIndex);
    if (bytes == nullptr) {
        return {};
    }
    const DbfFieldLayout& layout = layout_.fields[static_cast<std::size_t>(fieldIndex)];
    return cellDisplayBytes(layout.type, bytes, static_cast<std::size_t>(layout.width));
}

std::string_view DbfTable::storedBytes(int record, int fieldIndex) const {
    const char* bytes = field(record, fieldIndex);
    if (bytes == nullptr) {
        return {};
    }
    const auto width =
        static_cast<std::size_t>(layout_.fields[static_cast<std::size_t>(fieldIndex)].width);
    return std::string_view(bytes, width);
}

QString DbfTable::cellText(int record, int fieldIndex) const {
    return decode(cellBytes(record, fieldIndex));
}

QString DbfTable::decode(const std::string& bytes) const {
    if (isAscii(bytes)) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    const std::lock_guard<std::mutex> lock(decoding_);
    decoder_.resetState();
    return decoder_.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QByteArray DbfTable::encode(const QString& text) const {
    QStringEncoder encoder(codePage_.toLatin1().constData());
    return encoder.encode(text);
}

} // namespace quarvel
