#pragma once

// The formats CI tools read, written from a build's findings: SARIF 2.1.0,
// JUnit XML, Checkstyle XML, GitLab Code Quality JSON, GitHub workflow
// commands and a CSV of every method. Every writer returns the whole text;
// names with bytes that are not valid UTF-8 (or not allowed in XML) come out
// with U+FFFD in their place, so the output is always well-formed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ci/build_diff.h"
#include "ci/findings.h"

namespace codeburg {

enum class OutputFormat { kText, kJson, kSarif, kJunit, kCheckstyle, kCodeClimate, kGithub, kCsv };

// "text", "json", "sarif", "junit", "checkstyle", "codeclimate", "github", "csv".
std::optional<OutputFormat> ParseOutputFormat(std::string_view name);

// What a report is written from. "stats" and everything the findings point
// to must outlive it.
struct FindingsReport {
    const ProjectStats* stats = nullptr;
    std::vector<Finding> findings;
    // One per finding when a baseline was given, else empty.
    std::vector<BaselineState> states;
    std::string toolVersion;
};

std::string SarifReport(const FindingsReport& input);
std::string JunitReport(const FindingsReport& input);
std::string CheckstyleReport(const FindingsReport& input);
std::string CodeClimateReport(const FindingsReport& input);
std::string GithubReport(const FindingsReport& input);
std::string MethodsCsv(const ProjectStats& stats);

// The diff as text for people and as JSON with every figure.
std::string DiffText(const BuildDiff& diff);
std::string DiffJson(const BuildDiff& diff);

// A key that differs between two findings whenever their rule or their
// method differs; tools that take one fingerprint per result use it.
std::string ResultFingerprint(const Finding& finding);

// A path below the project directory as a relative URI reference: '/'
// kept, every byte but the unreserved ones percent-encoded.
std::string RelativeUri(std::string_view path);

}  // namespace codeburg
