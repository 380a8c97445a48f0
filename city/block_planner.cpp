#include "city/block_planner.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "city/layout_math.h"
#include "platform/large_pages.h"

namespace codeburg {

namespace {

constexpr uint16_t kUnknown = 0xFFFF;

// Nearest occupied byte of a map row to the block's corner: the first from
// the left when the block grows rightwards, else the last.
const uint8_t* NearestTaken(const uint8_t* row, size_t length, int dx)
{
    if (dx > 0) return static_cast<const uint8_t*>(std::memchr(row, 1, length));
    return static_cast<const uint8_t*>(memrchr(row, 1, length));
}

}  // namespace

BlockPlanner::BlockPlanner(int32_t width, int32_t height, int32_t minBlockWidth,
                           int32_t minBlockHeight, int64_t blockArea)
    : m_width(width),
      m_height(height),
      m_cx(width / 2),
      m_cy(height / 2),
      m_minW(minBlockWidth),
      m_minH(minBlockHeight)
{
    // Single precision throughout, as the saved cities were made with it; the
    // sine and cosine are the correctly rounded single-precision values.
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    m_sx = width > height ? 1.0f : w / h;
    m_sy = width > height ? h / w : 1.0f;
    float a = 0.0f;
    do {
        m_cos.push_back(static_cast<float>(LayoutCos(a)));
        m_sin.push_back(static_cast<float>(LayoutSin(a)));
        a += 0.031414f;
    } while (!(a > 1.5707f));
    for (int q = 0; q < 4; ++q) {
        m_spirals[q].dx = (q % 2 == 1) ? 1 : -1;
        m_spirals[q].dy = (q >= 2) ? 1 : -1;
        m_spirals[q].resumeTree.assign(size_t(kSizeIndex + 1) * (kSizeIndex + 1), 0);
    }
    // Blocks end up in a region somewhat larger than their total area with
    // the city's proportions; start with that to spare most regrowth.
    if (blockArea > 0) {
        const double side = std::sqrt(double(blockArea) * 2.0);
        const int64_t halfW = int64_t(side * (width > height ? 1.0 : double(m_sx))) / 2 + 1;
        const int64_t halfH = int64_t(side * (width > height ? double(m_sy) : 1.0)) / 2 + 1;
        m_outOfMemory = !Cover(static_cast<int32_t>(std::max<int64_t>(0, m_cx - halfW)),
                               static_cast<int32_t>(std::max<int64_t>(0, m_cy - halfH)),
                               static_cast<int32_t>(std::min<int64_t>(width, m_cx + halfW)),
                               static_cast<int32_t>(std::min<int64_t>(height, m_cy + halfH)));
    }
}

void BlockPlanner::GenerateRing(Spiral& spiral)
{
    const float rx = static_cast<float>(spiral.rings * spiral.dx);
    const float ry = static_cast<float>(spiral.rings * spiral.dy);
    const size_t ringStart = spiral.xs.size();
    for (size_t k = 0; k < m_cos.size(); ++k) {
        const int32_t x = m_cx + static_cast<int32_t>(m_cos[k] * rx * m_sx);
        const int32_t y = m_cy + static_cast<int32_t>(m_sin[k] * ry * m_sy);
        // A step onto the cell just tested cannot give another answer.
        if (!spiral.xs.empty() && spiral.xs.back() == x && spiral.ys.back() == y) continue;
        spiral.xs.push_back(x);
        spiral.ys.push_back(y);
    }
    const size_t ringStop = spiral.xs.size();
    spiral.failW.resize(ringStop, kUnknown);
    spiral.failH.resize(ringStop, kUnknown);
    int32_t minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
    if (spiral.rings > 0) {
        minX = spiral.reachMinX.back(), maxX = spiral.reachMaxX.back();
        minY = spiral.reachMinY.back(), maxY = spiral.reachMaxY.back();
    }
    for (size_t s = ringStart; s < ringStop; ++s) {
        minX = std::min(minX, spiral.xs[s]), maxX = std::max(maxX, spiral.xs[s]);
        minY = std::min(minY, spiral.ys[s]), maxY = std::max(maxY, spiral.ys[s]);
    }
    spiral.reachMinX.push_back(minX), spiral.reachMaxX.push_back(maxX);
    spiral.reachMinY.push_back(minY), spiral.reachMaxY.push_back(maxY);
    spiral.ringEnd.push_back(ringStop);
    ++spiral.rings;
}

// The first step at or after ring "firstRing" where a bw x bh block would run
// into the edge of the city, or SIZE_MAX when no ring generated so far does.
size_t BlockPlanner::FirstEdgeStep(const Spiral& spiral, size_t firstRing, int32_t bw,
                                   int32_t bh) const
{
    auto edge = [&](int64_t minX, int64_t maxX, int64_t minY, int64_t maxY) {
        return minX < 0 || maxX + bw >= m_width || minY < 0 || maxY + bh >= m_height;
    };
    // The reach only widens from ring to ring, so the first ring touching the
    // edge can be found by bisection.
    size_t lo = firstRing, hi = spiral.ringEnd.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (edge(spiral.reachMinX[mid], spiral.reachMaxX[mid], spiral.reachMinY[mid],
                 spiral.reachMaxY[mid]))
            hi = mid;
        else
            lo = mid + 1;
    }
    if (lo == spiral.ringEnd.size()) return SIZE_MAX;
    const size_t begin = lo == 0 ? 0 : spiral.ringEnd[lo - 1];
    for (size_t s = begin; s < spiral.ringEnd[lo]; ++s) {
        if (edge(spiral.xs[s], spiral.xs[s], spiral.ys[s], spiral.ys[s])) return s;
    }
    return SIZE_MAX;  // not reached: the ring's reach came from one of its steps
}

