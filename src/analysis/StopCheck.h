#pragma once

#include <cstddef>
#include <functional>

namespace quarvel {

/**
 * Asked now and then by long loops (sorting, drawing, reading): true ends the loop early.
 * An empty check never stops. Loops ask about every 65,536 steps, so a stop takes effect
 * within milliseconds.
 */
using StopCheck = std::function<bool()>;

/** How many steps a loop takes between two questions to its StopCheck. */
inline constexpr std::size_t kStepsBetweenStopChecks = std::size_t(1) << 16;

} // namespace quarvel
