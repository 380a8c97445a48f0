#pragma once

// What changed between two builds of one project: files, methods, each
// scoring topic and the overall score.
#include <string>
#include <vector>

#include "ci/method_match.h"

namespace codeburg {

struct FileChange {
    const FileStats* oldFile = nullptr;  // null when added; not owned
    const FileStats* newFile = nullptr;  // null when removed; not owned
    std::string path;
    ChangeKind kind = ChangeKind::kUnchanged;  // changed: any count or any method changed
};

struct TopicChange {
    std::string name;
    std::string unit;
    float oldValue = 0, newValue = 0;  // as the score sheet shows them
    float oldScore = 0, newScore = 0;  // 0..1
};

struct BuildDiff {
    std::vector<FileChange> files;    // only those not unchanged, in MatchFiles order
    std::vector<MethodPair> methods;  // only those not unchanged, in MatchMethods order
    std::vector<TopicChange> topics;  // every topic of the new build, by name
    float oldScore = 0, newScore = 0;
    int filesAdded = 0, filesRemoved = 0, filesChanged = 0;
    int methodsAdded = 0, methodsRemoved = 0, methodsChanged = 0;

    bool Empty() const { return files.empty() && methods.empty() && oldScore == newScore; }
};

// Compares two loaded builds; both must outlive the result.
BuildDiff DiffBuilds(const ProjectStats& oldStats, const ProjectStats& newStats);

const char* ChangeKindName(ChangeKind kind);  // "added", "removed", "changed", "unchanged"

}  // namespace codeburg
