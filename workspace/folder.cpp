#include "workspace/folder.h"

#include <algorithm>

#include "platform/path_util.h"

namespace codeburg {

Folder::Folder(std::string folderName) : name(std::move(folderName)) {}

Folder::~Folder()
{
    Clear();
}

void Folder::Clear()
{
    subfolders.clear();
    projects.clear();
}

Project* Folder::AddProject(std::unique_ptr<Project> project)
{
    project->parent = this;
    const auto greater = std::find_if(projects.begin(), projects.end(), [&](const auto& p) {
        return CompareNoCase(p->name, project->name) > 0;
    });
    return projects.insert(greater, std::move(project))->get();
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
    for (const auto& sub : subfolders)
        if (sub->RemoveSubfolder(folder)) return true;
    return false;
}

bool Folder::RemoveProject(const Project* project, bool queryOnly)
{
    for (auto it = projects.begin(); it != projects.end(); ++it) {
        if (it->get() != project) continue;
        if (queryOnly) return true;
        (*it)->DeleteStatisticsFile();
        projects.erase(it);
        return true;
    }
    for (const auto& sub : subfolders)
        if (sub->RemoveProject(project, queryOnly)) return true;
    return false;
}

int Folder::CountProjects(bool recursive) const
{
    int count = static_cast<int>(projects.size());
    if (recursive)
        for (const auto& sub : subfolders) count += sub->CountProjects(true);
    return count;
}

void Folder::CollectProjects(std::vector<Project*>& out) const
{
    for (const auto& project : projects) out.push_back(project.get());
    for (const auto& sub : subfolders) sub->CollectProjects(out);
}

int Folder::FolderPercent() const
{
    const size_t items = projects.size() + subfolders.size();
    if (items == 0) return 0;
    long long sum = 0;
    for (const auto& project : projects) sum += project->Percent();
    for (const auto& sub : subfolders) sum += sub->FolderPercent();
    return static_cast<int>(sum / static_cast<long long>(items));
}

void Folder::RescoreAll()
{
    for (const auto& project : projects)
        if (project->stats) project->stats->ComputeMeasures(true);
    for (const auto& sub : subfolders) sub->RescoreAll();
}

}  // namespace codeburg
