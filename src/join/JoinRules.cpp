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

void AppendJoinLine(std::string& out, int id, std::string_view relateText,
                    std::string_view valueText, int rank, std::string_view note) {
    char number[16];
    const auto end = std::to_chars(number, number + sizeof number, id).ptr;
    out.append(number, end).append(1, ',').append(relateText).append(1, ',').append(valueText);
    out.append(1, ',').append(1, static_cast<char>('0' + rank)).append(1, ',').append(note);
    out.append(kLineEnd);
}

} // namespace quarvel
