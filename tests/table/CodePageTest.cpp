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

} // namespace
} // namespace quarvel
