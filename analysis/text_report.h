#pragma once

#include <string>
#include <string_view>

namespace codeburg {

class ProjectStats;

// The text report: a plain log of the last project evaluation, kept at a path
// the caller holds (BuildOptions::reportPath). Every write opens the file for
// appending in binary mode and closes it again, so the file is complete after
// each line; lines end in CR LF. A report that cannot be opened is skipped:
// the call returns -1 and nothing else happens. An empty path is never opened,
// nor is a link or anything but a regular file written into.

// The banner that starts a full report.
inline constexpr char kReportBanner[] = "codeburg, by halcyon";

// The report of an executable: its full path with ".txt" appended.
std::string ReportPathForExecutable(std::string_view executablePath);

// Where the report of an executable goes: beside it when that can be written,
// else, as an installed program's folder is read-only, under the same name in
// the user's state folder ($XDG_STATE_HOME/codeburg, or ~/.local/state/codeburg),
// which is created then.
std::string TextReportPath(std::string_view executablePath);

// Formats with printf rules, appends CR LF and appends the line to the
// report. Lines of any length are written whole. 0 when written, else -1.
int ReportLine(const std::string& path, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The dump of every file and method in list order: the project name, then
// per file its volume, asserts and comments, then per method
// "class::method(params) eloc eloc comments com". 0 when all was written.
int WriteFullReport(const ProjectStats& stats, const std::string& path);

// Removes the report. 0 when it is gone afterwards (also when there was none).
int DeleteReport(const std::string& path);

}  // namespace codeburg
