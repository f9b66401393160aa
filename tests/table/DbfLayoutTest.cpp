#include "DbfLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarvel {
namespace {

// Builds a dBASE III file by hand: header, descriptors, terminator, records.
struct HandMadeTable {
    struct Field {
        std::string name;
        char type;
        int width;
        int decimals = 0;
    };
    std::vector<Field> fields;
    std::vector<std::string> records; // each without its deletion flag
    int declaredRecords = -1;         // -1: as many as there are
    int recordLength = -1;            // -1: 1 + sum of widths
    int headerLength = -1;            // -1: as the descriptors need
    bool terminator = true;

    std::vector<unsigned char> bytes() const {
        std::vector<unsigned char> b(32, 0);
        b[0] = 0x03;
        const int count = declaredRecords >= 0 ? declaredRecords : static_cast<int>(records.size());
        for (int i = 0; i < 4; ++i) {
            b[4 + i] = static_cast<unsigned char>((count >> (8 * i)) & 0xFF);
        }
        int sum = 1;
        for (const Field& f : fields) {
            sum += f.type == 'C' ? f.width + 256 * f.decimals : f.width;
        }
        const int header =
            headerLength >= 0 ? headerLength : 32 + 32 * static_cast<int>(fields.size()) + 1;
        const int length = recordLength >= 0 ? recordLength : sum;
        b[8] = static_cast<unsigned char>(header & 0xFF);
        b[9] = static_cast<unsigned char>(header >> 8);
        b[10] = static_cast<unsigned char>(length & 0xFF);
        b[11] = static_cast<unsigned char>(length >> 8);
        for (const Field& f : fields) {
            std::vector<unsigned char> d(32, 0);
            std::copy(f.name.begin(), f.name.end(), d.begin());
            d[11] = static_cast<unsigned char>(f.type);
            d[16] = static_cast<unsigned char>(f.width & 0xFF);
            d[17] = static_cast<unsigned char>(f.decimals);
            b.insert(b.end(), d.begin(), d.end());
        }
        if (terminator) {
            b.push_back(0x0D);
        }
        b.resize(static_cast<std::size_t>(std::max<int>(header, static_cast<int>(b.size()))), 0);
        for (const std::string& record : records) {
            b.push_back(' ');
            b.insert(b.end(), record.begin(), record.end());
        }
        b.push_back(0x1A);
        return b;
    }
};

std::optional<DbfLayout> check(const std::vector<unsigned char>& bytes, std::string& error) {
    return checkDbfLayout(bytes.data(), bytes.size(), error);
}

TEST(DbfLayout, ACellEndsAtItsFirstNulWithinItsWidth) {
    // Every place of the first NUL in a 21-byte cell (words of eight and the tail), bytes
    // with the high bit set before it, and a later NUL that must not count.
    for (std::size_t nul = 0; nul <= 21; ++nul) {
        std::string cell(21, '\xff');
        cell[0] = '1';
        if (nul < 21) {
            cell[nul] = '\0';
            cell[20] = '\0';
        }
        EXPECT_EQ(boundedLength(cell.data(), 21), nul) << nul;
    }
    EXPECT_EQ(boundedLength("abc", 2), 2u);
}

TEST(DbfLayout, ReadsFieldsAndOffsets) {
    HandMadeTable t;
    t.fields = {{"NAME", 'C', 10}, {"POP", 'N', 8}, {"WHEN", 'D', 8}};
    t.records = {"Alder     "
                 "   58805"
                 "20200101"};
    std::string error;
    const auto layout = check(t.bytes(), error);
    ASSERT_TRUE(layout) << error;
    ASSERT_EQ(layout->fields.size(), 3u);
    EXPECT_EQ(layout->fields[0].name, "NAME");
    EXPECT_EQ(layout->fields[1].type, 'N');
    EXPECT_EQ(layout->fields[0].offset, 1);
    EXPECT_EQ(layout->fields[1].offset, 11);
    EXPECT_EQ(layout->fields[2].offset, 19);
    EXPECT_EQ(layout->recordLength, 27);
    EXPECT_EQ(layout->readableRecords, 1u);
}

TEST(DbfLayout, LongCharacterFieldsUseTheDecimalsByteAsHighByte) {
    HandMadeTable t;
    t.fields = {{"MEMO", 'C', 44, 1}}; // 44 + 256 = 300 bytes
    t.records = {std::string(300, 'x')};
    std::string error;
    const auto layout = check(t.bytes(), error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->fields[0].width, 300);
    EXPECT_EQ(layout->fields[0].decimals, 0);
    EXPECT_TRUE(layout->fields[0].longCharacter);
}

TEST(DbfLayout, StrayDecimalsInACharacterFieldAreNotAWidth) {
    // Written with C(10,2): the record length counts ten bytes, so 2 is not a high byte.
    HandMadeTable t;
    t.fields = {{"NAME", 'C', 10, 2}, {"POP", 'N', 6}};
    t.recordLength = 1 + 10 + 6;
    t.records = {"Alder     "
                 " 58805"};
    std::string error;
    const auto layout = check(t.bytes(), error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->fields[0].width, 10);
    EXPECT_FALSE(layout->fields[0].longCharacter);
    EXPECT_EQ(layout->fields[1].offset, 11);
}

TEST(DbfLayout, ZeroFieldsAreFine) {
    HandMadeTable t;
    t.records = {"", "", ""};
    std::string error;
    const auto layout = check(t.bytes(), error);
    ASSERT_TRUE(layout) << error;
    EXPECT_TRUE(layout->fields.empty());
    EXPECT_EQ(layout->readableRecords, 3u);
}

TEST(DbfLayout, NeverMoreRecordsThanTheFileHolds) {
    HandMadeTable t;
    t.fields = {{"A", 'N', 4}};
    t.records = {"   1", "   2"};
    t.declaredRecords = 2000000000;
    std::string error;
    const auto layout = check(t.bytes(), error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->declaredRecords, 2000000000u);
    EXPECT_EQ(layout->readableRecords, 2u);
}

TEST(DbfLayout, FewerRecordsDeclaredThanStoredLimitsTheCount) {
    HandMadeTable t;
    t.fields = {{"A", 'N', 4}};
    t.records = {"   1", "   2", "   3"};
    t.declaredRecords = 1;
    std::string error;
    EXPECT_EQ(check(t.bytes(), error)->readableRecords, 1u);
}

struct BrokenCase {
    const char* name;
    HandMadeTable table;
    std::size_t keepBytes; // 0: the whole file
    const char* errorStart;
};

class BrokenHeader : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenHeader, IsRefusedWithAReason) {
    const BrokenCase& c = GetParam();
    std::vector<unsigned char> bytes = c.table.bytes();
    if (c.keepBytes > 0) {
        bytes.resize(c.keepBytes);
    }
    std::string error;
    EXPECT_FALSE(check(bytes, error));
    EXPECT_EQ(error.rfind(c.errorStart, 0), 0u) << error;
}

