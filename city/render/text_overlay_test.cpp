#include "city/render/text_overlay.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace codeburg {

namespace {

RgbImage Black(int32_t width, int32_t height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t(width) * height * 3, 0);
    return image;
}

// The smallest rectangle holding every pixel that is not black; x1 < x0 when none.
struct Extent {
    int32_t x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    int32_t brightest = 0;
};
Extent Inked(const RgbImage& image)
{
    Extent e;
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            const uint32_t c = image.At(x, y);
            if (c == 0) continue;
            e.x0 = std::min(e.x0, x);
            e.y0 = std::min(e.y0, y);
            e.x1 = std::max(e.x1, x);
            e.y1 = std::max(e.y1, y);
            e.brightest = std::max<int32_t>(e.brightest, int32_t(c >> 8 & 0xFF));
        }
    return e;
}

// Fonts come from the system; without any there is nothing to check.
bool HaveFont()
{
    RgbImage probe = Black(8, 8);
    return DrawHudTexts(probe, {HudText{0, 0, 0xFFFFFFFF, "x"}}, 11, nullptr);
}

}  // namespace

TEST(TextOverlayTest, WritesALineBelowAndRightOfItsCorner)
{
    if (!HaveFont()) GTEST_SKIP() << "no font for Arial";
    RgbImage image = Black(400, 100);
    std::string error;
    ASSERT_TRUE(
        DrawHudTexts(image, {HudText{30, 40, 0xFFFFFFFF, kCreditLine}}, kHudTextPixels, &error))
        << error;
    const Extent e = Inked(image);
    ASSERT_GE(e.x1, e.x0) << "nothing was written";
    EXPECT_GE(e.x0, 30);
    EXPECT_LE(e.x0, 33);
    EXPECT_GE(e.y0, 40);
    EXPECT_LE(e.y1, 40 + 2 * kHudTextPixels);  // descenders stay near the line
    EXPECT_GT(e.x1, 30 + 150);                 // a long line runs far to the right
    EXPECT_GE(e.brightest, 200);               // glyph stems are fully covered

    // The colour is the line's: yellow has no blue.
    RgbImage yellow = Black(400, 100);
    ASSERT_TRUE(DrawHudTexts(yellow, {HudText{30, 40, 0xFFFFFF00, "Eloc: 12"}}, 11, &error));
    for (size_t i = 2; i < yellow.pixels.size(); i += 3) ASSERT_EQ(yellow.pixels[i], 0);
}

TEST(TextOverlayTest, ClipsAtTheEdgesAndRefusesNoPicture)
{
    if (!HaveFont()) GTEST_SKIP() << "no font for Arial";
    RgbImage image = Black(40, 12);
    std::string error;
    EXPECT_TRUE(DrawHudTexts(
        image,
        {HudText{-25, -6, 0xFFFFFFFF, kCreditLine}, HudText{30, 8, 0xFFFFFFFF, kCreditLine},
         HudText{5000, 5000, 0xFFFFFFFF, "far away"}},
        11, &error))
        << error;
    EXPECT_EQ(image.pixels.size(), 40u * 12u * 3u);

    RgbImage empty;
    EXPECT_FALSE(DrawHudTexts(empty, {HudText{0, 0, 0xFFFFFFFF, "x"}}, 11, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(DrawHudTexts(empty, {}, 11, &error));  // nothing to write is no failure
}

}  // namespace codeburg