bool BlockPlanner::IsFree(Spiral& spiral, size_t step, int32_t bw, int32_t bh)
{
    const int32_t x = spiral.xs[step], y = spiral.ys[step];
    const int64_t left = spiral.dx > 0 ? x : int64_t(x) - bw + 1;
    const int64_t top = spiral.dy > 0 ? y : int64_t(y) - bh + 1;
    if (left < 0 || top < 0 || left + bw > m_width || top + bh > m_height) return false;
    const int64_t colFrom = std::max<int64_t>(left, m_winX);
    const int64_t colTo = std::min<int64_t>(left + bw, int64_t(m_winX) + m_winW);
    if (colFrom >= colTo) return true;
    // Rows nearest the corner first, so that what is found bounds the
    // smallest block this step can never take.
    for (int32_t j = 0; j < bh; ++j) {
        const int64_t row = int64_t(y) + int64_t(j) * spiral.dy;
        if (row < m_winY || row >= int64_t(m_winY) + m_winH) continue;
        const uint8_t* line = m_map.get() + (row - m_winY) * m_winW + (colFrom - m_winX);
        const uint8_t* hit = NearestTaken(line, static_cast<size_t>(colTo - colFrom), spiral.dx);
        if (!hit) continue;
        const int64_t col = colFrom + (hit - line);
        const uint32_t w =
            static_cast<uint32_t>(std::min<int64_t>((col > x ? col - x : x - col) + 1, kUnknown));
        const uint32_t h = static_cast<uint32_t>(std::min<int32_t>(j + 1, kUnknown));
        if (w * h < uint32_t(spiral.failW[step]) * spiral.failH[step]) {
            spiral.failW[step] = static_cast<uint16_t>(w);
            spiral.failH[step] = static_cast<uint16_t>(h);
        }
        return false;
    }
    return true;
}

bool BlockPlanner::Cover(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (m_winW > 0 && left >= m_winX && top >= m_winY && right <= m_winX + m_winW &&
        bottom <= m_winY + m_winH)
        return true;
    int64_t newLeft = left, newTop = top, newRight = right, newBottom = bottom;
    if (m_winW > 0) {
        newLeft = std::min<int64_t>(newLeft, m_winX), newTop = std::min<int64_t>(newTop, m_winY);
        newRight = std::max<int64_t>(newRight, int64_t(m_winX) + m_winW);
        newBottom = std::max<int64_t>(newBottom, int64_t(m_winY) + m_winH);
    }
    // Leave room so that a city growing outwards is copied only now and then.
    const int64_t padX = std::max<int64_t>(64, (newRight - newLeft) / 4);
    const int64_t padY = std::max<int64_t>(64, (newBottom - newTop) / 4);
    newLeft = std::max<int64_t>(0, newLeft - padX);
    newTop = std::max<int64_t>(0, newTop - padY);
    newRight = std::min<int64_t>(m_width, newRight + padX);
    newBottom = std::min<int64_t>(m_height, newBottom + padY);
    const int64_t newW = newRight - newLeft, newH = newBottom - newTop;
    // calloc leaves a fresh block of this size to the system's zero pages.
    std::unique_ptr<uint8_t[], FreeBytes> grown(
        static_cast<uint8_t*>(std::calloc(static_cast<size_t>(newW * newH), 1)));
    if (!grown && newW * newH > 0) return false;
    AdviseLargePages(grown.get(), static_cast<size_t>(newW * newH));
    for (int32_t row = 0; row < m_winH; ++row) {
        std::memcpy(grown.get() + (row + m_winY - newTop) * newW + (m_winX - newLeft),
                    m_map.get() + size_t(row) * m_winW, static_cast<size_t>(m_winW));
    }
    m_map = std::move(grown);
    m_winX = static_cast<int32_t>(newLeft), m_winY = static_cast<int32_t>(newTop);
    m_winW = static_cast<int32_t>(newW), m_winH = static_cast<int32_t>(newH);
    return true;
}

