#include "ci/method_match.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "analysis/file_stats.h"
#include "analysis/project_stats.h"

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

// The key of a method within its file, without the path.
std::string LocalKey(const MethodKey& key)
{
    std::string local;
    local.reserve(key.className.size() + key.name.size() + 12);
    local += key.className;
    local += '\0';
    local += key.name;
    local += '\0';
    local += std::to_string(key.rank);
    return local;
}

bool SameFigures(const MethodStats& a, const MethodStats& b)
{
    return a.eloc == b.eloc && a.paramCount == b.paramCount && a.commentLines == b.commentLines &&
           a.asserts == b.asserts;
}

void MatchFileMethods(const FilePair& files, std::vector<MethodPair>& out)
{
    std::vector<std::pair<const MethodStats*, MethodKey>> oldMethods;
    std::unordered_map<std::string, size_t> oldByKey;
    std::vector<bool> oldMatched;
    if (files.oldFile) {
        oldMethods = KeyedMethods(*files.oldFile);
        oldByKey.reserve(oldMethods.size());
        for (size_t i = 0; i < oldMethods.size(); ++i)
            oldByKey.emplace(LocalKey(oldMethods[i].second), i);
        oldMatched.assign(oldMethods.size(), false);
    }
    if (files.newFile) {
        for (auto& [method, key] : KeyedMethods(*files.newFile)) {
            MethodPair pair;
            pair.newFile = files.newFile;
            pair.newMethod = method;
            pair.kind = ChangeKind::kAdded;
            const auto found = oldByKey.find(LocalKey(key));
            if (found != oldByKey.end()) {
                oldMatched[found->second] = true;
                pair.oldFile = files.oldFile;
                pair.oldMethod = oldMethods[found->second].first;
                pair.kind = SameFigures(*pair.oldMethod, *method) ? ChangeKind::kUnchanged
                                                                  : ChangeKind::kChanged;
            }
            pair.key = std::move(key);
            out.push_back(std::move(pair));
        }
    }
    for (size_t i = 0; i < oldMethods.size(); ++i) {
        if (oldMatched[i]) continue;
        MethodPair pair;
        pair.oldFile = files.oldFile;
        pair.oldMethod = oldMethods[i].first;
        pair.key = std::move(oldMethods[i].second);
        pair.kind = ChangeKind::kRemoved;
        out.push_back(std::move(pair));
    }
}

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
    std::vector<const MethodStats*> order;
    order.reserve(file.methods.size());
    for (const auto& method : file.methods) order.push_back(method.get());
    // Stored by size; lines, where known, give the order they were written in.
    std::stable_sort(order.begin(), order.end(),
                     [](const MethodStats* a, const MethodStats* b) { return a->line < b->line; });

    std::vector<std::pair<const MethodStats*, MethodKey>> keyed;
    keyed.reserve(order.size());
    std::unordered_map<std::string, int> seen;
    const std::string& path = FileKeyPath(file);
    for (const MethodStats* method : order) {
        MethodKey key{path, method->className, method->methodName, 0};
        std::string local = method->className;
        local += '\0';
        local += method->methodName;
        key.rank = seen[std::move(local)]++;
        keyed.emplace_back(method, std::move(key));
    }
    return keyed;
}

std::vector<FilePair> MatchFiles(const ProjectStats& oldStats, const ProjectStats& newStats)
{
    // Each key path holds the old files of that path in order; a new file
    // takes the first one left.
    std::unordered_map<std::string_view, std::vector<const FileStats*>> oldByPath;
    oldByPath.reserve(oldStats.files.size());
    for (const auto& file : oldStats.files) oldByPath[FileKeyPath(*file)].push_back(file.get());
    std::unordered_map<std::string_view, size_t> taken;

    std::vector<FilePair> pairs;
    pairs.reserve(newStats.files.size() + oldStats.files.size());
    std::unordered_map<const FileStats*, bool> matched;
    for (const auto& file : newStats.files) {
        FilePair pair{nullptr, file.get()};
        const auto found = oldByPath.find(FileKeyPath(*file));
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
    for (const FilePair& files : MatchFiles(oldStats, newStats)) MatchFileMethods(files, pairs);
    return pairs;
}

}  // namespace codeburg
