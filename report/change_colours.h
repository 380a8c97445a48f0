#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "report/snapshot_legend.h"

namespace codeburg {

struct CityGeometry;
struct MethodPair;
struct MethodStats;
class ProjectStats;

// How a building of the newer city compares with the older build.
enum class BuildingChange { New, Grown, Shrunk, Unchanged };

// 0x00RRGGBB: green new, orange grown, blue shrunk, grey unchanged.
uint32_t ChangeColour(BuildingChange change);

// The change of every method of the newer build, by its record there. A
// method whose eloc stayed the same is unchanged, whatever else moved.
std::unordered_map<const MethodStats*, BuildingChange> ClassifyChanges(
    const std::vector<MethodPair>& pairs);

// Recolours the buildings of "geometry" (built from "stats", the newer
// build) by their change; shapes, sizes and places stay as they are.
// Buildings of methods the map does not name count as new.
void RecolourByChange(CityGeometry& geometry, const ProjectStats& stats,
                      const std::unordered_map<const MethodStats*, BuildingChange>& changes);

// The legend's key for these colours, with how many buildings each has.
std::vector<LegendKeyEntry> ChangeKey(
    const std::unordered_map<const MethodStats*, BuildingChange>& changes);

}  // namespace codeburg
