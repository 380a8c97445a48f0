#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "city/city_geometry.h"

namespace codeburg {

// The buildings regrouped for drawing: one triangle list per texture instead
// of two strips per building, so a big city costs a handful of draw calls.
// Triangles keep the strips' winding, so the picture does not change.
enum class Batch : int32_t {
    WallLow = 0,
    WallMedium,
    WallTall,
    WallDefault,  // box walls by wall texture
    Roof0,
    Roof1,
    Roof2,  // box roofs by index mod 3
    TowerWall,
    TowerRoof,  // tower walls; untextured cones
};
constexpr int32_t kBatchCount = 9;

// An axis-aligned box around some vertices, for skipping what is off screen.
struct Bounds {
    float min[3] = {1e30f, 1e30f, 1e30f};
    float max[3] = {-1e30f, -1e30f, -1e30f};

    void Add(const Bounds& other);
};

struct BatchSpan {
    Batch batch = Batch::WallDefault;
    int32_t first = 0;  // first vertex within the batch
    int32_t count = 0;
    Bounds bounds;
};

struct CityBatches {
    std::array<std::vector<CityVertex>, kBatchCount> vertices;
    std::vector<std::array<BatchSpan, 2>> boxSpans;    // walls, roof of each box
    std::vector<std::array<BatchSpan, 2>> towerSpans;  // walls, roof of each tower
};

CityBatches BuildBatches(const CityGeometry& geometry);

// Runs of consecutive visible buildings within one batch, ready for a
// multi-draw call, each a few hundred buildings at most; "skip" (an index
// into boxes or towers, or -1) is left out.
struct DrawRuns {
    std::vector<int32_t> firsts;
    std::vector<int32_t> counts;
    std::vector<Bounds> bounds;
};
// visible[i] tells whether building i passes the filter; empty means all do.
std::array<DrawRuns, kBatchCount> CollectRuns(const CityBatches& batches,
                                              const std::vector<bool>& boxVisible,
                                              const std::vector<bool>& towerVisible,
                                              int32_t skipBox, int32_t skipTower);

}  // namespace codeburg
