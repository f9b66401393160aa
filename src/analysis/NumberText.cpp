#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <system_error>

namespace quarvel {
namespace {

constexpr int kSignificantDigits = 15;

// %.15g in the C locale, whatever the process locale is: trailing zeros already dropped.
std::string generalText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, kSignificantDigits);
    return std::string(buffer, result.ptr);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks a text, skipping blanks, tabs and line feeds wherever they stand.
class PrefixReader {
public:
    explicit PrefixReader(std::string_view text) : text_(text) {}

    char peek() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            ++pos_;
        }
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void take() { ++pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

double readRadixInteger(PrefixReader& reader, int radix) {
    double value = 0;
    for (;;) {
        const char c = reader.peek();
        int digit = -1;
        if (isDigit(c)) {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0 || digit >= radix) {
            return value;
        }
        value = value * radix + digit;
        reader.take();
    }
}

} // namespace

std::string FileNumberText(double value) {
    std::string text;
    AppendFileNumberText(text, value);
    return text;
}

namespace {

// The 15-digit text laid out from the shortest digits that read back to the value. When
// those digits are 15 or fewer, rounding the value to 15 digits gives the same digits (a
// double's neighbours lie closer together than half a step of the 15th digit), so only the
// layout of %.15g remains: exponent form below 1e-4 and from 1e15, else plain digits with
// the decimal point where it falls. False when the digits are more than 15. Subnormal
// values carry fewer digits of precision, so the argument does not hold for them: they are
// left to the caller.
bool appendFromShortest(std::string& out, double value) {
    if (std::fabs(value) < std::numeric_limits<double>::min()) {
        return false;
    }
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    const bool negative = text.front() == '-';
    const std::string_view mantissa = text.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
    char digits[24];
    std::size_t count = 0;
    for (char c : mantissa) {
        if (c != '.') {
            if (count == kSignificantDigits) {
                return false;
            }
            digits[count++] = c;
        }
    }
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    if (exponent < -4 || exponent >= kSignificantDigits) {
        out.append(text);
        return true;
    }
    if (negative) {
        out += '-';
    }
    const std::string_view all(digits, count);
    if (exponent < 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out.append(all);
        return true;
    }
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (count <= whole) {
        out.append(all);
        out.append(whole - count, '0');
        return true;
    }
    out.append(all.substr(0, whole)).append(1, '.').append(all.substr(whole));
    return true;
}

} // namespace

void AppendFileNumberText(std::string& out, double value) {
    if (value == 0) {
        out += '0'; // also for negative zero, which is not a negative number
        return;
    }
    // Fifteen digits round the magnitudes nearest the largest double up past it, to a text
    // that no reader takes back as a finite number; those few keep the digits they need.
    constexpr double kLargestFifteenDigits = 1.79769313486231e308;
    const bool nearLargest = std::fabs(value) > kLargestFifteenDigits;
    if (!nearLargest && appendFromShortest(out, value)) {
        return;
    }
    char buffer[64];
    const auto result = nearLargest ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                                    std::chars_format::general)
                                    : std::to_chars(buffer, buffer + sizeof buffer, value,
                                                    std::chars_format::general, kSignificantDigits);
    out.append(buffer, result.ptr);
}

std::string LabelNumberText(double value) {
    std::string digits = generalText(value == 0 ? 0.0 : value);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) {
        digits.erase(0, 1);
    }
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') {
        digits.erase(0, 1);
    }
    const std::size_t exponent = digits.find('e');
    if (exponent != std::string::npos) {
        digits[exponent] = 'E';
    }
    std::string text(1, negative ? '-' : ' ');
    text += digits;
    text += ' ';
    return text;
}

double NumericPrefixValue(std::string_view text) {
    PrefixReader reader(text);

    if (reader.peek() == '&') {
        reader.take();
        const char kind = reader.peek();
        if (kind == 'H' || kind == 'h') {
            reader.take();
            return readRadixInteger(reader, 16);
        }
        if (kind == 'O' || kind == 'o') {
            reader.take();
            return readRadixInteger(reader, 8);
        }
        return 0;
    }

    // Gather the number without its blanks, then let from_chars do the exact conversion.
    std::string number;
    bool negative = false;
    if (reader.peek() == '+' || reader.peek() == '-') {
        negative = reader.peek() == '-';
        reader.take();
    }
    bool anyDigit = false;
    while (isDigit(reader.peek())) {
        number += reader.peek();
        anyDigit = true;
        reader.take();
    }
    if (reader.peek() == '.') {
        number += '.';
        reader.take();
        while (isDigit(reader.peek())) {
            number += reader.peek();
            anyDigit = true;
            reader.take();
        }
    }
    if (!anyDigit) {
        return 0;
    }

    long long exponent = 0;
    const char marker = reader.peek();
    if (marker == 'E' || marker == 'e' || marker == 'D' || marker == 'd') {
        reader.take();
        bool exponentNegative = false;
        if (reader.peek() == '+' || reader.peek() == '-') {
            exponentNegative = reader.peek() == '-';
            reader.take();
        }
        while (isDigit(reader.peek())) {
            if (exponent < 100000) { // far beyond any double already
                exponent = exponent * 10 + (reader.peek() - '0');
            }
            reader.take();
        }
        if (exponentNegative) {
            exponent = -exponent;
        }
    }
    number += 'e';
    number += std::to_string(exponent);

    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: decide which by the position of the first
        // significant digit relative to the decimal point.
        const std::size_t point = number.find_first_of(".e");
        const std::size_t first = number.find_first_of("123456789");
        const long long magnitude = static_cast<long long>(point) - static_cast<long long>(first) +
                                    (first > point ? 1 : 0) + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

} // namespace quarvel
