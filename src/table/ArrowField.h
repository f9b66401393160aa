#pragma once

#include "LayerColumn.h"

#include <cstdint>
#include <string>
#include <vector>

class OGRLayer;

namespace quarvel {

/**
 * Reads the field of this name of every feature through the layer's column-wise Arrow stream
 * (GDAL reads only the fields not ignored), appending at most records cells to column. False
 * when the stream cannot be had or hands the field over in a layout this reader does not
 * know; column may then hold part of the field.
 */
bool ReadArrowField(OGRLayer* layer, const std::string& name, LayerColumn& column,
                    std::size_t records);

/** Every feature's id through the Arrow stream, every field ignored; false when it cannot. */
bool ReadArrowFeatureIds(OGRLayer* layer, std::vector<std::int64_t>& ids);

} // namespace quarvel
