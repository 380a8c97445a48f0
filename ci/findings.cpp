#include "ci/findings.h"

#include <cstdio>
#include <unordered_map>

#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

std::string MethodTitle(const MethodStats& method)
{
    return method.className.empty() ? method.methodName
                                    : method.className + "::" + method.methodName;
}

std::string Percent(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// Rule and key in one string, as the baseline is searched by.
std::string MatchKey(const Finding& finding)
{
    std::string key = RuleId(finding.rule);
    key += '\0';
    key += Fingerprint(finding.key);
    return key;
}

// Whether "now" breaks its rule by more than "before" did.
bool Worse(const Finding& now, const Finding& before)
{
    return now.rule == FindingRule::kCommentRatio ? now.value < before.value
                                                  : now.value > before.value;
}

}  // namespace

const char* RuleId(FindingRule rule)
{
    switch (rule) {
        case FindingRule::kMethodLength:
            return "method-length";
        case FindingRule::kParameterCount:
            return "parameter-count";
        case FindingRule::kCommentRatio:
            return "comment-ratio";
    }
    return "";
}

const char* RuleDescription(FindingRule rule)
{
    switch (rule) {
        case FindingRule::kMethodLength:
            return "A method has more effective lines of code than the method length limit.";
        case FindingRule::kParameterCount:
            return "A method takes more parameters than allowed.";
        case FindingRule::kCommentRatio:
            return "A file has fewer comment lines per effective line of code than required.";
    }
    return "";
}

const char* BaselineStateName(BaselineState state)
{
    switch (state) {
        case BaselineState::kNew:
            return "new";
        case BaselineState::kUnchanged:
            return "unchanged";
        case BaselineState::kUpdated:
            return "updated";
    }
    return "";
}

int32_t Finding::line() const
{
    return method ? method->line : 0;
}

int32_t Finding::endLine() const
{
    return method ? method->endLine : 0;
}

std::vector<Finding> FindFindings(const ProjectStats& stats, const FindingLimits& limits)
{
    std::vector<Finding> findings;
    for (const auto& file : stats.files) {
        const std::string& path = FileKeyPath(*file);
        if (limits.minCommentPercent && file->Eloc() > 0) {
            const double percent = file->CommentPercent();
            if (percent < *limits.minCommentPercent) {
                Finding finding;
                finding.rule = FindingRule::kCommentRatio;
                finding.key = {path, "", "", -1};
                finding.file = file.get();
                finding.value = percent;
                finding.limit = *limits.minCommentPercent;
                finding.message = "file " + path + " has a comment ratio of " + Percent(percent) +
                                  " %, below the minimum of " + Percent(finding.limit) + " %";
                findings.push_back(std::move(finding));
            }
        }
        for (const auto& ranked : RankedMethods(*file)) {
            // Named apart: a lambda may not capture a structured binding everywhere.
            const auto& method = ranked.first;
            const auto rank = ranked.second;
            auto add = [&](FindingRule rule, double value, double limit, std::string message) {
                Finding finding;
                finding.rule = rule;
                finding.key = {path, method->className, method->methodName, rank};
                finding.file = file.get();
                finding.method = method;
                finding.value = value;
                finding.limit = limit;
                finding.message = std::move(message);
                findings.push_back(std::move(finding));
            };
            if (method->eloc > limits.methodLength)
                add(FindingRule::kMethodLength, method->eloc, limits.methodLength,
                    "method " + MethodTitle(*method) + " has " + std::to_string(method->eloc) +
                        " effective lines of code, over the limit of " +
                        std::to_string(limits.methodLength));
            if (limits.maxParams && method->paramCount > *limits.maxParams)
                add(FindingRule::kParameterCount, method->paramCount, *limits.maxParams,
                    "method " + MethodTitle(*method) + " takes " +
                        std::to_string(method->paramCount) + " parameters, over the limit of " +
                        std::to_string(*limits.maxParams));
        }
    }
    return findings;
}

std::vector<BaselineState> CompareWithBaseline(const std::vector<Finding>& current,
                                               const std::vector<Finding>& baseline)
{
    std::unordered_map<std::string, const Finding*> before;
    before.reserve(baseline.size());
    // A baseline from before paths were recorded names its files by name only.
    bool byName = false;
    for (const Finding& finding : baseline) byName = byName || finding.file->path.empty();
    auto keyOf = [byName](const Finding& finding) {
        if (!byName) return MatchKey(finding);
        Finding named = finding;
        named.key.path = finding.file->name;
        return MatchKey(named);
    };
    for (const Finding& finding : baseline) before.emplace(keyOf(finding), &finding);
    std::vector<BaselineState> states;
    states.reserve(current.size());
    for (const Finding& finding : current) {
        const auto found = before.find(keyOf(finding));
        if (found == before.end())
            states.push_back(BaselineState::kNew);
        else
            states.push_back(Worse(finding, *found->second) ? BaselineState::kUpdated
                                                            : BaselineState::kUnchanged);
    }
    return states;
}

}  // namespace codeburg
