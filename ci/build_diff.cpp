#include "ci/build_diff.h"

#include <unordered_map>
#include <unordered_set>

#include "records/file_stats.h"
#include "records/project_stats.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

namespace {

bool SameCounts(const FileStats& a, const FileStats& b)
{
    return a.lines == b.lines && a.emptyLines == b.emptyLines && a.commentLines == b.commentLines &&
           a.asserts == b.asserts && a.includes == b.includes &&
           a.methodElocSum == b.methodElocSum && a.methods.size() == b.methods.size();
}

}  // namespace

const char* ChangeKindName(ChangeKind kind)
{
    switch (kind) {
        case ChangeKind::kAdded:
            return "added";
        case ChangeKind::kRemoved:
            return "removed";
        case ChangeKind::kChanged:
            return "changed";
        case ChangeKind::kUnchanged:
            return "unchanged";
    }
    return "";
}

BuildDiff DiffBuilds(const ProjectStats& oldStats, const ProjectStats& newStats)
{
    BuildDiff diff;
    std::unordered_set<const FileStats*> touched;  // new files with a method change
    // Most methods are unchanged: only the others get a key spelled out.
    ForEachMethodPair(oldStats, newStats, [&](const MethodMatch& match) {
        if (match.kind == ChangeKind::kUnchanged) return;
        diff.methodsAdded += match.kind == ChangeKind::kAdded;
        diff.methodsRemoved += match.kind == ChangeKind::kRemoved;
        diff.methodsChanged += match.kind == ChangeKind::kChanged;
        if (match.files.newFile) touched.insert(match.files.newFile);
        diff.methods.push_back(match.ToPair());
    });
    for (const FilePair& files : MatchFiles(oldStats, newStats)) {
        FileChange change{files.oldFile, files.newFile, {}, ChangeKind::kChanged};
        change.path = FileKeyPath(files.newFile ? *files.newFile : *files.oldFile);
        if (!files.oldFile) {
            change.kind = ChangeKind::kAdded;
            ++diff.filesAdded;
        } else if (!files.newFile) {
            change.kind = ChangeKind::kRemoved;
            ++diff.filesRemoved;
        } else if (SameCounts(*files.oldFile, *files.newFile) && !touched.count(files.newFile)) {
            continue;
        } else {
            ++diff.filesChanged;
        }
        diff.files.push_back(std::move(change));
    }
    std::unordered_map<std::string, const ScoringTopic*> oldTopics;
    for (const ScoringTopic& topic : oldStats.topics) oldTopics.emplace(topic.name, &topic);
    for (const ScoringTopic& topic : newStats.topics) {
        TopicChange change{topic.name, topic.unit};
        change.newValue = topic.shownValue;
        change.newScore = TopicScore(topic);
        if (const auto found = oldTopics.find(topic.name); found != oldTopics.end()) {
            change.oldValue = found->second->shownValue;
            change.oldScore = TopicScore(*found->second);
        }
        diff.topics.push_back(std::move(change));
    }
    diff.oldScore = oldStats.measures.overallScore;
    diff.newScore = newStats.measures.overallScore;
    return diff;
}

}  // namespace codeburg
