#include "cli/project_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <ctime>

#include "pipeline/build_pipeline.h"
#include "platform/ini_file.h"
#include "records/file_stats.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"

namespace codeburg::cli {

nlohmann::ordered_json FileRecordJson(const FileStats& file)
{
    nlohmann::ordered_json classes = nlohmann::ordered_json::array();
    for (const auto& cls : file.classes) classes.push_back(cls->name);
    nlohmann::ordered_json methods = nlohmann::ordered_json::array();
    for (const auto& m : file.methods)
        methods.push_back({{"className", m->className},
                           {"methodName", m->methodName},
                           {"paramCount", m->paramCount},
                           {"eloc", m->eloc},
                           {"commentLines", m->commentLines},
                           {"asserts", m->asserts},
                           {"emptyLines", m->emptyLines},
                           // Statistics files of older builds do not know them.
                           {"line", m->line ? nlohmann::ordered_json(m->line) : nullptr},
                           {"endLine", m->endLine ? nlohmann::ordered_json(m->endLine) : nullptr}});
    return {{"name", file.name},
            {"lines", file.lines},
            {"emptyLines", file.emptyLines},
            {"commentLines", file.commentLines},
            {"asserts", file.asserts},
            {"blockCommentLines", file.blockCommentLines},
            {"includes", file.includes},
            {"constructors", file.constructors},
            {"methodElocSum", file.methodElocSum},
            {"maxMethodEloc", file.maxMethodEloc},
            {"elocWithinLimit", file.elocWithinLimit},
            {"elocOverLimit", file.elocOverLimit},
            {"methodLengthLimit", file.methodLengthLimit},
            {"classes", std::move(classes)},
            {"methods", std::move(methods)},
            {"colour", file.colour}};
}

nlohmann::ordered_json ProjectJson(const ProjectStats& stats, const ProjectHeader& header)
{
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const auto& file : stats.files) files.push_back(FileRecordJson(*file));
    const ProjectMeasures& m = stats.measures;
    nlohmann::ordered_json topics = nlohmann::ordered_json::array();
    for (const ScoringTopic& t : stats.topics)
        topics.push_back({{"name", t.name},
                          {"value", t.value},
                          {"shownValue", t.shownValue},
                          {"reference", t.reference},
                          {"tolerance", t.tolerance},
                          {"ratioMinus", t.ratioMinus},
                          {"ratioPlus", t.ratioPlus},
                          {"weight", t.weight},
                          {"unit", t.unit},
                          {"decimals", t.decimals},
                          {"score", TopicScore(t)}});
    return {{"name", header.name},
            {"directory", header.directory},
            {"statisticsFile", header.statisticsFile},
            {"lastBuild", header.lastBuild},
            {"built", header.built},
            {"files", std::move(files)},
            {"measures",
             {{"assertRatio", m.assertRatio},
              {"commentRatio", m.commentRatio},
              {"elocPerMethod", m.elocPerMethod},
              {"totalMethods", m.totalMethods},
              {"maxMethodEloc", m.maxMethodEloc},
              {"totalEloc", m.totalEloc},
              {"spacingRatio", m.spacingRatio},
              {"overallScore", m.overallScore},
              {"distribution", m.distribution},
              {"constructors", m.constructors}}},
            {"topics", std::move(topics)},
            {"percent", ScorePercent(m.overallScore)},
            {"city", {{"width", stats.cityGrid.width}, {"height", stats.cityGrid.height}}}};
}

void PrintScoreSheet(FILE* out, const ProjectStats& stats, const ProjectHeader& header)
{
    std::string title = header.name;
    for (char& c : title)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    std::fprintf(out, "%s  files %zu  eloc %d\n", title.c_str(), stats.files.size(),
                 stats.measures.totalEloc);
    for (const ScoringTopic& t : stats.topics) {
        const int decimals = t.decimals < 0 ? 0 : (t.decimals > 6 ? 6 : t.decimals);
        std::fprintf(out, "  %-20s %10.*f %-8s weight %5.2f  score %3d %%\n", t.name.c_str(),
                     decimals, static_cast<double>(t.shownValue), t.unit.c_str(),
                     static_cast<double>(t.weight), ScorePercent(TopicScore(t)));
    }
    std::fprintf(out, "OVERALL %57d %%\n", ScorePercent(stats.measures.overallScore));
}

void PrintJson(FILE* out, const nlohmann::ordered_json& json)
{
    const std::string text =
        json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fputc('\n', out);
}

std::string FileTimeStamp(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return {};
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, "%m/%d/%y at %H:%M:%S", &local));
}

std::string ExecutablePath()
{
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
}

void LoadInstalledSettings(ScoringSettings& settings)
{
    std::string dir = ExecutablePath();
    if (dir.empty()) return;
    dir.erase(dir.rfind('/') == std::string::npos ? 0 : dir.rfind('/'));
    const IniFile ini(SharedSettingsFilePath(dir.empty() ? "/" : dir));
    Load(settings, ini);
}

void WarnSkipped(const ProjectStats& stats, const std::string& reportPath)
{
    if (stats.skipped.empty()) return;
    std::fprintf(stderr, "codeburg-cli: warning: %s: %s\n", stats.name.c_str(),
                 SkippedSummary(stats.skipped).c_str());
    struct stat st;
    if (!reportPath.empty() && stat(reportPath.c_str(), &st) == 0)
        std::fprintf(stderr, "codeburg-cli: the text report is in %s\n", reportPath.c_str());
}

void AddSkippedJson(nlohmann::ordered_json& json, const ProjectStats& stats)
{
    if (stats.skipped.empty()) return;
    nlohmann::ordered_json skipped = nlohmann::ordered_json::array();
    for (const SkippedEntry& entry : stats.skipped)
        skipped.push_back({{"path", entry.path}, {"reason", entry.reason}});
    json["skipped"] = std::move(skipped);
}

TerminalProgress::TerminalProgress() : m_enabled(isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress()
{
    if (m_drawn) std::fputs("\r\033[K", stderr);
}

void TerminalProgress::Status(const std::string& objectName, const std::string& verb)
{
    Draw(verb + " " + objectName + "...", false);
}

void TerminalProgress::FileStep(const std::string& name)
{
    ++m_position;
    const int range = m_range > 0 ? m_range : m_position;
    char text[160];
    std::snprintf(text, sizeof text, "%s: %d/%d files (%d%%)", name.c_str(), m_position, range,
                  static_cast<int>(100LL * m_position / range));
    Draw(text, m_position == range);
}

void TerminalProgress::AddRange(int count)
{
    m_range += count;
}

void TerminalProgress::Draw(const std::string& text, bool force)
{
    if (!m_enabled) return;
    const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count();
    if (!force && m_drawn && now - m_lastDrawMs < 50) return;
    m_lastDrawMs = now;
    m_drawn = true;
    std::fprintf(stderr, "\r\033[K%.*s", 100, text.c_str());
    std::fflush(stderr);
}

}  // namespace codeburg::cli
