#include "city/city_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "city/layout_math.h"
#include "platform/ms_random.h"
#include "records/build_progress_sink.h"
#include "records/city_grid.h"
#include "records/file_stats.h"
#include "records/project_stats.h"
#include "records/stats_buffer.h"

namespace codeburg {
namespace {

// ---- The layout exactly as described, step by step, with no shortcut. ----
// The library must produce the same cities, only faster.

void RefPlaceMethods(FileStats& file, uint32_t fileIndex)
{
    CityGrid& g = file.cityGrid;
    int r = 0;
    double a = 0.0;
    for (size_t m = 0; m < file.methods.size(); ++m) {
        const MethodStats& method = *file.methods[m];
        float spacing = method.eloc == 0
                            ? 1.0f
                            : float(method.emptyLines + method.commentLines) / float(method.eloc);
        if (spacing > 2.0f) spacing = 2.0f;
        const int border = int(2 * spacing + 1);
        const int side = method.paramCount + 1 + 2 * border;
        CityCell cell;
        cell.height = uint16_t(method.eloc + 1);
        cell.footprint = uint8_t(method.paramCount + 1);
        cell.side = uint8_t(side);
        cell.fileIndex = fileIndex;
        cell.methodIndex = uint32_t(m);
        const double a0 = a;
        int x, y;
        for (;;) {
            x = int(LayoutCos(a) * r + g.centreX);
            y = int(LayoutSin(a) * r + g.centreY);
            if (g.IsFree(x, y, side, side)) break;
            a += 0.0348;
            if (a > a0 + 6.28) {
                a = a0;
                r += 1;
            }
        }
        CityCell pavement;
        pavement.height = CityCell::kPavement;
        CityCell interior = cell;
        interior.footprint = 0;
        for (int j = 0; j < side; ++j) {
            for (int i = 0; i < side; ++i) {
                int sx = 0, sy = 0;
                const bool inner = i >= 1 && j >= 1 && i <= side - 2 && j <= side - 2;
                ASSERT_TRUE(g.Set(x + i, y + j,
                                  i == 0 && j == 0 ? cell
                                  : inner          ? interior
                                                   : pavement,
                                  &sx, &sy));
                x += sx, y += sy;
            }
        }
    }
    g.Crop(1);
}

bool RefTryLayout(ProjectStats& stats, int W, int H)
{
    CityGrid& city = stats.cityGrid;
    city.Clear();
    if (!city.Allocate(W, H)) return false;
    std::vector<uint8_t> occupied(size_t(W) * H, 0);
    for (size_t i = 0; i < stats.files.size(); ++i) {
        const CityGrid& block = stats.files[i]->cityGrid;
        const int bw = block.width, bh = block.height;
        if (bw == 0 && bh == 0) continue;
        const int cx = W / 2, cy = H / 2;
        float sx, sy;
        if (W > H)
            sx = 1.0f, sy = float(H) / float(W);
        else
            sy = 1.0f, sx = float(W) / float(H);
        const int q = int(i % 4);
        const int dx = q % 2 == 1 ? 1 : -1, dy = q >= 2 ? 1 : -1;
        int rx = 0, ry = 0;
        float a = 0.0f;
        int x, y;
        for (;;) {
            x = cx + int(float(LayoutCos(a)) * float(rx) * sx);
            y = cy + int(float(LayoutSin(a)) * float(ry) * sy);
            if (x < 0 || x + bw >= W || y < 0 || y + bh >= H) return false;
            bool free = true;
            for (int j = 0; j < bh && free; ++j) {
                for (int k = 0; k < bw && free; ++k) {
                    const int cx2 = x + k * dx, cy2 = y + j * dy;
                    free = cx2 >= 0 && cy2 >= 0 && cx2 < W && cy2 < H &&
                           occupied[size_t(cy2) * W + cx2] == 0;
                }
            }
            if (free) break;
            a += 0.031414f;
            if (a > 1.5707f) {
                a = 0.0f;
                rx += dx;
                ry += dy;
            }
        }
        const int left = dx < 0 ? x - bw + 1 : x, top = dy < 0 ? y - bh + 1 : y;
        for (int j = 0; j < bh; ++j)
            std::fill_n(occupied.begin() + size_t(top + j) * W + left, bw, 1);
        if (!city.CopyFrom(block, left, top)) return false;
    }
    city.Crop(4);
    return true;
}

void RefBuildCity(ProjectStats& stats, MsRandom& rng)
{
    int W = 0, H = 0;
    for (size_t i = 0; i < stats.files.size(); ++i) {
        RefPlaceMethods(*stats.files[i], uint32_t(i));
        W += stats.files[i]->cityGrid.width;
        H += stats.files[i]->cityGrid.height;
    }
    do {
        W = W + W / 8 + 1;
        H = H + H / 8 + 1;
    } while (!RefTryLayout(stats, W, H));
    PaintStreets(stats.cityGrid);
    if (stats.measures.overallScore >= 0.8f) AddLakes(stats.cityGrid, rng);
}

// ---- Projects to lay out. ----

struct MethodSpec {
    int params, eloc, comments, empty;
};

void AddFile(ProjectStats& stats, const std::vector<MethodSpec>& methods, int includes = 0)
{
    auto file = std::make_unique<FileStats>("f" + std::to_string(stats.files.size()) + ".cpp", 25,
                                            0x00FF00FFu);
    for (const MethodSpec& m : methods) {
        file->AddMethod("C", "m", m.params);
        file->FinishMethod(m.eloc, m.comments, 0, m.empty);
    }
    file->includes = includes;
    stats.files.push_back(std::move(file));
}

// A random project; "seed" fixes it. Sizes vary widely so that small blocks
// fill the gaps between large ones, which is where shortcuts go wrong.
std::unique_ptr<ProjectStats> RandomProject(uint32_t seed, int maxFiles)
{
    auto stats = std::make_unique<ProjectStats>(nullptr);
    stats->name = "rand" + std::to_string(seed);
    MsRandom rng(seed);
    const int files = 1 + rng.next() % maxFiles;
    for (int f = 0; f < files; ++f) {
        std::vector<MethodSpec> methods;
        const int count = rng.next() % 5 == 0 ? 0 : rng.next() % (rng.next() % 4 == 0 ? 40 : 8);
        for (int m = 0; m < count; ++m) {
            const int eloc = rng.next() % 6 == 0 ? 0 : rng.next() % 120;
            methods.push_back({rng.next() % 7 == 0 ? rng.next() % 20 : rng.next() % 4, eloc,
                               rng.next() % (eloc / 2 + 3), rng.next() % (eloc / 3 + 2)});
        }
        AddFile(*stats, methods, rng.next() % 6);
        stats->files.back()->SortMethods();
    }
    std::stable_sort(stats->files.begin(), stats->files.end(),
                     [](const auto& a, const auto& b) { return a->Volume() > b->Volume(); });
    return stats;
}

std::vector<uint8_t> Bytes(const CityGrid& grid)
{
    StatsBuffer buffer;
    grid.Serialise(buffer);
    return buffer.data();
}

TEST(CityLayoutTest, MatchesTheStepByStepLayoutOnRandomProjects)
{
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        auto fast = RandomProject(seed, 32);
        auto slow = RandomProject(seed, 32);
        const float score = seed % 3 == 0 ? 0.9f : 0.5f;
        fast->measures.overallScore = slow->measures.overallScore = score;
        if (seed % 4 == 0) {
            // A block that already holds buildings is built on, not replaced.
            PlaceMethods(*fast->files[0], 0);
            RefPlaceMethods(*slow->files[0], 0);
        }
        MsRandom fastRng(seed * 7), slowRng(seed * 7);
        ASSERT_TRUE(BuildCity(*fast, fastRng, nullptr, 1 + seed % 3));
        RefBuildCity(*slow, slowRng);
        ASSERT_EQ(fast->cityGrid, slow->cityGrid) << "seed " << seed;
        EXPECT_EQ(fastRng.state(), slowRng.state());

        auto blocks = RandomProject(seed, 32);
        for (size_t i = 0; i < blocks->files.size(); ++i) {
            PlaceMethods(*blocks->files[i], uint32_t(i));
            if (seed % 4 == 0 && i == 0) continue;
            ASSERT_EQ(blocks->files[i]->cityGrid, slow->files[i]->cityGrid)
                << seed << " file " << i;
        }
    }
}

TEST(CityLayoutTest, MatchesTheStepByStepLayoutOfFilesWithManyMethods)
{
    // Blocks that grow many times in every direction, on several threads.
    for (uint32_t seed = 40; seed < 43; ++seed) {
        auto fast = std::make_unique<ProjectStats>(nullptr);
        auto slow = std::make_unique<ProjectStats>(nullptr);
        for (ProjectStats* stats : {fast.get(), slow.get()}) {
            MsRandom local(seed);
            for (int f = 0; f < 4; ++f) {
                std::vector<MethodSpec> methods;
                const int count = 150 + local.next() % 250;
                for (int m = 0; m < count; ++m) {
                    const int eloc = local.next() % 200;
                    methods.push_back({local.next() % 9 == 0 ? local.next() % 40 : local.next() % 4,
                                       eloc, local.next() % (eloc + 2),
                                       local.next() % (eloc / 2 + 2)});
                }
                AddFile(*stats, methods);
            }
        }
        MsRandom fastRng(seed), slowRng(seed);
        ASSERT_TRUE(BuildCity(*fast, fastRng, nullptr, 3));
        RefBuildCity(*slow, slowRng);
        ASSERT_EQ(fast->cityGrid, slow->cityGrid) << "seed " << seed;
        for (size_t i = 0; i < fast->files.size(); ++i) {
            PlaceMethods(*fast->files[i], uint32_t(i));
            ASSERT_EQ(fast->files[i]->cityGrid, slow->files[i]->cityGrid) << seed << " file " << i;
        }
    }
}

TEST(CityLayoutTest, MatchesTheStepByStepPlacementOfManyMixedBlocks)
{
    // A few large blocks, then hundreds of small ones of many shapes: each
    // must find the same hole as the step-by-step search, whatever blocks of
    // other sizes learnt about the spiral before it.
    for (uint32_t seed = 100; seed < 104; ++seed) {
        auto fast = std::make_unique<ProjectStats>(nullptr);
        auto slow = std::make_unique<ProjectStats>(nullptr);
        for (ProjectStats* stats : {fast.get(), slow.get()}) {
            MsRandom local(seed);
            for (int f = 0; f < 400; ++f) {
                AddFile(*stats, {});
                CityGrid& block = stats->files.back()->cityGrid;
                const int big = f < 6 ? 20 : 0;
                ASSERT_TRUE(block.Allocate(3 + big + local.next() % 6, 3 + big + local.next() % 6));
                CityCell mark;
                mark.height = uint16_t(1 + f);
                block.Set(1, 1, mark);
            }
        }
        int W = 0, H = 0;
        for (const auto& f : fast->files) W += f->cityGrid.width / 6, H += f->cityGrid.height / 6;
        // Several sizes, the small ones failing, all as the reference says.
        int placed = 0;
        for (int attempt = 0; attempt < 5; ++attempt, W += W / 8 + 1, H += H / 8 + 1) {
            const bool fastOk = TryLayout(*fast, W, H, nullptr);
            const bool slowOk = RefTryLayout(*slow, W, H);
            ASSERT_EQ(fastOk, slowOk) << seed << " " << W << " x " << H;
            if (fastOk) {
                ASSERT_EQ(fast->cityGrid, slow->cityGrid) << seed << " " << W;
                ++placed;
            }
        }
        EXPECT_GT(placed, 0) << seed;
    }
}

TEST(CityLayoutTest, OneMethodWithoutCodeMakesNineByNineBlockCornerOnCentre)
{
    ProjectStats stats(nullptr);
    AddFile(stats, {{0, 0, 0, 0}});
    MsRandom rng(1);
    ASSERT_TRUE(BuildCity(stats, rng, nullptr));
    ProjectStats alone(nullptr);
    AddFile(alone, {{0, 0, 0, 0}});
    PlaceMethods(*alone.files[0], 0);
    const CityGrid& block = alone.files[0]->cityGrid;
    ASSERT_EQ(block.width, 9);
    ASSERT_EQ(block.height, 9);
    const CityCell& anchor = block.Get(1, 1);
    EXPECT_TRUE(anchor.isAnchor());
    EXPECT_EQ(anchor.height, 1);
    EXPECT_EQ(anchor.footprint, 1);
    EXPECT_EQ(anchor.side, 7);  // spacing 1.0, border 3
    EXPECT_EQ(block.Get(7, 7).height, CityCell::kPavement);
    EXPECT_TRUE(block.Get(8, 8).isEmpty());

    // The block grows up and left from the city centre: its last cell is the
    // centre, 4 cells in from the cropped city's edge.
    const CityGrid& city = stats.cityGrid;
    EXPECT_EQ(city.centreX, 12);
    EXPECT_EQ(city.centreY, 12);
    EXPECT_EQ(city.width, 17);
    EXPECT_EQ(city.height, 17);
    EXPECT_EQ(city.Get(5, 5), anchor);
    EXPECT_EQ(city.Get(11, 11).height, CityCell::kPavement);
}

TEST(CityLayoutTest, BorderFollowsSpacing)
{
    // {params, eloc, comments, empty} -> side = params + 1 + 2 x border
    const std::pair<MethodSpec, int> cases[] = {
        {{0, 10, 15, 5}, 11},  // spacing exactly 2.0: border 5
        {{0, 10, 40, 0}, 11},  // spacing 4.0 capped at 2.0
        {{2, 0, 7, 0}, 9},     // eloc 0 with comments: spacing 1.0, not infinity
        {{0, 10, 0, 0}, 3},    // spacing 0: border 1
        {{1, 4, 1, 1}, 6},     // spacing 0.5: border 2
        {{0, 3, 1, 0}, 3},     // spacing 1/3: border 1.67 truncated to 1
    };
    for (const auto& [fileSpec, side] : cases) {
        ProjectStats stats(nullptr);
        AddFile(stats, {fileSpec});
        PlaceMethods(*stats.files[0], 0);
        EXPECT_EQ(stats.files[0]->cityGrid.Get(1, 1).side, side)
            << fileSpec.eloc << " " << fileSpec.comments;
        EXPECT_EQ(stats.files[0]->cityGrid.width, side + 2);
    }
}

TEST(CityLayoutTest, CellsNameFileAndMethodPositions)
{
    ProjectStats stats(nullptr);
    AddFile(stats, {});
    AddFile(stats, {{1, 30, 2, 2}, {0, 20, 1, 1}, {3, 10, 0, 0}});
    PlaceMethods(*stats.files[0], 0);
    EXPECT_EQ(stats.files[0]->cityGrid.width, 3);  // no methods: a 3 x 3 Empty block
    EXPECT_TRUE(stats.files[0]->cityGrid.IsFree(0, 0, 3, 3));
    stats.files[0]->cityGrid = CityGrid();
    MsRandom rng(1);
    ASSERT_TRUE(BuildCity(stats, rng, nullptr));
    std::vector<uint32_t> methods;
    const CityGrid& city = stats.cityGrid;
    for (int y = 0; y < city.height; ++y) {
        for (int x = 0; x < city.width; ++x) {
            const CityCell& cell = city.Get(x, y);
            if (!cell.isAnchor()) continue;
            EXPECT_EQ(cell.fileIndex, 1u);
            methods.push_back(cell.methodIndex);
            EXPECT_EQ(cell.height, 31 - 10 * cell.methodIndex);
        }
    }
    std::sort(methods.begin(), methods.end());
    EXPECT_EQ(methods, (std::vector<uint32_t>{0, 1, 2}));
}

TEST(CityLayoutTest, OversizedOrNegativeFiguresStillMakeBuildings)
{
    ProjectStats stats(nullptr);
    AddFile(stats, {{300, 70000, 0, 0}, {-4, -9, -3, INT32_MAX}});
    MsRandom rng(1);
    ASSERT_TRUE(BuildCity(stats, rng, nullptr));
    std::vector<CityCell> anchors;
    for (const CityCell& cell : stats.cityGrid.cells) {
        if (cell.isAnchor()) anchors.push_back(cell);
    }
    ASSERT_EQ(anchors.size(), 2u);
    const CityCell& big = anchors[0].methodIndex == 0 ? anchors[0] : anchors[1];
    EXPECT_EQ(big.height, 0xFFFD);  // would otherwise wrap and read as Empty
    EXPECT_EQ(big.footprint, 245);  // 244 parameters at most
    EXPECT_EQ(big.side, 247);
    const CityCell& odd = anchors[0].methodIndex == 1 ? anchors[0] : anchors[1];
    EXPECT_EQ(odd.height, 1);
    EXPECT_EQ(odd.side, 7);  // no code: spacing 1.0
}

TEST(CityLayoutTest, ProjectWithoutFilesGetsEmptyCity)
{
    ProjectStats stats(nullptr);
    MsRandom rng(1);
    ASSERT_TRUE(BuildCity(stats, rng, nullptr));
    EXPECT_EQ(stats.cityGrid.width, 9);  // the 1 x 1 city cropped with margin 4
    EXPECT_TRUE(stats.cityGrid.IsFree(0, 0, 9, 9));
}

TEST(CityLayoutTest, TooSmallCityFailsAndLargerOneSucceeds)
{
    ProjectStats stats(nullptr);
    AddFile(stats, {{0, 0, 0, 0}});
    PlaceMethods(*stats.files[0], 0);
    EXPECT_FALSE(TryLayout(stats, 17, 17, nullptr));  // 8 + 9 reaches the edge
    EXPECT_TRUE(TryLayout(stats, 20, 20, nullptr));
}

// The city as placed, before streets, for comparing with the finished one.
CityGrid PlacedCity(uint32_t seed)
{
    auto stats = RandomProject(seed, 30);
    int W = 0, H = 0;
    for (size_t i = 0; i < stats->files.size(); ++i) {
        PlaceMethods(*stats->files[i], uint32_t(i));
        W += stats->files[i]->cityGrid.width, H += stats->files[i]->cityGrid.height;
    }
    do {
        W += W / 8 + 1, H += H / 8 + 1;
    } while (!TryLayout(*stats, W, H, nullptr));
    return stats->cityGrid;
}

int CountCells(const CityGrid& grid, uint16_t height)
{
    return int(std::count_if(grid.cells.begin(), grid.cells.end(),
                             [&](const CityCell& c) { return c.height == height; }));
}

TEST(CityLayoutTest, StreetsAndLakesOnlyCoverEmptyCells)
{
    for (uint32_t seed = 3; seed < 9; ++seed) {
        const CityGrid placed = PlacedCity(seed);
        CityGrid city = placed;
        PaintStreets(city);
        const CityGrid streets = city;
        MsRandom rng(seed);
        AddLakes(city, rng);
        ASSERT_GE(city.width, placed.width);
        int streetCells = 0;
        for (int y = 0; y < city.height; ++y) {
            for (int x = 0; x < city.width; ++x) {
                const CityCell& before = placed.Get(x, y);
                if (!before.isEmpty()) {
                    ASSERT_EQ(city.Get(x, y), before) << x << "," << y;
                }
                if (before.isEmpty() && streets.Get(x, y).height == CityCell::kPavement)
                    ++streetCells;
                if (city.Get(x, y).height == CityCell::kLake) {
                    ASSERT_TRUE(streets.Get(x, y).isEmpty()) << x << "," << y;
                }
            }
        }
        EXPECT_GT(streetCells, 0);
    }
}

TEST(CityLayoutTest, StreetsRunEverySpacingFromHalfSpacing)
{
    CityGrid city;
    ASSERT_TRUE(city.Allocate(61, 30));
    PaintStreets(city);
    // Spacing 24: columns 12, 13, 36, 37 and 60, 61 (61 is past the edge: the
    // grid grows to 61 + 9 and the street goes on); rows 12, 13.
    EXPECT_EQ(city.width, 70);
    for (int x : {12, 13, 36, 37, 60, 61})
        EXPECT_EQ(city.Get(x, 0).height, CityCell::kPavement) << x;
    for (int x : {11, 14, 35, 38, 59, 62}) EXPECT_TRUE(city.Get(x, 0).isEmpty()) << x;
    EXPECT_EQ(city.Get(65, 12).height, CityCell::kPavement);
    EXPECT_TRUE(city.Get(65, 14).isEmpty());
}

TEST(CityLayoutTest, LakesOnlyAtPreviousScoreOfEightyPercent)
{
    int withLakes = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        for (float score : {0.0f, 0.79999995f, 0.8f, 1.0f}) {
            auto stats = RandomProject(seed, 30);
            stats->measures.overallScore = score;
            MsRandom rng(seed);
            ASSERT_TRUE(BuildCity(*stats, rng, nullptr));
            const int lakes = CountCells(stats->cityGrid, CityCell::kLake);
            if (score < 0.8f) {
                EXPECT_EQ(lakes, 0) << seed;
            }
            if (score >= 0.8f && lakes > 0) ++withLakes;
        }
    }
    EXPECT_GT(withLakes, 6);  // most well-scored cities have room for a lake
}

