#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "city/city_geometry.h"
#include "city/ground_texture.h"
#include "city/render/city_renderer.h"
#include "city/render/city_snapshot.h"
#include "city/render/offscreen_context.h"
#include "city/render/synthetic_city.h"
#include "city/render/text_overlay.h"
#include "platform/ms_random.h"
#include "records/colour.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

// One context for the whole suite: making one costs more than a frame.
class RenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        s_context = OffscreenContext::Create(&error).release();
        if (!s_context) s_reason = error;
    }
    static void TearDownTestSuite()
    {
        delete s_context;
        s_context = nullptr;
    }
    void SetUp() override
    {
        if (!s_context) GTEST_SKIP() << "no offscreen OpenGL 3.3 context: " << s_reason;
        s_context->makeCurrent();
    }

    static OffscreenContext* s_context;
    static std::string s_reason;
};
OffscreenContext* RenderTest::s_context = nullptr;
std::string RenderTest::s_reason;

// A 30 x 30 city with one box: footprint 6 at (12, 12), roof height 5, whose
// Readability colour is HSV (20, 0.45, 0.2).
struct OneBuilding {
    ProjectStats stats{nullptr};
    OneBuilding()
    {
        stats.name = "one";
        auto file = std::make_unique<FileStats>("one.cpp", 25, 0x00FF00u);
        MethodStats* m = file->AddMethod("Shape", "draw", 5);
        m->eloc = 10;
        m->commentLines = 2;
        stats.files.push_back(std::move(file));
        stats.cityGrid.Allocate(30, 30);
        CityCell& anchor = stats.cityGrid.cells[12 * 30 + 12];
        anchor.height = 11;
        anchor.footprint = 6;
        anchor.side = 6;
    }
};

int Red(uint32_t c)
{
    return int(c >> 16 & 0xFF);
}
int Green(uint32_t c)
{
    return int(c >> 8 & 0xFF);
}
int Blue(uint32_t c)
{
    return int(c & 0xFF);
}

void ExpectNear(uint32_t actual, uint32_t expected, int tolerance)
{
    EXPECT_NEAR(Red(actual), Red(expected), tolerance) << std::hex << actual << " vs " << expected;
    EXPECT_NEAR(Green(actual), Green(expected), tolerance) << std::hex << actual;
    EXPECT_NEAR(Blue(actual), Blue(expected), tolerance) << std::hex << actual;
}

// The lighting of a roof: ambient 100/255 plus the one light that shines down,
// N.L = 0.5 / |(0.05, -0.5, 0.05)|, clamped.
double LitRoof(int channel)
{
    const double nDotL = 0.5 / std::sqrt(0.05 * 0.05 + 0.5 * 0.5 + 0.05 * 0.05);
    return std::min(1.0, 100.0 / 255.0 + channel / 255.0 * nDotL) * 255.0;
}

