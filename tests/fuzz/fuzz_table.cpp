// libFuzzer target: arbitrary bytes as a table (and, after a separator, as its .cpg), read
// cell by cell, analysed and written out as a join file, the way the program handles a
// table a user opens. Any crash or sanitizer report is a bug in the reader or the engine.
#include "Analysis.h"
#include "DbfTable.h"
#include "FieldValues.h"
#include "JoinFile.h"
#include "LocaleNumbers.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

// The bytes after the first occurrence of this mark are the .cpg beside the table.
constexpr std::string_view kCpgMark = "#CPG#";

// Cells read through cellText and cellBytes for one input, so that each input stays fast;
// the analysis and the join file still read the whole field.
constexpr long long kCellBudget = 20000;

// One folder for the whole process, its file names reused from input to input.
const QDir& workFolder() {
    static const auto folder = [] {
        auto made = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                    QStringLiteral("/quarvel-fuzz-XXXXXX"));
        if (!made->isValid()) {
            std::fprintf(stderr, "fuzz_table: no temporary folder: %s\n",
                         qPrintable(made->errorString()));
            std::abort();
        }
        return made;
    }();
    static const QDir dir(folder->path());
    return dir;
}

void writeFile(const QString& path, std::string_view bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "fuzz_table: cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

// Every cell within the budget, through both cell readers and the cell-value conversion
// in the C locale and in one whose decimal separator is a comma.
void readCells(const quarvel::DbfTable& table) {
    static const QLocale german(QLocale::German, QLocale::Germany);
    const int fields = table.fieldCount();
    if (fields == 0) {
        return;
    }
    const long long records =
        std::min<long long>(table.recordCount(), std::max<long long>(1, kCellBudget / fields));
    for (int field = 0; field < fields; ++field) {
        static_cast<void>(table.fieldName(field));
        static_cast<void>(table.fieldLayout(field));
    }
    std::string scratch;
    for (int record = 0; record < records; ++record) {
        for (int field = 0; field < fields; ++field) {
            const QString text = table.cellText(record, field);
            const std::string bytes = table.cellBytes(record, field);
            const std::string_view view = table.cellView(record, field, scratch);
            if (view != bytes) {
                std::fprintf(stderr, "fuzz_table: cellView and cellBytes differ at %d, %d\n",
                             record, field);
                std::abort();
            }
            static_cast<void>(table.storedBytes(record, field));
            static_cast<void>(quarvel::CellValue(text, QLocale::c()));
            static_cast<void>(quarvel::CellValue(text, german));
            static_cast<void>(quarvel::CellValue(table, record, field, QLocale::c()));
        }
    }
    // Out-of-range cells are empty, never a read outside the table.
    static_cast<void>(table.cellText(table.recordCount(), 0));
    static_cast<void>(table.cellBytes(-1, fields));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const QDir& folder = workFolder();
    const QString tablePath = folder.filePath(QStringLiteral("t.dbf"));
    const QString cpgPath = folder.filePath(QStringLiteral("t.cpg"));

    const std::size_t mark = input.find(kCpgMark);
    writeFile(tablePath, input.substr(0, mark));
    if (mark != std::string_view::npos) {
        writeFile(cpgPath, input.substr(mark + kCpgMark.size()));
    } else {
        QFile::remove(cpgPath);
    }

    QString error;
    const std::unique_ptr<quarvel::DbfTable> table =
        quarvel::DbfTable::open(tablePath, error, [](double) { return true; });
    if (!table) {
        return 0;
    }
    readCells(*table);
    static_cast<void>(table->encode(QStringLiteral("Z\u00fcrich")));

    int field = quarvel::PreselectedField(*table);
    if (field < 0) {
        field = 0;
    }
    const quarvel::AnalysisOutcome outcome =
        quarvel::RunAnalysis(*table, field, folder.path(), nullptr, QLocale::c());
    if (outcome.completed() && table->fieldCount() > 0) {
        static_cast<void>(quarvel::WriteJoinFile(*table, 0, field, outcome.results,
                                                 folder.filePath(QStringLiteral("Join.txt")),
                                                 nullptr, QLocale::c()));
    }
    return 0;
}
