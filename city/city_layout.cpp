#include "city/city_layout.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "city/block_canvas.h"
#include "city/block_planner.h"
#include "city/layout_math.h"
#include "platform/ms_random.h"
#include "records/build_progress_sink.h"
#include "records/city_grid.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

// Wider footprints would not fit the cell's side byte (footprint + 2 x 5).
constexpr int32_t kMaxParams = 244;
// Heights above this would read as Lake or Pavement.
constexpr int32_t kMaxHeight = CityCell::kLake - 1;
// Beyond this a city could not be addressed in 32 bits; no real project gets near.
constexpr int64_t kMaxCitySide = int64_t(1) << 29;

enum class Layout { Placed, TooSmall, OutOfMemory };

void ReportFile(BuildProgressSink* sink, const ProjectStats& stats, size_t index,
                const char* caption)
{
    if (!sink) return;
    char text[64];
    std::snprintf(text, sizeof text, " (%zu/%zu)", index + 1, stats.files.size());
    // The sink shows the verb first: "Creating city view for core (3/10)...".
    sink->Status(stats.name + text, caption);
}

void KeepAlive(BuildProgressSink* sink)
{
    if (sink) sink->KeepAlive();
}

struct Building {
    CityCell anchor;
    int32_t side;
};

Building MethodBuilding(const MethodStats& method, uint32_t fileIndex, uint32_t methodIndex)
{
    // Empty and comment lines per line of code widen the border; a method
    // without code counts as evenly spaced rather than infinitely.
    float spacing = 1.0f;
    if (method.eloc > 0)
        spacing = static_cast<float>(int64_t(method.emptyLines) + method.commentLines) /
                  static_cast<float>(method.eloc);
    spacing = std::clamp(spacing, 0.0f, 2.0f);
    const int32_t border = static_cast<int32_t>(2 * spacing + 1);
    const int32_t footprint = std::clamp(method.paramCount, 0, kMaxParams) + 1;
    Building b;
    b.side = footprint + 2 * border;
    b.anchor.height =
        static_cast<uint16_t>(std::clamp<int64_t>(int64_t(method.eloc) + 1, 1, kMaxHeight));
    b.anchor.footprint = static_cast<uint8_t>(footprint);
    b.anchor.side = static_cast<uint8_t>(b.side);
    b.anchor.fileIndex = fileIndex;
    b.anchor.methodIndex = methodIndex;
    return b;
}

// The spiral angles of one method's search, from its starting angle. Every
// ring repeats the same angles, so each cosine and sine is worked out once,
// a few at a time so that the processor can overlap them. One object serves
// all methods of a file to keep its buffers.
class RingAngles {
public:
    void Start(double angle)
    {
        m_limit = angle + 6.28;
        m_complete = false;
        m_angles.assign(1, angle);
        m_cos.clear();
        m_sin.clear();
    }
    // Starts the next ring at step k of this one. Its angles go on from there
    // by the same additions, so the ones already worked out are kept.
    void StartAt(size_t k)
    {
        m_limit = m_angles[k] + 6.28;
        m_complete = false;
        m_angles.erase(m_angles.begin(), m_angles.begin() + ptrdiff_t(k));
        const size_t known = std::min(k, m_cos.size());
        m_cos.erase(m_cos.begin(), m_cos.begin() + ptrdiff_t(known));
        m_sin.erase(m_sin.begin(), m_sin.begin() + ptrdiff_t(known));
    }
    // False when step k + 1 would pass the end of the ring.
    bool Advance(size_t k)
    {
        if (k + 1 < m_angles.size()) return true;
        return Extend(k + 2) > k + 1;
    }
    void Position(size_t k, int32_t r, int32_t centreX, int32_t centreY, int32_t& x, int32_t& y)
    {
        if (k >= m_cos.size()) {
            const size_t done = m_cos.size(), known = Extend(k + 8);
            m_cos.resize(known);
            m_sin.resize(known);
            LayoutSinCos(m_angles.data() + done, known - done, m_sin.data() + done,
                         m_cos.data() + done);
        }
        x = static_cast<int32_t>(m_cos[k] * r + centreX);
        y = static_cast<int32_t>(m_sin[k] * r + centreY);
    }

private:
    // Adds angles until there are "count" or the ring ends; returns how many.
    size_t Extend(size_t count)
    {
        while (!m_complete && m_angles.size() < count) {
            const double next = m_angles.back() + 0.0348;
            if (next > m_limit)
                m_complete = true;
            else
                m_angles.push_back(next);
        }
        return m_angles.size();
    }