bool BlockPlanner::Mark(int32_t left, int32_t top, int32_t w, int32_t h)
{
    if (!Cover(left, top, left + w, top + h)) return false;
    for (int32_t row = top; row < top + h; ++row) {
        std::memset(m_map.get() + size_t(row - m_winY) * m_winW + (left - m_winX), 1,
                    static_cast<size_t>(w));
    }
    return true;
}

size_t BlockPlanner::ResumeStep(const Spiral& spiral, int32_t bw, int32_t bh) const
{
    size_t step = 0;
    const int32_t w = std::min(bw, kSizeIndex), h = std::min(bh, kSizeIndex);
    for (int32_t i = w; i > 0; i -= i & -i) {
        const size_t* row = spiral.resumeTree.data() + size_t(i) * (kSizeIndex + 1);
        for (int32_t j = h; j > 0; j -= j & -j) step = std::max(step, row[j]);
    }
    if (bw > kSizeIndex || bh > kSizeIndex) {
        auto it = spiral.resumeLarge.find((uint64_t(uint32_t(bw)) << 32) | uint32_t(bh));
        if (it != spiral.resumeLarge.end()) step = std::max(step, it->second);
    }
    return step;
}

void BlockPlanner::SetResume(Spiral& spiral, int32_t bw, int32_t bh, size_t step)
{
    if (bw > kSizeIndex || bh > kSizeIndex) {
        size_t& slot = spiral.resumeLarge[(uint64_t(uint32_t(bw)) << 32) | uint32_t(bh)];
        slot = std::max(slot, step);
        return;
    }
    for (int32_t i = bw; i <= kSizeIndex; i += i & -i) {
        size_t* row = spiral.resumeTree.data() + size_t(i) * (kSizeIndex + 1);
        for (int32_t j = bh; j <= kSizeIndex; j += j & -j) row[j] = std::max(row[j], step);
    }
}

BlockPlanner::Placement BlockPlanner::PlaceBlock(int32_t bw, int32_t bh, int quadrant,
                                                 int32_t& left, int32_t& top)
{
    if (m_outOfMemory) return Placement::OutOfMemory;
    Spiral& spiral = m_spirals[quadrant & 3];
    while (spiral.lowest < spiral.xs.size() && m_minW >= spiral.failW[spiral.lowest] &&
           m_minH >= spiral.failH[spiral.lowest])
        ++spiral.lowest;
    size_t step = std::max(spiral.lowest, ResumeStep(spiral, bw, bh));

    size_t edgeStep = FirstEdgeStep(spiral, 0, bw, bh);
    for (;;) {
        while (step >= spiral.xs.size()) {
            const size_t ring = spiral.ringEnd.size();
            GenerateRing(spiral);
            if (edgeStep == SIZE_MAX) edgeStep = FirstEdgeStep(spiral, ring, bw, bh);
        }
        // Skip the steps already known to be taken for this size in one run.
        const size_t end = std::min(spiral.xs.size(), edgeStep);
        const uint16_t* failW = spiral.failW.data();
        const uint16_t* failH = spiral.failH.data();
        while (step < end && bw >= failW[step] && bh >= failH[step]) ++step;
        if (step >= edgeStep) return Placement::ReachedEdge;
        if (step == end) continue;  // past the rings made so far
        if (IsFree(spiral, step, bw, bh)) break;
        ++step;
    }
    const int32_t x = spiral.xs[step], y = spiral.ys[step];
    left = spiral.dx > 0 ? x : x - bw + 1;
    top = spiral.dy > 0 ? y : y - bh + 1;
    if (!Mark(left, top, bw, bh)) {
        m_outOfMemory = true;
        return Placement::OutOfMemory;
    }
    spiral.failW[step] = spiral.failH[step] = 1;  // its corner is taken now
    SetResume(spiral, bw, bh, step + 1);
    return Placement::Placed;
}

}  // namespace codeburg
