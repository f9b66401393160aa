#include "DbfTable.h"

#include "CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <shapefil.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>

namespace quarvel {
namespace {

// ---------------------------------------------------------------------------------------
// shapelib reads through hooks. Ours serve the file from memory (so it is read from disk
// once, under the exact name the user chose) and collect error messages instead of
// printing them.

struct MemoryFile {
    const char* data;
    SAOffset size;
    SAOffset position;
};

struct OpenContext {
    const QByteArray* table = nullptr;
    const QByteArray* cpg = nullptr; // nullptr when there is no .cpg beside the table
    std::vector<std::string> errors;
};

thread_local OpenContext* currentOpen = nullptr;

bool hasExtension(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

SAFile memoryOpen(const char* name, const char* access) {
    if (currentOpen == nullptr || std::strchr(access, 'w') != nullptr ||
        std::strchr(access, '+') != nullptr) {
        return nullptr;
    }
    const QByteArray* content = nullptr;
    if (hasExtension(name, ".dbf")) {
        content = currentOpen->table;
    } else if (hasExtension(name, ".cpg")) {
        content = currentOpen->cpg;
    }
    if (content == nullptr) {
        return nullptr;
    }
    auto* file = new MemoryFile{content->constData(), static_cast<SAOffset>(content->size()), 0};
    return reinterpret_cast<SAFile>(file);
}

MemoryFile* asMemory(SAFile file) {
    return reinterpret_cast<MemoryFile*>(file);
}

SAOffset memoryRead(void* buffer, SAOffset size, SAOffset count, SAFile handle) {
    MemoryFile* file = asMemory(handle);
    if (size == 0 || file->position >= file->size) {
        return 0;
    }
    const SAOffset items = std::min(count, (file->size - file->position) / size);
    std::memcpy(buffer, file->data + file->position, items * size);
    file->position += items * size;
    return items;
}

SAOffset memoryWrite(void*, SAOffset, SAOffset, SAFile) {
    return 0;
}

SAOffset memorySeek(SAFile handle, SAOffset offset, int whence) {
    MemoryFile* file = asMemory(handle);
    SAOffset base = 0;
    if (whence == SEEK_CUR) {
        base = file->position;
    } else if (whence == SEEK_END) {
        base = file->size;
    }
    file->position = base + offset;
    return 0;
}

SAOffset memoryTell(SAFile handle) {
    return asMemory(handle)->position;
}

int memoryFlush(SAFile) {
    return 0;
}

int memoryClose(SAFile handle) {
    delete asMemory(handle);
    return 0;
}

int memoryRemove(const char*) {
    return -1;
}

void collectError(const char* message) {
    if (currentOpen != nullptr) {
        currentOpen->errors.emplace_back(message);
    }
}

double parseNumber(const char* text) {
    // Never used for reading cells; given so that nothing depends on the process locale.
    while (*text == ' ') {
        ++text;
    }
    double value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

SAHooks memoryHooks() {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = memoryOpen;
    hooks.FRead = memoryRead;
    hooks.FWrite = memoryWrite;
    hooks.FSeek = memorySeek;
    hooks.FTell = memoryTell;
    hooks.FFlush = memoryFlush;
    hooks.FClose = memoryClose;
    hooks.Remove = memoryRemove;
    hooks.Error = collectError;
    hooks.Atof = parseNumber;
    return hooks;
}

// The .cpg beside a table, found without regard to the letter case of its name.
QString findCpg(const QFileInfo& table) {
    const QDir folder = table.absoluteDir();
    const QString wanted = table.completeBaseName() + QStringLiteral(".cpg");
    const QString exact = folder.filePath(wanted);
    if (QFileInfo::exists(exact)) {
        return exact;
    }
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
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

DbfTable::~DbfTable() = default;

std::unique_ptr<DbfTable> DbfTable::open(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The file cannot be opened: %1").arg(file.errorString());
        return nullptr;
    }
    std::unique_ptr<DbfTable> table(new DbfTable);
    table->path_ = path;
    table->data_ = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("The file cannot be read: %1").arg(file.errorString());
        return nullptr;
    }
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

    // The .cpg (if any) names the code page; read it now, so shapelib sees the same one.
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

    // shapelib opens the table as well, through our hooks, and must agree on its layout.
    {
        OpenContext context;
        context.table = &table->data_;
        context.cpg = haveCpg ? &cpg : nullptr;
        currentOpen = &context;
        SAHooks hooks = memoryHooks();
        const QByteArray name = QFile::encodeName(path);
        DBFHandle handle = DBFOpenLL(name.constData(), "rb", &hooks);
        currentOpen = nullptr;
        if (handle == nullptr) {
            error = context.errors.empty() ? QStringLiteral("The file is not a dBASE table.")
                                           : QString::fromStdString(context.errors.front());
            return nullptr;
        }
        bool agrees = DBFGetFieldCount(handle) == table->fieldCount() &&
                      handle->nRecordLength == table->layout_.recordLength;
        // shapelib reads only the low byte of a long character field's width, so places
        // are compared up to the first such field; types are compared for all.
        bool comparePlaces = true;
        for (int i = 0; agrees && i < table->fieldCount(); ++i) {
            const DbfFieldLayout& ours = table->layout_.fields[static_cast<std::size_t>(i)];
            comparePlaces = comparePlaces && !ours.longCharacter;
            agrees = DBFGetNativeFieldType(handle, i) == ours.type &&
                     (!comparePlaces || (handle->panFieldOffset[i] == ours.offset &&
                                         handle->panFieldSize[i] == ours.width));
        }
        DBFClose(handle);
        if (!agrees) {
            error = QStringLiteral("The layout of the table's fields cannot be read reliably.");
            return nullptr;
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
    return std::string_view(bytes, strnlen(bytes, width));
}

QString DbfTable::cellText(int record, int fieldIndex) const {
    return decode(cellBytes(record, fieldIndex));
}

QString DbfTable::decode(const std::string& bytes) const {
    if (isAscii(bytes)) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    decoder_.resetState();
    return decoder_.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QByteArray DbfTable::encode(const QString& text) const {
    QStringEncoder encoder(codePage_.toLatin1().constData());
    return encoder.encode(text);
}

} // namespace quarvel
