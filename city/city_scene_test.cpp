#include "city/city_scene.h"

#include <gtest/gtest.h>

#include "city/camera.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

// A 30 x 30 city: "shape.cpp" with Shape::draw (footprint 6 at 12, 12) and
// Shape::area (footprint 2 at 2, 2), and "free.cpp" with the classless
// helper() (footprint 2 at 22, 2).
struct SmallCity {
    ProjectStats stats{nullptr};
    SmallCity()
    {
        stats.name = "small";
        auto shape = std::make_unique<FileStats>("shape.cpp", 25, 0x0000FFu);
        shape->AddMethod("Shape", "draw", 5)->eloc = 10;
        shape->AddMethod("Shape", "area", 1)->eloc = 4;
        auto helper = std::make_unique<FileStats>("free.cpp", 25, 0x00FF00u);
        helper->AddMethod("", "helper", 1)->eloc = 6;
        stats.files.push_back(std::move(shape));
        stats.files.push_back(std::move(helper));
        stats.measures.totalMethods = 3;
        stats.measures.maxMethodEloc = 10;
        stats.cityGrid.Allocate(30, 30);
        Anchor(12, 12, 11, 6, 0, 0);
        Anchor(2, 2, 5, 2, 0, 1);
        Anchor(22, 2, 7, 2, 1, 0);
    }
    void Anchor(int x, int y, int height, int footprint, int file, int method)
    {
        CityCell& c = stats.cityGrid.cells[size_t(y) * 30 + size_t(x)];
        c.height = uint16_t(height);
        c.footprint = uint8_t(footprint);
        c.side = uint8_t(footprint);
        c.fileIndex = uint32_t(file);
        c.methodIndex = uint32_t(method);
    }
    const MethodStats* Method(int file, int method) const
    {
        return stats.files[size_t(file)]->methods[size_t(method)].get();
    }
};

}  // namespace

TEST(NameFilterTest, MatchesByKind)
{
    SmallCity city;
    const MethodStats& draw = *city.Method(0, 0);
    const MethodStats& helper = *city.Method(1, 0);
    EXPECT_TRUE(NameFilter{}.Matches(helper));
    EXPECT_TRUE((NameFilter{FilterKind::File, "shape.cpp", "", ""}.Matches(draw)));
    EXPECT_FALSE((NameFilter{FilterKind::File, "shape.cpp", "", ""}.Matches(helper)));
    EXPECT_FALSE(
        (NameFilter{FilterKind::File, "Shape.cpp", "", ""}.Matches(draw)));  // byte for byte
    EXPECT_TRUE((NameFilter{FilterKind::Class, "", "Shape", ""}.Matches(draw)));
    EXPECT_FALSE((NameFilter{FilterKind::Class, "", "Shape", ""}.Matches(helper)));
    // No class name: the methods without a class.
    EXPECT_TRUE((NameFilter{FilterKind::Class, "", "", ""}.Matches(helper)));
    EXPECT_FALSE((NameFilter{FilterKind::Class, "", "", ""}.Matches(draw)));
    EXPECT_FALSE((NameFilter{FilterKind::Class, "free.cpp", "Shape", ""}.Matches(draw)));
    EXPECT_TRUE((NameFilter{FilterKind::Method, "shape.cpp", "Shape", "draw"}.Matches(draw)));
    EXPECT_FALSE(
        (NameFilter{FilterKind::Method, "shape.cpp", "Shape", "draw"}.Matches(*city.Method(0, 1))));
}

TEST(CitySceneTest, FilterHidesOtherBuildings)
{
    SmallCity city;
    CityScene scene;
    scene.setProject(&city.stats, 4096);
    ASSERT_EQ(scene.geometry().boxes.size(), 3u);
    EXPECT_TRUE(scene.boxVisible().empty());
    scene.setFilter(NameFilter{FilterKind::Method, "", "", "area"});
    // Grid order: row 2 (area, helper) before row 12 (draw).
    EXPECT_EQ(scene.boxVisible(), (std::vector<bool>{true, false, false}));
    // Another project starts unfiltered.
    scene.setProject(&city.stats, 4096);
    EXPECT_TRUE(scene.boxVisible().empty());
}

