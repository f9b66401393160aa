#include "LocaleNumbers.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

struct ValueCase {
    const char* text;
    QLocale::Language language;
    std::optional<double> value;
};

class CellValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(CellValues, Convert) {
    const ValueCase& c = GetParam();
    const QLocale locale(c.language,
                         c.language == QLocale::German ? QLocale::Germany : QLocale::UnitedStates);
    const std::optional<double> got = CellValue(QString::fromUtf8(c.text), locale);
    ASSERT_EQ(got.has_value(), c.value.has_value()) << c.text;
    if (got) {
        EXPECT_EQ(*got, *c.value) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CellValues,
    ::testing::Values(
        // The stored form reads the same in every locale: 1.234 is not a thousand there.
        ValueCase{"12.50", QLocale::German, 12.5}, ValueCase{"1.234", QLocale::German, 1.234},
        ValueCase{"  -4 ", QLocale::English, -4.0},
        // Failing that, the user's way of writing numbers.
        ValueCase{"12,5", QLocale::German, 12.5}, ValueCase{"2.000,25", QLocale::German, 2000.25},
        ValueCase{"1,234.5", QLocale::English, 1234.5},
        // Nothing else.
        ValueCase{"", QLocale::English, std::nullopt},
        ValueCase{"  ", QLocale::German, std::nullopt},
        ValueCase{"abc", QLocale::English, std::nullopt},
        ValueCase{"12 Main St", QLocale::English, std::nullopt},
        ValueCase{"inf", QLocale::English, std::nullopt},
        ValueCase{"1e999", QLocale::English, std::nullopt}));

TEST(MessageNumbers, LocaleSeparatorNoGroupingFifteenDigits) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(MessageNumberText(7.125, german).toStdString(), "7,125");
    EXPECT_EQ(MessageNumberText(1234567.5, german).toStdString(), "1234567,5");
    EXPECT_EQ(MessageNumberText(1234567.5, english).toStdString(), "1234567.5");
    EXPECT_EQ(MessageNumberText(1.0 / 3, english).toStdString(), "0.333333333333333");
    EXPECT_EQ(MessageNumberText(3, german).toStdString(), "3");
    EXPECT_EQ(MessageNumberText(-2.5, english).toStdString(), "-2.5");
}

TEST(MessageNumbers, PlainMinusAndFileExponentInEveryLocale) {
    // Swedish writes a typographic minus and "x10^" of its own; the message does not.
    const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
    EXPECT_EQ(MessageNumberText(-2.5, swedish).toStdString(), "-2,5");
    EXPECT_EQ(MessageNumberText(3.5e20, swedish).toStdString(), "3,5e+20");
    EXPECT_EQ(MessageNumberText(-0.000025, swedish).toStdString(), "-2,5e-05");
    EXPECT_EQ(MessageNumberText(1234567.125, swedish).toStdString(), "1234567,125");
}

} // namespace
} // namespace quarvel
