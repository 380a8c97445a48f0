#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "city/hud_text.h"

namespace codeburg {

class ProjectStats;

// One colour of the key with what it stands for.
struct LegendKeyEntry {
    uint32_t colour = 0;  // 0x00RRGGBB, as the buildings are drawn
    std::string text;
};

// What a picture's legend says, before it is placed.
struct LegendFacts {
    std::string project;
    std::string buildDate;  // "%m/%d/%y at %H:%M:%S", or empty
    int32_t files = 0;
    int32_t methods = 0;
    int32_t eloc = 0;
    int32_t overallPercent = 0;
    std::string keyTitle;  // the display mode's name
    std::vector<LegendKeyEntry> key;
};

// The figures of the project and the colour key of display mode "mode"
// (0..3), with swatches made by the same colour formulas as the buildings.
LegendFacts LegendFactsOf(const ProjectStats& stats, DisplayMode mode,
                          const std::string& buildDate);

// A filled square of the key, in picture pixels.
struct LegendSwatch {
    int32_t x = 0, y = 0, size = 0;
    uint32_t colour = 0;  // 0x00RRGGBB
};

// The legend laid out in the top-left corner of a width x height picture: a
// dark panel, its lines of text and the key's swatches. Text widths are
// estimated from the letter count, generously, so the panel holds them.
struct LegendLayout {
    int32_t x = 0, y = 0, width = 0, height = 0;
    uint32_t panelColour = 0;  // 0x00RRGGBB, drawn at kLegendPanelOpacity
    std::vector<HudText> texts;
    std::vector<LegendSwatch> swatches;
    int32_t textPixels = 0;
};
constexpr float kLegendPanelOpacity = 0.8f;

// Letters grow with the picture: 11 pixels (readable) at 640 x 360, 18 at 1280 x 720.
int32_t LegendTextPixels(int32_t width, int32_t height);

LegendLayout LayoutLegend(const LegendFacts& facts, int32_t width, int32_t height);

}  // namespace codeburg
