#include "city/viewpoint.h"

#include <gtest/gtest.h>

#include <clocale>

namespace codeburg {

TEST(ViewpointTest, FormatsSixDecimals)
{
    Camera c;
    c.x = 12.5f;
    c.y = 1.0f;
    c.z = 30.0f;
    c.pitch = -0.2f;
    c.yaw = 1.570796f;
    EXPECT_EQ(FormatViewpoint(c), "12.500000,1.000000,30.000000,-0.200000,1.570796");
}

TEST(ViewpointTest, RoundTrip)
{
    const auto c = ParseViewpoint("12.500000,1.000000,30.000000,-0.200000,1.570796");
    ASSERT_TRUE(c.has_value());
    EXPECT_FLOAT_EQ(c->x, 12.5f);
    EXPECT_FLOAT_EQ(c->y, 1.0f);
    EXPECT_FLOAT_EQ(c->z, 30.0f);
    EXPECT_FLOAT_EQ(c->pitch, -0.2f);
    EXPECT_FLOAT_EQ(c->yaw, 1.570796f);
    EXPECT_EQ(FormatViewpoint(*c), "12.500000,1.000000,30.000000,-0.200000,1.570796");
}

TEST(ViewpointTest, BrokenTextAppliesWhatReads)
{
    Camera c;
    c.x = 1;
    c.y = 2;
    c.z = 3;
    c.pitch = 4;
    c.yaw = 5;
    EXPECT_EQ(ApplyViewpoint("", c), 0);
    EXPECT_EQ(ApplyViewpoint("garbage", c), 0);
    EXPECT_EQ(ApplyViewpoint("nan,1,1,1,1", c), 0);
    EXPECT_FLOAT_EQ(c.x, 1.0f);
    EXPECT_EQ(ApplyViewpoint("7,8,oops,9,9", c), 2);
    EXPECT_FLOAT_EQ(c.x, 7.0f);
    EXPECT_FLOAT_EQ(c.y, 8.0f);
    EXPECT_FLOAT_EQ(c.z, 3.0f);  // kept
    EXPECT_EQ(ApplyViewpoint("1,2,3,inf,5", c), 3);
    EXPECT_FLOAT_EQ(c.pitch, 4.0f);
    EXPECT_EQ(ApplyViewpoint("1;2;3;4;5", c), 1);
    EXPECT_FALSE(ParseViewpoint("1,2,3,4").has_value());
    EXPECT_FALSE(ParseViewpoint(std::string(100000, '9')).has_value());  // overflows to inf
    EXPECT_TRUE(ParseViewpoint(" 1, 2,3,4,5 trailing").has_value());     // like "%f"
}

TEST(ViewpointTest, IgnoresTheDecimalCommaOfTheLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    Camera c;
    c.x = 0.5f;
    EXPECT_EQ(FormatViewpoint(c).substr(0, 9), "0.500000,");
    EXPECT_TRUE(ParseViewpoint("0.5,1.5,2.5,0,0").has_value());
    if (previous) std::setlocale(LC_NUMERIC, "C");
}

}  // namespace codeburg