    double m_limit = 0.0;
    bool m_complete = false;
    std::vector<double> m_angles, m_cos, m_sin;
};

// The blocks a placement works on: the files' block grids, or the plans of
// the blocks that a build made instead.
struct FileBlock {
    BlockPlan plan;
    bool inGrid = false;  // the file's grid holds this block; the plan is unused
};

class BlockSet {
public:
    BlockSet(ProjectStats& stats, const std::vector<FileBlock>* plans)
        : m_stats(stats), m_plans(plans)
    {
    }

    int32_t width(size_t i) const { return Plan(i) ? Plan(i)->width : Grid(i).width; }
    int32_t height(size_t i) const { return Plan(i) ? Plan(i)->height : Grid(i).height; }
    void CopyInto(CityGrid& city, size_t i, int32_t left, int32_t top) const
    {
        if (Plan(i))
            Plan(i)->Render(city, left, top);
        else
            city.CopyFrom(Grid(i), left, top);
    }

private:
    const BlockPlan* Plan(size_t i) const
    {
        return m_plans && !(*m_plans)[i].inGrid ? &(*m_plans)[i].plan : nullptr;
    }
    const CityGrid& Grid(size_t i) const { return m_stats.files[i]->cityGrid; }

    ProjectStats& m_stats;
    const std::vector<FileBlock>* m_plans;
};

Layout PlaceAllBlocks(ProjectStats& stats, const BlockSet& blocks, int32_t width, int32_t height,
                      BuildProgressSink* sink)
{
    struct Placed {
        size_t file;
        int32_t left, top;
    };
    std::vector<Placed> placed;
    int32_t minW = INT32_MAX, minH = INT32_MAX;
    int64_t area = 0;
    for (size_t i = 0; i < stats.files.size(); ++i) {
        if (blocks.width(i) > 0 && blocks.height(i) > 0) {
            minW = std::min(minW, blocks.width(i));
            minH = std::min(minH, blocks.height(i));
            area += int64_t(blocks.width(i)) * blocks.height(i);
        }
    }
    // The city's bounds start at its centre and take in every block.
    int32_t minX = width / 2, maxX = width / 2, minY = height / 2, maxY = height / 2;
    {
        // Scoped so that the occupancy map is gone before the city is allocated.
        BlockPlanner planner(width, height, minW, minH, area);
        if (planner.outOfMemory()) return Layout::OutOfMemory;
        for (size_t i = 0; i < stats.files.size(); ++i) {
            ReportFile(sink, stats, i, "Adding to main map");
            const int32_t bw = blocks.width(i), bh = blocks.height(i);
            if (bw == 0 && bh == 0) continue;
            if (bw == 0 || bh == 0) {
                // Nothing to place; such a block takes the first step unless
                // that step already touches the edge.
                if (width / 2 + int64_t(bw) >= width || height / 2 + int64_t(bh) >= height)
                    return Layout::TooSmall;
                continue;
            }
            int32_t left = 0, top = 0;
            switch (planner.PlaceBlock(bw, bh, static_cast<int>(i % 4), left, top)) {
                case BlockPlanner::Placement::Placed:
                    break;
                case BlockPlanner::Placement::ReachedEdge:
                    return Layout::TooSmall;
                case BlockPlanner::Placement::OutOfMemory:
                    return Layout::OutOfMemory;
            }
            placed.push_back({i, left, top});
            minX = std::min(minX, left), maxX = std::max(maxX, left + bw - 1);
            minY = std::min(minY, top), maxY = std::max(maxY, top + bh - 1);
        }
    }

    // What cropping a width x height city with margin 4 would leave, built
    // directly: the nominal city can be far too large to hold in memory.
    constexpr int32_t kMargin = 4;
    CityGrid& city = stats.cityGrid;
    if (!city.Allocate(maxX - minX + 1 + 2 * kMargin, maxY - minY + 1 + 2 * kMargin,
                       [sink] { KeepAlive(sink); }))
        return Layout::OutOfMemory;
    // Blocks lie on distinct Empty rectangles, so only their buildings need writing.
    for (const Placed& p : placed) {
        blocks.CopyInto(city, p.file, p.left - minX + kMargin, p.top - minY + kMargin);
        KeepAlive(sink);
    }
    city.centreX = width / 2 - minX + kMargin;
    city.centreY = height / 2 - minY + kMargin;
    city.minX = city.minY = kMargin;
    city.maxX = city.width - kMargin - 1;
    city.maxY = city.height - kMargin - 1;
    return Layout::Placed;
}

