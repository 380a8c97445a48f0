#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "records/city_grid.h"
#include "records/file_stats.h"
#include "records/method_rule.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

class BuildProgressSink;
struct ScoringSettings;

// "2 310 function bodies inside namespaces or class bodies were not counted
// as methods": what a program says after a build that passed over "count"
// bodies, before telling how to count them.
std::string SkippedBodiesText(int64_t count);

// Project-level figures filled by the measure pass.
struct ProjectMeasures {
    float assertRatio = 0.0f;
    float commentRatio = 0.0f;
    int32_t elocPerMethod = 0;
    int32_t totalMethods = 0;
    int32_t maxMethodEloc = 0;
    int32_t totalEloc = 0;
    float spacingRatio = 0.0f;
    float overallScore = 0.0f;  // 0..1
    float distribution = 0.0f;
    int32_t constructors = 0;
};

// A file or folder that a build had to leave out, and why ("Permission
// denied", "file too large (...)").
struct SkippedEntry {
    std::string path;
    std::string reason;
};

// The analysis of one project: its files in city order, the city and the
// project's own copy of the scoring topics. Owned by the workspace project.
class ProjectStats {
public:
    // "settings" is the application's and must outlive this record.
    explicit ProjectStats(const ScoringSettings* settings);
    ProjectStats(const ProjectStats&) = delete;
    ProjectStats& operator=(const ProjectStats&) = delete;

    bool reportEnabled = false;
    BuildProgressSink* progressSink = nullptr;  // of the current or last build; not owned
    std::string name;                           // last component of the scanned directory
    std::string directory;
    CityGrid cityGrid;
    std::vector<std::unique_ptr<FileStats>> files;  // city order
    const ScoringSettings* settings = nullptr;      // not owned
    std::vector<ScoringTopic> topics;
    std::string excludedDirs;
    std::string excludedFiles;
    std::string extensions = "cpp,cc,java,asm";
    // The rule the methods are found by: copied from the project with the
    // filters before every build, read back from the statistics file.
    MethodRule methodRule = MethodRule::Classic;
    int64_t* newestWriteTime = nullptr;  // set only during an up-to-date check
    std::vector<SkippedEntry> skipped;   // by the last scan, in walk order; never saved
    ProjectMeasures measures;

    void ClearFiles() { files.clear(); }
    int32_t LineCount() const;  // the settings' method length limit (25 without settings)

    // Fills the measures and feeds the topics. "reload" first re-splits every
    // file's eloc at the current line count (after loading or rescoring).
    void ComputeMeasures(bool reload);

    int32_t MethodsPerFile() const;
    // Bodies the classic rule passed over one level too deep in the last
    // build (inside namespaces, class bodies or nested types); 0 after a load.
    int64_t SkippedBodies() const;
    // Whether there are enough of them, beside the methods found, to tell
    // the user about the modern rule.
    bool ShouldSuggestModernRule() const;
};

}  // namespace codeburg
