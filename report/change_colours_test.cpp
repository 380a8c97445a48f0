#include "report/change_colours.h"

#include <gtest/gtest.h>

#include "ci/method_match.h"
#include "city/city_geometry.h"
#include "records/file_stats.h"
#include "report/report_test_util.h"

namespace codeburg {
namespace {

const MethodStats& Method(const ProjectStats& stats, size_t file, size_t index)
{
    return *stats.files[file]->methods[index];
}

// The older build: the constructor was shorter, Draw longer, Area the same
// size with more comments, and helper did not exist yet.
std::unique_ptr<ProjectStats> OlderBuild()
{
    auto old = testing::SmallProject();
    old->files[0]->methods[0]->eloc = 5;
    old->files[0]->methods[1]->eloc = 55;
    old->files[0]->methods[2]->commentLines = 9;
    old->files[1]->methods.clear();
    return old;
}

TEST(ChangeColoursTest, SizesDecideTheChange)
{
    const auto old = OlderBuild();
    const auto now = testing::SmallProject();
    const auto changes = ClassifyChanges(MatchMethods(*old, *now));
    ASSERT_EQ(changes.size(), 4u);  // only the newer build's methods
    EXPECT_EQ(changes.at(&Method(*now, 0, 0)), BuildingChange::Grown);
    EXPECT_EQ(changes.at(&Method(*now, 0, 1)), BuildingChange::Shrunk);
    EXPECT_EQ(changes.at(&Method(*now, 0, 2)), BuildingChange::Unchanged);  // same eloc
    EXPECT_EQ(changes.at(&Method(*now, 1, 0)), BuildingChange::New);
    const auto key = ChangeKey(changes);
    ASSERT_EQ(key.size(), 4u);
    EXPECT_EQ(key[0].text, "new (1)");
    EXPECT_EQ(key[3].text, "unchanged (1)");
    EXPECT_EQ(key[2].colour, ChangeColour(BuildingChange::Shrunk));
    // Four colours a reader can tell apart.
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_NE(ChangeColour(BuildingChange(a)), ChangeColour(BuildingChange(b)));
}

// Only the colours move: every vertex stays where the city put it.
TEST(ChangeColoursTest, RecolouringKeepsTheShapes)
{
    const auto old = OlderBuild();
    const auto now = testing::SmallProject();
    auto changes = ClassifyChanges(MatchMethods(*old, *now));
    changes.erase(&Method(*now, 1, 0));  // unnamed methods draw as new
    const CityGeometry original = BuildCityGeometry(*now, DisplayMode::Color);
    CityGeometry recoloured = original;
    RecolourByChange(recoloured, *now, changes);
    ASSERT_EQ(recoloured.boxes.size(), original.boxes.size());
    for (size_t i = 0; i < original.boxes.size(); ++i) {
        const BoxBuilding& a = original.boxes[i];
        const BoxBuilding& b = recoloured.boxes[i];
        EXPECT_EQ(b.method, a.method);
        EXPECT_EQ(b.wallTexture, a.wallTexture);
        for (size_t v = 0; v < a.vertices.size(); ++v) {
            EXPECT_EQ(b.vertices[v].x, a.vertices[v].x);
            EXPECT_EQ(b.vertices[v].y, a.vertices[v].y);
            EXPECT_EQ(b.vertices[v].z, a.vertices[v].z);
        }
        const auto at = changes.find(a.method);
        const BuildingChange expected = at == changes.end() ? BuildingChange::New : at->second;
        EXPECT_EQ(b.vertices[0].diffuse, ChangeColour(expected)) << a.method->methodName;
    }
    ASSERT_EQ(recoloured.towers.size(), 1u);
    EXPECT_EQ(recoloured.towers[0].vertices[1].diffuse, ChangeColour(BuildingChange::Grown));
    EXPECT_EQ(recoloured.towers[0].vertices[19].y, original.towers[0].vertices[19].y);
}

}  // namespace
}  // namespace codeburg
