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
// the decimal point where it falls. Nothing when the digits are more than 15. Subnormal
// values carry fewer digits of precision, so the argument does not hold for them: they are
// left to the caller.
char* writeFromShortest(char* out, double value) {
    if (std::fabs(value) < std::numeric_limits<double>::min()) {
        return nullptr;
    }
    // Short texts are copied byte by byte: the C library's vector routines cost more to
    // start than they save on a dozen bytes, and slow the conversions around them.
    char buffer[40];
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    const char* e = end - 1;
    while (*e != 'e') {
        --e;
    }
    const bool negative = buffer[0] == '-';
    char digits[kSignificantDigits];
    int count = 0;
    for (const char* p = buffer + (negative ? 1 : 0); p < e; ++p) {
        if (*p != '.') {
            if (count == kSignificantDigits) {
                return nullptr;
            }
            digits[count++] = *p;
        }
    }
    int exponent = 0;
    for (const char* p = e + 2; p < end; ++p) {
        exponent = exponent * 10 + (*p - '0');
    }
    if (e[1] == '-') {
        exponent = -exponent;
    }
    if (exponent < -4 || exponent >= kSignificantDigits) {
        for (const char* p = buffer; p < end; ++p) {
            *out++ = *p;
        }
        return out;
    }
    if (negative) {
        *out++ = '-';
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = -exponent - 1; i > 0; --i) {
            *out++ = '0';
        }
        for (int i = 0; i < count; ++i) {
            *out++ = digits[i];
        }
        return out;
    }
    const int whole = exponent + 1;
    for (int i = 0; i < whole; ++i) {
        *out++ = i < count ? digits[i] : '0';
    }
    if (count > whole) {
        *out++ = '.';
        for (int i = whole; i < count; ++i) {
            *out++ = digits[i];
        }
    }
    return out;
}

} // namespace

char* WriteFileNumberText(char* out, double value) {
    if (value == 0) {
        *out++ = '0'; // also for negative zero, which is not a negative number
        return out;
    }
    // Fifteen digits round the magnitudes nearest the largest double up past it, to a text
    // that no reader takes back as a finite number; those few keep the digits they need.
    constexpr double kLargestFifteenDigits = 1.79769313486231e308;
    const bool nearLargest = std::fabs(value) > kLargestFifteenDigits;
    if (!nearLargest) {
        if (char* end = writeFromShortest(out, value)) {
            return end;
        }
    }
    return nearLargest
               ? std::to_chars(out, out + kFileNumberRoom, value, std::chars_format::general).ptr
               : std::to_chars(out, out + kFileNumberRoom, value, std::chars_format::general,
                               kSignificantDigits)
                     .ptr;
}

void AppendFileNumberText(std::string& out, double value) {
    char buffer[kFileNumberRoom];
    out.append(buffer, WriteFileNumberText(buffer, value));
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
