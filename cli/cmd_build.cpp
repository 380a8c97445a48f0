#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "analysis/text_report.h"
#include "cli/ci_output.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/project_output.h"
#include "pipeline/build_pipeline.h"
#include "pipeline/statistics_file.h"
#include "platform/path_util.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"
#include "workspace/project.h"
#include "workspace/project_build.h"
#include "workspace/user_interaction.h"

namespace codeburg::cli {

namespace {

// Messages of the core go to standard error; questions get "no".
class TerminalUser : public UserInteraction {
public:
    void ShowMessage(const std::string& text, const std::string& title) override
    {
        std::fprintf(stderr, "codeburg-cli: %s: %s\n", title.c_str(), text.c_str());
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> BrowseForDirectory(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
};

int UsageError(const std::string& what)
{
    std::fprintf(stderr, "codeburg-cli build: %s\n", what.c_str());
    std::fprintf(stderr,
                 "usage: codeburg-cli build DIR [--name NAME] [--ext LIST] [--exclude-dirs LIST]\n"
                 "       [--exclude-files LIST] [--linecount N] [--methods classic|modern]\n"
                 "       [--force] [--json] [--min-score P] [--baseline OLD.cbb --fail-on LIST]\n"
                 "       [--format F] [--output FILE] [--max-params N] [--min-comments P]\n");
    return 2;
}

// An absolute path without "." or ".." parts or a trailing separator, so that
// the project's default name is the directory's real last component.
std::string NormaliseDirectory(const std::string& directory)
{
    std::error_code ec;
    std::string path = std::filesystem::absolute(directory, ec).lexically_normal().string();
    if (ec) path = directory;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

int RunBuild(int argc, char** argv)
{
    const Parsed<BuildArgs> parsed = ParseBuildArgs(ToArgList(argc, argv));
    if (!parsed.ok()) return UsageError(parsed.error);
    const BuildArgs& args = parsed.options;

    const std::string directory = NormaliseDirectory(args.directory);
    std::error_code ec;
    if (!std::filesystem::is_directory(directory, ec)) {
        std::fprintf(stderr, "codeburg-cli: %s is not a directory\n", args.directory.c_str());
        return 1;
    }
    ScoringSettings settings;
    LoadInstalledSettings(settings);
    if (args.lineCount) settings.lineCount = *args.lineCount;

    Project project(&settings, nullptr, args.name.value_or(LastPathComponent(directory)));
    project.directory = directory;
    project.extensions = args.extensions;
    project.excludedDirs = args.excludedDirs;
    project.excludedFiles = args.excludedFiles;
    project.methods = args.methods;
    if (IsRootDirectory(directory)) {
        std::fprintf(stderr, "codeburg-cli: %s\n", RootDirectoryMessage(directory).c_str());
        return 1;
    }
    if (!IsSafeProjectName(project.name)) {
        std::fprintf(stderr, "codeburg-cli: %s\n", UnsafeProjectNameMessage(project.name).c_str());
        return 1;
    }

    // Read before the build, which may replace that very file.
    std::unique_ptr<ProjectStats> baseline;
    if (!args.baseline.empty()) {
        baseline = std::make_unique<ProjectStats>(&settings);
        if (LoadBuild(args.baseline, *baseline, project.extensions, project.methods) != 0) return 1;
    }

    // The up-to-date check compares against the statistics already saved.
    ProjectStats& stats = *project.stats;
    const std::string statisticsPath = project.StatisticsPath();
    bool force = args.force;
    if (!force && std::filesystem::exists(statisticsPath, ec)) {
        std::string reason;
        if (ReadStatisticsFile(stats, statisticsPath, &reason) != 0) {
            std::fprintf(stderr, "codeburg-cli: %s is unreadable (%s); rebuilding\n",
                         statisticsPath.c_str(), reason.c_str());
            force = true;
        }
        stats.directory = directory;
        stats.extensions = project.extensions;
        stats.excludedDirs = project.excludedDirs;
        stats.excludedFiles = project.excludedFiles;
    }

    TerminalProgress progress;
    TerminalUser user;
    BuildOptions options;
    options.parallel = !args.sequential;
    if (const std::string exe = ExecutablePath(); !exe.empty())
        options.reportPath = TextReportPath(exe);
    stats.progressSink = nullptr;
    const int result = BuildIfNeeded(project, &progress, force, progress.enabled(), &user, options);
    if (result != 0) return 1;
    const bool evaluated = stats.progressSink == &progress;
    const bool built = !project.lastBuild.empty();
    if (evaluated) WarnSkipped(stats, options.reportPath);
    if (evaluated && !built) {
        std::fprintf(stderr, "codeburg-cli: no matching source file in %s\n", directory.c_str());
        return 1;
    }
    if (!built)
        std::fprintf(stderr, "codeburg-cli: %s is up to date, not rebuilt\n",
                     statisticsPath.c_str());
    if (built && stats.ShouldSuggestModernRule())
        std::fprintf(stderr, "codeburg-cli: %s; use --methods modern\n",
                     SkippedBodiesText(stats.SkippedBodies()).c_str());

    const ProjectHeader header{project.name, directory, statisticsPath,
                               built ? project.lastBuild : FileTimeStamp(statisticsPath), built};
    const FindingsOutcome findings =
        ReportFindings(stats, baseline.get(), args.report, args.failOn);
    std::string text = findings.text;
    if (args.report.format == OutputFormat::kJson) {
        nlohmann::ordered_json json = ProjectJson(stats, header);
        if (evaluated) AddSkippedJson(json, stats);
        text = Captured([&](FILE* out) { PrintJson(out, json); });
    } else if (args.report.format == OutputFormat::kText) {
        text = Captured([&](FILE* out) { PrintScoreSheet(out, stats, header); });
    }
    if (Emit(text, args.report) != 0) return 1;
    int status = GateExit(findings.gateFailures);
    const int percent = ScorePercent(stats.measures.overallScore);
    if (args.minScore && percent < *args.minScore) {
        std::fprintf(stderr, "codeburg-cli: score %d %% is below the minimum %g %%\n", percent,
                     *args.minScore);
        status = 3;
    }
    return status;
}

}  // namespace codeburg::cli
