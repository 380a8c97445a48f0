#pragma once

// Gates that fail a pipeline only on what a change made worse, measured
// against a baseline build.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ci/findings.h"

namespace codeburg {

enum class Gate {
    kScore,  // the overall score dropped
    kNew,    // a finding the baseline does not have
    kWorse,  // a baseline finding got worse
};

// "score,new,worse" in any order and number; nothing for an unknown or
// empty entry, or an empty list.
std::optional<std::vector<Gate>> ParseGates(std::string_view list);

// One line per reason a gate fails, empty when all pass. "states" are those
// of CompareWithBaseline for "findings"; the scores are 0..1 and compared
// as the score sheet shows them, in whole percent.
std::vector<std::string> CheckGates(const std::vector<Gate>& gates, float baselineScore,
                                    float score, const std::vector<Finding>& findings,
                                    const std::vector<BaselineState>& states);

}  // namespace codeburg
