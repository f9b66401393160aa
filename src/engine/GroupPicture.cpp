#include "GroupPicture.h"

#include <algorithm>
#include <numeric>

namespace quarvel {

QString GroupLabelText(const QString& text) {
    return text.isEmpty() ? QStringLiteral("(empty)") : text;
}

GroupChartBoxes GroupBoxesOf(const GroupsOutcome& outcome, std::size_t most) {
    GroupChartBoxes chart;
    chart.groups.resize(outcome.groups.size());
    std::iota(chart.groups.begin(), chart.groups.end(), std::size_t{0});
    if (chart.groups.size() > most) {
        std::stable_sort(chart.groups.begin(), chart.groups.end(),
                         [&outcome](std::size_t a, std::size_t b) {
                             return outcome.groups[a].records > outcome.groups[b].records;
                         });
        chart.groups.resize(most);
        std::sort(chart.groups.begin(), chart.groups.end());
    }
    for (const std::size_t g : chart.groups) {
        const GroupSummary& group = outcome.groups[g];
        GroupBox box;
        box.label = QStringLiteral("%1 (%2)")
                        .arg(GroupLabelText(group.text))
                        .arg(group.records)
                        .toStdString();
        box.described = group.described;
        if (group.described) {
            const AnalysisResults& r = group.results;
            box.lowest = group.lowest();
            box.highest = group.highest();
            box.firstQuartile = r.FirstQuartile;
            box.median = r.Median;
            box.thirdQuartile = r.ThirdQuartile;
            box.lowerInnerFence = r.LowerInnerFence;
            box.upperInnerFence = r.UpperInnerFence;
            box.lowerOuterFence = r.LowerOuterFence;
            box.upperOuterFence = r.UpperOuterFence;
        }
        chart.boxes.push_back(std::move(box));
    }
    return chart;
}

} // namespace quarvel