Layout TryLayoutChecked(ProjectStats& stats, const BlockSet& blocks, int32_t width, int32_t height,
                        BuildProgressSink* sink)
{
    stats.cityGrid.Clear();
    try {
        return PlaceAllBlocks(stats, blocks, width, height, sink);
    } catch (const std::bad_alloc&) {
        stats.cityGrid.Clear();
        return Layout::OutOfMemory;
    }
}

// Places the methods in order until one cannot be written (memory ran out).
void PlaceAllMethods(FileStats& file, uint32_t fileIndex, BlockCanvas& canvas)
{
    // Radius and angle carry over from one method to the next, so the
    // buildings of a file wind outwards on one spiral.
    int32_t r = 0;
    RingAngles ring;
    ring.Start(0.0);
    size_t k = 0;
    for (size_t m = 0; m < file.methods.size(); ++m) {
        const Building b = MethodBuilding(*file.methods[m], fileIndex, static_cast<uint32_t>(m));
        ring.StartAt(k);
        k = 0;
        int32_t x = 0, y = 0;
        bool tested = false;
        int32_t lastX = 0, lastY = 0;
        for (;;) {
            ring.Position(k, r, canvas.centreX(), canvas.centreY(), x, y);
            // Nothing is written during the search, so a cell already found
            // taken for this square stays taken.
            if (!tested || x != lastX || y != lastY) {
                // Most steps fall inside the buildings already placed.
                if (canvas.IsEmpty(x, y) && canvas.IsFree(x, y, b.side, b.side)) break;
                tested = true, lastX = x, lastY = y;
            }
            if (ring.Advance(k)) {
                ++k;
            } else {
                k = 0;
                ++r;
            }
        }
        if (!canvas.FillSquare(x, y, b.side, b.anchor)) return;
    }
}

// Lays out one file's block as a plan when it can, else in the file's grid.
// One canvas serves the files of a thread in turn, keeping its memory.
void PlanFileBlock(FileStats& file, uint32_t fileIndex, FileBlock& block, BlockCanvas& canvas)
{
    if (canvas.Start(file.cityGrid)) {
        try {
            PlaceAllMethods(file, fileIndex, canvas);
        } catch (const std::bad_alloc&) {
            // Keep the buildings placed so far.
        }
        if (canvas.CropPlan(block.plan, 1)) return;
    }
    block.inGrid = true;
    PlaceMethods(file, fileIndex);
}

// Lays out the blocks of all files. With several threads the files are shared
// out, while the calling thread reports them in order as they are done.
void PlanFileBlocks(ProjectStats& stats, std::vector<FileBlock>& blocks, BuildProgressSink* sink,
                    int threads)
{
    const size_t count = stats.files.size();
    if (threads <= 1 || count < 2) {
        BlockCanvas canvas;
        for (size_t i = 0; i < count; ++i) {
            ReportFile(sink, stats, i, "Creating city view for");
            PlanFileBlock(*stats.files[i], static_cast<uint32_t>(i), blocks[i], canvas);
        }
        return;
    }
    std::atomic<size_t> next{0};
    std::vector<char> done(count, 0);
    std::mutex mutex;
    std::condition_variable finished;
    auto work = [&] {
        BlockCanvas canvas;
        for (size_t i; (i = next.fetch_add(1)) < count;) {
            PlanFileBlock(*stats.files[i], static_cast<uint32_t>(i), blocks[i], canvas);
            {
                std::lock_guard<std::mutex> lock(mutex);
                done[i] = 1;
            }
            finished.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads only means a slower layout
        }
    }
    if (workers.empty()) work();
    for (size_t i = 0; i < count; ++i) {
        ReportFile(sink, stats, i, "Creating city view for");
        std::unique_lock<std::mutex> lock(mutex);
        while (
            !finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return done[i] != 0; })) {
            lock.unlock();
            KeepAlive(sink);  // a large file takes a while
            lock.lock();
        }
    }
    for (std::thread& t : workers) t.join();
}

}  // namespace

void PlaceMethods(FileStats& file, uint32_t fileIndex)
{
    BlockCanvas canvas;
    if (!canvas.Start(file.cityGrid)) {
        file.cityGrid.Crop(1);
        return;
    }
    try {
        PlaceAllMethods(file, fileIndex, canvas);
    } catch (const std::bad_alloc&) {
        // Keep the buildings placed so far.
    }
    canvas.CropInto(file.cityGrid, 1);
}

