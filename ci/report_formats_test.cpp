#include "ci/report_formats.h"

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "analysis/source_scanner.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {
namespace {

using Json = nlohmann::json;

// A project of one file whose method names and path hold what formats must
// escape: quotes, markup, separators, a control byte and broken UTF-8.
struct Awkward {
    Awkward() : stats(nullptr)
    {
        auto file = std::make_unique<FileStats>("a b.cpp", 25, 0u);
        file->path = "dir,x/a b.cpp";
        file->AddMethod("K<\"&'>", "run\x01\xff", 2)->line = 7;
        file->methods.back()->endLine = 40;
        file->FinishMethod(30, 1, 0, 0);
        file->AddMethod("", "short", 0);  // a line unknown, as after an older build
        file->FinishMethod(3, 0, 0, 0);
        file->lines = 60;
        stats.directory = "/work/my project";
        stats.files.push_back(std::move(file));
        input.stats = &stats;
        input.toolVersion = "1.0.0";
        input.findings = FindFindings(stats, FindingLimits{});
    }
    ProjectStats stats;
    FindingsReport input;
};

TEST(ReportFormatsTest, FormatNamesParse)
{
    EXPECT_EQ(ParseOutputFormat("sarif"), OutputFormat::kSarif);
    EXPECT_EQ(ParseOutputFormat("codeclimate"), OutputFormat::kCodeClimate);
    EXPECT_EQ(ParseOutputFormat("SARIF"), std::nullopt);
    EXPECT_EQ(ParseOutputFormat(""), std::nullopt);
}

TEST(ReportFormatsTest, SarifCarriesRulesRegionsFingerprintsAndStates)
{
    Awkward a;
    a.input.states = {BaselineState::kUpdated};
    const Json sarif = Json::parse(SarifReport(a.input));
    EXPECT_EQ(sarif["version"], "2.1.0");
    const Json& run = sarif["runs"][0];
    EXPECT_EQ(run["tool"]["driver"]["rules"].size(), 3u);
    EXPECT_EQ(run["originalUriBaseIds"]["%SRCROOT%"]["uri"], "file:///work/my%20project/");
    ASSERT_EQ(run["results"].size(), 1u);
    const Json& result = run["results"][0];
    EXPECT_EQ(result["ruleId"], "method-length");
    EXPECT_EQ(run["tool"]["driver"]["rules"][result["ruleIndex"].get<int>()]["id"],
              "method-length");
    const Json& location = result["locations"][0]["physicalLocation"];
    EXPECT_EQ(location["artifactLocation"]["uri"], "dir%2Cx/a%20b.cpp");
    EXPECT_EQ(location["artifactLocation"]["uriBaseId"], "%SRCROOT%");
    EXPECT_EQ(location["region"]["startLine"], 7);
    EXPECT_EQ(location["region"]["endLine"], 40);
    EXPECT_EQ(result["partialFingerprints"]["codeburgMethod/v1"],
              a.input.findings[0].fingerprint());
    EXPECT_EQ(result["baselineState"], "updated");
}

TEST(ReportFormatsTest, UnknownLinesLeaveRegionsOut)
{
    Awkward a;
    a.stats.files[0]->methods[0]->line = 0;
    a.stats.files[0]->methods[0]->endLine = 0;
    const Json sarif = Json::parse(SarifReport(a.input));
    EXPECT_FALSE(
        sarif["runs"][0]["results"][0]["locations"][0]["physicalLocation"].contains("region"));
    EXPECT_EQ(GithubReport(a.input).find("line="), std::string::npos);
    // GitLab needs a line: the first stands in.
    EXPECT_EQ(Json::parse(CodeClimateReport(a.input))[0]["location"]["lines"]["begin"], 1);
}

TEST(ReportFormatsTest, XmlIsEscapedAndHoldsOnlyValidCharacters)
{
    Awkward a;
    const std::string junit = JunitReport(a.input);
    EXPECT_NE(junit.find("name=\"K&lt;&quot;&amp;&apos;&gt;::run\xEF\xBF\xBD\xEF\xBF\xBD\""),
              std::string::npos)
        << junit;
    EXPECT_NE(junit.find("tests=\"2\" failures=\"1\""), std::string::npos);
    EXPECT_EQ(junit.find('\x01'), std::string::npos);
    const std::string checkstyle = CheckstyleReport(a.input);
    EXPECT_NE(checkstyle.find("<file name=\"dir,x/a b.cpp\">"), std::string::npos);
    EXPECT_NE(checkstyle.find("line=\"7\""), std::string::npos);
    EXPECT_NE(checkstyle.find("source=\"codeburg.method-length\""), std::string::npos);
    EXPECT_EQ(checkstyle.find('\xff'), std::string::npos);
}

TEST(ReportFormatsTest, GithubCommandsEscapeTheirSeparators)
{
    Awkward a;
    EXPECT_EQ(GithubReport(a.input).substr(0, 64),
              "::warning file=dir%2Cx/a b.cpp,line=7,endLine=40,title=method-le");
    a.stats.files[0]->path = "a:b%\n.cpp";
    a.input.findings = FindFindings(a.stats, FindingLimits{});
    EXPECT_EQ(GithubReport(a.input).rfind("::warning file=a%3Ab%25%0A.cpp,", 0), 0u);
}

TEST(ReportFormatsTest, CodeClimateHasGitlabsRequiredKeysAndUniqueFingerprints)
{
    Awkward a;
    FindingLimits limits;
    limits.maxParams = 1;  // the long method breaks two rules
    a.input.findings = FindFindings(a.stats, limits);
    const Json issues = Json::parse(CodeClimateReport(a.input));
    ASSERT_EQ(issues.size(), 2u);
    for (const Json& issue : issues) {
        for (const char* key : {"description", "check_name", "fingerprint", "severity"})
            EXPECT_TRUE(issue.contains(key)) << key;
        EXPECT_EQ(issue["location"]["path"], "dir,x/a b.cpp");
        EXPECT_EQ(issue["location"]["lines"]["begin"], 7);
    }
    EXPECT_NE(issues[0]["fingerprint"], issues[1]["fingerprint"]);
}

TEST(ReportFormatsTest, CsvListsEveryMethodInSourceOrderQuotedWhereNeeded)
{
    auto stats = std::make_unique<ProjectStats>(nullptr);
    auto file = std::make_unique<FileStats>("m.cpp", 25, 0u);
    const std::string text =
        "int tiny() { return 1; }\nint \"q\";\nint big(int a, int b)\n{\n"
        "    // sum\n    a += b;\n\n    return a;\n}\n";
    ASSERT_EQ(ScanBuffer(*file, text.data(), text.size(), ScanLanguage::C), 0);
    file->path = "x,y/m.cpp";
    stats->files.push_back(std::move(file));
    EXPECT_EQ(MethodsCsv(*stats),
              "path,class,method,line,parameters,eloc,comments,asserts,empty lines\n"
              "\"x,y/m.cpp\",,tiny,1,0,0,0,0,0\n"
              "\"x,y/m.cpp\",,big,3,2,2,1,0,2\n");
}

}  // namespace
}  // namespace codeburg
