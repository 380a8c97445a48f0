#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "records/build_progress_sink.h"

namespace codeburg {
class FileStats;
class ProjectStats;
struct ScoringSettings;
}  // namespace codeburg

namespace codeburg::cli {

// What the build and show commands print besides the statistics themselves.
struct ProjectHeader {
    std::string name;
    std::string directory;
    std::string statisticsFile;
    std::string lastBuild;
    bool built = false;
};

// One file record with the keys of `codeburg-cli scan` (no path) and its colour.
nlohmann::ordered_json FileRecordJson(const FileStats& file);
nlohmann::ordered_json ProjectJson(const ProjectStats& stats, const ProjectHeader& header);

// The score sheet: a header line, one line per topic, then "OVERALL".
void PrintScoreSheet(FILE* out, const ProjectStats& stats, const ProjectHeader& header);

// Prints JSON that stays valid whatever bytes the names hold.
void PrintJson(FILE* out, const nlohmann::ordered_json& json);

// The modification time of a file as "%m/%d/%y at %H:%M:%S", or "".
std::string FileTimeStamp(const std::string& path);

// The full path of this executable, or "" when it cannot be found.
std::string ExecutablePath();

// Loads the settings file shared with the GUI, beside this executable.
void LoadInstalledSettings(ScoringSettings& settings);

// What the last build of "stats" left out: a warning on standard error with
// the count, the first few paths and where the text report went ("reportPath"
// when that file exists); nothing when every file was read.
void WarnSkipped(const ProjectStats& stats, const std::string& reportPath);
// Adds "skipped": [{"path", "reason"}...] to a project's JSON, only when
// something was left out, so a complete build prints what it always did.
void AddSkippedJson(nlohmann::ordered_json& json, const ProjectStats& stats);

// A progress bar on standard error: the file count and percent, redrawn at
// most every 50 ms. Prints nothing unless standard error is a terminal.
class TerminalProgress : public BuildProgressSink {
public:
    TerminalProgress();
    ~TerminalProgress() override;

    bool enabled() const { return m_enabled; }

    void Status(const std::string& objectName, const std::string& verb) override;
    void FileStep(const std::string& name) override;
    void AddRange(int count) override;
    int Position() override { return m_position; }

private:
    void Draw(const std::string& text, bool force);

    bool m_enabled = false;
    bool m_drawn = false;
    int m_position = 0;
    int m_range = 0;
    long long m_lastDrawMs = 0;
};

}  // namespace codeburg::cli
