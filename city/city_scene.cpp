#include "city/city_scene.h"

#include "city/picking.h"
#include "platform/ms_random.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

bool NameFilter::Matches(const MethodStats& m) const
{
    if (kind != FilterKind::File && kind != FilterKind::Class && kind != FilterKind::Method)
        return true;
    const bool inFile = fileName.empty() || (m.file && m.file->name == fileName);
    if (kind == FilterKind::File) return m.file && m.file->name == fileName;
    if (kind == FilterKind::Class) return inFile && m.className == className;
    // A method: its file and class narrow it when the strip names them.
    return inFile && (className.empty() || m.className == className) && m.methodName == methodName;
}

const char* const kChangeDisplayModeName = "Change Mode";

std::string BuildingDescription(const MethodStats& m)
{
    std::string text = m.file ? m.file->name + ": " : std::string();
    if (!m.className.empty()) text += m.className + "::";
    text += m.methodName + " - " + std::to_string(m.eloc) + " eloc, " +
            std::to_string(m.paramCount) + (m.paramCount == 1 ? " parameter" : " parameters");
    return text;
}

void CityScene::setProject(const ProjectStats* stats, int32_t maxTextureSize)
{
    // The changes name this project's methods: another build or project ends them.
    if (m_comparing) closeComparison();
    m_stats = stats;
    m_filter = NameFilter{};
    m_boxVisible.clear();
    m_towerVisible.clear();
    clearPick();
    if (!stats) {
        m_geometry = CityGeometry{};
        m_ground = GroundTexture{};
        return;
    }
    m_geometry = BuildCityGeometry(*stats, m_displayMode);
    // The ground's lakes and noise come from the project's own generator, so
    // the same project always lies on the same ground.
    MsRandom rng(ProjectSeed(*stats));
    m_ground = BuildGroundTexture(*stats, rng, maxTextureSize);
}

void CityScene::setDisplayMode(DisplayMode mode)
{
    m_displayMode = mode;
    if (!m_stats) return;
    const bool changes = mode == kChangeDisplayMode && m_comparing;
    RecolourCity(m_geometry, *m_stats, changes ? DisplayMode::Color : mode);
    if (changes) RecolourByChange(m_geometry, *m_stats, m_changes);
}

void CityScene::setChanges(std::unordered_map<const MethodStats*, BuildingChange> changes)
{
    m_changes = std::move(changes);
    m_comparing = true;
    setDisplayMode(kChangeDisplayMode);
}

void CityScene::closeComparison()
{
    m_changes.clear();
    m_comparing = false;
    if (m_displayMode == kChangeDisplayMode) setDisplayMode(DisplayMode::Color);
}

void CityScene::setFilter(const NameFilter& filter)
{
    m_filter = filter;
    updateMasks();
}

void CityScene::updateMasks()
{
    m_boxVisible.clear();
    m_towerVisible.clear();
    if (m_filter.kind == FilterKind::None) return;
    m_boxVisible.reserve(m_geometry.boxes.size());
    for (const BoxBuilding& b : m_geometry.boxes)
        m_boxVisible.push_back(b.method && m_filter.Matches(*b.method));
    m_towerVisible.reserve(m_geometry.towers.size());
    for (const TowerBuilding& t : m_geometry.towers)
        m_towerVisible.push_back(t.method && m_filter.Matches(*t.method));
}

void CityScene::pick(int32_t mx, int32_t my, int32_t width, int32_t height, const Mat4& projection,
                     const Mat4& view)
{
    const PickResult result =
        PickBuilding(m_geometry, PickRay(mx, my, width, height, projection, view));
    m_pickedBox = result.box;
    m_pickedTower = result.tower;
}

const MethodStats* CityScene::pickedMethod() const
{
    if (m_pickedBox >= 0 && size_t(m_pickedBox) < m_geometry.boxes.size())
        return m_geometry.boxes[size_t(m_pickedBox)].method;
    if (m_pickedTower >= 0 && size_t(m_pickedTower) < m_geometry.towers.size())
        return m_geometry.towers[size_t(m_pickedTower)].method;
    return nullptr;
}

const MethodStats* CityScene::shownPick() const
{
    const MethodStats* m = pickedMethod();
    return m && m_filter.Matches(*m) ? m : nullptr;
}

const MethodStats* CityScene::methodAt(int32_t mx, int32_t my, int32_t width, int32_t height,
                                       const Mat4& projection, const Mat4& view) const
{
    const PickResult result = PickNearestBuilding(
        m_geometry, PickRay(mx, my, width, height, projection, view), m_boxVisible, m_towerVisible);
    if (result.box >= 0) return m_geometry.boxes[size_t(result.box)].method;
    if (result.tower >= 0) return m_geometry.towers[size_t(result.tower)].method;
    return nullptr;
}

std::vector<CityLabel> CityScene::labels() const
{
    std::vector<CityLabel> out;
    auto add = [&](const MethodStats* m, int32_t x, int32_t y, int32_t side, int32_t roof) {
        if (!m) return;
        std::string text;
        if (m_fileLabels) {
            // One name per file, above the building of its first method.
            if (!m->file || m->file->methods.empty() || m->file->methods.front().get() != m) return;
            text = m->file->name;
        } else {
            if (!m_filter.Matches(*m)) return;
            text = m->className + "::" + m->methodName;
        }
        const float half = static_cast<float>(side) * 0.5f;
        out.push_back(CityLabel{{static_cast<float>(x) + half, static_cast<float>(roof) + 1.0f,
                                 static_cast<float>(y) + half},
                                std::move(text)});
    };
    for (const BoxBuilding& b : m_geometry.boxes)
        add(b.method, b.anchorX, b.anchorY, b.side, b.roofHeight);
    for (const TowerBuilding& t : m_geometry.towers)
        add(t.method, t.anchorX, t.anchorY, t.side, t.roofHeight);
    return out;
}

std::vector<HudText> CityScene::hudTexts(const HudState& state) const
{
    // The strip's filter is by name; the box is shown only when it lets the
    // pick through, which shownPick() has already decided.
    std::vector<HudText> texts = HudTexts(m_stats, state, shownPick(), CityFilter{});
    // The core names the four modes; the fifth is this pane's own.
    if (state.displayMode == kChangeDisplayMode && m_comparing)
        for (HudText& t : texts)
            if (t.text == DisplayModeName(kChangeDisplayMode)) t.text = kChangeDisplayModeName;
    return texts;
}

}  // namespace codeburg