std::filesystem::path SnapshotDir()
{
    std::filesystem::path dir(CODEBURG_SNAPSHOT_DIR);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

TEST_F(RenderTest, SkyIsTheBackgroundColour)
{
    OneBuilding city;
    SnapshotOptions options;
    options.width = 160;
    options.height = 120;
    Camera camera;
    camera.x = 15;
    camera.y = 3;
    camera.z = -20;
    options.camera = camera;
    RgbImage image;
    std::string error;
    ASSERT_TRUE(RenderCitySnapshot(city.stats, options, image, &error)) << error;
    EXPECT_EQ(image.At(0, 0), 0x191919u);
    EXPECT_EQ(image.At(159, 0), 0x191919u);
}

TEST_F(RenderTest, MapViewCornerFadesIntoTheBackground)
{
    OneBuilding city;
    SnapshotOptions options;
    options.width = 320;
    options.height = 240;
    RgbImage image;
    std::string error;
    ASSERT_TRUE(RenderCitySnapshot(city.stats, options, image, &error)) << error;
    ExpectNear(image.At(0, 0), 0x191919u, 12);
    ExpectNear(image.At(319, 239), 0x191919u, 12);
}

TEST_F(RenderTest, PickedRoofShowsItsLitVertexColours)
{
    OneBuilding city;
    SnapshotOptions options;
    options.width = 320;
    options.height = 240;
    options.mode = DisplayMode::Readability;
    options.pickedBox = 0;
    RgbImage image;
    std::string error;
    ASSERT_TRUE(RenderCitySnapshot(city.stats, options, image, &error)) << error;
    // Roof corners at x0 carry c, at x1 the dark shade d; the centre pixel lies
    // about half way across (world x 15.04 of 12 .. 18.02).
    const uint32_t c = HsvToColor(20, 0.45, 0.2);
    const uint32_t d = HsvToColor(20, 0.45 * 0.85, 0.2 * 0.3);
    const double f = (15.04 - 12.0) / 6.02;
    auto mix = [&](int cc, int dc) { return int(LitRoof(cc) + f * (LitRoof(dc) - LitRoof(cc))); };
    const uint32_t expected = uint32_t(mix(Red(c), Red(d))) << 16 |
                              uint32_t(mix(Green(c), Green(d))) << 8 |
                              uint32_t(mix(Blue(c), Blue(d)));
    ExpectNear(image.At(160, 120), expected, 3);
}

TEST_F(RenderTest, TexturedRoofKeepsTheBuildingsHue)
{
    OneBuilding city;
    city.stats.files[0]->methods[0]->commentLines = 10;  // g = 1: the file's own green
    SnapshotOptions options;
    options.width = 320;
    options.height = 240;
    RgbImage image;
    std::string error;
    ASSERT_TRUE(RenderCitySnapshot(city.stats, options, image, &error)) << error;
    const uint32_t pixel = image.At(160, 120);
    EXPECT_GT(Green(pixel), Red(pixel) + 40) << std::hex << pixel;
    EXPECT_GT(Green(pixel), Blue(pixel) + 40) << std::hex << pixel;
}

TEST_F(RenderTest, BadCitiesRenderWithoutCrashing)
{
    SnapshotOptions options;
    options.width = 64;
    options.height = 48;
    RgbImage image;
    std::string error;

    ProjectStats empty(nullptr);  // no files, default 10 x 10 grid
    EXPECT_TRUE(RenderCitySnapshot(empty, options, image, &error)) << error;
    empty.cityGrid.Clear();  // no grid at all
    EXPECT_TRUE(RenderCitySnapshot(empty, options, image, &error)) << error;
    EXPECT_EQ(image.At(0, 0), 0x191919u);

    OneBuilding stale;  // the grid names a file and a method that are gone
    stale.stats.cityGrid.cells[12 * 30 + 12].fileIndex = 3;
    stale.stats.cityGrid.cells[5 * 30 + 5] = stale.stats.cityGrid.cells[12 * 30 + 12];
    stale.stats.cityGrid.cells[5 * 30 + 5].fileIndex = 0;
    stale.stats.cityGrid.cells[5 * 30 + 5].methodIndex = 9;
    EXPECT_TRUE(RenderCitySnapshot(stale.stats, options, image, &error)) << error;

    options.width = 1 << 20;  // beyond any device
    EXPECT_FALSE(RenderCitySnapshot(stale.stats, options, image, &error));
    EXPECT_NE(error.find("cannot render a picture of"), std::string::npos) << error;
    EXPECT_TRUE(image.pixels.empty());
}

TEST_F(RenderTest, HugeGridIsScaledNotRefused)
{
    ProjectStats huge(nullptr);
    ASSERT_TRUE(huge.cityGrid.Allocate(4000, 4000));
    SnapshotOptions options;
    options.width = 64;
    options.height = 48;
    RgbImage image;
    std::string error;
    EXPECT_TRUE(RenderCitySnapshot(huge, options, image, &error)) << error;
}

TEST_F(RenderTest, WritesSnapshotsOfEachModeForReview)
{
    ProjectStats stats(nullptr);
    MakeSyntheticCity(stats, 36, 40, 2026);
    const std::filesystem::path dir = SnapshotDir();
    SnapshotOptions options;
    options.width = 640;
    options.height = 360;
    std::string error;
    for (int32_t mode = 0; mode < kDisplayModeCount; ++mode) {
        options.mode = static_cast<DisplayMode>(mode);
        RgbImage image;
        ASSERT_TRUE(RenderCitySnapshot(stats, options, image, &error)) << error;
        const std::string path = (dir / ("city_map_mode" + std::to_string(mode) + ".jpg")).string();
        EXPECT_TRUE(WriteJpeg(path, image, 90, &error)) << error;
        size_t notBackground = 0;
        for (int32_t y = 0; y < image.height; y += 8)
            for (int32_t x = 0; x < image.width; x += 8)
                notBackground += image.At(x, y) != 0x191919u;
        EXPECT_GT(notBackground, size_t(image.width * image.height / 64 / 4)) << mode;
    }
    Camera street;
    street.x = 20;
    street.y = 40;
    street.z = -30;
    street.pitch = -0.45f;
    street.yaw = -0.5f;
    options.camera = street;
    options.mode = DisplayMode::Color;
    RgbImage image;
    ASSERT_TRUE(RenderCitySnapshot(stats, options, image, &error)) << error;
    EXPECT_TRUE(WriteJpeg((dir / "city_fly_mode0.jpg").string(), image, 90, &error)) << error;
}

// One upload for several pictures must give each the pixels it would get
// alone, whatever size came before it.
TEST_F(RenderTest, SeveralPicturesMatchSinglePictures)
{
    ProjectStats stats(nullptr);
    MakeSyntheticCity(stats, 20, 24, 11);
    std::vector<SnapshotOptions> pictures(3);
    pictures[0].width = 320, pictures[0].height = 200, pictures[0].mode = DisplayMode::Asserts;
    pictures[1].width = 200, pictures[1].height = 320, pictures[1].mode = DisplayMode::Asserts;
    pictures[1].camera = Camera{10, 30, -20, -0.6f, -0.3f};
    pictures[2] = pictures[0];
    pictures[2].creditLine = true;
    std::vector<RgbImage> images;
    std::string error;
    ASSERT_TRUE(RenderCitySnapshots(stats, pictures, images, &error)) << error;
    ASSERT_EQ(images.size(), 3u);
    for (size_t i = 0; i < pictures.size(); ++i) {
        RgbImage alone;
        ASSERT_TRUE(RenderCitySnapshot(stats, pictures[i], alone, &error)) << error;
        EXPECT_EQ(images[i].width, alone.width);
        EXPECT_TRUE(images[i].pixels == alone.pixels) << i;
    }
    pictures[1].width = 1 << 20;  // beyond any device: no pictures at all
    EXPECT_FALSE(RenderCitySnapshots(stats, pictures, images, &error));
    EXPECT_TRUE(images.empty());
}

// Skipping tiles out of view and drawing the rest nearest first must not move
// a pixel: every view, from inside the city too, matches the plain drawing of
// all tiles in storage order, a picked building included.
TEST_F(RenderTest, CullingAndOrderingChangeNoPixel)
{
    ProjectStats stats(nullptr);
    MakeSyntheticCity(stats, 30, 30, 7);
    const CityGeometry geometry = BuildCityGeometry(stats, DisplayMode::Color);
    MsRandom rng(ProjectSeed(stats));
    const GroundTexture ground = BuildGroundTexture(stats, rng, 4096);
    CityRenderer renderer;
    std::string error;
    ASSERT_TRUE(renderer.initialize(&error)) << error;
    renderer.setCity(geometry, ground);
    renderer.setPicked(int32_t(geometry.boxes.size() / 2), 0);
    OffscreenFramebuffer framebuffer;
    ASSERT_TRUE(framebuffer.create(320, 180, &error)) << error;
    const CityGrid& grid = stats.cityGrid;
    const Mat4 projection = CityProjection(grid.width, grid.height, stats.measures.maxMethodEloc);
    std::vector<Camera> cameras = {MapViewCamera(grid.width, grid.height, 120)};
    for (float yaw : {0.0f, 1.6f, 3.1f, -2.2f}) {
        Camera c;
        c.x = grid.width * 0.4f;
        c.z = grid.height * 0.45f;
        c.y = 12.0f;
        c.pitch = -0.3f;
        c.yaw = yaw;
        cameras.push_back(c);
    }
    for (size_t k = 0; k < cameras.size(); ++k) {
        RgbImage fast, plain;
        const Mat4 view = ViewMatrix(cameras[k]);
        renderer.setCulling(true);
        renderer.render(320, 180, view, projection);
        framebuffer.read(fast);
        renderer.setCulling(false);
        renderer.render(320, 180, view, projection);
        framebuffer.read(plain);
        ASSERT_EQ(fast.pixels.size(), plain.pixels.size());
        size_t differing = 0;
        for (size_t i = 0; i < fast.pixels.size(); ++i)
            differing += fast.pixels[i] != plain.pixels[i];
        EXPECT_EQ(differing, 0u) << "camera " << k;
    }
    renderer.release();
}

TEST_F(RenderTest, CreditLineIsWrittenOnlyWhereItStands)
{
    RgbImage probe;
    probe.width = probe.height = 8;
    probe.pixels.assign(8 * 8 * 3, 0);
    if (!DrawHudTexts(probe, {HudText{0, 0, 0xFFFFFFFF, "x"}}, 11, nullptr))
        GTEST_SKIP() << "no font for Arial";
    ProjectStats stats(nullptr);
    MakeSyntheticCity(stats, 9, 9, 3);
    SnapshotOptions options;
    options.width = 480;
    options.height = 320;
    RgbImage plain, credited;
    std::string error;
    ASSERT_TRUE(RenderCitySnapshot(stats, options, plain, &error)) << error;
    options.creditLine = true;
    ASSERT_TRUE(RenderCitySnapshot(stats, options, credited, &error)) << error;
    // The line's top-left corner is (30, height - 200), as in the window.
    size_t inside = 0, outside = 0;
    for (int32_t y = 0; y < options.height; ++y)
        for (int32_t x = 0; x < options.width; ++x) {
            if (plain.At(x, y) == credited.At(x, y)) continue;
            const bool inLine =
                x >= 30 && y >= options.height - 200 && y < options.height - 200 + 20;
            (inLine ? inside : outside) += 1;
        }
    EXPECT_GT(inside, 100u);
    EXPECT_EQ(outside, 0u);
}

}  // namespace codeburg
