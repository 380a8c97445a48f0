#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "city/building_change.h"
#include "city/camera.h"
#include "city/city_geometry.h"
#include "city/ground_texture.h"
#include "city/hud_text.h"

namespace codeburg {

class ProjectStats;
struct MethodStats;

// The highlight the control strip asks for, by name: kind 1 a file, 2 a
// class of that file or of any file (methods without a class for an empty
// name), 3 a method, narrowed by the file and class names when given.
struct NameFilter {
    FilterKind kind = FilterKind::None;
    std::string fileName, className, methodName;

    bool Matches(const MethodStats& m) const;
};

// What names a building for the user: "file: class::method - N eloc, P
// parameters" (no "class::" for a method without class).
std::string BuildingDescription(const MethodStats& m);

// The display mode after the four: buildings coloured by their change
// against an older build, offered only while a comparison is open.
constexpr DisplayMode kChangeDisplayMode = static_cast<DisplayMode>(kDisplayModeCount);
extern const char* const kChangeDisplayModeName;

// A floating name above a building, in world units.
struct CityLabel {
    Vec3 position;
    std::string text;
};

// What the city pane shows of one project, apart from the device: the
// buildings and the ground, the display mode, the filter, the pick and the
// labels. The project is not owned and must outlive its showing.
class CityScene {
public:
    // Builds the buildings and the ground (at most "maxTextureSize" texels a
    // side); nullptr empties the scene.
    void setProject(const ProjectStats* stats, int32_t maxTextureSize);
    const ProjectStats* project() const { return m_stats; }
    const CityGeometry& geometry() const { return m_geometry; }
    const GroundTexture& ground() const { return m_ground; }

    DisplayMode displayMode() const { return m_displayMode; }
    // Recolours the buildings when a project is shown; any number is kept,
    // drawn as mode 0 when outside 0..3.
    void setDisplayMode(DisplayMode mode);
    // The change mode follows the four while a comparison is open.
    void nextDisplayMode()
    {
        if (m_comparing && m_displayMode == DisplayMode::LineMethod)
            setDisplayMode(kChangeDisplayMode);
        else if (m_displayMode == kChangeDisplayMode)
            setDisplayMode(DisplayMode::Color);
        else
            setDisplayMode(NextDisplayMode(m_displayMode));
    }

    // Opens a comparison of the shown project with an older build (the
    // change of each of its methods) and shows it in kChangeDisplayMode.
    // Showing a project closes it; so does closeComparison, back to the
    // colour mode when the changes were shown.
    void setChanges(std::unordered_map<const MethodStats*, BuildingChange> changes);
    void closeComparison();
    bool comparing() const { return m_comparing; }

    const NameFilter& filter() const { return m_filter; }
    void setFilter(const NameFilter& filter);
    // One flag per box and tower; both empty when nothing is filtered.
    const std::vector<bool>& boxVisible() const { return m_boxVisible; }
    const std::vector<bool>& towerVisible() const { return m_towerVisible; }

    // Runs the ray test through the cursor; -1 for none.
    void pick(int32_t mx, int32_t my, int32_t width, int32_t height, const Mat4& projection,
              const Mat4& view);
    void clearPick() { m_pickedBox = m_pickedTower = -1; }
    int32_t pickedBox() const { return m_pickedBox; }
    int32_t pickedTower() const { return m_pickedTower; }
    // The method of the picked building (the box before the tower), or null.
    const MethodStats* pickedMethod() const;
    // The picked method when the filter lets it show, else null.
    const MethodStats* shownPick() const;
    // The method of the nearest shown building under the cursor, or null;
    // leaves the pick of the frame alone.
    const MethodStats* methodAt(int32_t mx, int32_t my, int32_t width, int32_t height,
                                const Mat4& projection, const Mat4& view) const;

    // File names (flag set) or "class::method" of every shown building.
    bool fileLabels() const { return m_fileLabels; }
    void toggleLabels() { m_fileLabels = !m_fileLabels; }
    std::vector<CityLabel> labels() const;

    // The overlay lines of one frame.
    std::vector<HudText> hudTexts(const HudState& state) const;

private:
    void updateMasks();

    const ProjectStats* m_stats = nullptr;
    CityGeometry m_geometry;
    GroundTexture m_ground;
    DisplayMode m_displayMode = DisplayMode::Color;
    NameFilter m_filter;
    std::vector<bool> m_boxVisible, m_towerVisible;
    int32_t m_pickedBox = -1, m_pickedTower = -1;
    bool m_fileLabels = true;
    bool m_comparing = false;
    std::unordered_map<const MethodStats*, BuildingChange> m_changes;
};

}  // namespace codeburg
