#include "report/snapshot_legend.h"

#include <gtest/gtest.h>

#include "city/city_geometry.h"
#include "records/project_stats.h"

namespace codeburg {
namespace {

// A project of one file with one method of "eloc" lines.
void OneMethodProject(ProjectStats& stats, int32_t eloc)
{
    stats.name = "demo";
    auto file = std::make_unique<FileStats>("a.cpp", 25, 0x00336699u);
    file->AddMethod("A", "run", 0);
    file->FinishMethod(eloc, 0, 0, 0);
    stats.files.push_back(std::move(file));
    stats.measures.totalMethods = 1;
    stats.measures.totalEloc = eloc;
    stats.measures.overallScore = 0.734f;
}

TEST(SnapshotLegendTest, FactsCarryTheFiguresAndTheModesColours)
{
    ProjectStats stats(nullptr);
    OneMethodProject(stats, 40);
    const LegendFacts facts = LegendFactsOf(stats, DisplayMode::LineMethod, "12/07/26 at 10:00:00");
    EXPECT_EQ(facts.project, "demo");
    EXPECT_EQ(facts.files, 1);
    EXPECT_EQ(facts.methods, 1);
    EXPECT_EQ(facts.eloc, 40);
    EXPECT_EQ(facts.overallPercent, 73);  // truncated, as every view shows it
    EXPECT_EQ(facts.keyTitle, "Line/Method Mode");
    ASSERT_EQ(facts.key.size(), 2u);
    // The key's colours are the buildings' own: a 40-line method is too long.
    const MethodStats& m = *stats.files[0]->methods[0];
    const uint32_t building =
        MethodColour(m, 0x00336699u, DisplayMode::LineMethod, ColourReferencesOf(stats));
    EXPECT_EQ(facts.key[0].colour, building);
    EXPECT_NE(facts.key[1].colour, building);
    EXPECT_NE(facts.key[0].text.find("over 25 eloc"), std::string::npos);
    for (int32_t mode = 0; mode < kDisplayModeCount; ++mode)
        EXPECT_GE(LegendFactsOf(stats, static_cast<DisplayMode>(mode), "").key.size(), 2u);
}

TEST(SnapshotLegendTest, LayoutStaysInsideTheCornerPanel)
{
    ProjectStats stats(nullptr);
    OneMethodProject(stats, 10);
    stats.name = "a-project-with-a-rather-long-name";
    const LegendFacts facts = LegendFactsOf(stats, DisplayMode::Asserts, "12/07/26 at 10:00:00");
    for (const auto& [w, h] : {std::pair{640, 360}, {1280, 720}, {3840, 2160}}) {
        const LegendLayout layout = LayoutLegend(facts, w, h);
        EXPECT_GE(layout.textPixels, 11);
        EXPECT_LE(layout.x + layout.width, w / 2) << w;  // a corner, not the picture
        EXPECT_LE(layout.y + layout.height, h);
        int32_t lastY = -1;
        for (const HudText& t : layout.texts) {
            EXPECT_GE(t.x, layout.x);
            EXPECT_GT(t.y, lastY);  // one line each, top to bottom
            EXPECT_LE(t.y + layout.textPixels, layout.y + layout.height);
            EXPECT_LE(t.x + int32_t(t.text.size()) * layout.textPixels / 2,
                      layout.x + layout.width);
            lastY = t.y;
        }
        ASSERT_EQ(layout.swatches.size(), facts.key.size());
        for (const LegendSwatch& s : layout.swatches)
            EXPECT_LE(s.y + s.size, layout.y + layout.height);
    }
    EXPECT_EQ(LegendTextPixels(640, 360), 11);
    EXPECT_EQ(LegendTextPixels(1280, 720), 18);
}

}  // namespace
}  // namespace codeburg
