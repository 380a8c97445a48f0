#include "report/html_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "report/json_text.h"
#include "report/report_test_util.h"

namespace codeburg {
namespace {

// The data block the page's script reads.
nlohmann::json DataOf(const std::string& page)
{
    const std::string open = "<script id=\"report-data\" type=\"application/json\">";
    const size_t at = page.find(open);
    EXPECT_NE(at, std::string::npos);
    const size_t end = page.find("</script>", at);
    return nlohmann::json::parse(page.substr(at + open.size(), end - at - open.size()));
}

TEST(JsonTextTest, EscapesWhatJsonAndHtmlNeed)
{
    std::string out;
    AppendJsonString(out, "plain");
    EXPECT_EQ(out, "\"plain\"");
    out.clear();
    AppendJsonString(out, "a\"b\\c\n</script>&");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\n\\u003c/script\\u003e\\u0026\"");
    out.clear();
    AppendJsonString(out, "caf\xE9");  // Latin-1, not UTF-8
    EXPECT_EQ(nlohmann::json::parse(out), "caf\xEF\xBF\xBD");
    out.clear();
    AppendJsonFloat(out, std::numeric_limits<float>::quiet_NaN());
    out += ',';
    AppendJsonFloat(out, 0.1f);
    EXPECT_EQ(out, "0,0.1");
}

TEST(HtmlReportTest, Base64AndEscapes)
{
    EXPECT_EQ(Base64(""), "");
    EXPECT_EQ(Base64("f"), "Zg==");
    EXPECT_EQ(Base64("fo"), "Zm8=");
    EXPECT_EQ(Base64("foo"), "Zm9v");
    EXPECT_EQ(Base64(std::string("\xFF\x00\x10", 3)), "/wAQ");
    EXPECT_EQ(HtmlEscape("<a href=\"x\">'&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

TEST(HtmlReportTest, TablesCarryEveryFileAndMethodAndTheTotals)
{
    const auto stats = testing::SmallProject();
    ReportInput input;
    input.stats = stats.get();
    input.picturesMissing = "no pictures here";
    const std::string page = HtmlReport(input);
    const nlohmann::json data = DataOf(page);
    ASSERT_EQ(data["files"].size(), 2u);
    EXPECT_EQ(data["methods"].size(), 4u);
    EXPECT_EQ(data["files"][0][0], stats->files[0]->name);
    // Methods point at their file by index, in file order.
    EXPECT_EQ(data["methods"][3][0], 1);
    EXPECT_EQ(data["methods"][3][2], "helper");
    const auto& total = data["filesTotal"];
    EXPECT_EQ(total[0], "TOTAL");
    EXPECT_EQ(total[1], "4");   // methods
    EXPECT_EQ(total[2], "92");  // lines
    EXPECT_EQ(total[9], std::to_string(stats->measures.maxMethodEloc));
    EXPECT_FALSE(data.contains("developers"));
    EXPECT_FALSE(data.contains("changes"));
    // One gauge per topic and the overall one; the reason instead of pictures.
    size_t gauges = 0;
    for (size_t at = page.find("role=\"meter\""); at != std::string::npos;
         at = page.find("role=\"meter\"", at + 1))
        ++gauges;
    EXPECT_EQ(gauges, stats->topics.size() + 1);
    EXPECT_NE(page.find("no pictures here"), std::string::npos);
    EXPECT_EQ(page.find("http://"), std::string::npos);  // nothing fetched
    EXPECT_EQ(page.find("https://"), std::string::npos);
}

// A name that closes the script element must not end the data early.
TEST(HtmlReportTest, HostileNamesStayInsideTheirElements)
{
    const auto stats = testing::SmallProject("X</script><script>alert(1)</script>");
    stats->name = "<b>demo</b>";
    ReportInput input;
    input.stats = stats.get();
    input.developer = "\"Ann\" & <Bob>";
    const std::string page = HtmlReport(input);
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    EXPECT_EQ(page.find("<b>demo"), std::string::npos);
    EXPECT_NE(page.find("&lt;B&gt;DEMO&lt;/B&gt; by &quot;Ann&quot; &amp; &lt;Bob&gt;"),
              std::string::npos);
    EXPECT_EQ(DataOf(page)["methods"][0][1], "X</script><script>alert(1)</script>");
}

TEST(HtmlReportTest, WorkspaceDevelopersAndPicturesAreEmbedded)
{
    const auto stats = testing::SmallProject();
    ReportInput input;
    input.stats = stats.get();
    input.workspaceTitle = "team";
    input.workspaceProjects = 3;
    input.developers.push_back({"Ann", 2, 500, 12.5f, 0.2f, 0.01f, 0.75f});
    input.pictures.push_back({"Overview", std::string("\xFF\xD8\xFF", 3), 4, 2});
    const std::string page = HtmlReport(input);
    const nlohmann::json data = DataOf(page);
    ASSERT_EQ(data["developers"].size(), 1u);
    EXPECT_EQ(data["developers"][0][0], "Ann");
    EXPECT_FLOAT_EQ(data["developers"][0][6].get<float>(), 75.0f);
    EXPECT_NE(page.find("src=\"data:image/jpeg;base64,/9j/\""), std::string::npos);
    EXPECT_NE(page.find("id=\"developers-table\""), std::string::npos);
    EXPECT_NE(page.find("(3 projects)"), std::string::npos);
}

}  // namespace
}  // namespace codeburg
