#include "records/colour.h"

#include <gtest/gtest.h>

namespace codeburg {

TEST(ColourTest, PrimaryHues)
{
    EXPECT_EQ(HsvToColor(0, 1.0, 1.0), 0xFF0000u);
    EXPECT_EQ(HsvToColor(120, 1.0, 1.0), 0x00FF00u);
    EXPECT_EQ(HsvToColor(240, 1.0, 1.0), 0x0000FFu);
    EXPECT_EQ(HsvToColor(360 + 60, 1.0, 1.0), 0xFFFF00u);  // hue taken modulo 360
}

TEST(ColourTest, ClampsSaturationAndValue)
{
    EXPECT_EQ(HsvToColor(0, 0.0, 1.19), 0xFFFFFFu);
    EXPECT_EQ(HsvToColor(230, 0.0, 0.1), 0x191919u);  // floor(0.1 x 255) = 25
}

TEST(ColourTest, RoundTripsThroughHsv)
{
    const uint32_t rgb = HsvToColor(200, 0.5, 0.8);
    const Hsv hsv = ColorToHsv(SwapRedBlue(rgb));
    EXPECT_NEAR(hsv.hue, 200, 1);
    EXPECT_NEAR(hsv.saturation, 0.5, 0.01);
    EXPECT_NEAR(hsv.value, 0.8, 0.01);
}

}  // namespace codeburg
