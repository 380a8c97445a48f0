#pragma once

// A small project with its city laid out, for the report and export tests.
#include <memory>
#include <string>

#include "city/city_layout.h"
#include "platform/ms_random.h"
#include "records/project_stats.h"

namespace codeburg::testing {

// Two files: "shape.cpp" with a constructor (a tower) and two methods, and
// "util.cpp" with one function; names as given, so tests can plant odd bytes.
inline std::unique_ptr<ProjectStats> SmallProject(const std::string& className = "Shape")
{
    auto stats = std::make_unique<ProjectStats>(nullptr);
    stats->name = "demo";
    MsRandom rng(7);
    auto shape = std::make_unique<FileStats>("shape.cpp", 25, rng);
    shape->AddMethod(className, className, 1);
    shape->FinishMethod(12, 2, 1, 3);
    shape->AddMethod(className, "Draw", 2);
    shape->FinishMethod(40, 4, 0, 5);
    shape->AddMethod(className, "Area", 0);
    shape->FinishMethod(3, 0, 0, 0);
    shape->lines = 80;
    auto util = std::make_unique<FileStats>("util.cpp", 25, rng);
    util->AddMethod("", "helper", 3);
    util->FinishMethod(7, 1, 0, 1);
    util->lines = 12;
    stats->files.push_back(std::move(shape));
    stats->files.push_back(std::move(util));
    BuildCity(*stats, rng, nullptr);
    stats->ComputeMeasures(false);
    return stats;
}

}  // namespace codeburg::testing
