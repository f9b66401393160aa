#include "AnalysisFiles.h"

#include "NumberText.h"

#include <charconv>
#include <cmath>

namespace quarvel {
std::optional<double> ParsePlainNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string IntermediateFileText(std::span<const double> values) {
    std::string text;
    text.reserve(values.size() * 12);
    for (double value : values) {
        AppendFileNumberText(text, value);
        text += kLineEnd;
    }
    return text;
}

namespace {

// The next line of a file, without its CR LF; false at the end.
bool nextLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) {
        return false;
    }
    const std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return true;
}

} // namespace

bool PairsFileFromIntermediates(std::string_view unsortedFile, std::string_view sortedFile,
                                std::string& pairs, std::string& error) {
    pairs = "Unsorted,Sorted";
    pairs += kLineEnd;
    pairs.reserve(unsortedFile.size() + sortedFile.size() + 32);
    std::string_view unsortedLine;
    std::string_view sortedLine;
    std::size_t line = 0;
    for (;;) {
        const bool moreUnsorted = nextLine(unsortedFile, unsortedLine);
        const bool moreSorted = nextLine(sortedFile, sortedLine);
        if (!moreSorted) {
            if (moreUnsorted) {
                error = "the sorted values ended before the unsorted ones";
                return false;
            }
            return true;
        }
        ++line;
        if (!moreUnsorted) {
            error = "the unsorted values ended before the sorted ones";
            return false;
        }
        if (!ParsePlainNumber(unsortedLine) || !ParsePlainNumber(sortedLine)) {
            error = "line " + std::to_string(line) + " is not a number";
            return false;
        }
        pairs.append(unsortedLine).append(1, ',').append(sortedLine).append(kLineEnd);
    }
}

std::string ResultsFileText(const AnalysisResults& results) {
    std::string text = "First Quartile,Median,Third Quartile";
    text += kLineEnd;
    text += FileNumberText(results.FirstQuartile);
    text += ',';
    text += FileNumberText(results.Median);
    text += ',';
    text += FileNumberText(results.ThirdQuartile);
    text += kLineEnd;
    return text;
}

} // namespace quarvel
