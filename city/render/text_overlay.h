#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "city/hud_text.h"
#include "city/render/jpeg_writer.h"

namespace codeburg {

// The height of the overlay letters, as the window draws them: Arial 8 at 96
// dots an inch.
constexpr int32_t kHudTextPixels = 11;

// Writes overlay texts into a picture that is already read back, for the
// pictures taken without a window (the window's painter draws them there).
// The face is what fontconfig offers for Arial, as in the window, at
// "pixelSize" pixels; each line's top-left corner is its (x, y), as the
// painter places it. Parts of a line outside the picture are clipped. False
// with a reason when no font can be found or opened; the picture is then left
// as it was.
bool DrawHudTexts(RgbImage& image, const std::vector<HudText>& lines, int32_t pixelSize,
                  std::string* error);

}  // namespace codeburg
