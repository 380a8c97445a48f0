#pragma once

// Pairs the methods of two builds of one project, so that a change between
// them can be told method by method. Methods are named by where they stand
// in the tree, never by their line, which moves with every edit above them.
#include <functional>
#include <string>
#include <vector>

namespace codeburg {

class FileStats;
class ProjectStats;
struct MethodStats;

// Names a method across builds; never its line, which moves with every edit above it.
struct MethodKey {
    std::string path;  // relative to the project directory, '/' separated
    std::string className;
    std::string name;
    int rank = 0;  // among same-class, same-named methods of that file, in order
};

// 32 lower-case hex digits that depend on every field of "key" and on
// nothing else, the same on every platform and in every release.
std::string Fingerprint(const MethodKey& key);

// The path a file is known by: its path below the project directory when the
// build recorded one, else its bare name (statistics files of older builds).
const std::string& FileKeyPath(const FileStats& file);

enum class ChangeKind { kAdded, kRemoved, kChanged, kUnchanged };

struct MethodPair {
    const FileStats* oldFile = nullptr;
    const MethodStats* oldMethod = nullptr;
    const FileStats* newFile = nullptr;
    const MethodStats* newMethod = nullptr;
    MethodKey key;
    ChangeKind kind = ChangeKind::kUnchanged;  // changed: eloc, params, comments or asserts differ
};

// A file of either build and its counterpart, matched by FileKeyPath. Files
// that share a key path (only possible without recorded paths) pair in order.
struct FilePair {
    const FileStats* oldFile = nullptr;
    const FileStats* newFile = nullptr;
};

// Every file of both builds once: the new build's files in order, each with
// its old counterpart or none, then the old files that are gone.
std::vector<FilePair> MatchFiles(const ProjectStats& oldStats, const ProjectStats& newStats);

// Every method of both builds once, in the order of MatchFiles; within a file
// the new methods in source order, then the old ones that are gone. Pointers
// refer into the two records, which must outlive the result. Runs in time
// linear in the number of files and methods.
std::vector<MethodPair> MatchMethods(const ProjectStats& oldStats, const ProjectStats& newStats);

// A pair as MatchMethods finds it, before its key is spelled out: "rank" is
// that of whichever method is there. Cheap to make; ToPair copies the names.
struct MethodMatch {
    FilePair files;
    const MethodStats* oldMethod = nullptr;
    const MethodStats* newMethod = nullptr;
    int rank = 0;
    ChangeKind kind = ChangeKind::kUnchanged;

    MethodPair ToPair() const;
};

// Calls "visit" for every pair in the order of MatchMethods, without
// building a key for each: for callers that keep only some pairs.
void ForEachMethodPair(const ProjectStats& oldStats, const ProjectStats& newStats,
                       const std::function<void(const MethodMatch&)>& visit);

// The methods of "file" in source order, each with its rank.
std::vector<std::pair<const MethodStats*, int>> RankedMethods(const FileStats& file);

// The methods of "file" in source order (by first line when known, else in
// stored order), each with its key. The rank counts same-class, same-named
// methods before it.
std::vector<std::pair<const MethodStats*, MethodKey>> KeyedMethods(const FileStats& file);

}  // namespace codeburg
