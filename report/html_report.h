#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workspace/developer_records.h"

namespace codeburg {

class ProjectStats;

// A picture to embed, already compressed.
struct ReportPicture {
    std::string caption;
    std::string jpeg;
    int32_t width = 0, height = 0;
};

// One method's change against an older statistics file.
struct ReportChange {
    std::string kind;  // "added", "removed", "changed"
    std::string file, className, method;
    int32_t oldEloc = 0, newEloc = 0;
};

// What the comparison with an older statistics file found.
struct ReportComparison {
    std::string oldSource;
    int32_t oldOverallPercent = 0;
    int32_t added = 0, removed = 0, changed = 0, unchanged = 0;
    std::vector<ReportChange> changes;
};

// Everything one report shows besides the project's own statistics.
struct ReportInput {
    const ProjectStats* stats = nullptr;  // not owned; required
    std::string developer;                // the lead developer, or empty
    std::string buildDate;                // "%m/%d/%y at %H:%M:%S", or empty
    std::vector<ReportPicture> pictures;
    std::string picturesMissing;  // why there are none, when there are none
    // A workspace's developers; shown only when "workspaceTitle" is set.
    std::string workspaceTitle;
    int32_t workspaceProjects = 0;
    std::vector<DeveloperRecord> developers;
    const ReportComparison* comparison = nullptr;  // not owned; may be null
};

// The report as one HTML page that needs nothing else: style, script, data
// and pictures are inside it. The files and methods tables sort by a click
// on a header (the same column again reverses it, TOTAL stays last) and
// filter by a text; a fragment "#sort=TABLE:COLUMN,..." clicks headers and
// "#filter=TABLE:TEXT" types a filter when the page opens, so a link can
// show a chosen order.
std::string HtmlReport(const ReportInput& input);

// Writes HtmlReport to "path" safely (temporary file, then rename). 0, or -1
// with a reason in "error" and any old file untouched.
int WriteHtmlReport(const std::string& path, const ReportInput& input, std::string* error);

// Standard base64 with padding.
std::string Base64(const std::string& bytes);

// Text for HTML content and attribute values.
std::string HtmlEscape(const std::string& text);

}  // namespace codeburg
