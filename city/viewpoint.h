#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "city/camera.h"

namespace codeburg {

// "x,y,z,pitch,yaw", each with six decimals, no spaces.
std::string FormatViewpoint(const Camera& camera);

// Reads the five numbers in order into "camera"; the values after the first
// that does not read (or is not finite) keep what they were. Returns how many
// were applied, 0..5; a text with none leaves the camera untouched.
int ApplyViewpoint(std::string_view text, Camera& camera);

// The camera of a complete viewpoint text, or nothing.
std::optional<Camera> ParseViewpoint(std::string_view text);

}  // namespace codeburg
