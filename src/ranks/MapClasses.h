#pragma once

#include <cstdint>

namespace quarvel {

/**
 * The class a record takes on the map: its outlier note where it is beyond an inner fence,
 * else its quartile rank, and a class of its own for a record without a value.
 */
enum class MapClass : std::uint8_t {
    ProbableLow,
    PossibleLow,
    Rank1,
    Rank2,
    Rank3,
    Rank4,
    PossibleHigh,
    ProbableHigh,
    NoValue,
};

inline constexpr int kMapClassCount = 9;

/**
 * The map class of a record of this rank (1 to 4) and note, the note counted in the order
 * probable low, possible low, within the inner fences, possible high, probable high.
 */
MapClass MapClassOf(int rank, int noteIndex);

/** What the legend calls the class. */
const char* MapClassName(MapClass mapClass);

/** The class's colour, as 0xRRGGBB: blues below the median, reds above, grey for no value. */
std::uint32_t MapClassColor(MapClass mapClass);

} // namespace quarvel
