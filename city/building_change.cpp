#include "city/building_change.h"

#include "city/city_geometry.h"
#include "records/colour.h"
#include "records/project_stats.h"

namespace codeburg {

uint32_t ChangeColour(BuildingChange change)
{
    switch (change) {
        case BuildingChange::New:
            return HsvToColor(130, 0.75, 0.85);
        case BuildingChange::Grown:
            return HsvToColor(28, 0.85, 0.95);
        case BuildingChange::Shrunk:
            return HsvToColor(210, 0.65, 0.95);
        case BuildingChange::Unchanged:
            break;
    }
    return HsvToColor(0, 0.0, 0.45);
}

void RecolourByChange(CityGeometry& geometry, const ProjectStats& stats,
                      const std::unordered_map<const MethodStats*, BuildingChange>& changes)
{
    auto colourOf = [&changes](const MethodStats* m) {
        const auto at = changes.find(m);
        return ChangeColour(at == changes.end() ? BuildingChange::New : at->second);
    };
    // Made again from their anchor cells exactly as the city made them, with
    // only the colour differing.
    const CityGrid& grid = stats.cityGrid;
    for (BoxBuilding& box : geometry.boxes) {
        const CityCell& cell = grid.Get(box.anchorX, box.anchorY);
        const int32_t o = cell.side / 2 - cell.footprint / 2;
        const BoxBuilding copy = box;
        MakeBox(float(box.anchorX + o), float(box.anchorY + o), cell.footprint, cell.height,
                colourOf(box.method), box);
        box.method = copy.method;
        box.anchorX = copy.anchorX, box.anchorY = copy.anchorY, box.side = copy.side;
    }
    for (TowerBuilding& tower : geometry.towers) {
        const CityCell& cell = grid.Get(tower.anchorX, tower.anchorY);
        const int32_t o = cell.side / 2 - cell.footprint / 2;
        const TowerBuilding copy = tower;
        MakeTower(float(tower.anchorX + o), float(tower.anchorY + o), cell.footprint, cell.height,
                  colourOf(tower.method), tower);
        tower.method = copy.method;
        tower.anchorX = copy.anchorX, tower.anchorY = copy.anchorY, tower.side = copy.side;
    }
}

}  // namespace codeburg
