#include "DbfTable.h"
#include "TestTables.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

namespace quarvel {
namespace {

using namespace quarvel::testing;

std::string text(const QString& s) {
    return s.toStdString();
}

class DbfTableTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }

    std::unique_ptr<DbfTable> openOk(const QString& file) {
        QString error;
        auto table = DbfTable::open(file, error);
        EXPECT_TRUE(table) << text(error);
        return table;
    }

    QString openFails(const QString& file) {
        QString error;
        auto table = DbfTable::open(file, error);
        EXPECT_FALSE(table);
        EXPECT_FALSE(error.isEmpty());
        return error;
    }
};

TEST_F(DbfTableTest, EveryFieldTypeAsText) {
    TableSpec tableSpec;
    tableSpec.fields = {{"NAME", 'C', 12, 0},  {"POP", 'N', 9, 0},     {"SHARE", 'N', 8, 3},
                        {"RATIO", 'F', 12, 4}, {"FOUNDED", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0},
                        {"NOTES", 'M', 10, 0}};
    tableSpec.records = {{"Alder", "58805", "0.125", "1.5000", "19610514", "T", "12"},
                         {"  Birch", "-4", "12.500", "-0.0001", "20240229", "f", std::nullopt}};
    writeTable(path("types.dbf"), tableSpec);
    auto table = openOk(path("types.dbf"));
    ASSERT_TRUE(table);
    ASSERT_EQ(table->fieldCount(), 7);
    ASSERT_EQ(table->recordCount(), 2);
    const std::vector<std::vector<std::string>> expected = {
        {"Alder", "58805", "0.125", "1.5000", "1961-05-14", "T", "12"},
        {"  Birch", "-4", "12.500", "-0.0001", "2024-02-29", "f", ""}};
    for (int r = 0; r < 2; ++r) {
        for (int f = 0; f < 7; ++f) {
            EXPECT_EQ(text(table->cellText(r, f)),
                      expected[static_cast<std::size_t>(r)][static_cast<std::size_t>(f)])
                << "record " << r << " field " << f;
        }
    }
    EXPECT_EQ(text(table->fieldName(4)), "FOUNDED");
    EXPECT_EQ(table->fieldLayout(2).decimals, 3);
    EXPECT_EQ(text(table->cellText(5, 0)), "") << "a record that does not exist";
    EXPECT_EQ(text(table->cellText(0, 9)), "") << "a field that does not exist";
}

TEST_F(DbfTableTest, NullsOfEveryTypeAreEmpty) {
    TableSpec tableSpec;
    tableSpec.fields = {{"NAME", 'C', 8, 0},
                        {"POP", 'N', 9, 0},
                        {"AREA", 'F', 10, 2},
                        {"WHEN", 'D', 8, 0},
                        {"OK", 'L', 1, 0}};
    tableSpec.records = {{std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
                         {"x", "1", "2.00", "20200101", "T"}};
    writeTable(path("nulls.dbf"), tableSpec);
    auto table = openOk(path("nulls.dbf"));
    ASSERT_TRUE(table);
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ(text(table->cellText(0, f)), "") << "field " << f;
        EXPECT_NE(text(table->cellText(1, f)), "") << "field " << f;
    }
}

TEST_F(DbfTableTest, DeletedRecordsAreNotShown) {
    TableSpec tableSpec = textTable("NAME", {"a", "b", "c", "d", "e"});
    tableSpec.deletedRecords = {1, 3};
    writeTable(path("deleted.dbf"), tableSpec);
    auto table = openOk(path("deleted.dbf"));
    ASSERT_TRUE(table);
    ASSERT_EQ(table->recordCount(), 3);
    EXPECT_EQ(table->deletedRecordCount(), 2);
    EXPECT_EQ(text(table->cellText(0, 0)), "a");
    EXPECT_EQ(text(table->cellText(1, 0)), "c");
    EXPECT_EQ(text(table->cellText(2, 0)), "e");
}

// ---------------------------------------------------------------------------------------
// Code pages: .cpg, language driver byte, UTF-8 guess, Windows-1252.

struct CodePageCase {
    const char* name;
    std::string codePageSpec; // what the writer records ("" none, "LDID/n", .cpg text)
    std::string storedName;   // bytes of the value as stored
    std::string fieldName;    // bytes of the field name
    const char* expectedCodePage;
    const char* expectedText;  // UTF-8
    const char* expectedField; // UTF-8
};

