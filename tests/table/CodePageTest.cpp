#include "CodePage.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

struct CpgCase {
    const char* cpg;
    const char* codePage;
};

class CpgText : public ::testing::TestWithParam<CpgCase> {};

TEST_P(CpgText, NamesTheDecoder) {
    EXPECT_EQ(codePageFromCpg(QString::fromLatin1(GetParam().cpg)).toStdString(),
              GetParam().codePage)
        << "\"" << GetParam().cpg << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Names, CpgText,
    ::testing::Values(CpgCase{"UTF-8", "UTF-8"}, CpgCase{"utf8", "UTF-8"},
                      CpgCase{"UTF-8\r\n", "UTF-8"}, CpgCase{"1252", "windows-1252"},
                      CpgCase{"ANSI 1251", "windows-1251"}, CpgCase{"CP1250", "windows-1250"},
                      CpgCase{"852", "IBM852"}, CpgCase{"OEM 437", "IBM437"},
                      CpgCase{"866", "IBM866"}, CpgCase{"ISO-8859-1", "ISO-8859-1"},
                      CpgCase{"88591", "ISO-8859-1"}, CpgCase{"8859_2", "ISO-8859-2"},
                      CpgCase{"ISO 8859-15", "ISO-8859-15"}, CpgCase{"ISO 8859-12", ""},
                      CpgCase{"932", "Shift_JIS"}, CpgCase{"65001", "UTF-8"},
                      CpgCase{"KOI8-R", "KOI8-R"}, CpgCase{"", ""}, CpgCase{"   ", ""},
                      CpgCase{"no such thing", ""}, CpgCase{"99999", ""}));

struct DriverCase {
    int driver;
    const char* codePage;
};

class LanguageDriver : public ::testing::TestWithParam<DriverCase> {};

TEST_P(LanguageDriver, NamesTheDecoder) {
    EXPECT_EQ(
        codePageFromLanguageDriver(static_cast<std::uint8_t>(GetParam().driver)).toStdString(),
        GetParam().codePage)
        << "driver " << GetParam().driver;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, LanguageDriver,
    ::testing::Values(DriverCase{0x57, "windows-1252"}, DriverCase{0x03, "windows-1252"},
                      DriverCase{0x01, "IBM437"}, DriverCase{0x1B, "IBM437"},
                      DriverCase{0x02, "IBM850"}, DriverCase{0x64, "IBM852"},
                      DriverCase{0x65, "IBM866"}, DriverCase{0x13, "Shift_JIS"},
                      DriverCase{0xC8, "windows-1250"}, DriverCase{0xC9, "windows-1251"},
                      DriverCase{0xCB, "windows-1253"}, DriverCase{0x00, ""},
                      DriverCase{0xFF, ""}));

TEST(Utf8, WellFormedAndNot) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii text that is longer than eight bytes", true},
        {"Balqash K\xc3\xb6li", true},
        {"\xe2\x98\x83 snowman", true},
        {"\xf0\x9f\x8c\x8d globe", true},
        {"M\xe9xico", false},        // Latin-1
        {"\xc3", false},             // cut short
        {"\xc0\xaf", false},         // overlong
        {"\xed\xa0\x80", false},     // surrogate
        {"\xf4\x90\x80\x80", false}, // past U+10FFFF
        {"12345678\xc3\xa9"
         "abcdefgh",
         true}, // after the eight-byte fast path
        {"12345678\xe9"
         "abcdefgh",
         false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << "\"" << c.bytes << "\"";
    }
}

struct PieceCase {
    std::string bytes;
    std::size_t wanted;
    std::size_t cut;
};

class Utf8Pieces : public ::testing::TestWithParam<PieceCase> {};

TEST_P(Utf8Pieces, CutBeforeACharacter) {
    EXPECT_EQ(utf8PieceEnd(GetParam().bytes, GetParam().wanted), GetParam().cut);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, Utf8Pieces,
    ::testing::Values(PieceCase{"abcdefgh", 4, 4}, PieceCase{"abcdefgh", 8, 8},
                      PieceCase{"abcdefgh", 20, 8},                    // past the end
                      PieceCase{"abcd\xc3\xa9xyz", 5, 4},              // inside e-acute
                      PieceCase{"abcd\xc3\xa9xyz", 6, 6},              // after it
                      PieceCase{"ab\xe2\x98\x83xyz", 4, 2},            // snowman
                      PieceCase{"ab\xf0\x9f\x8c\x8dxyz", 5, 2},        // globe, last byte
                      PieceCase{"a\x80\x80\x80\x80\x80\x80z", 5, 5})); // no character

// Cut into pieces at every place, the pieces are all well-formed exactly when the whole is.
TEST(Utf8Pieces, PiecesAgreeWithTheWhole) {
    const std::string samples[] = {
        "Balqash K\xc3\xb6li \xe2\x98\x83 \xf0\x9f\x8c\x8d Z\xc3\xbcrich",
        "M\xe9xico and more plain text",
        "cut short \xe2\x98",
        "\xf0\x9f\x8c\x8d\xf0\x9f\x8c\x8d\xf0\x9f\x8c\x8d",
        "stray \x80\x80\x80\x80\x80 bytes",
        "overlong \xc0\xaf here",
        "\xed\xa0\x80 surrogate"};
    for (const std::string& whole : samples) {
        for (std::size_t wanted = 4; wanted <= whole.size(); ++wanted) {
            std::string_view rest = whole;
            bool valid = true;
            while (!rest.empty()) {
                const std::size_t cut = utf8PieceEnd(rest, wanted);
                ASSERT_GT(cut, 0U);
                valid = valid && isValidUtf8(rest.substr(0, cut));
                rest.remove_prefix(cut);
            }
            EXPECT_EQ(valid, isValidUtf8(whole)) << "\"" << whole << "\" in pieces of " << wanted;
        }
    }
}

} // namespace
} // namespace quarvel
