#include "city/render/city_textures.h"

#include <algorithm>

#include "platform/ms_random.h"

namespace codeburg {

namespace {

uint32_t Grey(int level)
{
    const uint32_t g = static_cast<uint32_t>(std::clamp(level, 0, 255));
    return g << 16 | g << 8 | g;
}

uint32_t Rgb(int r, int g, int b)
{
    return uint32_t(std::clamp(r, 0, 255)) << 16 | uint32_t(std::clamp(g, 0, 255)) << 8 |
           uint32_t(std::clamp(b, 0, 255));
}

// A façade: "floors" rows of "columns" windows on a slightly grainy wall.
// Windows are dark glass with a few lit ones, so a lit city reads as a city.
TextureBitmap Facade(int32_t width, int32_t height, int32_t columns, int32_t floors, uint32_t seed)
{
    TextureBitmap t{width, height, std::vector<uint32_t>(size_t(width) * height)};
    MsRandom rng(seed);
    for (uint32_t& texel : t.texels) texel = Grey(222 + rng.next() % 20);
    const int32_t cellW = width / columns, cellH = height / floors;
    for (int32_t f = 0; f < floors; ++f)
        for (int32_t c = 0; c < columns; ++c) {
            const bool lit = rng.next() % 7 == 0;
            const uint32_t glass = lit ? Rgb(250, 236, 170) : Rgb(70, 80, 96);
            const int32_t x0 = c * cellW + cellW / 4, x1 = (c + 1) * cellW - cellW / 4;
            const int32_t y0 = f * cellH + cellH / 4, y1 = (f + 1) * cellH - cellH / 5;
            for (int32_t y = y0; y < y1 && y < height; ++y)
                for (int32_t x = x0; x < x1 && x < width; ++x)
                    t.texels[size_t(y) * width + x] = glass;
        }
    return t;
}

}  // namespace

TextureBitmap MakeWallTexture(int32_t wallTexture)
{
    switch (wallTexture) {
        case 0:
            return Facade(64, 66, 4, 3, 155);  // low: a few storeys
        case 1:
            return Facade(64, 122, 6, 8, 154);  // medium: wide blocks
        case 2:
            return Facade(66, 223, 3, 24, 137);  // tall: slim towers
        default:
            return Facade(64, 488, 4, 40, 156);
    }
}

TextureBitmap MakeTowerTexture()
{
    // Vertical bands of glass between light pillars, wrapped round eight sides.
    TextureBitmap t{128, 65, std::vector<uint32_t>(128 * 65)};
    for (int32_t y = 0; y < t.height; ++y)
        for (int32_t x = 0; x < t.width; ++x) {
            const bool pillar = x % 16 < 4;
            const bool ledge = y % 8 == 0;
            t.texels[size_t(y) * t.width + x] = pillar || ledge ? Grey(235) : Rgb(150, 170, 200);
        }
    return t;
}

TextureBitmap MakeRoofTexture(int32_t variant)
{
    TextureBitmap t{128, 128, std::vector<uint32_t>(128 * 128)};
    MsRandom rng(158 + variant);
    for (int32_t y = 0; y < t.height; ++y)
        for (int32_t x = 0; x < t.width; ++x) {
            const int grain = rng.next() % 24;
            const bool rim = x < 6 || y < 6 || x >= 122 || y >= 122;
            int level = 200 + grain;
            if (rim)
                level = 245;
            else if (variant == 1 && (x / 16 + y / 16) % 2 == 0)
                level = 185 + grain;  // tiles
            else if (variant == 2 && x > 40 && x < 88 && y > 40 && y < 88)
                level = 160 + grain;
            t.texels[size_t(y) * t.width + x] = Grey(level);
        }
    return t;
}

}  // namespace codeburg
