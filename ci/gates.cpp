#include "ci/gates.h"

#include <algorithm>

#include "records/file_stats.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

namespace {

std::string Where(const Finding& finding)
{
    std::string where = finding.key.path;
    if (finding.line() > 0) where += ":" + std::to_string(finding.line());
    return where;
}

}  // namespace

std::optional<std::vector<Gate>> ParseGates(std::string_view list)
{
    std::vector<Gate> gates;
    for (;;) {
        const size_t comma = list.find(',');
        const std::string_view entry = list.substr(0, comma);
        if (entry == "score")
            gates.push_back(Gate::kScore);
        else if (entry == "new")
            gates.push_back(Gate::kNew);
        else if (entry == "worse")
            gates.push_back(Gate::kWorse);
        else
            return std::nullopt;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return gates;
}

std::vector<std::string> CheckGates(const std::vector<Gate>& gates, float baselineScore,
                                    float score, const std::vector<Finding>& findings,
                                    const std::vector<BaselineState>& states)
{
    auto wanted = [&](Gate gate) {
        return std::find(gates.begin(), gates.end(), gate) != gates.end();
    };
    std::vector<std::string> reasons;
    if (wanted(Gate::kScore) && ScorePercent(score) < ScorePercent(baselineScore))
        reasons.push_back("score dropped from " + std::to_string(ScorePercent(baselineScore)) +
                          " % to " + std::to_string(ScorePercent(score)) + " %");
    for (size_t i = 0; i < findings.size() && i < states.size(); ++i) {
        if (states[i] == BaselineState::kNew && wanted(Gate::kNew))
            reasons.push_back("new finding " + std::string(RuleId(findings[i].rule)) + " at " +
                              Where(findings[i]) + ": " + findings[i].message);
        else if (states[i] == BaselineState::kUpdated && wanted(Gate::kWorse))
            reasons.push_back("worse finding " + std::string(RuleId(findings[i].rule)) + " at " +
                              Where(findings[i]) + ": " + findings[i].message);
    }
    return reasons;
}

}  // namespace codeburg
