#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "city/display_mode.h"

namespace codeburg {

class ProjectStats;
struct MethodStats;

// 36 bytes per vertex: position, normal, a 0x00RRGGBB colour and one texture
// coordinate pair. World x follows grid columns, world z grid rows, y is up,
// and one cell is one unit.
struct CityVertex {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    uint32_t diffuse = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(CityVertex) == 36, "the vertex layout is shared with the renderer");

// The mode after "mode", Color after the last.
DisplayMode NextDisplayMode(DisplayMode mode);
// "Color Mode" .. "Line/Method Mode"; "??" for any other number.
const char* DisplayModeName(DisplayMode mode);

// The background everything fades into: HSV (230, 0.0, 0.1), 0x00RRGGBB.
uint32_t BackgroundColour();

// What the colour formulas need beyond the method itself.
struct ColourReferences {
    float assertReference = 0.04f;  // the asserts topic's reference value
    int32_t lineCount = 25;         // the method length limit
};
ColourReferences ColourReferencesOf(const ProjectStats& stats);

// (comments + asserts) / eloc; with eloc 0, 1.0 when the method has comments, else 0.
double GreenRatio(int32_t eloc, int32_t commentLines, int32_t asserts);

// The display-mode colour (0x00RRGGBB) of a method; "fileColour" is the file's
// 0x00BBGGRR colour.
uint32_t MethodColour(const MethodStats& method, uint32_t fileColour, DisplayMode mode,
                      const ColourReferences& refs);

enum class WallTexture : int32_t { Low = 0, Medium = 1, Tall = 2, Default = 3 };
// From the roof height and the width footprint + 0.02.
WallTexture ChooseWallTexture(int32_t roofHeight, float width);

// One building per anchor cell. Boxes hold a 10-vertex wall strip then a
// 4-vertex roof strip; towers an 18-vertex wall strip then an 18-vertex roof strip.
struct BoxBuilding {
    std::array<CityVertex, 14> vertices;
    const MethodStats* method = nullptr;  // owned by the project
    int32_t anchorX = 0, anchorY = 0, side = 0, roofHeight = 0;
    WallTexture wallTexture = WallTexture::Default;
};
struct TowerBuilding {
    std::array<CityVertex, 36> vertices;
    const MethodStats* method = nullptr;  // owned by the project
    int32_t anchorX = 0, anchorY = 0, side = 0, roofHeight = 0;
};

struct CityGeometry {
    std::vector<BoxBuilding> boxes;
    std::vector<TowerBuilding> towers;
};

// Vertices for a corner (x0, z0), footprint p, height word H and colour c.
void MakeBox(float x0, float z0, int32_t footprint, int32_t heightWord, uint32_t colour,
             BoxBuilding& box);
void MakeTower(float x0, float z0, int32_t footprint, int32_t heightWord, uint32_t colour,
               TowerBuilding& tower);

// Scans the project's city grid row by row. Anchors naming a file or method the
// project no longer has produce nothing, and no more boxes and towers are made
// than the project has methods of each shape, whatever the grid holds.
CityGeometry BuildCityGeometry(const ProjectStats& stats, DisplayMode mode);
// Recomputes only the vertex colours, after a display-mode change.
void RecolourCity(CityGeometry& geometry, const ProjectStats& stats, DisplayMode mode);

}  // namespace codeburg
