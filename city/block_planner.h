#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

namespace codeburg {

// Finds the place of each file block in a city of width x height: every block
// searches its quarter of an ellipse with the city's aspect ratio, from the
// centre outwards, for a rectangle that is free on an occupancy map.
//
// The result is exactly that of testing every spiral step in turn; it is found
// faster because a step that was once found occupied for some block size stays
// occupied for every larger block (the map only fills up), and because only
// the part of the city that blocks reach is kept in memory, so a nominal city
// far larger than its content costs nothing. When the map cannot grow, the
// planner says so and places nothing more.
class BlockPlanner {
public:
    // "minBlockWidth" x "minBlockHeight" must not exceed any block placed
    // later; "blockArea" (the sum of the blocks' areas) sizes the map at once.
    BlockPlanner(int32_t width, int32_t height, int32_t minBlockWidth, int32_t minBlockHeight,
                 int64_t blockArea = 0);

    enum class Placement { Placed, ReachedEdge, OutOfMemory };

    // True when the map for "blockArea" could not be had; every placement
    // then reports OutOfMemory.
    bool outOfMemory() const { return m_outOfMemory; }

    // Searches a place for a bw x bh block (both at least 1) in "quadrant"
    // (0 up-left, 1 up-right, 2 down-left, 3 down-right of the centre) and marks
    // it occupied; (left, top) is then its top-left cell. ReachedEdge when the
    // search reached the edge of the city first.
    Placement PlaceBlock(int32_t bw, int32_t bh, int quadrant, int32_t& left, int32_t& top);

private:
    // The spiral steps of one quarter, generated ring by ring as far as some
    // block needed them, with consecutive repeats of a cell dropped.
    struct Spiral {
        int dx = 1, dy = 1;
        int32_t rings = 0;
        std::vector<int32_t> xs, ys;
        std::vector<size_t> ringEnd;  // index after each ring's last step
        std::vector<int32_t> reachMinX, reachMaxX, reachMinY, reachMaxY;  // over rings 0..r
        // Step s is known not to be free for any block at least failW x failH.
        std::vector<uint16_t> failW, failH;
        size_t lowest = 0;  // every step before it is taken for the smallest block
        // First step to test for a block size: steps before it were taken for a
        // block no larger in either direction. Sizes up to kSizeIndex go into
        // a two-dimensional prefix-maximum tree, larger ones are kept exactly.
        std::vector<size_t> resumeTree;
        std::unordered_map<uint64_t, size_t> resumeLarge;
    };
    static constexpr int32_t kSizeIndex = 255;

    size_t ResumeStep(const Spiral& spiral, int32_t bw, int32_t bh) const;
    void SetResume(Spiral& spiral, int32_t bw, int32_t bh, size_t step);

    void GenerateRing(Spiral& spiral);
    size_t FirstEdgeStep(const Spiral& spiral, size_t firstRing, int32_t bw, int32_t bh) const;
    bool IsFree(Spiral& spiral, size_t step, int32_t bw, int32_t bh);
    // Both false when the map could not grow to take the rectangle in.
    bool Mark(int32_t left, int32_t top, int32_t w, int32_t h);
    bool Cover(int32_t left, int32_t top, int32_t right, int32_t bottom);

    int32_t m_width, m_height, m_cx, m_cy;
    float m_sx, m_sy;
    int32_t m_minW, m_minH;
    std::vector<float> m_cos, m_sin;
    Spiral m_spirals[4];

    // The occupied part of the city: a window of the map, all 0 outside.
    int32_t m_winX = 0, m_winY = 0, m_winW = 0, m_winH = 0;
    // Zeroed by the system as it is first touched: most of a large map is
    // never written, and clearing it all up front took a tenth of a second.
    struct FreeBytes {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t[], FreeBytes> m_map;
    bool m_outOfMemory = false;
};

}  // namespace codeburg
