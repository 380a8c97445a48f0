#include "cli/ci_output.h"

#include <cstdio>
#include <filesystem>

#include "pipeline/build_pipeline.h"
#include "pipeline/statistics_file.h"
#include "platform/safe_file.h"
#include "records/project_stats.h"

namespace codeburg::cli {

std::string Captured(const std::function<void(FILE*)>& print)
{
    char* data = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&data, &size);
    if (!stream) return {};
    print(stream);
    std::fclose(stream);
    std::string text(data, size);
    std::free(data);
    return text;
}

int Emit(const std::string& text, const ReportArgs& args)
{
    if (args.output.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "codeburg-cli: cannot write to standard output\n");
            return 1;
        }
        return 0;
    }
    std::string error;
    if (WriteFileAtomically(args.output, text, &error) != 0) {
        std::fprintf(stderr, "codeburg-cli: cannot write %s: %s\n", args.output.c_str(),
                     error.c_str());
        return 1;
    }
    return 0;
}

FindingLimits LimitsOf(const ProjectStats& stats, const ReportArgs& args)
{
    FindingLimits limits;
    limits.methodLength = stats.LineCount();
    limits.maxParams = args.maxParams;
    limits.minCommentPercent = args.minComments;
    return limits;
}

int LoadBuild(const std::string& path, ProjectStats& stats, const std::string& extensions,
              MethodRule rule)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        stats.extensions = extensions;
        stats.excludedFiles = "stdafx.cpp";
        stats.methodRule = rule;
        std::string directory = std::filesystem::absolute(path, ec).lexically_normal().string();
        while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
        stats.directory = directory;
        stats.name = std::filesystem::path(directory).filename().string();
        if (EvaluateProject(stats, directory, nullptr) != 0) {
            std::fprintf(stderr, "codeburg-cli: no matching source file in %s\n", path.c_str());
            return 1;
        }
        return 0;
    }
    std::string reason;
    if (ReadStatisticsFile(stats, path, &reason) != 0) {
        std::fprintf(stderr, "codeburg-cli: cannot read statistics file %s: %s\n", path.c_str(),
                     reason.c_str());
        return 1;
    }
    return 0;
}

FindingsOutcome ReportFindings(const ProjectStats& stats, const ProjectStats* baseline,
                               const ReportArgs& args, const std::vector<Gate>& gates)
{
    FindingsReport input;
    input.stats = &stats;
    input.toolVersion = CODEBURG_VERSION;
    const FindingLimits limits = LimitsOf(stats, args);
    input.findings = FindFindings(stats, limits);
    FindingsOutcome outcome;
    if (baseline) {
        input.states = CompareWithBaseline(input.findings, FindFindings(*baseline, limits));
        outcome.gateFailures =
            CheckGates(gates, baseline->measures.overallScore, stats.measures.overallScore,
                       input.findings, input.states);
    }
    switch (args.format) {
        case OutputFormat::kSarif:
            outcome.text = SarifReport(input);
            break;
        case OutputFormat::kJunit:
            outcome.text = JunitReport(input);
            break;
        case OutputFormat::kCheckstyle:
            outcome.text = CheckstyleReport(input);
            break;
        case OutputFormat::kCodeClimate:
            outcome.text = CodeClimateReport(input);
            break;
        case OutputFormat::kGithub:
            outcome.text = GithubReport(input);
            break;
        case OutputFormat::kCsv:
            outcome.text = MethodsCsv(stats);
            break;
        case OutputFormat::kText:
        case OutputFormat::kJson:
            break;  // the command's own
    }
    return outcome;
}

int GateExit(const std::vector<std::string>& reasons)
{
    for (const std::string& reason : reasons)
        std::fprintf(stderr, "codeburg-cli: %s\n", reason.c_str());
    return reasons.empty() ? 0 : 3;
}

}  // namespace codeburg::cli
