#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "city/building_change.h"
#include "report/snapshot_legend.h"

namespace codeburg {

struct MethodPair;
struct MethodStats;
class ProjectStats;

// The change of every method of the newer build, by its record there. A
// method whose eloc stayed the same is unchanged, whatever else moved.
std::unordered_map<const MethodStats*, BuildingChange> ClassifyChanges(
    const std::vector<MethodPair>& pairs);

// The legend's key for these colours, with how many buildings each has.
std::vector<LegendKeyEntry> ChangeKey(
    const std::unordered_map<const MethodStats*, BuildingChange>& changes);

}  // namespace codeburg
