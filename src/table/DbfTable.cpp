#include "DbfTable.h"

#include "AnalysisFiles.h"

#include "CodePage.h"
#include "OpenProgress.h"

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

// The .cpg beside a table, found without regard to the letter case of its name. Only a
// regular file is read: a pipe of that name would never answer. One of that name that is
// something else (a pipe, a device, a folder) is passed over, and said to be.
struct CpgFile {
    QString path;         ///< the regular file found, or empty
    bool ignored = false; ///< none found, but one of that name that is not a regular file
};

CpgFile findCpg(const QFileInfo& table) {
    const QDir folder = table.absoluteDir();
    const QString wanted = table.completeBaseName() + QStringLiteral(".cpg");
    const QString exact = folder.filePath(wanted);
    if (QFileInfo(exact).isFile()) {
        return {exact, false};
    }
    CpgFile found;
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (QFileInfo(folder.filePath(entry)).isFile()) {
            return {folder.filePath(entry), false};
        }
        found.ignored = true;
    }
    return found;
}

// The code page a .cpg names by its first line; empty when it names none (or is empty).
QString readCpg(const QString& path) {
    QFile cpgFile(path);
    if (path.isEmpty() || !cpgFile.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray cpg = cpgFile.read(4096);
    const qsizetype lineEnd = cpg.indexOf('\n');
    return codePageFromCpg(QString::fromLatin1(lineEnd < 0 ? cpg : cpg.left(lineEnd)));
}

bool isAscii(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// How often the work asks whether to go on: each piece takes well under 50 ms here. Reading
// into fresh memory that a virtual machine's host had taken back ran at 1.5 GB/s and less.
constexpr std::size_t kReadPiece = std::size_t(1) << 24;
constexpr std::size_t kUtf8Piece = std::size_t(1) << 25;

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
    const auto stopped = [&error, &table]() -> std::unique_ptr<DbfTable> {
        table->data_.releaseAside();
        error = QStringLiteral("The reading was stopped.");
        return nullptr;
    };
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
    // The file is mapped where it can be, else read into memory of its own.
    const auto size = static_cast<std::size_t>(fileSize);
    const bool mapped = table->data_.map(file.handle(), size);
    if (!mapped && !table->data_.allocate(size)) {
        error = QStringLiteral("The file is too large to be read into memory (%1 bytes).")
                    .arg(fileSize);
        return nullptr;
    }

    // The code page named by the .cpg, else by the language driver byte; when neither names
    // one, every byte is checked for UTF-8 after the reading, and the progress plans for it.
    const CpgFile cpg = findCpg(info);
    if (cpg.ignored) {
        table->codePageNote_ = QStringLiteral("Code page file ignored: not a regular file");
    }
    QString codePage = readCpg(cpg.path);
    char head[32] = {};
    const bool haveHead = file.read(head, sizeof head) == qint64(sizeof head);
    if (codePage.isEmpty() && haveHead) {
        codePage = codePageFromLanguageDriver(static_cast<std::uint8_t>(head[29]));
    }
    file.seek(0);
    const auto recordLength = static_cast<unsigned char>(head[10]) |
                              (static_cast<unsigned>(static_cast<unsigned char>(head[11])) << 8);
    OpenProgress progress(onFraction);
    progress.plan(mapped, static_cast<double>(fileSize),
                  static_cast<double>(fileSize) / std::max(1U, recordLength), codePage.isEmpty());

    // Read in large pieces, so that a long read can tell how far it is and be stopped.
    std::size_t got = mapped ? size : 0;
    while (got < size) {
        const std::size_t piece = std::min(kReadPiece, size - got);
        table->data_.prepare(got, piece);
        const qint64 read = file.read(table->data_.data() + got, static_cast<qint64>(piece));
        if (read <= 0) {
            break;
        }
        got += static_cast<std::size_t>(read);
        if (!progress.at(OpenProgress::Read,
                         static_cast<double>(got) / static_cast<double>(size))) {
            return stopped();
        }
    }
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("The file cannot be read: %1").arg(file.errorString());
        return nullptr;
    }
    table->data_.shrink(got); // a file that shrank while it was read keeps what was read
    file.close();

    std::string problem;
    const auto* bytes = reinterpret_cast<const unsigned char*>(table->data_.data());
    std::optional<DbfLayout> layout = checkDbfLayout(bytes, got, problem);
    if (!layout) {
        error = QString::fromStdString(problem);
        return nullptr;
    }
    if (layout->readableRecords > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        error = QStringLiteral("The table has more records than this program can show.");
        return nullptr;
    }
    table->layout_ = std::move(*layout);

    // Records marked deleted are not shown; an end-of-file mark where a record should
    // start ends the records.
    RecordFlags flags;
    if (!scanRecordFlags(
            table->data_.data() + table->layout_.headerLength, table->layout_.readableRecords,
            static_cast<std::size_t>(table->layout_.recordLength), flags,
            [&progress](double done) { return progress.at(OpenProgress::Flags, done); })) {
        return stopped();
    }
    table->firstDeleted_ = static_cast<int>(flags.firstDeleted);
    table->shown_ = std::move(flags.shown);
    table->deletedCount_ = static_cast<int>(flags.deleted);
    table->recordCount_ = static_cast<int>(flags.stored - flags.deleted);

    // No code page named: UTF-8 when the names and records are well-formed UTF-8, else
    // Windows-1252. The descriptors hold binary widths; only the names and records are text.
    if (codePage.isEmpty()) {
        bool utf8 = true;
        for (const DbfFieldLayout& field : table->layout_.fields) {
            utf8 = utf8 && isValidUtf8(field.name);
        }
        std::string_view rest(table->data_.data(), got);
        rest.remove_prefix(static_cast<std::size_t>(table->layout_.headerLength));
        const double textSize = static_cast<double>(rest.size());
        while (utf8 && !rest.empty()) {
            const std::size_t cut = utf8PieceEnd(rest, kUtf8Piece);
            utf8 = isValidUtf8(rest.substr(0, cut));
            rest.remove_prefix(cut);
            if (!progress.at(OpenProgress::Utf8,
                             1.0 - static_cast<double>(rest.size()) / textSize)) {
                return stopped();
            }
        }
        codePage = utf8 ? QStringLiteral("UTF-8") : QStringLiteral("windows-1252");
    }
    table->codePage_ = codePage;
    table->decoder_ = QStringDecoder(codePage.toLatin1().constData());

    table->names_.reserve(table->layout_.fields.size());
    for (const DbfFieldLayout& field : table->layout_.fields) {
        table->names_.push_back(table->decode(field.name));
    }
    if (!progress.at(OpenProgress::Utf8, 1.0)) {
        return stopped();
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

std::size_t DbfTable::physicalRecord(int record) const {
    return record < firstDeleted_ ? static_cast<std::size_t>(record)
                                  : shown_[static_cast<std::size_t>(record - firstDeleted_)];
}

const char* DbfTable::field(int record, int fieldIndex) const {
    if (record < 0 || record >= recordCount_ || fieldIndex < 0 || fieldIndex >= fieldCount()) {
        return nullptr;
    }
    return data_.data() + layout_.headerLength +
           physicalRecord(record) * static_cast<std::size_t>(layout_.recordLength) +
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

std::string DbfTable::storedFieldName(int field) const {
    return field >= 0 && field < fieldCount() ? fieldLayout(field).name : std::string();
}

FieldKind DbfTable::fieldKind(int field) const {
    switch (fieldLayout(field).type) {
    case 'N':
    case 'F':
        return FieldKind::Number;
    case 'D':
        return FieldKind::Date;
    case 'L':
        return FieldKind::Logical;
    case 'C':
        return FieldKind::Text;
    default:
        return FieldKind::Other;
    }
}

int DbfTable::fieldWidth(int field) const {
    return fieldLayout(field).width;
}

std::optional<double> DbfTable::storedNumber(int record, int field) const {
    // Dates are stored as YYYYMMDD but shown as YYYY-MM-DD, so they go through their text.
    if (fieldLayout(field).type == 'D') {
        return std::nullopt;
    }
    return ParsePlainNumber(storedBytes(record, field));
}

void DbfTable::prefetch(int record, int field) const {
    __builtin_prefetch(storedBytes(record, field).data());
}

} // namespace quarvel
