#include "NumberText.h"
#include "AnalysisFiles.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quarvel {
namespace {

struct TextCase {
    double value;
    const char* text;
};

std::string caseName(const std::string& text) {
    std::string name;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name += c;
        } else if (c == '-') {
            name += "Minus";
        } else if (c == '.') {
            name += "Point";
        } else if (c == '+') {
            name += "Plus";
        }
    }
    return name.empty() ? "Blank" : name;
}

// ---------------------------------------------------------------------------------------
// File form: what the CSV and join files hold.

class FileForm : public ::testing::TestWithParam<TextCase> {};

TEST_P(FileForm, Text) {
    EXPECT_EQ(FileNumberText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FileForm,
    ::testing::Values(
        TextCase{12.5, "12.5"}, TextCase{0.1, "0.1"}, TextCase{1.0 / 3, "0.333333333333333"},
        TextCase{2.0 / 3, "0.666666666666667"}, TextCase{0.1 + 0.2, "0.3"}, TextCase{-2.5, "-2.5"},
        TextCase{0, "0"}, TextCase{-0.0, "0"}, TextCase{100, "100"}, TextCase{-1234.5, "-1234.5"},
        TextCase{123456789012345, "123456789012345"},
        TextCase{1234567.12345678912, "1234567.12345679"}, TextCase{0.114000000000000, "0.114"},
        TextCase{0.0001, "0.0001"}, TextCase{1e15, "1e+15"}, TextCase{0.000025, "2.5e-05"},
        TextCase{-7e-300, "-7e-300"}, TextCase{1.79769313486231e308, "1.79769313486231e+308"},
        TextCase{DBL_MAX, "1.7976931348623157e+308"},
        TextCase{-DBL_MAX, "-1.7976931348623157e+308"}),
    [](const ::testing::TestParamInfo<TextCase>& param) {
        return std::to_string(param.index) + "_" + caseName(param.param.text);
    });

TEST(FileForm, PeriodWhateverTheProcessLocale) {
    // The program runs with the user's locale installed as the C locale; a German one would
    // turn printf's decimal point into a comma. Try the usual names of such locales.
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* german = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            german = name;
            break;
        }
    }
    if (german == nullptr) {
        GTEST_SKIP() << "no German locale installed on this machine";
    }
    const std::string text = FileNumberText(-1234.5);
    const std::string label = LabelNumberText(0.5);
    const double prefix = NumericPrefixValue("4.5");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(text, "-1234.5");
    EXPECT_EQ(label, " .5 ");
    EXPECT_EQ(prefix, 4.5);
}

TEST(FileForm, FifteenDigitsReadBackToTheFifteenDigitRounding) {
    for (double v : {1.0 / 7, 2e-7 / 3, 98765.4321098765432, -3.14159265358979323}) {
        const std::string text = FileNumberText(v);
        char rounded[64];
        std::snprintf(rounded, sizeof rounded, "%.14e", v);
        EXPECT_EQ(std::stod(text), std::stod(rounded)) << text;
    }
}

