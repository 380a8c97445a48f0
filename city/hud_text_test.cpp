#include "city/hud_text.h"

#include <gtest/gtest.h>

#include "city/city_geometry.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

const HudText* At(const std::vector<HudText>& lines, int32_t x, int32_t y)
{
    for (const HudText& line : lines)
        if (line.x == x && line.y == y) return &line;
    return nullptr;
}

}  // namespace

TEST(HudTextTest, WithoutProjectOnlyThePrompt)
{
    const auto lines = HudTexts(nullptr, HudState{}, nullptr, CityFilter{});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "Select a project in the treeview");
    EXPECT_EQ(lines[0].y, 10);
}

TEST(HudTextTest, ProjectFiguresAndHints)
{
    ProjectStats stats(nullptr);
    stats.name = "demo";
    stats.measures.totalMethods = 7;
    stats.measures.elocPerMethod = 12;
    stats.measures.assertRatio = 0.0123f;
    stats.measures.commentRatio = 0.256f;
    stats.measures.overallScore = 0.999f;
    HudState state;
    state.clientWidth = 800;
    state.clientHeight = 600;
    state.flyMode = 1;
    state.mouseLook = true;
    state.displayMode = DisplayMode::Asserts;
    const auto lines = HudTexts(&stats, state, nullptr, CityFilter{});
    EXPECT_EQ(At(lines, 10, 10)->text,
              "Fly mode: F2/F3 - Display mode F6 -  Alt+Enter to enter fullscreen mode");
    EXPECT_EQ(At(lines, 10, 50)->text, "Project : demo");
    EXPECT_EQ(At(lines, 10, 70)->text, "0 cpp files");
    EXPECT_EQ(At(lines, 10, 110)->text, "7 methods/class");  // no files: divided by 1
    EXPECT_EQ(At(lines, 10, 130)->text, "12.0 lines/method");
    EXPECT_EQ(At(lines, 10, 210)->text, "25% comments");
    EXPECT_EQ(At(lines, 10, 230)->text, "1.20% asserts");
    EXPECT_EQ(At(lines, 10, 270)->text, "OVERALL: 99%");
    EXPECT_EQ(At(lines, 10, 580)->text,
              "Use mouse and arrow keys to move inside the city. Use Page Down & Page Up to "
              "change altitude. Right click to disable the mouse.");
    EXPECT_EQ(At(lines, 10, 450)->text, "Asserts Mode");
    EXPECT_EQ(At(lines, 30, 400), nullptr);  // the credit line only in snapshots
    state.snapshot = true;
    state.flyMode = 0;
    state.paused = true;
    const auto snap = HudTexts(&stats, state, nullptr, CityFilter{});
    EXPECT_EQ(At(snap, 30, 400)->text, kCreditLine);
    EXPECT_EQ(At(snap, 10, 580)->text, "Use right click to resume movement.");
}

TEST(HudTextTest, InformationBoxOnlyWhenThePickMatchesTheFilter)
{
    ProjectStats stats(nullptr);
    auto file = std::make_unique<FileStats>("a.cpp", 25, 0u);
    MethodStats* m = file->AddMethod("A", "run", 0);
    m->eloc = 4;
    MethodStats* other = file->AddMethod("", "free", 0);
    stats.files.push_back(std::move(file));
    HudState state;
    state.clientWidth = 800;
    state.clientHeight = 600;
    auto lines = HudTexts(&stats, state, m, CityFilter{});
    ASSERT_NE(At(lines, 650, 50), nullptr);
    EXPECT_EQ(At(lines, 650, 50)->text, "File: a.cpp");
    EXPECT_EQ(At(lines, 650, 50)->colour, 0xFFFFFF00u);
    EXPECT_EQ(At(lines, 650, 110)->text, "Eloc: 4");

    CityFilter byMethod;
    byMethod.kind = FilterKind::Method;
    byMethod.method = other;
    EXPECT_EQ(At(HudTexts(&stats, state, m, byMethod), 650, 50), nullptr);

    CityFilter noClass;  // "<no class>" matches only methods without class
    noClass.kind = FilterKind::Class;
    EXPECT_FALSE(noClass.Matches(*m));
    EXPECT_TRUE(noClass.Matches(*other));
    CityFilter byFile;
    byFile.kind = FilterKind::File;
    byFile.fileName = "A.cpp";  // case matters
    EXPECT_FALSE(byFile.Matches(*m));
}

TEST(HudTextTest, FilterMasksFollowTheBuildingLists)
{
    ProjectStats stats(nullptr);
    auto file = std::make_unique<FileStats>("a.cpp", 25, 0u);
    MethodStats* a = file->AddMethod("", "a", 0);
    MethodStats* b = file->AddMethod("", "b", 0);
    stats.files.push_back(std::move(file));
    CityGeometry g;
    g.boxes.resize(2);
    g.boxes[0].method = a;
    g.boxes[1].method = b;
    std::vector<bool> boxes, towers;
    FilterMasks(g, CityFilter{}, boxes, towers);
    EXPECT_TRUE(boxes.empty());
    CityFilter f;
    f.kind = FilterKind::Method;
    f.method = b;
    FilterMasks(g, f, boxes, towers);
    EXPECT_EQ(boxes, (std::vector<bool>{false, true}));
}

}  // namespace codeburg
