#include "city/render/city_textures.h"

#include <gtest/gtest.h>

namespace codeburg {

TEST(CityTexturesTest, SizesOfEachRole)
{
    const int sizes[4][2] = {{64, 66}, {64, 122}, {66, 223}, {64, 488}};
    for (int i = 0; i < 4; ++i) {
        const TextureBitmap t = MakeWallTexture(i);
        EXPECT_EQ(t.width, sizes[i][0]) << i;
        EXPECT_EQ(t.height, sizes[i][1]) << i;
        EXPECT_EQ(t.texels.size(), size_t(t.width) * t.height);
    }
    EXPECT_EQ(MakeTowerTexture().width, 128);
    EXPECT_EQ(MakeTowerTexture().height, 65);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(MakeRoofTexture(i).width, 128);
        EXPECT_EQ(MakeRoofTexture(i).texels.size(), 128u * 128u);
    }
    EXPECT_NE(MakeRoofTexture(0).texels, MakeRoofTexture(1).texels);
}

}  // namespace codeburg