// The file form is printf's "%.15g" in the C locale (below the few magnitudes nearest the
// largest double). Checked on values of every kind: decimal texts of 1 to 17 digits (halfway
// cases among them), neighbours of 2^53 and of powers of ten, subnormals, random bit patterns.
TEST(FileForm, SameAsPrintfFifteenDigits) {
    std::vector<double> values;
    std::mt19937_64 random(20261207);
    for (int digits = 1; digits <= 17; ++digits) {
        for (int i = 0; i < 4000; ++i) {
            std::string text = std::to_string(random() % 100000000000000000ULL);
            text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(digits)));
            const int exponent = static_cast<int>(random() % 60) - 30;
            values.push_back(std::stod(text + "5e" + std::to_string(exponent)));
            values.push_back(-std::stod(text + "e" + std::to_string(exponent)));
        }
    }
    for (double base : {9007199254740992.0, 1e15, 1e-4, 1e-5, 1e14, 0.1, 1.0, 99999.5}) {
        double v = base;
        for (int i = 0; i < 50; ++i) {
            values.push_back(v);
            v = std::nextafter(v, 0.0);
        }
        v = base;
        for (int i = 0; i < 50; ++i) {
            values.push_back(v);
            v = std::nextafter(v, 2 * base);
        }
    }
    for (double v = 4.9e-324; v < 1e-300; v *= 3.7) {
        values.push_back(v);
    }
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = random();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v) && std::fabs(v) < 1.79769313486231e308) {
            values.push_back(v);
        }
    }
    int differences = 0;
    for (double v : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.15g", v);
        const std::string got = FileNumberText(v);
        if (v != 0 && got != expected && ++differences <= 5) {
            ADD_FAILURE() << expected << " written as " << got;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(FileForm, EveryFiniteTextReadsBackFinite) {
    // Near the largest double, fifteen digits would round past it.
    for (double v : {DBL_MAX, -DBL_MAX, std::nextafter(DBL_MAX, 0.0), 1.797693134862315e308,
                     1.79769313486231e308, DBL_MIN, -DBL_MIN, 4.9e-324}) {
        const std::optional<double> back = ParsePlainNumber(FileNumberText(v));
        ASSERT_TRUE(back.has_value()) << FileNumberText(v);
        EXPECT_NEAR(*back / v, 1.0, 1e-14) << FileNumberText(v);
    }
}

// ---------------------------------------------------------------------------------------
// Label form: the value texts under the plot's axis.

class LabelForm : public ::testing::TestWithParam<TextCase> {};

TEST_P(LabelForm, Text) {
    EXPECT_EQ(LabelNumberText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, LabelForm,
                         ::testing::Values(TextCase{0.5, " .5 "}, TextCase{-2.5, "-2.5 "},
                                           TextCase{10, " 10 "}, TextCase{0, " 0 "},
                                           TextCase{-0.0, " 0 "}, TextCase{-0.25, "-.25 "},
                                           TextCase{1.0 / 3, " .333333333333333 "},
                                           TextCase{100.10, " 100.1 "}, TextCase{1, " 1 "},
                                           TextCase{-1, "-1 "}, TextCase{10.9, " 10.9 "},
                                           TextCase{123456789012345678.0, " 1.23456789012346E+17 "},
                                           TextCase{-0.00001, "-1E-05 "}),
                         [](const ::testing::TestParamInfo<TextCase>& param) {
                             return std::to_string(param.index) + "_" + caseName(param.param.text);
                         });

// ---------------------------------------------------------------------------------------
// Numeric prefix value: how the field-list preselection reads a cell.

struct PrefixCase {
    const char* text;
    double value;
};

class PrefixValue : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(PrefixValue, Value) {
    EXPECT_EQ(NumericPrefixValue(GetParam().text), GetParam().value)
        << "text \"" << GetParam().text << "\"";
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Texts, PrefixValue,
    ::testing::Values(
        // Texts that stop the preselection (a value other than 0)...
        PrefixCase{"12", 12}, PrefixCase{"-3", -3}, PrefixCase{"4.5", 4.5}, PrefixCase{" 7", 7},
        PrefixCase{"12 Main St", 12},
        // ... and texts that do not.
        PrefixCase{"", 0}, PrefixCase{"abc", 0}, PrefixCase{"0.0", 0}, PrefixCase{"00", 0},
        PrefixCase{" 0", 0}, PrefixCase{"0", 0},
        // Blanks, tabs and line feeds are skipped wherever they stand.
        PrefixCase{"1 2", 12}, PrefixCase{"\t-\n5", -5}, PrefixCase{"1e5 0", 1e50},
        PrefixCase{"- . 5", -0.5}, PrefixCase{"\r5", 0},
        // Sign, one decimal point, exponents with E or D.
        PrefixCase{"+.5", 0.5}, PrefixCase{"-.5e1", -5}, PrefixCase{"1.2.3", 1.2},
        PrefixCase{"1.5E3", 1500}, PrefixCase{"1.5d3", 1500}, PrefixCase{"2e-1", 0.2},
        PrefixCase{"5e", 5}, PrefixCase{"5e+", 5}, PrefixCase{"12abc", 12}, PrefixCase{"1,234", 1},
        PrefixCase{".", 0}, PrefixCase{"-", 0}, PrefixCase{"$12", 0}, PrefixCase{"0x10", 0},
        PrefixCase{"--5", 0}, PrefixCase{"0.114000000000000", 0.114},
        PrefixCase{"1.00000000000e+000", 1},
        // Hexadecimal and octal integers.
        PrefixCase{"&H1F", 31}, PrefixCase{"&hff", 255}, PrefixCase{"&O17", 15},
        PrefixCase{"&o8", 0}, PrefixCase{"&H", 0}, PrefixCase{"&", 0}, PrefixCase{"&X1", 0},
        PrefixCase{" &H 1 0", 16}, PrefixCase{"&HFFFFFFFF", 4294967295.0},
        // Out of a double's range.
        PrefixCase{"1e400", kInf}, PrefixCase{"-1e400", -kInf}, PrefixCase{"200e306", kInf},
        PrefixCase{"1e-400", 0}, PrefixCase{"0.0000001e-320", 0},
        PrefixCase{"1e99999999999", kInf}),
    [](const ::testing::TestParamInfo<PrefixCase>& param) {
        return std::to_string(param.index) + "_" + caseName(param.param.text);
    });

} // namespace
} // namespace quarvel
