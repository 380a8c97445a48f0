#include "city/city_navigation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace codeburg {

namespace {

struct FakeHost : CursorHost {
    int clips = 0, releases = 0, focus = 0, discards = 0;
    void clipCursor() override { ++clips; }
    void releaseCursor() override { ++releases; }
    void takeFocus() override { ++focus; }
    void discardMouseMotion() override { ++discards; }
};

// A 100 x 60 city whose longest method has 300 eloc; free movement at a
// known spot, the clocks started at 1000 ms.
struct Walker {
    FakeHost host;
    CityNavigation nav{&host};
    Walker()
    {
        nav.setCity(100, 60, 300);
        nav.moveToViewpoint("10.000000,5.000000,20.000000,0.000000,0.000000");
        nav.frameMove(1000, NavigationInput{});
    }
    NavigationInput keys() const
    {
        NavigationInput in;
        in.hasFocus = true;
        return in;
    }
};

}  // namespace

TEST(CityNavigationTest, PageDownStopsAtGroundLevel)
{
    Walker w;
    NavigationInput in = w.keys();
    in.pageDown = true;
    for (uint32_t t = 1010; t < 1100; t += 10) w.nav.frameMove(t, in);
    EXPECT_FLOAT_EQ(w.nav.camera().y, 1.0f);
    in.pageDown = false;
    in.pageUp = true;
    w.nav.frameMove(1200, in);
    EXPECT_FLOAT_EQ(w.nav.camera().y, 2.0f);  // one unit a frame, whatever the time
}

TEST(CityNavigationTest, OnlyTheFirstArrowInPriorityActs)
{
    Walker w;
    NavigationInput in = w.keys();
    in.left = true;
    in.up = true;               // ignored while Left is held
    w.nav.frameMove(1080, in);  // 80 ms: a step of 1 unit
    // Yaw 0: strafing left goes along -x only.
    EXPECT_NEAR(w.nav.camera().x, 9.0f, 1e-5);
    EXPECT_NEAR(w.nav.camera().z, 20.0f, 1e-5);
}

TEST(CityNavigationTest, StepFollowsFrameTimeWithAFloor)
{
    Walker w;
    NavigationInput in = w.keys();
    in.up = true;
    w.nav.frameMove(2000, in);  // a slow frame of one second
    EXPECT_NEAR(w.nav.camera().z, 32.5f, 1e-4);
    w.nav.frameMove(2000, in);  // no time at all still moves a little
    EXPECT_NEAR(w.nav.camera().z, 32.51f, 1e-4);
    EXPECT_NEAR(w.nav.camera().x, 10.0f, 1e-4);
}

TEST(CityNavigationTest, StepsGrowWithTheCity)
{
    FakeHost host;
    CityNavigation nav(&host);
    nav.setCity(500, 200, 300);
    nav.moveToViewpoint("10.000000,5.000000,20.000000,0.000000,0.000000");
    nav.frameMove(1000, NavigationInput{});
    // A tap goes a fiftieth of the larger side at once.
    nav.keyPressed(CityNavigation::Key::Up);
    EXPECT_NEAR(nav.camera().z, 30.0f, 1e-4);
    nav.keyPressed(CityNavigation::Key::PageUp);
    EXPECT_NEAR(nav.camera().y, 15.0f, 1e-4);
    EXPECT_EQ(nav.currentViewpoint().value_or("").substr(0, 30), "10.000000,15.000000,30.000000,");
    // Held for a second: 12.5 units times a fifth of the larger side in hundreds.
    NavigationInput in;
    in.hasFocus = true;
    in.left = true;
    nav.restartClocks(1000);
    EXPECT_TRUE(nav.frameMove(2000, in));
    EXPECT_NEAR(nav.camera().x, 10.0f - 62.5f, 1e-3);
    // A city of 100 goes two units a tap; fly-over ignores the taps.
    Walker w;
    w.nav.keyPressed(CityNavigation::Key::Down);
    EXPECT_NEAR(w.nav.camera().z, 18.0f, 1e-4);
    w.nav.flyOver();
    const Camera before = w.nav.camera();
    w.nav.keyPressed(CityNavigation::Key::Up);
    EXPECT_EQ(w.nav.camera().z, before.z);
}

