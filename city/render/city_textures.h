#pragma once

#include <cstdint>
#include <vector>

namespace codeburg {

// A texture picture, 0x00RRGGBB, row 0 at the top (texture v = 0).
struct TextureBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> texels;
};

// Light façades with dark windows: the vertex colours tint them.
// Low 64 x 66, medium 64 x 122, tall 66 x 223, default 64 x 488; index as WallTexture.
TextureBitmap MakeWallTexture(int32_t wallTexture);
TextureBitmap MakeTowerTexture();                // 128 x 65
TextureBitmap MakeRoofTexture(int32_t variant);  // 128 x 128, variants 0..2

}  // namespace codeburg
