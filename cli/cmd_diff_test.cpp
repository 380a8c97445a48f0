// The CI side of codeburg-cli: diff, baselines and gates, report formats and
// the lines of methods, run through the real binary on scratch trees.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "analysis/temp_tree_test_util.h"
#include "cli/cli_run_test_util.h"

namespace codeburg {

namespace {

using Json = nlohmann::json;
using testing::CliRun;
using testing::RunCli;
using testing::SampleSource;
using testing::TempTree;

std::string ReadAll(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

const char kShape[] =
    "int Shape::area(int w, int h)\n{\n    return w * h;\n}\n\n"
    "int Shape::perimeter(int w, int h)\n{\n    int p = 2 * w;\n    return p + 2 * h;\n}\n";

// Two copies of one small project: "old" and "new", built into old.cbb and
// new.cbb once a test has edited "new".
class CliDiffTest : public ::testing::Test {
protected:
    CliDiffTest()
    {
        for (const char* side : {"old", "new"}) {
            for (int i = 0; i < 4; ++i)
                tree.Write(std::string(side) + "/src/f" + std::to_string(i) + ".cpp",
                           SampleSource(i + 3));
            tree.Write(std::string(side) + "/src/shape.cpp", kShape);
        }
    }
    CliRun Build(const char* side, std::vector<std::string> more = {})
    {
        std::vector<std::string> args{"build", tree.path(side), "--force"};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args);
    }
    std::string Cbb(const char* side) { return tree.path(std::string(side) + "/" + side + ".cbb"); }
    TempTree tree;
};

}  // namespace

TEST_F(CliDiffTest, BuildAgainstItselfHasNoChange)
{
    ASSERT_EQ(Build("old").status, 0);
    for (const std::string& other : {Cbb("old"), tree.path("new")}) {
        const CliRun r =
            RunCli({"diff", Cbb("old"), other, "--json", "--fail-on", "score,new,worse"});
        ASSERT_EQ(r.status, 0) << r.err;
        const Json diff = Json::parse(r.out);
        EXPECT_TRUE(diff["files"].empty());
        EXPECT_TRUE(diff["methods"].empty());
        EXPECT_EQ(diff["overall"]["oldScore"], diff["overall"]["newScore"]);
    }
    const CliRun text = RunCli({"diff", Cbb("old"), Cbb("old")});
    EXPECT_EQ(text.out.rfind("files: 0 added, 0 removed, 0 changed\n"
                             "methods: 0 added, 0 removed, 0 changed\n",
                             0),
              0u)
        << text.out;
}

TEST_F(CliDiffTest, OneEditedMethodIsExactlyThatChange)
{
    ASSERT_EQ(Build("old").status, 0);
    // Code inserted above both methods, and one of them grows.
    std::string edited = kShape;
    edited.replace(edited.find("    return p"), 0, "    p += 1;\n");
    tree.Write("new/src/shape.cpp", "// moved down\n#include <x.h>\n\n" + edited);
    ASSERT_EQ(Build("new").status, 0);
    const CliRun r = RunCli({"diff", Cbb("old"), Cbb("new"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json diff = Json::parse(r.out);
    ASSERT_EQ(diff["methods"].size(), 1u) << r.out;
    const Json& method = diff["methods"][0];
    EXPECT_EQ(method["path"], "src/shape.cpp");
    EXPECT_EQ(method["className"], "Shape");
    EXPECT_EQ(method["methodName"], "perimeter");
    EXPECT_EQ(method["change"], "changed");
    EXPECT_EQ(method["old"]["eloc"], 2);
    EXPECT_EQ(method["new"]["eloc"], 3);
    EXPECT_EQ(method["old"]["line"], 6);
    EXPECT_EQ(method["new"]["line"], 9);
    ASSERT_EQ(diff["files"].size(), 1u);
    EXPECT_EQ(diff["files"][0]["change"], "changed");
    EXPECT_EQ(diff["summary"]["methodsChanged"], 1);
    EXPECT_EQ(diff["summary"]["methodsAdded"], 0);
}

TEST_F(CliDiffTest, GatesFailOnlyOnWhatGotWorse)
{
    ASSERT_EQ(Build("old", {"--linecount", "2"}).status, 0);
    // Every method over 2 lines is a finding in both builds: no gate fails.
    CliRun r =
        Build("new", {"--linecount", "2", "--baseline", Cbb("old"), "--fail-on", "new,worse"});
    EXPECT_EQ(r.status, 0) << r.err;

    std::string grown = kShape;
    grown.replace(grown.find("    return w"), 0, "    w += 1;\n    h += 1;\n");
    tree.Write("new/src/shape.cpp", grown);
    r = Build("new", {"--linecount", "2", "--baseline", Cbb("old"), "--fail-on", "new"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("new finding method-length at src/shape.cpp:1: method Shape::area has 3"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("OVERALL"), std::string::npos);  // the report still comes
    r = RunCli({"diff", Cbb("old"), tree.path("new"), "--linecount", "2", "--fail-on", "worse"});
    EXPECT_EQ(r.status, 0) << r.err;  // area is new, not worse

    // The baseline is read before the build replaces it.
    r = Build("new", {"--baseline", Cbb("new"), "--fail-on", "score,new,worse"});
    EXPECT_EQ(r.status, 0) << r.err;

    EXPECT_EQ(Build("new", {"--fail-on", "new"}).status, 2);  // a gate needs a baseline
    EXPECT_EQ(Build("new", {"--baseline", Cbb("old"), "--fail-on", "all"}).status, 2);
    EXPECT_EQ(Build("new", {"--baseline", tree.path("missing.cbb")}).status, 1);
}

TEST_F(CliDiffTest, FormatsGoToTheOutputFileSafely)
{
    ASSERT_EQ(Build("old", {"--format", "csv", "--output", tree.path("methods.csv")}).status, 0);
    const std::string csv = ReadAll(tree.path("methods.csv"));
    EXPECT_EQ(csv.rfind("path,class,method,line,parameters,eloc,comments,asserts,empty lines\n", 0),
              0u);
    EXPECT_NE(csv.find("\nsrc/shape.cpp,Shape,area,1,2,1,0,0,1\n"), std::string::npos) << csv;

    const CliRun show = RunCli({"show", Cbb("old"), "--format", "github", "--linecount", "1"});
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.out.find("::warning file=src/shape.cpp,line=6,endLine=10,title=method-length::"
                            "method Shape::perimeter has 2 effective"),
              std::string::npos)
        << show.out;

    // A folder in the output's place is never written through, nor replaced.
    std::filesystem::create_directory(tree.path("taken"));
    const CliRun blocked =
        RunCli({"show", Cbb("old"), "--format", "sarif", "--output", tree.path("taken")});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("cannot write " + tree.path("taken")), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(tree.path("taken")));
    EXPECT_EQ(RunCli({"show", Cbb("old"), "--format", "yaml"}).status, 2);
}

TEST_F(CliDiffTest, MethodLinesInScanAndShow)
{
    const CliRun scan = RunCli({"scan", tree.path("old/src/shape.cpp")});
    ASSERT_EQ(scan.status, 0);
    const Json method = Json::parse(scan.out)["files"][0]["methods"][0];
    EXPECT_EQ(method["methodName"], "perimeter");  // largest first
    EXPECT_EQ(method["line"], 6);
    EXPECT_EQ(method["endLine"], 10);

    ASSERT_EQ(Build("old").status, 0);
    const CliRun show = RunCli({"show", Cbb("old"), "--json"});
    bool found = false;
    const Json shown = Json::parse(show.out);
    for (const Json& file : shown["files"])
        for (const Json& method : file["methods"])
            if (method["methodName"] == "area") {
                found = true;
                EXPECT_EQ(method["line"], 1);
                EXPECT_EQ(method["endLine"], 4);
            }
    EXPECT_TRUE(found) << show.out;
}

}  // namespace codeburg
