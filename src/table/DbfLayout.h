#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

/** One field as its header descriptor states it. */
struct DbfFieldLayout {
    std::string name; ///< the stored bytes of the name, up to its first NUL
    char type = 'C';  ///< C, N, F, D, L, M, or whatever letter the writer used
    int width = 0;    ///< bytes in each record (C fields may use the decimals byte as a high byte)
    int decimals = 0;
    int offset = 0; ///< from the start of the record, whose byte 0 is the deletion flag
    /** A character field wider than 255 bytes, its width's high byte in the decimals byte. */
    bool longCharacter = false;
};

/** The layout of a dBASE table, checked against the size of the file that holds it. */
struct DbfLayout {
    std::uint8_t languageDriver = 0;
    std::uint32_t declaredRecords = 0; ///< what the header claims
    std::size_t readableRecords = 0;   ///< what the file really holds
    int headerLength = 0;
    int recordLength = 0;
    std::vector<DbfFieldLayout> fields;
};

/**
 * Checks a table's header before anything trusts it: the file is long enough for the
 * header, the field descriptors (up to their terminator, or to the end of the header) have
 * positive widths that add up to the record length (less its deletion flag). Returns
 * the layout, or nothing with a sentence in error saying what is wrong.
 */
std::optional<DbfLayout> checkDbfLayout(const unsigned char* data, std::size_t size,
                                        std::string& error);

/** What the deletion flags of a table's records say. */
struct RecordFlags {
    std::size_t stored = 0;       ///< records up to an end-of-file mark where a record should start
    std::size_t deleted = 0;      ///< of those, the ones marked deleted
    std::size_t firstDeleted = 0; ///< records before it are all shown
    std::vector<std::uint32_t> shown; ///< physical numbers of the shown records after it
};

/**
 * Reads the flag of each of count records in one pass. onDone hears the fraction done every
 * 262,144 records, or sooner where they span more than 32 MiB, and at the end; it stops the
 * scan (false returned) by returning false.
 */
bool scanRecordFlags(const char* records, std::size_t count, std::size_t recordLength,
                     RecordFlags& flags, const std::function<bool(double)>& onDone);

/**
 * The bytes before the first NUL within width, read eight at a time. Cells are short and
 * read by the million; the C library's vector routines cost more to start than they save
 * here, and slow the number parsing that follows them.
 */
std::size_t boundedLength(const char* bytes, std::size_t width);

/** Bytes of a cell as displayed: NUL cuts the text, then blanks are trimmed as its type wants. */
std::string cellDisplayBytes(char type, const char* bytes, std::size_t width);

/**
 * The same without a copy: a view into the cell's bytes, or into scratch for the one form
 * that is not a part of them (a date shown as YYYY-MM-DD). Valid while both are.
 */
std::string_view cellDisplayView(char type, const char* bytes, std::size_t width,
                                 std::string& scratch);

} // namespace quarvel
