#pragma once

#include <cstdint>

namespace codeburg {

// How the buildings are coloured. A mode read from the profile may be any
// number; outside these it draws as Color.
enum class DisplayMode : int32_t { Color = 0, Readability = 1, Asserts = 2, LineMethod = 3 };
constexpr int32_t kDisplayModeCount = 4;

}  // namespace codeburg
