#pragma once

// What a pipeline reports about a build: the methods and files that break a
// limit. A finding is named like its method (see MethodKey), so that the
// same finding is recognised in a later build however far it moved.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ci/method_match.h"

namespace codeburg {

enum class FindingRule {
    kMethodLength,    // eloc over the method length limit
    kParameterCount,  // more parameters than allowed
    kCommentRatio,    // a file's comment ratio under the minimum
};

// "method-length", "parameter-count", "comment-ratio": the ids tools show.
const char* RuleId(FindingRule rule);
// One sentence on what the rule checks, for the rule lists of reports.
const char* RuleDescription(FindingRule rule);
inline constexpr FindingRule kAllRules[] = {
    FindingRule::kMethodLength, FindingRule::kParameterCount, FindingRule::kCommentRatio};

// The limits; a rule without its limit is not checked.
struct FindingLimits {
    int32_t methodLength = 25;                // the settings' LINECOUNT or --linecount
    std::optional<int32_t> maxParams;         // --max-params N
    std::optional<double> minCommentPercent;  // --min-comments P
};

struct Finding {
    FindingRule rule = FindingRule::kMethodLength;
    MethodKey key;                        // a file finding has an empty class and name and rank -1
    const FileStats* file = nullptr;      // not owned
    const MethodStats* method = nullptr;  // null for a file finding; not owned
    double value = 0;                     // eloc, parameters or comment percent
    double limit = 0;
    std::string message;

    int32_t line() const;     // 1-based; 0 when unknown
    int32_t endLine() const;  // 0 when unknown
    std::string fingerprint() const { return Fingerprint(key); }
};

// Every finding of "stats", files in their order, a file's own finding
// before those of its methods, methods in source order.
std::vector<Finding> FindFindings(const ProjectStats& stats, const FindingLimits& limits);

// How a finding stands against a baseline build.
enum class BaselineState { kNew, kUnchanged, kUpdated };

// The state of each of "current" against the findings of a baseline, matched
// by rule and key: absent is new, a larger excess (or a lower comment
// ratio) is updated, anything else unchanged.
std::vector<BaselineState> CompareWithBaseline(const std::vector<Finding>& current,
                                               const std::vector<Finding>& baseline);

const char* BaselineStateName(BaselineState state);  // "new", "unchanged", "updated"

}  // namespace codeburg
