// Used only while the workspace library does not define the tree nodes yet
// (see app/CMakeLists.txt); the shell can then be built and tested alone.
#include <algorithm>
#include <filesystem>

#include "platform/path_util.h"
#include "workspace/folder.h"
#include "workspace/project.h"

namespace codeburg {

Folder::Folder(std::string folderName) : name(std::move(folderName)) {}
Folder::~Folder()
{
    Clear();
}

Project* Folder::AddProject(std::unique_ptr<Project> project)
{
    auto at = std::find_if(projects.begin(), projects.end(), [&](const auto& p) {
        return CompareNoCase(p->name, project->name) > 0;
    });
    return projects.insert(at, std::move(project))->get();
}

Folder* Folder::AddSubfolder(std::unique_ptr<Folder> folder)
{
    subfolders.push_back(std::move(folder));
    return subfolders.back().get();
}

bool Folder::RemoveSubfolder(const Folder* folder)
{
    for (auto it = subfolders.begin(); it != subfolders.end(); ++it) {
        if (it->get() == folder) {
            subfolders.erase(it);
            return true;
        }
    }
    for (auto& sub : subfolders) {
        if (sub->RemoveSubfolder(folder)) return true;
    }
    return false;
}

bool Folder::RemoveProject(const Project* project, bool queryOnly)
{
    for (auto it = projects.begin(); it != projects.end(); ++it) {
        if (it->get() != project) continue;
        if (!queryOnly) {
            (*it)->DeleteStatisticsFile();
            projects.erase(it);
        }
        return true;
    }
    for (auto& sub : subfolders) {
        if (sub->RemoveProject(project, queryOnly)) return true;
    }
    return false;
}

int Folder::CountProjects(bool recursive) const
{
    int count = static_cast<int>(projects.size());
    if (recursive) {
        for (const auto& sub : subfolders) count += sub->CountProjects(true);
    }
    return count;
}

void Folder::CollectProjects(std::vector<Project*>& out) const
{
    for (const auto& p : projects) out.push_back(p.get());
    for (const auto& sub : subfolders) sub->CollectProjects(out);
}

int Folder::FolderPercent() const
{
    const int items = static_cast<int>(projects.size() + subfolders.size());
    if (items == 0) return 0;
    int sum = 0;
    for (const auto& p : projects) sum += p->Percent();
    for (const auto& sub : subfolders) sum += sub->FolderPercent();
    return sum / items;
}

void Folder::RescoreAll() {}

void Folder::Clear()
{
    subfolders.clear();
    projects.clear();
}

Project::Project(const ScoringSettings* settings, Folder* parentFolder, std::string projectName)
    : parent(parentFolder),
      name(std::move(projectName)),
      stats(std::make_unique<ProjectStats>(settings))
{
}

std::string Project::Identifier() const
{
    return name + std::to_string(stats ? stats->measures.totalMethods : 0);
}

std::string Project::StatisticsPath() const
{
    return PathJoin(directory, name + ".cbb");
}

int Project::LoadStatistics()
{
    return -1;
}

void Project::DeleteStatisticsFile() const
{
    std::error_code error;
    std::filesystem::remove(StatisticsPath(), error);
}

int Project::Percent() const
{
    return stats ? static_cast<int>(stats->measures.overallScore * 100) : 0;
}

std::optional<std::string> Project::ViewpointText(int slot) const
{
    if (slot < 0 || slot >= kViewpointSlots || viewpoints[slot].empty()) return std::nullopt;
    return viewpoints[slot];
}

}  // namespace codeburg
