#include "MapClasses.h"

namespace quarvel {
namespace {

struct ClassLook {
    const char* name;
    std::uint32_t color;
};

// A diverging scheme: the further from the box, the darker.
constexpr ClassLook kLooks[kMapClassCount] = {
    {"Probable Outlier-Low", 0x2166AC},
    {"Possible Outlier-Low", 0x4393C3},
    {"Rank 1, within the inner fences", 0x92C5DE},
    {"Rank 2", 0xD1E5F0},
    {"Rank 3", 0xFDDBC7},
    {"Rank 4, within the inner fences", 0xF4A582},
    {"Possible Outlier-High", 0xD6604D},
    {"Probable Outlier-High", 0xB2182B},
    {"No value (left out of the run)", 0xBDBDBD},
};

} // namespace

MapClass MapClassOf(int rank, int noteIndex) {
    switch (noteIndex) {
    case 0:
        return MapClass::ProbableLow;
    case 1:
        return MapClass::PossibleLow;
    case 3:
        return MapClass::PossibleHigh;
    case 4:
        return MapClass::ProbableHigh;
    default:
        break;
    }
    if (rank < 1 || rank > 4) {
        return MapClass::NoValue;
    }
    return static_cast<MapClass>(static_cast<int>(MapClass::Rank1) + rank - 1);
}

const char* MapClassName(MapClass mapClass) {
    return kLooks[static_cast<int>(mapClass)].name;
}

std::uint32_t MapClassColor(MapClass mapClass) {
    return kLooks[static_cast<int>(mapClass)].color;
}

} // namespace quarvel
