#include "DbfLayout.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quarvel {
namespace {

constexpr std::size_t kFileHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr unsigned char kHeaderTerminator = 0x0D;
constexpr char kDeletedFlag = '*';
constexpr char kEndOfFile = 0x1A;
// Each page of a mapped file costs a fault the first time: a check every 32 MiB of records
// at most keeps the scan answering within milliseconds.
constexpr std::size_t kRecordsPerCheck = std::size_t(1) << 18;
constexpr std::size_t kRecordBytesPerCheck = std::size_t(1) << 25;

unsigned readU16(const unsigned char* p) {
    return p[0] | (unsigned(p[1]) << 8);
}

std::uint32_t readU32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::string_view trimBlanks(std::string_view text, bool leading) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    while (leading && !text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return text;
}

} // namespace

std::optional<DbfLayout> checkDbfLayout(const unsigned char* data, std::size_t size,
                                        std::string& error) {
    if (size <= kFileHeaderSize) {
        error = size == 0 ? "The file is empty." : "The file is too short to be a dBASE table.";
        return std::nullopt;
    }
    DbfLayout layout;
    layout.declaredRecords = readU32(data + 4);
    layout.headerLength = static_cast<int>(readU16(data + 8));
    layout.recordLength = static_cast<int>(readU16(data + 10));
    layout.languageDriver = data[29];

    const auto headerLength = static_cast<std::size_t>(layout.headerLength);
    if (headerLength <= kFileHeaderSize) {
        error = "The header length it states is too small.";
        return std::nullopt;
    }
    if (headerLength > size) {
        error = "The header runs past the end of the file.";
        return std::nullopt;
    }
    if (layout.recordLength < 1) {
        error = "The record length it states is zero.";
        return std::nullopt;
    }

    // Character fields wider than 255 bytes keep the high byte of their width in the
    // decimals byte; other writers leave stray decimals there. The record length tells
    // which reading the table was written with.
    int lowSum = 1; // every record starts with its deletion flag
    int highSum = 1;
    std::size_t at = kFileHeaderSize;
    // The descriptors end at their terminator, or where the header has no room for another.
    while (at + kDescriptorSize <= headerLength && data[at] != kHeaderTerminator) {
        const unsigned char* descriptor = data + at;
        DbfFieldLayout field;
        const auto* name = reinterpret_cast<const char*>(descriptor);
        field.name.assign(name, strnlen(name, 11));
        field.type = static_cast<char>(descriptor[11]);
        field.width = descriptor[16];
        field.decimals = descriptor[17];
        lowSum += field.width;
        highSum += field.type == 'C' ? field.width + 256 * field.decimals : field.width;
        layout.fields.push_back(std::move(field));
        at += kDescriptorSize;
    }
    const bool highBytes = highSum == layout.recordLength && highSum != lowSum;
    if (!highBytes && lowSum != layout.recordLength) {
        error = "The record length (" + std::to_string(layout.recordLength) +
                " bytes) disagrees with the fields, which need " + std::to_string(lowSum) + ".";
        return std::nullopt;
    }
    int offset = 1;
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        DbfFieldLayout& field = layout.fields[i];
        if (field.type == 'C') {
            if (highBytes && field.decimals > 0) {
                field.width += 256 * field.decimals;
                field.longCharacter = true;
            }
            field.decimals = 0;
        }
        if (field.width < 1) {
            error = "Field " + std::to_string(i + 1) + " has no width.";
            return std::nullopt;
        }
        field.offset = offset;
        offset += field.width;
    }
    const std::size_t present =
        (size - headerLength) / static_cast<std::size_t>(layout.recordLength);
    layout.readableRecords = std::min<std::size_t>(layout.declaredRecords, present);
    return layout;
}

std::size_t boundedLength(const char* bytes, std::size_t width) {
    std::size_t at = 0;
    for (; at + 8 <= width; at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + at, sizeof word);
        // A byte of the word is zero exactly where this leaves its high bit set.
        const std::uint64_t zero = (word - 0x0101010101010101ULL) & ~word & 0x8080808080808080ULL;
        if (zero != 0) {
            return at + static_cast<std::size_t>(std::countr_zero(zero)) / 8;
        }
    }
    for (; at < width; ++at) {
        if (bytes[at] == '\0') {
            return at;
        }
    }
    return width;
}

std::string_view cellDisplayView(char type, const char* bytes, std::size_t width,
                                 std::string& scratch) {
    std::string_view text(bytes, boundedLength(bytes, width));
    switch (type) {
    case 'N':
    case 'F': {
        text = trimBlanks(text, true);
        if (!text.empty() && text.front() == '*') {
            return {}; // a NULL number, or one too wide for its field
        }
        return text;
    }
    case 'D': {
        text = trimBlanks(text, true);
        if (text.find_first_not_of('0') == std::string_view::npos) {
            return {};
        }
        const bool digits = text.size() == 8 && std::all_of(text.begin(), text.end(), [](char c) {
                                return c >= '0' && c <= '9';
                            });
        if (!digits) {
            return text;
        }
        scratch.clear();
        scratch.append(text.substr(0, 4)).append(1, '-');
        scratch.append(text.substr(4, 2)).append(1, '-');
        scratch.append(text.substr(6, 2));
        return scratch;
    }
    case 'L': {
        text = trimBlanks(text, true);
        if (text == "?") {
            return {};
        }
        return text;
    }
    case 'C':
        return trimBlanks(text, false); // only the padding on the right
    default:
        return trimBlanks(text, true);
    }
}

std::string cellDisplayBytes(char type, const char* bytes, std::size_t width) {
    std::string scratch;
    return std::string(cellDisplayView(type, bytes, width, scratch));
}

bool scanRecordFlags(const char* records, std::size_t count, std::size_t recordLength,
                     RecordFlags& flags, const std::function<bool(double)>& onDone) {
    flags.stored = count;
    flags.firstDeleted = count;
    const std::size_t perCheck =
        std::clamp(kRecordBytesPerCheck / recordLength, std::size_t(1), kRecordsPerCheck);
    std::size_t sinceCheck = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const char flag = records[r * recordLength];
        if (flag == kEndOfFile) {
            flags.stored = r;
            break;
        }
        if (flag == kDeletedFlag) {
            if (flags.deleted++ == 0) {
                flags.firstDeleted = r;
                flags.shown.reserve(count - r - 1);
            }
        } else if (flags.deleted > 0) {
            flags.shown.push_back(static_cast<std::uint32_t>(r));
        }
        if (++sinceCheck == perCheck) {
            sinceCheck = 0;
            if (!onDone(static_cast<double>(r + 1) / static_cast<double>(count))) {
                return false;
            }
        }
    }
    if (flags.shown.capacity() - flags.shown.size() > flags.shown.size() / 8) {
        flags.shown.shrink_to_fit(); // many were deleted
    }
    return onDone(1.0);
}

} // namespace quarvel
