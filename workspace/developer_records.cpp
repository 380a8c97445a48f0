#include "workspace/developer_records.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include "workspace/project.h"

namespace codeburg {
namespace {

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::vector<DeveloperRecord> CollectDevelopers(const std::vector<Project*>& projects)
{
    std::vector<DeveloperRecord> records;
    for (const Project* project : projects) {
        if (!project) continue;
        const std::string key = project->developer.empty() ? "Unknown" : project->developer;
        DeveloperRecord* record = nullptr;
        for (DeveloperRecord& candidate : records) {
            if (SameName(candidate.name, key)) {
                record = &candidate;
                break;
            }
        }
        if (!record) {
            records.push_back(DeveloperRecord{key});
            record = &records.back();
        }
        record->projects += 1;
        if (!project->stats) continue;
        const ProjectMeasures& m = project->stats->measures;
        record->eloc += m.totalEloc;
        record->elocPerMethod += static_cast<float>(m.elocPerMethod);
        record->comments += m.commentRatio;
        record->asserts += m.assertRatio;
        record->overall += m.overallScore;
    }
    for (DeveloperRecord& record : records) {
        if (record.projects < 1) continue;
        const float n = static_cast<float>(record.projects);
        record.elocPerMethod /= n;
        record.comments /= n;
        record.asserts /= n;
        record.overall /= n;
    }
    return records;
}

bool SameRecords(const std::vector<DeveloperRecord>& a, const std::vector<DeveloperRecord>& b)
{
    auto key = [](const DeveloperRecord& r) {
        return std::tie(r.name, r.projects, r.eloc, r.elocPerMethod, r.comments, r.asserts,
                        r.overall);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](const auto& x, const auto& y) { return key(x) == key(y); });
}

}  // namespace codeburg
