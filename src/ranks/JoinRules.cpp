#include "JoinRules.h"

#include "AnalysisFiles.h"

#include <charconv>

namespace quarvel {

int JoinRank(double v, const AnalysisResults& r) {
    if (v < r.FirstQuartile) {
        return 1;
    }
    if (v <= r.Median) {
        return 2;
    }
    if (v <= r.ThirdQuartile) {
        return 3;
    }
    return 4;
}

std::string_view JoinNote(double v, const AnalysisResults& r) {
    if (v < r.LowerOuterFence) {
        return "Probable Outlier-Low";
    }
    if (v < r.LowerInnerFence) {
        return "Possible Outlier-Low";
    }
    if (v <= r.UpperInnerFence) {
        return "Within Inner-Quartile Range";
    }
    if (v <= r.UpperOuterFence) {
        return "Possible Outlier-High";
    }
    return "Probable Outlier-High";
}

void AppendJoinHeader(std::string& out, std::string_view relateName, std::string_view valueName) {
    out.append("id,").append(relateName).append(1, ',').append(valueName).append(",Rank,Note");
    out.append(kLineEnd);
}

namespace {

// Short texts are copied byte by byte: the C library's vector routines cost more to start
// than they save on a dozen bytes, and slow the work around them.
char* copyText(char* out, std::string_view text) {
    for (const char c : text) {
        *out++ = c;
    }
    return out;
}

} // namespace

char* WriteJoinLine(char* out, int id, std::string_view relateText, std::string_view valueText,
                    int rank, std::string_view note) {
    out = std::to_chars(out, out + 16, id).ptr;
    *out++ = ',';
    out = copyText(out, relateText);
    *out++ = ',';
    out = copyText(out, valueText);
    *out++ = ',';
    *out++ = static_cast<char>('0' + rank);
    *out++ = ',';
    out = copyText(out, note);
    return copyText(out, kLineEnd);
}

char* WriteUnrankedJoinLine(char* out, int id, std::string_view relateText,
                            std::string_view valueText, std::string_view note) {
    out = std::to_chars(out, out + 16, id).ptr;
    *out++ = ',';
    out = copyText(out, relateText);
    *out++ = ',';
    out = copyText(out, valueText);
    *out++ = ',';
    *out++ = ',';
    out = copyText(out, note);
    return copyText(out, kLineEnd);
}

char* WriteNoValueLine(char* out, int id, std::string_view relateText) {
    out = std::to_chars(out, out + 16, id).ptr;
    *out++ = ',';
    out = copyText(out, relateText);
    out = copyText(out, ",,,");
    out = copyText(out, kNoValueNote);
    return copyText(out, kLineEnd);
}

void AppendJoinLine(std::string& out, int id, std::string_view relateText,
                    std::string_view valueText, int rank, std::string_view note) {
    const std::size_t at = out.size();
    out.resize(at + JoinLineRoom(relateText.size(), valueText.size()));
    char* end = WriteJoinLine(out.data() + at, id, relateText, valueText, rank, note);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

} // namespace quarvel
