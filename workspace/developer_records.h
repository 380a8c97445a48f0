#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace codeburg {

class Project;

// One lead developer with the projects credited to them. The four float
// figures are averages over those projects once collected.
struct DeveloperRecord {
    std::string name;
    int32_t projects = 0;
    int32_t eloc = 0;
    float elocPerMethod = 0.0f;
    float comments = 0.0f;  // 0..1
    float asserts = 0.0f;   // 0..1
    float overall = 0.0f;   // 0..1
};

// Groups the projects by developer, names compared without regard to case
// and kept as first met; projects without one go to "Unknown". Records are
// in order of first appearance. A project never built counts with zeros.
std::vector<DeveloperRecord> CollectDevelopers(const std::vector<Project*>& projects);

// Whether two groupings show the same rows (names as written, figures exact).
bool SameRecords(const std::vector<DeveloperRecord>& a, const std::vector<DeveloperRecord>& b);

}  // namespace codeburg
