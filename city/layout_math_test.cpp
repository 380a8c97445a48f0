#include "city/layout_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace codeburg {
namespace {

int64_t UlpDistance(double a, double b)
{
    int64_t x, y;
    std::memcpy(&x, &a, 8);
    std::memcpy(&y, &b, 8);
    return x > y ? x - y : y - x;
}

TEST(LayoutMathTest, ExactAtZero)
{
    EXPECT_EQ(LayoutCos(0.0), 1.0);
    EXPECT_EQ(LayoutSin(0.0), 0.0);
}

TEST(LayoutMathTest, WithinTwoUnitsOfLastPlaceOverTheSpiralRange)
{
    // Method spirals carry their angle on, so angles reach the thousands.
    for (double a = 0.0; a < 5000.0; a += 0.0348 * 1.37) {
        double s, c;
        LayoutSinCos(a, s, c);
        EXPECT_EQ(s, LayoutSin(a));
        EXPECT_EQ(c, LayoutCos(a));
        if (std::fabs(std::sin(a)) > 1e-3) {
            ASSERT_LE(UlpDistance(s, std::sin(a)), 2) << a;
        }
        if (std::fabs(std::cos(a)) > 1e-3) {
            ASSERT_LE(UlpDistance(c, std::cos(a)), 2) << a;
        }
    }
}

TEST(LayoutMathTest, BlockSpiralAnglesRoundCorrectlyToSinglePrecision)
{
    // The block spiral's 50 angles per quarter ring, against long double.
    int count = 0;
    float a = 0.0f;
    do {
        const float c = static_cast<float>(LayoutCos(a));
        const float s = static_cast<float>(LayoutSin(a));
        EXPECT_EQ(c, static_cast<float>(std::cos(static_cast<long double>(a)))) << a;
        EXPECT_EQ(s, static_cast<float>(std::sin(static_cast<long double>(a)))) << a;
        a += 0.031414f;
        ++count;
    } while (!(a > 1.5707f));
    EXPECT_EQ(count, 50);
}

}  // namespace
}  // namespace codeburg
