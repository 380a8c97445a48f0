#pragma once

#include <cstdint>
#include <vector>

namespace codeburg {

class MsRandom;
class ProjectStats;

// The ground picture: 2 x 2 texels per grid cell, 0x00RRGGBB, row-major with
// row 0 at grid row 0. A city too large for the device is sampled every
// "step" texels instead (each stored texel stands for step x step), so the
// ground still covers the whole city.
struct GroundTexture {
    int32_t width = 0, height = 0;  // stored texels
    int32_t step = 1;
    int32_t cityWidth = 0, cityHeight = 0;  // grid cells the picture covers
    std::vector<uint32_t> texels;
};

// "maxSize" bounds each side of the stored picture (the device's limit). The
// lakes and the noise draw from "rng", one texel after another, row by row.
// An empty grid gives an empty picture.
GroundTexture BuildGroundTexture(const ProjectStats& stats, MsRandom& rng, int32_t maxSize);

// The seed every random draw of a project starts from: the sum over the
// characters of its directory name of (signed character x 1-based position).
uint32_t ProjectSeed(const ProjectStats& stats);

}  // namespace codeburg
