#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quarvel::tools {

struct FieldSpec {
    std::string name;
    char type = 'C';
    int width = 10;
    int decimals = 0;
};

/** A small table to write: fields, records of stored texts (nothing for NULL), code page. */
struct TableSpec {
    std::vector<FieldSpec> fields;
    std::vector<std::vector<std::optional<std::string>>> records;
    std::vector<int> deletedRecords; ///< record numbers (from 0) to mark deleted
    /** "" for none, "LDID/n" for a language-driver byte, anything else for a .cpg file. */
    std::string codePage;
};

/**
 * Writes a dBASE III table with shapelib. Texts are stored as given (bytes of whatever
 * encoding the caller chose); numbers are right-aligned in their field, as dBASE writers
 * store them. Returns false with a sentence in error when shapelib refuses.
 */
bool writeDbf(const std::string& path, const TableSpec& tableSpec, std::string& error);

/**
 * Writes a benchmark table of `records` records: ID, NAME, twelve numeric fields of
 * several shapes (random, sorted, negative, with decimals), two dates, a logical and
 * three text fields; deterministic for a given seed.
 */
bool writeBenchmarkTable(const std::string& path, int records, unsigned seed, std::string& error);

} // namespace quarvel::tools
