#include "ci/method_match.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

// FNV-1a over the fields, each closed by a NUL so that ("ab", "c") and
// ("a", "bc") differ; two bases make 128 bits.
struct Fnv {
    uint64_t hash;

    void Add(std::string_view text)
    {
        for (const char c : text) Byte(static_cast<unsigned char>(c));
        Byte(0);
    }
    void Byte(unsigned char c)
    {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
};

void AppendHex(std::string& out, uint64_t value)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int shift = 60; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 15]);
}

// A method within its file: class, name and rank, viewed in the record.
struct LocalKey {
    std::string_view className, name;
    int rank;
    bool operator==(const LocalKey&) const = default;
};

struct LocalKeyHash {
    size_t operator()(const LocalKey& key) const
    {
        const std::hash<std::string_view> hash;
        return hash(key.className) * 31 + hash(key.name) * 7 + static_cast<size_t>(key.rank);
    }
};

bool SameFigures(const MethodStats& a, const MethodStats& b)
{
    return a.eloc == b.eloc && a.paramCount == b.paramCount && a.commentLines == b.commentLines &&
           a.asserts == b.asserts;
}

MethodKey KeyOf(const FileStats& file, const MethodStats& method, int rank)
{
    return {FileKeyPath(file), method.className, method.methodName, rank};
}

}  // namespace

std::vector<std::pair<const MethodStats*, int>> RankedMethods(const FileStats& file)
{
    std::vector<std::pair<const MethodStats*, int>> ranked;
    ranked.reserve(file.methods.size());
    for (const auto& method : file.methods) ranked.emplace_back(method.get(), 0);
    // Stored by size; lines, where known, give the order they were written in.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first->line < b.first->line; });
    if (ranked.size() < 2) return ranked;
    std::unordered_map<LocalKey, int, LocalKeyHash> seen;
    seen.reserve(ranked.size());
    for (auto& [method, rank] : ranked) rank = seen[{method->className, method->methodName, 0}]++;
    return ranked;
}

void ForEachMethodPair(const ProjectStats& oldStats, const ProjectStats& newStats,
                       const std::function<void(const MethodMatch&)>& visit)
{
    std::unordered_map<LocalKey, size_t, LocalKeyHash> oldByKey;
    std::vector<bool> oldMatched;
    std::vector<std::pair<const MethodStats*, int>> oldMethods;
    for (const FilePair& files : MatchFiles(oldStats, newStats)) {
        oldMethods.clear();
        oldByKey.clear();
        if (files.oldFile) {
            oldMethods = RankedMethods(*files.oldFile);
            for (size_t i = 0; i < oldMethods.size(); ++i)
                oldByKey.emplace(LocalKey{oldMethods[i].first->className,
                                          oldMethods[i].first->methodName, oldMethods[i].second},
                                 i);
        }
        oldMatched.assign(oldMethods.size(), false);
        if (files.newFile) {
            for (const auto& [method, rank] : RankedMethods(*files.newFile)) {
                MethodMatch match{files, nullptr, method, rank, ChangeKind::kAdded};
                const auto found = oldByKey.find({method->className, method->methodName, rank});
                if (found != oldByKey.end()) {
                    oldMatched[found->second] = true;
                    match.oldMethod = oldMethods[found->second].first;
                    match.kind = SameFigures(*match.oldMethod, *method) ? ChangeKind::kUnchanged
                                                                        : ChangeKind::kChanged;
                }
                visit(match);
            }
        }
        for (size_t i = 0; i < oldMethods.size(); ++i)
            if (!oldMatched[i])
                visit({files, oldMethods[i].first, nullptr, oldMethods[i].second,
                       ChangeKind::kRemoved});
    }
}

MethodPair MethodMatch::ToPair() const
{
    MethodPair pair;
    pair.oldFile = oldMethod ? files.oldFile : nullptr;
    pair.oldMethod = oldMethod;
    pair.newFile = newMethod ? files.newFile : nullptr;
    pair.newMethod = newMethod;
    pair.key = newMethod ? KeyOf(*files.newFile, *newMethod, rank)
                         : KeyOf(*files.oldFile, *oldMethod, rank);
    pair.kind = kind;
    return pair;
}

namespace {
}  // namespace

std::string Fingerprint(const MethodKey& key)
{
    Fnv low{0xcbf29ce484222325ULL};
    Fnv high{0x6c62272e07bb0142ULL};
    const std::string rank = std::to_string(key.rank);
    for (Fnv* fnv : {&low, &high}) {
        fnv->Add(key.path);
        fnv->Add(key.className);
        fnv->Add(key.name);
        fnv->Add(rank);
    }
    std::string hex;
    hex.reserve(32);
    AppendHex(hex, high.hash);
    AppendHex(hex, low.hash);
    return hex;
}

const std::string& FileKeyPath(const FileStats& file)
{
    return file.path.empty() ? file.name : file.path;
}

std::vector<std::pair<const MethodStats*, MethodKey>> KeyedMethods(const FileStats& file)
{
    std::vector<std::pair<const MethodStats*, MethodKey>> keyed;
    for (const auto& [method, rank] : RankedMethods(file))
        keyed.emplace_back(method, KeyOf(file, *method, rank));
    return keyed;
}

std::vector<FilePair> MatchFiles(const ProjectStats& oldStats, const ProjectStats& newStats)
{
    // Each key path holds the old files of that path in order; a new file
    // takes the first one left.
    // A build from before paths were recorded knows only names: then both
    // sides are matched by name, so that nothing looks removed and re-added.
    bool byName = false;
    for (const auto* stats : {&oldStats, &newStats})
        for (const auto& file : stats->files) byName = byName || file->path.empty();
    auto keyOf = [byName](const FileStats& file) -> std::string_view {
        return byName ? file.name : FileKeyPath(file);
    };
    std::unordered_map<std::string_view, std::vector<const FileStats*>> oldByPath;
    oldByPath.reserve(oldStats.files.size());
    for (const auto& file : oldStats.files) oldByPath[keyOf(*file)].push_back(file.get());
    std::unordered_map<std::string_view, size_t> taken;

    std::vector<FilePair> pairs;
    pairs.reserve(newStats.files.size() + oldStats.files.size());
    std::unordered_map<const FileStats*, bool> matched;
    for (const auto& file : newStats.files) {
        FilePair pair{nullptr, file.get()};
        const auto found = oldByPath.find(keyOf(*file));
        if (found != oldByPath.end()) {
            size_t& next = taken[found->first];
            if (next < found->second.size()) {
                pair.oldFile = found->second[next++];
                matched[pair.oldFile] = true;
            }
        }
        pairs.push_back(pair);
    }
    for (const auto& file : oldStats.files)
        if (!matched.count(file.get())) pairs.push_back({file.get(), nullptr});
    return pairs;
}

std::vector<MethodPair> MatchMethods(const ProjectStats& oldStats, const ProjectStats& newStats)
{
    std::vector<MethodPair> pairs;
    ForEachMethodPair(oldStats, newStats,
                      [&](const MethodMatch& match) { pairs.push_back(match.ToPair()); });
    return pairs;
}

}  // namespace codeburg