TEST(CityNavigationTest, NothingMovesWithoutInputInFreeMovement)
{
    Walker w;
    EXPECT_FALSE(w.nav.frameMove(1500, w.keys()));
    EXPECT_FALSE(w.nav.frameMove(9000, NavigationInput{}));
    NavigationInput in = w.keys();
    in.mouseDx = 3;
    w.nav.setMouseLook(true);
    EXPECT_TRUE(w.nav.frameMove(9010, in));
    w.nav.flyOver();
    EXPECT_TRUE(w.nav.frameMove(9020, NavigationInput{}));  // the orbit goes on
}

TEST(CityNavigationTest, KeysNeedTheFocus)
{
    Walker w;
    NavigationInput in;
    in.up = true;
    w.nav.frameMove(2000, in);
    EXPECT_FLOAT_EQ(w.nav.camera().z, 20.0f);
}

TEST(CityNavigationTest, WheelNotchMovesFifteenUnits)
{
    Walker w;
    w.nav.wheel(120);
    EXPECT_NEAR(w.nav.camera().z, 35.0f, 1e-4);
}

TEST(CityNavigationTest, FlyOverGlidesAtMostTwoUnitsAFrame)
{
    FakeHost host;
    CityNavigation nav(&host);
    nav.setCity(400, 400, 0);
    nav.showProject("");
    ASSERT_EQ(nav.flyMode(), CityNavigation::FlyOver);
    const Camera start = nav.camera();
    nav.frameMove(0, NavigationInput{});
    nav.frameMove(10, NavigationInput{});
    const Camera& c = nav.camera();
    // The orbit lies 202 units from the centre: far more than one frame's glide.
    EXPECT_NEAR(c.x - start.x, 2.0f * 2, 1e-3);
    EXPECT_LE(std::fabs(c.z - start.z), 4.0f + 1e-3);
    // Far below the orbit's 20 units, y eases in by 2% of the gap a frame.
    EXPECT_NEAR(c.y - start.y, 19 * 0.02f + 18.62f * 0.02f, 5e-3);
    // It faces the centre and always looks down, by the angle under which
    // it sees the point 10 units above the centre, even from below it.
    const Vec3 f = Forward(c.pitch, c.yaw);
    const float dx = 200 - c.x, dy = 10 - c.y, dz = 200 - c.z;
    const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
    EXPECT_NEAR(f.x, dx / len, 1e-3);
    EXPECT_NEAR(f.y, -std::fabs(dy) / len, 1e-3);
    EXPECT_NEAR(f.z, dz / len, 1e-3);
}

TEST(CityNavigationTest, FlyOverLooksAtTheCentreFromEverySide)
{
    CityNavigation nav;
    nav.setCity(50, 50, 0);
    Camera c;
    for (const auto& [x, z] : {std::pair{0.0f, 25.0f}, {25.0f, 60.0f}, {60.0f, 10.0f}}) {
        c.x = x;
        c.z = z;
        c.y = 30;
        nav.setCamera(c);
        nav.frameMove(0, NavigationInput{});
        const Camera& now = nav.camera();
        const Vec3 f = Forward(now.pitch, now.yaw);
        const float dx = 25 - now.x, dz = 25 - now.z;
        const float hd = std::sqrt(dx * dx + dz * dz);
        const float flat = std::sqrt(f.x * f.x + f.z * f.z);
        EXPECT_NEAR(f.x / flat, dx / hd, 1e-3) << x << "," << z;
        EXPECT_NEAR(f.z / flat, dz / hd, 1e-3) << x << "," << z;
    }
}

TEST(CityNavigationTest, PausedOrbitKeepsItsTime)
{
    CityNavigation nav;
    nav.setCity(50, 50, 0);
    nav.frameMove(100, NavigationInput{});
    nav.frameMove(150, NavigationInput{});
    EXPECT_EQ(nav.flyTime(), 50u);
    nav.rightClick();
    EXPECT_TRUE(nav.paused());
    nav.frameMove(400, NavigationInput{});
    EXPECT_EQ(nav.flyTime(), 50u);
}

TEST(CityNavigationTest, MapViewLooksDownFromAboveTheCentre)
{
    Walker w;
    w.nav.flyOver();
    w.nav.mapView();
    const Camera& c = w.nav.camera();
    EXPECT_EQ(w.nav.flyMode(), CityNavigation::FreeMovement);
    EXPECT_FLOAT_EQ(c.x, 50.0f);
    EXPECT_FLOAT_EQ(c.z, 30.0f);
    EXPECT_FLOAT_EQ(c.y, 300 * 60 / 100 + 5 + 100);
    EXPECT_FLOAT_EQ(c.pitch, -1.5698f);
    EXPECT_FLOAT_EQ(c.yaw, 0.0f);
}