TEST(CityLayoutTest, SameInputGivesSameCityAndDraws)
{
    for (uint32_t seed : {5u, 17u}) {
        auto first = RandomProject(seed, 40);
        auto second = RandomProject(seed, 40);
        first->measures.overallScore = second->measures.overallScore = 0.95f;
        MsRandom a(99), b(99);
        ASSERT_TRUE(BuildCity(*first, a, nullptr));
        ASSERT_TRUE(BuildCity(*second, b, nullptr));
        EXPECT_EQ(Bytes(first->cityGrid), Bytes(second->cityGrid));
        EXPECT_EQ(a.state(), b.state());
    }
}

class RecordingSink : public BuildProgressSink {
public:
    void Status(const std::string& objectName, const std::string& verb) override
    {
        texts.push_back(verb + " " + objectName);
    }
    void FileStep(const std::string&) override {}
    void AddRange(int) override {}
    int Position() override { return 0; }
    void KeepAlive() override { ++keepAlives; }
    std::vector<std::string> texts;
    int keepAlives = 0;
};

TEST(CityLayoutTest, ReportsEachFileBeforeHandlingIt)
{
    for (int threads : {1, 2}) {
        ProjectStats stats(nullptr);
        stats.name = "core";
        AddFile(stats, {{0, 5, 0, 0}});
        AddFile(stats, {});
        RecordingSink sink;
        MsRandom rng(1);
        ASSERT_TRUE(BuildCity(stats, rng, &sink, threads));
        ASSERT_GE(sink.texts.size(), 4u);
        EXPECT_EQ(sink.texts[0], "Creating city view for core (1/2)");
        EXPECT_EQ(sink.texts[1], "Creating city view for core (2/2)");
        // Every placement attempt reports the files again, up to the one that failed.
        EXPECT_EQ(sink.texts[2], "Adding to main map core (1/2)");
        EXPECT_EQ(sink.texts.back(), "Adding to main map core (2/2)");
        // Assembling the city and its streets has nothing to report but must
        // let a window breathe.
        EXPECT_GT(sink.keepAlives, 2) << threads;
    }
}

}  // namespace
}  // namespace codeburg