class CodePages : public DbfTableTest, public ::testing::WithParamInterface<CodePageCase> {};

TEST_P(CodePages, DecodeTextsAndFieldNames) {
    const CodePageCase& c = GetParam();
    TableSpec tableSpec;
    tableSpec.codePage = c.codePageSpec;
    tableSpec.fields = {{c.fieldName, 'C', 20, 0}};
    tableSpec.records = {{c.storedName}};
    writeTable(path("cp.dbf"), tableSpec);
    auto table = openOk(path("cp.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(text(table->codePage()), c.expectedCodePage);
    EXPECT_EQ(text(table->cellText(0, 0)), c.expectedText);
    EXPECT_EQ(text(table->fieldName(0)), c.expectedField);
    // Encoding the text back gives the stored bytes: the join file relies on it.
    EXPECT_EQ(table->encode(table->cellText(0, 0)).toStdString(), c.storedName);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CodePages,
    ::testing::Values(
        CodePageCase{"CpgUtf8", "UTF-8", "\xce\xb1\xce\xb2", "\xe2\x98\x83", "UTF-8",
                     "\xce\xb1\xce\xb2", "\xe2\x98\x83"},
        CodePageCase{"Cpg1252", "1252", "M\xe9xico", "NAME", "windows-1252", "M\xc3\xa9xico",
                     "NAME"},
        CodePageCase{"Cpg852", "852",
                     "\x9f"
                     "esk\xa0",
                     "NAZEV", "IBM852",
                     "\xc4\x8d"
                     "esk\xc3\xa1",
                     "NAZEV"},
        CodePageCase{"Ldid1252", "LDID/87", "K\xf6ln",
                     "ST\xc4"
                     "DT",
                     "windows-1252", "K\xc3\xb6ln",
                     "ST\xc3\x84"
                     "DT"},
        CodePageCase{"Ldid852", "LDID/100", "\x9f", "N", "IBM852", "\xc4\x8d", "N"},
        CodePageCase{"Ldid1251", "LDID/201", "\xcc\xee\xf1\xea\xe2\xe0", "N", "windows-1251",
                     "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0", "N"},
        CodePageCase{"GuessUtf8", "", "V\xc3\xa4nern", "NAME", "UTF-8", "V\xc3\xa4nern", "NAME"},
        CodePageCase{"GuessAscii", "", "plain", "NAME", "UTF-8", "plain", "NAME"},
        CodePageCase{"DefaultWindows1252", "", "M\xe9xico", "NAME", "windows-1252", "M\xc3\xa9xico",
                     "NAME"}),
    [](const ::testing::TestParamInfo<CodePageCase>& param) {
        return std::string(param.param.name);
    });

TEST_F(DbfTableTest, CpgWinsOverTheLanguageDriverAndIsFoundInAnyLetterCase) {
    TableSpec tableSpec = textTable("NAME", {"\x9f"});
    tableSpec.codePage = "LDID/87";
    writeTable(path("Point.dbf"), tableSpec);
    writeBytes(path("POINT.CPG"), "852\r\n");
    auto table = openOk(path("Point.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(text(table->codePage()), "IBM852");
    EXPECT_EQ(text(table->cellText(0, 0)), "\xc4\x8d");
}

TEST_F(DbfTableTest, EmptyCpgLeavesTheLanguageDriver) {
    TableSpec tableSpec = textTable("NAME", {"K\xf6ln"});
    tableSpec.codePage = "LDID/87";
    writeTable(path("t.dbf"), tableSpec);
    writeBytes(path("t.cpg"), "");
    auto table = openOk(path("t.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(text(table->codePage()), "windows-1252");
}

// A .cpg that is not a regular file is never opened (a pipe would never answer): the table
// opens in the code page it would have without one, and says why.
struct CpgEntryCase {
    const char* name;
    char kind; // beside T.dbf: 'd' folder T.cpg, 'p' pipe T.CPG, 'b' both, 'f' t.cpg naming 852
    const char* codePage;
    const char* text; // UTF-8
    const char* note;
};

class CpgEntries : public DbfTableTest, public ::testing::WithParamInterface<CpgEntryCase> {};

TEST_P(CpgEntries, IgnoredWithANoteUnlessRegular) {
    const CpgEntryCase& c = GetParam();
    writeTable(path("T.dbf"), textTable("NAME", {"M\xe9xico"}));
    if (c.kind == 'd' || c.kind == 'b') {
        ASSERT_TRUE(QDir().mkdir(path("T.cpg")));
    }
    if (c.kind == 'p' || c.kind == 'b') {
        ASSERT_EQ(::mkfifo(QFile::encodeName(path("T.CPG")).constData(), 0600), 0);
    }
    if (c.kind == 'f') {
        writeBytes(path("t.cpg"), "852\r\n");
    }
    auto table = openOk(path("T.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(text(table->codePage()), c.codePage);
    EXPECT_EQ(text(table->cellText(0, 0)), c.text);
    EXPECT_EQ(text(table->codePageNote()), c.note);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CpgEntries,
    ::testing::Values(CpgEntryCase{"Folder", 'd', "windows-1252", "M\xc3\xa9xico",
                                   "Code page file ignored: not a regular file"},
                      CpgEntryCase{"Pipe", 'p', "windows-1252", "M\xc3\xa9xico",
                                   "Code page file ignored: not a regular file"},
                      CpgEntryCase{"FolderAndPipe", 'b', "windows-1252", "M\xc3\xa9xico",
                                   "Code page file ignored: not a regular file"},
                      CpgEntryCase{"RegularFile", 'f', "IBM852", "M\xc3\x9axico", ""},
                      CpgEntryCase{"None", '-', "windows-1252", "M\xc3\xa9xico", ""}),
    [](const ::testing::TestParamInfo<CpgEntryCase>& param) {
        return std::string(param.param.name);
    });

// ---------------------------------------------------------------------------------------
// Progress and stopping: the opening's fraction only grows and ends at 1, and every report
// can stop it, in the reading and in the scans over every record.

// A hand-made table of one-byte character cells, no code page named, so that every step runs.
QByteArray shortRecordsTable(int records) {
    QByteArray bytes(32, '\0');
    bytes[0] = 0x03;
    for (int i = 0; i < 4; ++i) {
        bytes[4 + i] = static_cast<char>((records >> (8 * i)) & 0xFF);
    }
    bytes[8] = 65;
    bytes[10] = 2;
    QByteArray field(32, '\0');
    field[0] = 'N';
    field[11] = 'C';
    field[16] = 1;
    bytes += field + "\x0d";
    QByteArray body(2 * static_cast<qsizetype>(records), 'a');
    char* flags = body.data();
    for (int r = 0; r < records; ++r) {
        flags[2 * r] = r % 7 == 3 ? '*' : ' ';
    }
    return bytes + body + "\x1a";
}

// Each test runs twice: as the system allows (mapped, on Linux), and with every one of the
// 256 tables that can be mapped at once held by others, so that the table is read into
// memory of its own.
class BothWays : public DbfTableTest, public ::testing::WithParamInterface<bool> {
protected:
    bool reading() const { return GetParam(); }

    void SetUp() override {
        if (reading()) {
            writeTable(path("held.dbf"), textTable("NAME", {"x"}));
            QString error;
            for (int i = 0; i < 256; ++i) {
                held.push_back(DbfTable::open(path("held.dbf"), error));
            }
        }
    }

    std::vector<std::unique_ptr<DbfTable>> held;
};

INSTANTIATE_TEST_SUITE_P(Ways, BothWays, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "Read" : "AsTheSystemAllows");
                         });

TEST_P(BothWays, TheFractionOnlyGrowsAndEveryReportCanStop) {
    writeBytes(path("many.dbf"), shortRecordsTable(600000));
    std::vector<double> fractions;
    QString error;
    auto table = DbfTable::open(path("many.dbf"), error, [&](double done) {
        fractions.push_back(done);
        return true;
    });
    ASSERT_TRUE(table) << text(error);
    EXPECT_EQ(table->recordCount(), 600000 - 85714);
    EXPECT_EQ(text(table->codePage()), "UTF-8");
    // Twice in the flag scan, at its end, after the UTF-8 check and at the end, at least.
    ASSERT_GE(fractions.size(), 5U);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_GT(fractions.front(), 0.0);
    EXPECT_LT(fractions[fractions.size() - 3], 1.0);
    EXPECT_EQ(fractions.back(), 1.0);

    for (std::size_t stopAt = 1; stopAt <= fractions.size(); ++stopAt) {
        std::size_t reports = 0;
        auto stopped =
            DbfTable::open(path("many.dbf"), error, [&](double) { return ++reports < stopAt; });
        EXPECT_FALSE(stopped) << "stopped at report " << stopAt;
        EXPECT_EQ(reports, stopAt);
        EXPECT_EQ(text(error), "The reading was stopped.");
    }
}

// More than 64 MiB are given back on a thread of their own when the opening stops; the same
// table opens again at once.
TEST_P(BothWays, ALargeTableStoppedAtItsFirstReportOpensAgain) {
    writeBytes(path("large.dbf"), shortRecordsTable(34000000));
    QString error;
    EXPECT_FALSE(DbfTable::open(path("large.dbf"), error, [](double) { return false; }));
    EXPECT_EQ(text(error), "The reading was stopped.");
    auto table = openOk(path("large.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->recordCount(), 34000000 - 4857143);
    EXPECT_EQ(text(table->cellText(table->recordCount() - 1, 0)), "a");
}

// Another program cuts the file short, or writes it anew, while the table is open: every
// cell still reads, as its text or as empty where the file is mapped (its missing pages would
// otherwise end the program), as its text where it was read.
TEST_P(BothWays, AFileCutShortWhileOpenStillReads) {
    std::vector<std::string> names;
    for (int r = 0; r < 3000; ++r) {
        names.push_back("place " + std::to_string(r));
    }
    writeTable(path("t.dbf"), textTable("NAME", names));
    const QByteArray whole = readBytes(path("t.dbf"));
    auto table = openOk(path("t.dbf"));
    ASSERT_TRUE(table);
    for (const qint64 length : {qint64(5000), qint64(0), whole.size()}) {
        if (length == whole.size()) {
            writeBytes(path("t.dbf"), whole);
        } else {
            ASSERT_TRUE(QFile(path("t.dbf")).resize(length));
        }
        if (length == 5000) {
            EXPECT_EQ(text(table->cellText(0, 0)), "place 0") << "its page was not cut";
        }
        for (int r = 0; r < table->recordCount(); ++r) {
            const QString cell = table->cellText(r, 0);
            ASSERT_TRUE((cell.isEmpty() && !reading()) ||
                        text(cell) == names[static_cast<std::size_t>(r)])
                << "record " << r << " after the file became " << length << " bytes";
        }
    }
    EXPECT_EQ(table->recordCount(), 3000);
}

// ---------------------------------------------------------------------------------------
// Odd files that must open, broken files that must be refused.

TEST_F(DbfTableTest, ExactNameWhateverTheExtension) {
    writeTable(path("t.dbf"), textTable("NAME", {"x"}));
    QFile::rename(path("t.dbf"), path("Table.Dbf"));
    EXPECT_TRUE(openOk(path("Table.Dbf")));
    QFile::copy(path("Table.Dbf"), path("table.dat"));
    EXPECT_TRUE(openOk(path("table.dat")));
}

TEST_F(DbfTableTest, ThreeHundredFields) {
    TableSpec tableSpec;
    std::vector<std::optional<std::string>> record;
    for (int f = 0; f < 300; ++f) {
        tableSpec.fields.push_back({"F" + std::to_string(f), 'N', 4, 0});
        record.push_back(std::to_string(f));
    }
    tableSpec.records = {record, record};
    writeTable(path("wide.dbf"), tableSpec);
    auto table = openOk(path("wide.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->fieldCount(), 300);
    EXPECT_EQ(text(table->fieldName(299)), "F299");
    EXPECT_EQ(text(table->cellText(1, 299)), "299");
}

TEST_F(DbfTableTest, CharacterFieldsWiderThan255Bytes) {
    // NOTE C(300) (44 + 256 in the decimals byte) then POP N(5); written by hand, as
    // shapelib cannot write such a field.
    QByteArray bytes(32, '\0');
    bytes[0] = 0x03;
    bytes[4] = 1;
    bytes[8] = 32 + 64 + 1;
    bytes[10] = static_cast<char>((1 + 300 + 5) & 0xFF);
    bytes[11] = static_cast<char>((1 + 300 + 5) >> 8);
    QByteArray note(32, '\0');
    note.replace(0, 4, "NOTE");
    note[11] = 'C';
    note[16] = 44;
    note[17] = 1;
    QByteArray pop(32, '\0');
    pop.replace(0, 3, "POP");
    pop[11] = 'N';
    pop[16] = 5;
    bytes += note + pop + "\x0d";
    bytes += ' ' + QByteArray(299, 'x') + 'y' + "  123" + "\x1a";
    writeBytes(path("long.dbf"), bytes);
    auto table = openOk(path("long.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->fieldLayout(0).width, 300);
    EXPECT_EQ(table->cellText(0, 0).size(), 300);
    EXPECT_TRUE(table->cellText(0, 0).endsWith("xy"));
    EXPECT_EQ(text(table->cellText(0, 1)), "123");
}

TEST_F(DbfTableTest, ZeroFieldsWithRecords) {
    // Header, terminator, then three one-byte records (their deletion flags).
    QByteArray bytes(32, '\0');
    bytes[0] = 0x03;
    bytes[4] = 3;
    bytes[8] = 33;
    bytes[10] = 1;
    bytes += "\x0d   \x1a";
    writeBytes(path("none.dbf"), bytes);
    auto table = openOk(path("none.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->fieldCount(), 0);
    EXPECT_EQ(table->recordCount(), 3);
}

TEST_F(DbfTableTest, MoreRecordsDeclaredThanPresent) {
    writeTable(path("t.dbf"), textTable("NAME", {"a", "b", "c"}));
    patchU32(path("t.dbf"), 4, 2000000000u);
    auto table = openOk(path("t.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->recordCount(), 3);
    EXPECT_EQ(text(table->cellText(2, 0)), "c");
}

TEST_F(DbfTableTest, MissingEndOfFileByte) {
    writeTable(path("t.dbf"), textTable("NAME", {"a", "b"}));
    QByteArray bytes = readBytes(path("t.dbf"));
    ASSERT_EQ(bytes.back(), '\x1a');
    bytes.chop(1);
    writeBytes(path("t.dbf"), bytes);
    auto table = openOk(path("t.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->recordCount(), 2);
    EXPECT_EQ(text(table->cellText(1, 0)), "b");
}

TEST_F(DbfTableTest, EndOfFileByteWhereARecordShouldStart) {
    // A zero-field table whose header counts the end-of-file byte as a record.
    QByteArray bytes(32, '\0');
    bytes[0] = 0x0d;
    bytes[4] = 2;
    bytes[8] = 33;
    bytes[10] = 1;
    bytes += "\x0d \x1a";
    writeBytes(path("odd.dbf"), bytes);
    auto table = openOk(path("odd.dbf"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->recordCount(), 1);
}

TEST_F(DbfTableTest, BrokenFilesAreRefused) {
    writeTable(path("good.dbf"), textTable("NAME", {"a", "b"}));
    const QByteArray good = readBytes(path("good.dbf"));

    writeBytes(path("empty.dbf"), QByteArray());
    EXPECT_EQ(text(openFails(path("empty.dbf"))), "The file is empty.");

    writeBytes(path("short.dbf"), good.left(40));
    openFails(path("short.dbf"));

    writeBytes(path("reclen.dbf"), good);
    patchU16(path("reclen.dbf"), 10, 30);
    EXPECT_NE(openFails(path("reclen.dbf")).indexOf("disagrees"), -1);

    openFails(path("missing.dbf"));
    openFails(dir.path());
}

TEST_F(DbfTableTest, RandomBytesAreRefusedOrReadSafely) {
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(40 + round * 7, '\0');
        for (char& b : bytes) {
            b = static_cast<char>(byte(random));
        }
        if (round % 2 == 0) {
            // Half of them start like a real header, so they get further in.
            bytes.replace(0, 12,
                          QByteArray::fromHex("03180101"
                                              "05000000"
                                              "41001500"));
        }
        writeBytes(path("noise.dbf"), bytes);
        QString error;
        auto table = DbfTable::open(path("noise.dbf"), error);
        if (table) {
            for (int r = 0; r < table->recordCount(); ++r) {
                for (int f = 0; f < table->fieldCount(); ++f) {
                    (void)table->cellText(r, f);
                }
            }
        } else {
            EXPECT_FALSE(error.isEmpty());
        }
    }
}

// A sound table with a few bytes changed at random, most of them in the header and field
// descriptors, where a reader is easiest to mislead: every one either opens and reads each
// cell, or is refused with a sentence. Run under the sanitizers, this finds reads past the end.
TEST_F(DbfTableTest, DamagedTablesAreRefusedOrReadSafely) {
    TableSpec tableSpec;
    tableSpec.fields = {{"NAME", 'C', 12, 0}, {"POP", 'N', 9, 0}, {"AREA", 'F', 10, 3},
                        {"WHEN", 'D', 8, 0},  {"OK", 'L', 1, 0},  {"NOTE", 'C', 300, 0}};
    for (int r = 0; r < 9; ++r) {
        tableSpec.records.push_back({"place " + std::to_string(r), std::to_string(r * 1000 - 3),
                                     std::to_string(r) + ".125", "2024010" + std::to_string(r), "T",
                                     std::string(250, static_cast<char>('a' + r))});
    }
    tableSpec.deletedRecords = {4};
    writeTable(path("sound.dbf"), tableSpec);
    const QByteArray sound = readBytes(path("sound.dbf"));
    ASSERT_GT(sound.size(), 2000);
    const int headerLength = 32 + 32 * 6 + 1;

    std::mt19937 random(20261207);
    int opened = 0;
    for (int round = 0; round < 600; ++round) {
        QByteArray bytes = sound;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int c = 0; c < changes; ++c) {
            const bool inHeader = random() % 10 < 8;
            const auto at =
                static_cast<qsizetype>(random() % (inHeader ? headerLength : bytes.size()));
            bytes[at] = static_cast<char>(random() % 4 == 0 ? bytes[at] ^ 0x80 : random() % 256);
        }
        if (round % 5 == 0) {
            bytes.truncate(static_cast<qsizetype>(random() % bytes.size()));
        }
        writeBytes(path("damaged.dbf"), bytes);
        QString error;
        auto table = DbfTable::open(path("damaged.dbf"), error);
        if (!table) {
            EXPECT_FALSE(error.isEmpty()) << "round " << round;
            continue;
        }
        ++opened;
        // Every record shown lies whole inside the file, and the fields inside the record.
        const DbfLayout& layout = table->layout();
        ASSERT_LE(layout.headerLength +
                      static_cast<qsizetype>(layout.readableRecords) * layout.recordLength,
                  bytes.size())
            << "round " << round;
        ASSERT_LE(static_cast<std::size_t>(table->recordCount()), layout.readableRecords);
        for (const DbfFieldLayout& field : layout.fields) {
            ASSERT_GE(field.offset, 1) << "round " << round;
            ASSERT_LE(field.offset + field.width, layout.recordLength) << "round " << round;
        }
        for (int f = 0; f < table->fieldCount(); ++f) {
            (void)table->fieldName(f);
        }
        for (int r = 0; r < table->recordCount(); ++r) {
            for (int f = 0; f < table->fieldCount(); ++f) {
                (void)table->encode(table->cellText(r, f));
                (void)table->cellBytes(r, f);
            }
        }
    }
    // Changed bytes inside the records leave many tables readable; the test must reach them.
    EXPECT_GT(opened, 50);
}

// ---------------------------------------------------------------------------------------
// Real tables written by other programs, when the shared test data is at hand.

struct RealTable {
    const char* file;
    int records;
    int fields;
    const char* codePage;
    int record;
    int field;
    const char* expected; // UTF-8
};

class RealTables : public ::testing::TestWithParam<RealTable> {};

TEST_P(RealTables, OpenAndRead) {
    const QDir folder(QStringLiteral(QUARVEL_SHARED_TESTDATA));
    if (!folder.exists()) {
        GTEST_SKIP() << "no shared test tables at " << QUARVEL_SHARED_TESTDATA;
    }
    const RealTable& t = GetParam();
    QString error;
    auto table = DbfTable::open(folder.filePath(QString::fromLatin1(t.file)), error);
    ASSERT_TRUE(table) << text(error);
    EXPECT_EQ(table->recordCount(), t.records);
    EXPECT_EQ(table->fieldCount(), t.fields);
    EXPECT_EQ(text(table->codePage()), t.codePage);
    if (t.record >= 0) {
        EXPECT_EQ(text(table->cellText(t.record, t.field)), t.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SharedData, RealTables,
    ::testing::Values(
        RealTable{"sf_nc.dbf", 100, 14, "windows-1252", 0, 4, "Ashe"},
        RealTable{"sf_nc.dbf", 100, 14, "windows-1252", 0, 0, "0.114000000000000"},
        RealTable{"sf_storms_xyz.dbf", 71, 0, "UTF-8", -1, 0, ""},
        RealTable{"spdata_nyadjwts.dbf", 281, 282, "windows-1252", -1, 0, ""},
        RealTable{"rgdal_point.dbf", 1, 3, "IBM852", -1, 0, ""},
        RealTable{"pysal_burkitt.dbf", 188, 6, "UTF-8", -1, 0, ""},
        RealTable{"cartopy_ne_110m_lakes.dbf", 25, 7, "UTF-8", -1, 0, ""},
        RealTable{"libreoffice_biblio.dbf", 20, 32, "UTF-8", -1, 0, ""},
        RealTable{"npm-shapefile_number-property.dbf", 3, 1, "windows-1252", 0, 0, ""},
        RealTable{"npm-shapefile_number-property.dbf", 3, 1, "windows-1252", 1, 0, "42"},
        RealTable{"npm-shapefile_number-property.dbf", 3, 1, "windows-1252", 2, 0, "-4"},
        RealTable{"npm-shapefile_latin1-property.dbf", 1, 1, "windows-1252", 0, 0, "M\xc3\xa9xico"},
        RealTable{"npm-shapefile_utf8-property.dbf", 1, 1, "UTF-8", -1, 0, ""},
        RealTable{"npm-shapefile_date-property.dbf", 3, 1, "windows-1252", -1, 0, ""},
        RealTable{"npm-shapefile_empty.dbf", 0, 0, "windows-1252", -1, 0, ""},
        RealTable{"npm-parsedbf_empty.dbf", 1, 0, "UTF-8", -1, 0, ""}),
    [](const ::testing::TestParamInfo<RealTable>& param) {
        std::string name;
        for (const char* c = param.param.file; *c != '\0' && *c != '.'; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        }
        return name + "_" + std::to_string(param.index);
    });

// Files that are not files: nothing waits on them, nothing runs out of memory, and a .cpg
// that is not a file is passed over.
TEST(HostileFiles, AreRefusedAtOnceWithTheirReason) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "pipe.dbf").constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(folder + "zero.dbf").constData()), 0);
    ASSERT_TRUE(QDir(folder).mkdir("folder.dbf"));
    QFile sparse(folder + "sparse.dbf");
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.resize(qint64(64) << 30)); // 64 GiB, none of it on disk
    sparse.close();

    const auto started = std::chrono::steady_clock::now();
    for (const char* name : {"pipe.dbf", "zero.dbf", "folder.dbf"}) {
        QString error;
        EXPECT_EQ(DbfTable::open(folder + name, error), nullptr) << name;
        EXPECT_EQ(error, QStringLiteral("The file cannot be opened: it is not a regular file."))
            << name;
    }
    QString error;
    EXPECT_EQ(DbfTable::open(folder + "sparse.dbf", error), nullptr);
    EXPECT_TRUE(error.startsWith("The file is 68719476736 bytes (65536 MiB), more than this "
                                 "computer's free memory"))
        << error.toStdString();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    // A good table beside a .cpg that is a pipe, and one beside a link to a device.
    TableSpec tableSpec = textTable("NAME", {"Z\xc3\xbcrich", "Gen\xc3\xa8ve"});
    for (const char* base : {"a", "b"}) {
        writeTable(folder + base + ".dbf", tableSpec);
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "a.cpg").constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(folder + "b.CPG").constData()), 0);
    for (const char* table : {"a.dbf", "b.dbf"}) {
        const std::unique_ptr<DbfTable> opened = DbfTable::open(folder + table, error);
        ASSERT_NE(opened, nullptr) << table << " " << error.toStdString();
        EXPECT_EQ(opened->cellText(0, 0), QStringLiteral("Z\u00fcrich")) << table; // UTF-8 found
    }
}

} // namespace
} // namespace quarvel
