#pragma once

namespace codeburg {

// The report page's style sheet and script, inlined into every report.
extern const char* const kReportStyle;
extern const char* const kReportScript;

}  // namespace codeburg
