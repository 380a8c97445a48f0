// Used only while the build pipeline is not in the core yet (see
// app/CMakeLists.txt): counts the matching files and steps through them so
// the progress display can be exercised.
#include "workspace/project_build.h"

#include <filesystem>

#include "analysis/build_progress_sink.h"
#include "workspace/folder.h"
#include "workspace/project.h"
#include "workspace/user_interaction.h"

namespace codeburg {

namespace {

std::vector<std::string> SourceFiles(const std::string& directory)
{
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(directory, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error)) files.push_back(it->path().string());
    }
    return files;
}

}  // namespace

int BuildIfNeeded(Project& project, BuildProgressSink* sink, bool, bool count, UserInteraction* ui,
                  const BuildOptions& options)
{
    if (!std::filesystem::is_directory(project.directory)) {
        if (ui) ui->ShowMessage("Can't access file " + project.directory, "Codeburg");
        return -1;
    }
    return BuildProject(project, sink, count, options);
}

int BuildProject(Project& project, BuildProgressSink* sink, bool count, const BuildOptions&)
{
    const auto files = SourceFiles(project.directory);
    if (sink && count) sink->AddRange(static_cast<int>(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        if (sink) sink->FileStep(project.name);
    }
    if (sink) sink->Status(project.name, "Saving");
    project.lastBuild = "built";
    project.statisticsLoaded = 1;
    return 0;
}

int BuildAll(Folder& folder, BuildProgressSink* sink, bool force, bool countFirst,
             UserInteraction* ui, const BuildOptions& options)
{
    for (auto& project : folder.projects) {
        if (int result = BuildIfNeeded(*project, sink, force, countFirst, ui, options))
            return result;
    }
    for (auto& sub : folder.subfolders) {
        if (int result = BuildAll(*sub, sink, force, countFirst, ui, options)) return result;
    }
    return 0;
}

void EvaluateAll(Folder&, BuildProgressSink*) {}

}  // namespace codeburg