TEST(CityNavigationTest, FlyModesSetAndClearThePause)
{
    Walker w;
    w.nav.flyOver();
    EXPECT_FALSE(w.nav.paused());
    w.nav.freeMovement();
    EXPECT_TRUE(w.nav.paused());
    EXPECT_EQ(w.nav.flyMode(), CityNavigation::FreeMovement);
    w.nav.flyOver();
    EXPECT_FALSE(w.nav.paused());
    // Already flying over: F2 leaves the pause alone.
    w.nav.rightClick();
    w.nav.flyOver();
    EXPECT_TRUE(w.nav.paused());
}

TEST(CityNavigationTest, RightClickTogglesMouseLookInFreeMovement)
{
    Walker w;
    ASSERT_FALSE(w.nav.mouseLook());
    const int clips = w.host.clips;
    w.nav.rightClick();
    EXPECT_TRUE(w.nav.mouseLook());
    EXPECT_EQ(w.host.clips, clips + 1);
    EXPECT_EQ(w.host.discards, 1);
    NavigationInput in;
    in.mouseDx = 70;
    in.mouseDy = -35;
    w.nav.frameMove(1010, in);
    EXPECT_NEAR(w.nav.camera().yaw, -0.1f, 1e-6);
    EXPECT_NEAR(w.nav.camera().pitch, 0.05f, 1e-6);
    w.nav.rightClick();
    EXPECT_FALSE(w.nav.mouseLook());
    EXPECT_GE(w.host.releases, 1);
    // The angles are kept while the mouse rests and come back with it.
    w.nav.rightClick();
    EXPECT_NEAR(w.nav.camera().yaw, -0.1f, 1e-6);
}

TEST(CityNavigationTest, AltOrCtrlGivesTheMouseBack)
{
    Walker w;
    w.nav.setMouseLook(true);
    NavigationInput in = w.keys();
    in.altOrCtrl = true;
    in.up = true;
    w.nav.frameMove(1100, in);
    EXPECT_FALSE(w.nav.mouseLook());
    EXPECT_FLOAT_EQ(w.nav.camera().z, 20.0f);  // no movement in that frame
}

TEST(CityNavigationTest, ViewpointRoundTripInFreeMovement)
{
    CityNavigation nav;
    nav.setCity(100, 60, 0);
    EXPECT_EQ(nav.currentViewpoint(), std::nullopt);  // fly over has none
    const std::string text = "12.500000,1.000000,30.000000,-0.200000,1.570796";
    nav.moveToViewpoint(text);
    EXPECT_EQ(nav.flyMode(), CityNavigation::FreeMovement);
    nav.frameMove(5, NavigationInput{});
    EXPECT_EQ(nav.currentViewpoint(), text);
}

TEST(CityNavigationTest, MalformedViewpointKeepsTheRest)
{
    Walker w;
    w.nav.moveToViewpoint("1,2,x,4,5");
    EXPECT_FLOAT_EQ(w.nav.camera().x, 1.0f);
    EXPECT_FLOAT_EQ(w.nav.camera().y, 2.0f);
    EXPECT_FLOAT_EQ(w.nav.camera().z, 20.0f);
    EXPECT_FLOAT_EQ(w.nav.camera().yaw, 0.0f);
}

TEST(CityNavigationTest, ShowingAProjectPlacesTheCamera)
{
    FakeHost host;
    CityNavigation nav(&host);
    nav.setCity(41, 31, 0);
    nav.showProject("");
    EXPECT_FLOAT_EQ(nav.camera().x, 20.0f);
    EXPECT_FLOAT_EQ(nav.camera().y, 1.0f);
    EXPECT_FLOAT_EQ(nav.camera().z, 15.0f);
    EXPECT_EQ(host.focus, 0);
    nav.setFlyMode(CityNavigation::FreeMovement);
    nav.showProject("3,4,5,0.1,0.2");
    EXPECT_FLOAT_EQ(nav.camera().z, 5.0f);
    EXPECT_EQ(host.focus, 1);  // captured again in free movement
}

}  // namespace codeburg