HandMadeTable oneField() {
    HandMadeTable t;
    t.fields = {{"A", 'N', 4}, {"B", 'C', 6}};
    t.records = {"   1abcdef"};
    return t;
}

HandMadeTable with(HandMadeTable t, int HandMadeTable::*member, int value) {
    t.*member = value;
    return t;
}

HandMadeTable withGarbageDescriptor() {
    // No terminator, and room for a third descriptor: its bytes are read as a field.
    HandMadeTable t = oneField();
    t.terminator = false;
    t.headerLength = 32 + 96;
    return t;
}

HandMadeTable withZeroWidth() {
    HandMadeTable t = oneField();
    t.fields.push_back({"C", 'C', 0});
    return t;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenHeader,
    ::testing::Values(
        BrokenCase{"Empty", oneField(), 1, "The file is too short"},
        BrokenCase{"TruncatedHeader", oneField(), 40, "The header runs past the end"},
        BrokenCase{"HeaderLengthTooSmall", with(oneField(), &HandMadeTable::headerLength, 32), 0,
                   "The header length it states is too small"},
        BrokenCase{"HeaderLengthPastTheEnd", with(oneField(), &HandMadeTable::headerLength, 60000),
                   200, "The header runs past the end"},
        BrokenCase{"RecordLengthZero", with(oneField(), &HandMadeTable::recordLength, 0), 0,
                   "The record length it states is zero"},
        BrokenCase{"RecordLengthDisagrees", with(oneField(), &HandMadeTable::recordLength, 12), 0,
                   "The record length (12 bytes) disagrees with the fields, which need 11"},
        BrokenCase{"GarbageAfterTheDescriptors", withGarbageDescriptor(), 0,
                   "Field 3 has no width"},
        BrokenCase{"ZeroWidthField", withZeroWidth(), 0, "Field 3 has no width"}),
    [](const ::testing::TestParamInfo<BrokenCase>& param) {
        return std::string(param.param.name);
    });

TEST(DbfLayout, DescriptorsFillingTheHeaderNeedNoTerminator) {
    HandMadeTable t = oneField();
    t.terminator = false;
    t.headerLength = 32 + 64;
    std::string error;
    const auto layout = check(t.bytes(), error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->fields.size(), 2u);
}

TEST(DbfLayout, EmptyFileSaysSo) {
    std::string error;
    EXPECT_FALSE(checkDbfLayout(nullptr, 0, error));
    EXPECT_EQ(error, "The file is empty.");
}

