#pragma once

#include "DbfWriter.h"

#include <QByteArray>
#include <QString>

#include <string>

namespace quarvel::testing {

using quarvel::tools::FieldSpec;
using quarvel::tools::TableSpec;

/** Writes tableSpec as a table at path (a .cpg beside it when the tableSpec names one); aborts the
 *  test program if shapelib refuses, since every later check would be meaningless. */
void writeTable(const QString& path, const TableSpec& tableSpec);

QByteArray readBytes(const QString& path);
/** The file's bytes, or "<missing>" when it cannot be read, so that a missing file never equals
 *  an empty one in a comparison. */
QByteArray fileBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

/** Overwrites bytes of a file in place, for tables that must be odd or broken. */
void patchBytes(const QString& path, qsizetype offset, const QByteArray& bytes);
void patchU16(const QString& path, qsizetype offset, unsigned value);
void patchU32(const QString& path, qsizetype offset, unsigned value);

/** A one-field table of character values, the commonest shape in these tests. */
TableSpec textTable(const std::string& fieldName, const std::vector<std::string>& values,
                    int width = 20);

/** A one-field numeric table (VALUE) of this many records, values scattered over 0 to 100,002
 *  with a fraction: long enough for work that takes a while. */
TableSpec largeNumberTable(int records);

/** The join file's worked example: AREA A to H beside POP 15, 3, 100, 1, 6, 4, 2, 5. */
TableSpec workedJoinTable();

/** The groups' worked example: NAME A to M, STATE East (7 records), West (4) or North (2),
 *  POP with one decimal (tests/data/groups holds its files, worked by hand). */
TableSpec workedGroupsTable();

} // namespace quarvel::testing