bool TryLayout(ProjectStats& stats, int32_t width, int32_t height, BuildProgressSink* sink)
{
    return TryLayoutChecked(stats, BlockSet(stats, nullptr), width, height, sink) == Layout::Placed;
}

void PaintStreets(CityGrid& city, BuildProgressSink* sink)
{
    CityCell pavement;
    pavement.height = CityCell::kPavement;
    const int32_t spacingX = std::max(24, city.width / 10);
    const int32_t spacingY = std::max(24, city.height / 10);
    // The size is read at every step: a street just past the edge grows the
    // grid, and the streets go on over the grown part.
    for (int64_t c = spacingX / 2; c < city.width; c += spacingX) {
        KeepAlive(sink);
        for (int64_t col = c; col <= c + 1; ++col) {
            for (int32_t row = 0; row < city.height; ++row) {
                if (city.Get(int32_t(col), row).isEmpty() && !city.Set(int32_t(col), row, pavement))
                    return;
            }
        }
    }
    for (int64_t r = spacingY / 2; r < city.height; r += spacingY) {
        KeepAlive(sink);
        for (int64_t row = r; row <= r + 1; ++row) {
            for (int32_t col = 0; col < city.width; ++col) {
                if (city.Get(col, int32_t(row)).isEmpty() && !city.Set(col, int32_t(row), pavement))
                    return;
            }
        }
    }
}

void AddLakes(CityGrid& city, MsRandom& rng)
{
    const int64_t w80 = int64_t(city.width) * 80 / 100, h80 = int64_t(city.height) * 80 / 100;
    if (w80 == 0 || h80 == 0) return;
    const int64_t area = int64_t(city.width) * city.height;
    int64_t count = 1;
    if (area >= 300) {
        const int64_t n = area / 300;
        if (rng.next() % n >= 1) count = rng.next() % n;
    }
    CityCell lake;
    lake.height = CityCell::kLake;
    for (int64_t l = 0; l < count; ++l) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            int32_t x0 = static_cast<int32_t>(rng.next() % w80 + city.width / 2 - w80 / 2);
            int32_t y0 = static_cast<int32_t>(rng.next() % h80 + city.height / 2 - h80 / 2);
            int32_t a = rng.next() % 15 + 5;
            const int q = rng.next();
            int32_t b = q % 15 + 5, c = q % 15 + 9;
            // A lake keeps two Empty cells to everything else; a smaller one
            // is tried once before the attempt is given up.
            if (!city.IsFree(x0 - 2, y0 - 2, a + 4, c)) {
                --a, --b, --c;
                if (!city.IsFree(x0 - 2, y0 - 2, a + 4, c)) continue;
            }
            for (int32_t j = 0; j < b; ++j) {
                const int32_t d = (j == 0 || j == b - 1)                           ? 4
                                  : (j == 1 || j == b - 2)                         ? 2
                                  : (j == 2 || j == 3 || j == b - 3 || j == b - 4) ? 1
                                                                                   : 0;
                for (int32_t i = d; i < a - d; ++i) {
                    int32_t sx = 0, sy = 0;
                    if (!city.Set(x0 + i, y0 + j, lake, &sx, &sy)) return;
                    x0 += sx, y0 += sy;
                }
            }
            break;
        }
    }
}

bool BuildCity(ProjectStats& stats, MsRandom& rng, BuildProgressSink* sink, int threads)
{
    std::vector<FileBlock> plans(stats.files.size());
    PlanFileBlocks(stats, plans, sink, threads);
    const BlockSet blocks(stats, &plans);
    int64_t width = 0, height = 0;
    for (size_t i = 0; i < stats.files.size(); ++i) {
        width += blocks.width(i);
        height += blocks.height(i);
    }
    // A failed placement only means the city was too small.
    for (;;) {
        width += width / 8 + 1;
        height += height / 8 + 1;
        if (width > kMaxCitySide || height > kMaxCitySide) break;
        const Layout result = TryLayoutChecked(stats, blocks, static_cast<int32_t>(width),
                                               static_cast<int32_t>(height), sink);
        if (result == Layout::OutOfMemory) break;
        if (result == Layout::TooSmall) continue;
        PaintStreets(stats.cityGrid, sink);
        if (stats.measures.overallScore >= 0.8f) AddLakes(stats.cityGrid, rng);
        return true;
    }
    stats.cityGrid.Clear();
    return false;
}

}  // namespace codeburg
