#pragma once

#include "DbfWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace quarvel::bench {

/**
 * The table the benchmarks measure: QUARVEL_BENCH_TABLE when set, else a table of
 * 1,000,000 records written once to the temp folder by the project's own generator.
 */
inline QString benchTablePath() {
    static const QString path = [] {
        if (const char* given = std::getenv("QUARVEL_BENCH_TABLE")) {
            // Absolute now: opening a table makes its folder the current one.
            return QFileInfo(QString::fromLocal8Bit(given)).absoluteFilePath();
        }
        const QString made = QDir::temp().filePath("quarvel_bench_1m.dbf");
        if (!QFileInfo::exists(made)) {
            std::string error;
            if (!quarvel::tools::writeBenchmarkTable(made.toStdString(), 1'000'000, 1, error)) {
                std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(made), error.c_str());
                std::exit(1);
            }
        }
        return made;
    }();
    return path;
}

} // namespace quarvel::bench
