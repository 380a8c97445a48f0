#include "city/city_batches.h"

#include <algorithm>
#include <cstddef>

namespace codeburg {

namespace {

BatchSpan AppendStrip(std::vector<CityVertex>& out, Batch batch, const CityVertex* strip,
                      int32_t count)
{
    BatchSpan span;
    span.batch = batch;
    span.first = static_cast<int32_t>(out.size());
    for (int32_t k = 0; k + 2 < count; ++k) {
        // Odd strip triangles are wound the other way round; undo that.
        if (k % 2 == 0) {
            out.push_back(strip[k]);
            out.push_back(strip[k + 1]);
        } else {
            out.push_back(strip[k + 1]);
            out.push_back(strip[k]);
        }
        out.push_back(strip[k + 2]);
    }
    span.count = static_cast<int32_t>(out.size()) - span.first;
    for (int32_t k = 0; k < count; ++k) {
        const float p[3] = {strip[k].x, strip[k].y, strip[k].z};
        for (int a = 0; a < 3; ++a) {
            span.bounds.min[a] = std::min(span.bounds.min[a], p[a]);
            span.bounds.max[a] = std::max(span.bounds.max[a], p[a]);
        }
    }
    return span;
}

// Runs are capped so that drawing them in reverse order reverses the city
// row by row, not only as a whole.
constexpr int32_t kMaxRunVertices = 6144;

void AddRun(DrawRuns& runs, const BatchSpan& span)
{
    if (!runs.firsts.empty() && runs.firsts.back() + runs.counts.back() == span.first &&
        runs.counts.back() + span.count <= kMaxRunVertices) {
        runs.counts.back() += span.count;
        runs.bounds.back().Add(span.bounds);
        return;
    }
    runs.firsts.push_back(span.first);
    runs.counts.push_back(span.count);
    runs.bounds.push_back(span.bounds);
}

}  // namespace

void Bounds::Add(const Bounds& other)
{
    for (int a = 0; a < 3; ++a) {
        min[a] = std::min(min[a], other.min[a]);
        max[a] = std::max(max[a], other.max[a]);
    }
}

CityBatches BuildBatches(const CityGeometry& geometry)
{
    CityBatches b;
    b.boxSpans.reserve(geometry.boxes.size());
    b.towerSpans.reserve(geometry.towers.size());
    for (size_t i = 0; i < geometry.boxes.size(); ++i) {
        const BoxBuilding& box = geometry.boxes[i];
        const auto wall = static_cast<Batch>(static_cast<int32_t>(box.wallTexture));
        const auto roof = static_cast<Batch>(static_cast<int32_t>(Batch::Roof0) + int32_t(i % 3));
        b.boxSpans.push_back(std::array<BatchSpan, 2>{
            AppendStrip(b.vertices[int(wall)], wall, box.vertices.data(), 10),
            AppendStrip(b.vertices[int(roof)], roof, box.vertices.data() + 10, 4)});
    }
    for (const TowerBuilding& tower : geometry.towers) {
        b.towerSpans.push_back(std::array<BatchSpan, 2>{
            AppendStrip(b.vertices[int(Batch::TowerWall)], Batch::TowerWall, tower.vertices.data(),
                        18),
            AppendStrip(b.vertices[int(Batch::TowerRoof)], Batch::TowerRoof,
                        tower.vertices.data() + 18, 18)});
    }
    return b;
}

std::array<DrawRuns, kBatchCount> CollectRuns(const CityBatches& batches,
                                              const std::vector<bool>& boxVisible,
                                              const std::vector<bool>& towerVisible,
                                              int32_t skipBox, int32_t skipTower)
{
    std::array<DrawRuns, kBatchCount> runs;
    auto collect = [&runs](const std::vector<std::array<BatchSpan, 2>>& spans,
                           const std::vector<bool>& visible, int32_t skip) {
        for (size_t i = 0; i < spans.size(); ++i) {
            if (static_cast<int32_t>(i) == skip) continue;
            if (!visible.empty() && (i >= visible.size() || !visible[i])) continue;
            for (const BatchSpan& span : spans[i]) AddRun(runs[int(span.batch)], span);
        }
    };
    collect(batches.boxSpans, boxVisible, skipBox);
    collect(batches.towerSpans, towerVisible, skipTower);
    return runs;
}

}  // namespace codeburg
