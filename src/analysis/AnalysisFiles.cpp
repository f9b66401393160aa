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
