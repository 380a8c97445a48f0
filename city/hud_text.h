#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "city/display_mode.h"

namespace codeburg {

class ProjectStats;
struct ClassStats;
struct CityGeometry;
struct MethodStats;

// What the control strip narrows the city to: nothing (everything shows),
// a file, a class, or one method.
enum class FilterKind : int32_t { None = 0, File = 1, Class = 2, Method = 3 };

struct CityFilter {
    FilterKind kind = FilterKind::None;
    std::string fileName;                 // kind 1, compared byte for byte
    const ClassStats* cls = nullptr;      // kind 2; none matches methods without class
    const MethodStats* method = nullptr;  // kind 3

    bool Matches(const MethodStats& m) const;
};

// One flag per box and per tower, for the renderer; empty when nothing is filtered.
void FilterMasks(const CityGeometry& geometry, const CityFilter& filter,
                 std::vector<bool>& boxVisible, std::vector<bool>& towerVisible);

// One line of overlay text, in client pixels from the top-left corner.
struct HudText {
    int32_t x = 0, y = 0;
    uint32_t colour = 0xFFFFFFFF;  // 0xAARRGGBB
    std::string text;
};

struct HudState {
    int32_t clientWidth = 0, clientHeight = 0;
    bool fullScreen = false;
    int32_t flyMode = 0;  // 0 fly over, 1 free movement
    bool paused = false;
    bool mouseLook = false;
    bool snapshot = false;  // draws the credit line
    DisplayMode displayMode = DisplayMode::Color;
};

extern const char* const kCreditLine;

// Everything written over the city in one frame, in drawing order; with no
// project, only the prompt. "picked" (may be null) gets the information box
// when it matches the filter.
std::vector<HudText> HudTexts(const ProjectStats* stats, const HudState& state,
                              const MethodStats* picked, const CityFilter& filter);

}  // namespace codeburg
