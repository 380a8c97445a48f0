// The folder-wide build drivers; the per-project build lives with the pipeline.
#include "pipeline/build_pipeline.h"
#include "records/build_progress_sink.h"
#include "workspace/folder.h"
#include "workspace/project_build.h"

namespace codeburg {

int BuildAll(Folder& folder, BuildProgressSink* sink, bool force, bool countFirst,
             UserInteraction* ui, const BuildOptions& options)
{
    // Counting the whole tree first sizes the progress range once; the
    // projects are then built without counting again.
    if (countFirst) EvaluateAll(folder, sink);
    for (const auto& project : folder.projects) {
        const int result = BuildIfNeeded(*project, sink, force, false, ui, options);
        if (result != 0) return result;
    }
    for (const auto& sub : folder.subfolders) {
        const int result = BuildAll(*sub, sink, force, false, ui, options);
        if (result != 0) return result;
    }
    return 0;
}

void EvaluateAll(Folder& folder, BuildProgressSink* sink)
{
    if (sink) sink->Status(folder.name, "Evaluating");
    for (const auto& project : folder.projects) {
        ProjectStats& stats = *project->stats;
        // The up-to-date check walks with the lists copied here.
        stats.excludedDirs = project->excludedDirs;
        stats.excludedFiles = project->excludedFiles;
        stats.extensions = project->extensions;
        // Counting only sizes a progress range: without a sink it has no reader.
        if (sink) CountFiles(stats, project->directory, sink);
    }
    for (const auto& sub : folder.subfolders) EvaluateAll(*sub, sink);
}

}  // namespace codeburg
