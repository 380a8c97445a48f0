#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "records/method_rule.h"
#include "records/project_stats.h"

namespace codeburg {

class Folder;
struct ScoringSettings;

// A leaf of the workspace tree: a directory of sources, its filters and
// bookkeeping, and the statistics the build produces (owned here).
class Project {
public:
    static constexpr int kViewpointSlots = 9;

    // "settings" is the application's and must outlive the project.
    Project(const ScoringSettings* settings, Folder* parent, std::string name);
    virtual ~Project() = default;
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    Folder* parent = nullptr;  // not owned
    bool expanded = false;
    std::string name;
    std::string directory;
    std::string excludedDirs;
    std::string excludedFiles = "stdafx.cpp";
    std::string extensions = "cpp,cc,java,asm";
    MethodRule methods = MethodRule::Classic;  // saved as "methods" only when not classic
    std::string lastBuild;
    int statisticsLoaded = 0;
    std::string developer;
    std::array<std::string, kViewpointSlots> viewpoints;
    int viewpointCount = 0;
    std::unique_ptr<ProjectStats> stats;

    std::string Identifier() const;      // name followed by the total method count
    std::string StatisticsPath() const;  // directory joined with name + ".cbb"
    int LoadStatistics();                // 0, or -1 when the file cannot be read
    void DeleteStatisticsFile() const;
    int Percent() const;
    std::optional<std::string> ViewpointText(int slot) const;
};

}  // namespace codeburg
