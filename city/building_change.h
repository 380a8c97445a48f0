#pragma once

#include <cstdint>
#include <unordered_map>

namespace codeburg {

struct CityGeometry;
struct MethodStats;
class ProjectStats;

// How a building of the newer city compares with the older build.
enum class BuildingChange { New, Grown, Shrunk, Unchanged };

// 0x00RRGGBB: green new, orange grown, blue shrunk, grey unchanged.
uint32_t ChangeColour(BuildingChange change);

// Recolours the buildings of "geometry" (built from "stats", the newer
// build) by their change; shapes, sizes and places stay as they are.
// Buildings of methods the map does not name count as new.
void RecolourByChange(CityGeometry& geometry, const ProjectStats& stats,
                      const std::unordered_map<const MethodStats*, BuildingChange>& changes);

}  // namespace codeburg