TEST(CitySceneTest, PicksTheBuildingUnderTheCursorInMapView)
{
    SmallCity city;
    CityScene scene;
    scene.setProject(&city.stats, 4096);
    const Camera map = MapViewCamera(30, 30, 10);
    const Mat4 view = ViewMatrix(map), projection = CityProjection(30, 30, 10);
    // Project the roof centre of Shape::draw to the screen of 400 x 400.
    const Mat4 m = view * projection;
    const float p[3] = {15.0f, 5.0f, 15.0f};
    float clip[4];
    for (int c = 0; c < 4; ++c)
        clip[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
    const int mx = int((clip[0] / clip[3] + 1) * 200), my = int((1 - clip[1] / clip[3]) * 200);
    scene.pick(mx, my, 400, 400, projection, view);
    ASSERT_GE(scene.pickedBox(), 0);
    EXPECT_EQ(scene.pickedMethod(), city.Method(0, 0));
    EXPECT_EQ(scene.shownPick(), city.Method(0, 0));
    const HudState state{400, 400, false, 1, false, false, false, DisplayMode::Color};
    const auto texts = scene.hudTexts(state);
    EXPECT_EQ(texts.back().text, "Empty: 0");
    EXPECT_EQ(texts[texts.size() - 5].text, "Name: draw");
    // Hidden by the filter: still picked, but no information box.
    scene.setFilter(NameFilter{FilterKind::File, "free.cpp", "", ""});
    EXPECT_EQ(scene.pickedMethod(), city.Method(0, 0));
    EXPECT_EQ(scene.shownPick(), nullptr);
    EXPECT_EQ(scene.hudTexts(state).back().text, "Color Mode");
    scene.pick(0, 0, 400, 400, projection, view);
    EXPECT_EQ(scene.pickedMethod(), nullptr);
}

TEST(CitySceneTest, NamesTheShownBuildingUnderThePointer)
{
    SmallCity city;
    CityScene scene;
    scene.setProject(&city.stats, 4096);
    const Mat4 view = ViewMatrix(MapViewCamera(30, 30, 10)),
               projection = CityProjection(30, 30, 10);
    const MethodStats* draw = scene.methodAt(200, 200, 400, 400, projection, view);
    ASSERT_EQ(draw, city.Method(0, 0));
    EXPECT_EQ(BuildingDescription(*draw), "shape.cpp: Shape::draw - 10 eloc, 5 parameters");
    EXPECT_EQ(BuildingDescription(*city.Method(1, 0)), "free.cpp: helper - 6 eloc, 1 parameter");
    EXPECT_EQ(scene.pickedBox(), -1);  // the frame's pick is left alone
    // A building the filter hides is not named; neither is bare ground.
    scene.setFilter(NameFilter{FilterKind::File, "free.cpp", "", ""});
    EXPECT_EQ(scene.methodAt(200, 200, 400, 400, projection, view), nullptr);
    EXPECT_EQ(scene.methodAt(0, 0, 400, 400, projection, view), nullptr);
}

TEST(CitySceneTest, LabelsNameFilesOrMethods)
{
    SmallCity city;
    CityScene scene;
    scene.setProject(&city.stats, 4096);
    ASSERT_TRUE(scene.fileLabels());
    auto labels = scene.labels();
    ASSERT_EQ(labels.size(), 2u);  // the first method of each file, in grid order
    EXPECT_EQ(labels[0].text, "free.cpp");
    EXPECT_EQ(labels[1].text, "shape.cpp");
    EXPECT_FLOAT_EQ(labels[1].position.x, 15.0f);
    EXPECT_FLOAT_EQ(labels[1].position.y, 6.0f);  // roof 11 / 2 = 5, one above
    EXPECT_FLOAT_EQ(labels[1].position.z, 15.0f);
    scene.toggleLabels();
    scene.setFilter(NameFilter{FilterKind::Class, "", "Shape", ""});
    labels = scene.labels();
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].text, "Shape::area");  // grid order: row 2 comes first
    EXPECT_EQ(labels[1].text, "Shape::draw");
}

TEST(CitySceneTest, DisplayModeRecoloursTheBuildings)
{
    SmallCity city;
    CityScene scene;
    scene.setProject(&city.stats, 4096);
    const uint32_t before = scene.geometry().boxes[0].vertices[0].diffuse;
    scene.nextDisplayMode();
    EXPECT_EQ(scene.displayMode(), DisplayMode::Readability);
    EXPECT_NE(scene.geometry().boxes[0].vertices[0].diffuse, before);
    for (int i = 0; i < 3; ++i) scene.nextDisplayMode();
    EXPECT_EQ(scene.displayMode(), DisplayMode::Color);
    EXPECT_EQ(scene.geometry().boxes[0].vertices[0].diffuse, before);
}

// While a comparison is open F6 cycles through a fifth mode in the change
// colours; showing the project again closes it and leaves that mode.
TEST(CitySceneTest, ComparisonAddsTheChangeMode)
{
    SmallCity city;
    CityScene scene;
    scene.setProject(&city.stats, 4096);
    scene.setChanges({{city.Method(0, 0), BuildingChange::Grown}});
    EXPECT_TRUE(scene.comparing());
    EXPECT_EQ(scene.displayMode(), kChangeDisplayMode);
    for (const BoxBuilding& b : scene.geometry().boxes) {
        const BuildingChange expected =
            b.method == city.Method(0, 0) ? BuildingChange::Grown : BuildingChange::New;
        EXPECT_EQ(b.vertices[0].diffuse, ChangeColour(expected)) << b.method->methodName;
    }
    HudState state;
    state.clientWidth = 640;
    state.clientHeight = 480;
    state.displayMode = scene.displayMode();
    bool named = false;
    for (const HudText& t : scene.hudTexts(state)) named |= t.text == kChangeDisplayModeName;
    EXPECT_TRUE(named);
    scene.nextDisplayMode();
    EXPECT_EQ(scene.displayMode(), DisplayMode::Color);
    for (int i = 0; i < 4; ++i) scene.nextDisplayMode();
    EXPECT_EQ(scene.displayMode(), kChangeDisplayMode);

    scene.setProject(&city.stats, 4096);  // rebuilt: the changes no longer apply
    EXPECT_FALSE(scene.comparing());
    EXPECT_EQ(scene.displayMode(), DisplayMode::Color);
    for (int i = 0; i < 4; ++i) scene.nextDisplayMode();
    EXPECT_EQ(scene.displayMode(), DisplayMode::Color);
}

TEST(CitySceneTest, NoProjectShowsOnlyThePrompt)
{
    SmallCity city;
    CityScene scene;
    scene.setProject(&city.stats, 4096);
    scene.setProject(nullptr, 4096);
    EXPECT_TRUE(scene.geometry().boxes.empty());
    EXPECT_TRUE(scene.ground().texels.empty());
    const auto texts = scene.hudTexts(HudState{});
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Select a project in the treeview");
}

}  // namespace codeburg
