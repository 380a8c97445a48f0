#include "cli/workspace_print.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "scoring/scoring_topic.h"
#include "workspace/workspace.h"

namespace codeburg::cli {

namespace {

using nlohmann::json;

void PrintLine(int level, const std::string& text)
{
    std::printf("%*s%s\n", level * 2, "", text.c_str());
}

void PrintProject(const Project& p, int level)
{
    const ProjectStats* stats = p.stats.get();
    PrintLine(level, p.name + " (" + std::to_string(p.Percent()) + "%)");
    PrintLine(level + 1, "Directory = " + p.directory);
    PrintLine(level + 1, "Excluded directories = " + p.excludedDirs);
    PrintLine(level + 1, "Excluded files = " + p.excludedFiles);
    PrintLine(level + 1, "Extensions = " + p.extensions);
    PrintLine(level + 1, "Last build = " + p.lastBuild);
    const size_t files = stats ? stats->files.size() : 0;
    PrintLine(level + 1, "Files = " + std::to_string(files));
    PrintLine(level + 1, "eLoc = " + std::to_string(stats ? stats->measures.totalEloc : 0));
}

void PrintFolder(const Folder& folder, int level)
{
    PrintLine(level, folder.name);
    for (const auto& sub : folder.subfolders) PrintFolder(*sub, level + 1);
    for (const auto& project : folder.projects) PrintProject(*project, level + 1);
    PrintLine(level + 1, "Overall = " + std::to_string(folder.FolderPercent()) + "%");
}

json ProjectJson(const Project& p)
{
    json j = {{"name", p.name},
              {"identifier", p.Identifier()},
              {"expanded", p.expanded},
              {"directory", p.directory},
              {"excludedDirs", p.excludedDirs},
              {"excludedFiles", p.excludedFiles},
              {"extensions", p.extensions},
              {"lastBuild", p.lastBuild},
              {"developer", p.developer},
              {"viewpoints", p.viewpoints},
              {"statisticsLoaded", p.statisticsLoaded != 0},
              {"percent", p.Percent()}};
    if (const ProjectStats* s = p.stats.get()) {
        const ProjectMeasures& m = s->measures;
        j["files"] = s->files.size();
        j["measures"] = {{"assertRatio", m.assertRatio},     {"commentRatio", m.commentRatio},
                         {"elocPerMethod", m.elocPerMethod}, {"totalMethods", m.totalMethods},
                         {"maxMethodEloc", m.maxMethodEloc}, {"totalEloc", m.totalEloc},
                         {"spacingRatio", m.spacingRatio},   {"overallScore", m.overallScore},
                         {"distribution", m.distribution},   {"constructors", m.constructors}};
        json topics = json::array();
        for (const ScoringTopic& t : s->topics)
            topics.push_back({{"name", t.name},
                              {"unit", t.unit},
                              {"value", t.value},
                              {"shownValue", t.shownValue},
                              {"weight", t.weight},
                              {"score", TopicScore(t)},
                              {"percent", ScorePercent(TopicScore(t))}});
        j["topics"] = topics;
    }
    return j;
}

json FolderJson(const Folder& folder)
{
    json j = {{"name", folder.name},         {"expanded", folder.expanded},
              {"dir", folder.baseDirectory}, {"percent", folder.FolderPercent()},
              {"folders", json::array()},    {"projects", json::array()}};
    for (const auto& sub : folder.subfolders) j["folders"].push_back(FolderJson(*sub));
    for (const auto& project : folder.projects) j["projects"].push_back(ProjectJson(*project));
    return j;
}

}  // namespace

void PrintWorkspaceText(const Workspace& ws, const std::string& title)
{
    PrintLine(
        0, "Workspace '" + title + "': " + std::to_string(ws.CountProjects(true)) + " project(s)");
    for (const auto& sub : ws.subfolders) PrintFolder(*sub, 1);
    for (const auto& project : ws.projects) PrintProject(*project, 1);
}

void PrintWorkspaceJson(const Workspace& ws, const std::string& title)
{
    json j = FolderJson(ws);
    j.erase("name");
    j.erase("expanded");
    j.erase("dir");
    j["workspace"] = title;
    j["projectCount"] = ws.CountProjects(true);
    // Names are bytes, not necessarily UTF-8: replace what JSON cannot carry.
    std::printf("%s\n", j.dump(2, ' ', false, json::error_handler_t::replace).c_str());
}

}  // namespace codeburg::cli
