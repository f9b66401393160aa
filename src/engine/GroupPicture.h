#pragma once

#include "GroupAnalysis.h"
#include "GroupChart.h"

#include <cstddef>
#include <vector>

namespace quarvel {

/** The most groups the group chart draws; the others are listed, not drawn. */
inline constexpr std::size_t kMostGroupBoxes = 40;

/** The boxes of a group chart and the group each shows. */
struct GroupChartBoxes {
    std::vector<GroupBox> boxes;
    std::vector<std::size_t> groups; ///< index into the outcome's groups, box by box
};

/**
 * The boxes of the groups with most records (at most most of them; of equal counts the
 * earlier), in the outcome's order, each labelled with its text ("(empty)" for the empty
 * text) and its record count.
 */
GroupChartBoxes GroupBoxesOf(const GroupsOutcome& outcome, std::size_t most = kMostGroupBoxes);

/** How the group chart names a group's text. */
QString GroupLabelText(const QString& text);

} // namespace quarvel
