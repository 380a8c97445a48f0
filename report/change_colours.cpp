#include "report/change_colours.h"

#include <array>
#include <string>

#include "ci/method_match.h"
#include "city/city_geometry.h"
#include "records/colour.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

std::unordered_map<const MethodStats*, BuildingChange> ClassifyChanges(
    const std::vector<MethodPair>& pairs)
{
    std::unordered_map<const MethodStats*, BuildingChange> changes;
    changes.reserve(pairs.size());
    for (const MethodPair& pair : pairs) {
        if (!pair.newMethod) continue;  // removed: no building to colour
        BuildingChange change = BuildingChange::Unchanged;
        if (pair.kind == ChangeKind::kAdded || !pair.oldMethod)
            change = BuildingChange::New;
        else if (pair.newMethod->eloc > pair.oldMethod->eloc)
            change = BuildingChange::Grown;
        else if (pair.newMethod->eloc < pair.oldMethod->eloc)
            change = BuildingChange::Shrunk;
        changes[pair.newMethod] = change;
    }
    return changes;
}

std::vector<LegendKeyEntry> ChangeKey(
    const std::unordered_map<const MethodStats*, BuildingChange>& changes)
{
    std::array<int64_t, 4> counts{};
    for (const auto& [method, change] : changes) ++counts[size_t(change)];
    const char* names[4] = {"new", "grown", "shrunk", "unchanged"};
    std::vector<LegendKeyEntry> key;
    for (size_t i = 0; i < 4; ++i)
        key.push_back({ChangeColour(BuildingChange(i)),
                       std::string(names[i]) + " (" + std::to_string(counts[i]) + ")"});
    return key;
}

}  // namespace codeburg