TEST(DbfLayout, RandomBytesNeverCrash) {
    // Whatever the bytes, the check answers; ASan watches that it reads nothing outside.
    std::uint32_t state = 12345;
    int accepted = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(round % 300));
        for (unsigned char& b : bytes) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<unsigned char>(state >> 24);
        }
        std::string error;
        if (const auto layout = check(bytes, error)) {
            ++accepted;
            // Whatever was accepted is consistent with the file.
            EXPECT_LE(static_cast<std::size_t>(layout->headerLength) +
                          layout->readableRecords * static_cast<std::size_t>(layout->recordLength),
                      bytes.size());
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    EXPECT_LT(accepted, 2000);
}

// ---------------------------------------------------------------------------------------
// Cell texts.

struct CellCase {
    char type;
    std::string stored;
    std::string shown;
};

class CellText : public ::testing::TestWithParam<CellCase> {};

TEST_P(CellText, AsTheGridShowsIt) {
    const CellCase& c = GetParam();
    EXPECT_EQ(cellDisplayBytes(c.type, c.stored.data(), c.stored.size()), c.shown)
        << c.type << " \"" << c.stored << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Types, CellText,
    ::testing::Values(
        // Character: padding on the right goes, blanks on the left are data.
        CellCase{'C', "Main St   ", "Main St"}, CellCase{'C', "  indented", "  indented"},
        CellCase{'C', "          ", ""}, CellCase{'C', std::string("ab\0cd  ", 7), "ab"},
        // Numbers as stored, without blanks; asterisks and blanks are NULL.
        CellCase{'N', "   12.50", "12.50"}, CellCase{'N', "      -4", "-4"},
        CellCase{'N', "********", ""}, CellCase{'N', "        ", ""},
        CellCase{'N', "0.114000000000000", "0.114000000000000"},
        CellCase{'F', " 1.00000000000e+000", "1.00000000000e+000"},
        // Dates as YYYY-MM-DD; zeros and blanks are NULL; anything odd stays as stored.
        CellCase{'D', "20240615", "2024-06-15"}, CellCase{'D', "00000000", ""},
        CellCase{'D', "        ", ""}, CellCase{'D', "2024-6-1", "2024-6-1"},
        // Logicals as their letter; "?" and blank are NULL.
        CellCase{'L', "T", "T"}, CellCase{'L', "n", "n"}, CellCase{'L', "?", ""},
        CellCase{'L', " ", ""},
        // Memo block numbers and unknown types trimmed.
        CellCase{'M', "        12", "12"}, CellCase{'M', "          ", ""},
        CellCase{'B', "  xyz  ", "xyz"}));

struct FlagsCase {
    std::string flags; // each record's flag byte; records are two bytes long
    std::size_t stored;
    std::size_t deleted;
    std::size_t firstDeleted;
    std::vector<std::uint32_t> shownAfter;
};

class RecordFlagScan : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(RecordFlagScan, CountsTheDeletedAndListsTheShown) {
    const FlagsCase& c = GetParam();
    std::string records;
    for (char flag : c.flags) {
        records += std::string{flag, 'x'};
    }
    RecordFlags flags;
    std::vector<double> heard;
    ASSERT_TRUE(scanRecordFlags(records.data(), c.flags.size(), 2, flags, [&](double done) {
        heard.push_back(done);
        return true;
    }));
    EXPECT_EQ(flags.stored, c.stored);
    EXPECT_EQ(flags.deleted, c.deleted);
    EXPECT_EQ(flags.firstDeleted, c.firstDeleted);
    EXPECT_EQ(flags.shown, c.shownAfter);
    EXPECT_EQ(heard, std::vector<double>{1.0});
}

INSTANTIATE_TEST_SUITE_P(
    Flags, RecordFlagScan,
    ::testing::Values(FlagsCase{"", 0, 0, 0, {}}, FlagsCase{"   ", 3, 0, 3, {}},
                      FlagsCase{" * ", 3, 1, 1, {2}}, FlagsCase{"*  * ", 5, 2, 0, {1, 2, 4}},
                      FlagsCase{"**\x1a ", 2, 2, 0, {}}, // an end-of-file mark ends them
                      FlagsCase{" \x1a* ", 1, 0, 4, {}}));

TEST(RecordFlagScan, AsksEvery262144RecordsAndStopsWhenTold) {
    const std::string records(2 * 600000, ' ');
    RecordFlags flags;
    std::vector<double> heard;
    EXPECT_TRUE(scanRecordFlags(records.data(), 600000, 2, flags, [&](double done) {
        heard.push_back(done);
        return true;
    }));
    EXPECT_EQ(heard, (std::vector<double>{262144.0 / 600000, 524288.0 / 600000, 1.0}));
    int asked = 0;
    EXPECT_FALSE(
        scanRecordFlags(records.data(), 600000, 2, flags, [&](double) { return ++asked < 2; }));
    EXPECT_EQ(asked, 2);
}

} // namespace
} // namespace quarvel
