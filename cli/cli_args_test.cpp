// The argument parsers alone: what reaches a command, without running it.
#include "cli/cli_args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace codeburg::cli {

namespace {

bool NoFiles(const std::string&)
{
    return false;
}

}  // namespace

TEST(CliArgsTest, ScanTakesLineCountsAndEndsOptionsAtDoubleDash)
{
    auto p = ParseScanArgs({"a.cpp", "--linecount", "7", "-", "--", "--linecount=3", "-b"});
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.options.lineCount, 7);
    EXPECT_EQ(p.options.paths, (std::vector<std::string>{"a.cpp", "-", "--linecount=3", "-b"}));

    p = ParseScanArgs({"--linecount=2147483648", "a"});
    EXPECT_EQ(p.error, "--linecount needs a whole number from 0");
    p = ParseScanArgs({"-v", "a"});
    EXPECT_EQ(p.error,
              "unknown option '-v'\ncodeburg-cli: scan takes only --linecount and --methods");
    EXPECT_EQ(ParseScanArgs({"--linecount", "3"}).error, "scan needs at least one file");
}

TEST(CliArgsTest, MethodsChoosesTheRuleWhereABuildOrScanStarts)
{
    EXPECT_EQ(ParseScanArgs({"a"}).options.methods, MethodRule::Classic);
    EXPECT_EQ(ParseScanArgs({"--methods", "modern", "a"}).options.methods, MethodRule::Modern);
    EXPECT_EQ(ParseScanArgs({"--methods=Classic", "a"}).options.methods, MethodRule::Classic);
    EXPECT_EQ(ParseScanArgs({"--methods", "new", "a"}).error, "--methods takes classic or modern");
    EXPECT_EQ(ParseScanArgs({"a", "--methods"}).error, "--methods takes classic or modern");
    EXPECT_EQ(ParseBuildArgs({"d", "--methods", "modern"}).options.methods, MethodRule::Modern);
    EXPECT_EQ(ParseBuildArgs({"d", "--methods", ""}).error, "--methods takes classic or modern");
    EXPECT_EQ(ParseWorkspaceCommandArgs("add", {"d", "--methods", "modern"}).options.methods,
              MethodRule::Modern);
    EXPECT_EQ(ParseWorkspaceCommandArgs("add", {"d"}).options.methods, MethodRule::Classic);
    EXPECT_EQ(ParseWorkspaceCommandArgs("add", {"d", "--methods"}).error,
              "--methods takes classic or modern");
    EXPECT_EQ(ParseWorkspaceCommandArgs("show", {"--methods", "modern"}).error,
              "unknown option '--methods'");
}

TEST(CliArgsTest, BuildKeepsDefaultsAndRejectsASecondDirectory)
{
    auto p = ParseBuildArgs({"--ext", "--force", "src", "--linecount", "30", "--min-score", "-5"});
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.options.extensions, "--force");  // an option's value may look like an option
    EXPECT_FALSE(p.options.force);
    EXPECT_EQ(p.options.directory, "src");
    EXPECT_EQ(p.options.excludedFiles, "stdafx.cpp");
    EXPECT_EQ(p.options.lineCount, 30);
    EXPECT_EQ(p.options.minScore, -5.0);

    EXPECT_EQ(ParseBuildArgs({"a", "b"}).error, "only one directory can be built");
    EXPECT_EQ(ParseBuildArgs({"a", "--name"}).error, "unknown or incomplete option --name");
    EXPECT_EQ(ParseBuildArgs({"a", "--linecount", "2.5"}).error,
              "--linecount needs a whole number");
    // "nan" used to pass both range tests and reach a conversion to int,
    // which is undefined.
    EXPECT_EQ(ParseBuildArgs({"a", "--linecount", "nan"}).error,
              "--linecount needs a whole number");
}

TEST(CliArgsTest, SnapshotStopsAtHelpAndChecksTheViewpoint)
{
    auto p = ParseSnapshotArgs({"--help", "--mode", "9"}, NoFiles);
    ASSERT_TRUE(p.ok());
    EXPECT_TRUE(p.options.help);

    p = ParseSnapshotArgs({"src", "o.jpg", "--size", "64X48", "--viewpoint", "1,2,3,4,5"}, NoFiles);
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.options.width, 64);
    EXPECT_EQ(p.options.height, 48);
    EXPECT_EQ(p.options.viewpoint, "1,2,3,4,5");

    EXPECT_EQ(ParseSnapshotArgs({"src", "o.jpg", "--size", "64x"}, NoFiles).error,
              "--size needs WIDTHxHEIGHT, each 1 to 16384, e.g. 1280x720");
    EXPECT_EQ(ParseSnapshotArgs({"-s", "o.jpg"}, NoFiles).error, "unknown option '-s'");
    const auto dashed =
        ParseSnapshotArgs({"-s", "o.jpg"}, [](const std::string& name) { return name == "-s"; });
    ASSERT_TRUE(dashed.ok()) << dashed.error;
    EXPECT_EQ(dashed.options.source, "-s");
}

// Framed views are the default; the window's map stays reachable by either
// spelling, and a viewpoint cannot be combined with a view.
TEST(CliArgsTest, SnapshotViewsAndLegend)
{
    auto p = ParseSnapshotArgs({"src", "o.jpg"}, NoFiles);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.options.view, SnapshotView::Overview);
    EXPECT_TRUE(p.options.legend);
    p = ParseSnapshotArgs({"src", "o.jpg", "--view", "map", "--no-legend"}, NoFiles);
    EXPECT_EQ(p.options.view, SnapshotView::Map);
    EXPECT_FALSE(p.options.legend);
    EXPECT_EQ(ParseSnapshotArgs({"src", "o.jpg", "--map"}, NoFiles).options.view,
              SnapshotView::ClassicMap);
    EXPECT_EQ(ParseSnapshotArgs({"src", "o.jpg", "--view", "classic-map"}, NoFiles).options.view,
              SnapshotView::ClassicMap);
    EXPECT_EQ(ParseSnapshotArgs({"src", "o.jpg", "--view", "top"}, NoFiles).error,
              "--view needs overview, map or classic-map");
    EXPECT_EQ(ParseSnapshotArgs({"src", "o.jpg", "--view"}, NoFiles).error,
              "--view needs overview, map or classic-map");
    EXPECT_FALSE(
        ParseSnapshotArgs({"s", "o", "--view", "map", "--viewpoint", "1,2,3,4,5"}, NoFiles).ok());
    EXPECT_FALSE(ParseSnapshotArgs({"s", "o", "--map", "--view", "overview"}, NoFiles).ok());
}

TEST(CliArgsTest, ReportAndExportTakeASourceAnOutputAndAMode)
{
    auto p = ParseOutputArgs("report", {"a.cbw", "--project", "demo", "out.html", "--mode", "3"},
                             NoFiles);
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.options.source, "a.cbw");
    EXPECT_EQ(p.options.output, "out.html");
    EXPECT_EQ(p.options.project, "demo");
    EXPECT_EQ(p.options.mode, 3);
    EXPECT_EQ(ParseOutputArgs("export", {"a.cbb"}, NoFiles).error,
              "export needs a source and an output file");
    EXPECT_EQ(ParseOutputArgs("export", {"a", "b", "--mode", "4"}, NoFiles).error,
              "--mode needs a display mode from 0 to 3");
    EXPECT_EQ(ParseOutputArgs("report", {"a", "b", "--project"}, NoFiles).error,
              "--project needs a project name");
    EXPECT_TRUE(ParseOutputArgs("report", {"--help", "--bad"}, NoFiles).options.help);
    EXPECT_EQ(
        ParseOutputArgs("report", {"a", "b", "--compare", "old.cbb"}, NoFiles).options.compare,
        "old.cbb");
    EXPECT_EQ(ParseOutputArgs("report", {"a", "b", "--compare"}, NoFiles).error,
              "--compare needs an older statistics file");
    EXPECT_EQ(ParseSnapshotArgs({"a", "b.jpg", "--compare", "o.cbb"}, NoFiles).options.compare,
              "o.cbb");
}

TEST(CliArgsTest, WorkspaceTakesMissingAnywhereAndTheLastOfARepeatedOption)
{
    auto p = ParseWorkspaceArgs({"w.cbw", "add", "--missing", "drop", "src", "--name", "a"});
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.options.missing, "drop");
    EXPECT_EQ(p.options.path, "w.cbw");
    EXPECT_EQ(p.options.command, "add");
    auto c = ParseWorkspaceCommandArgs(p.options.command, p.options.rest);
    ASSERT_TRUE(c.ok()) << c.error;
    EXPECT_EQ(c.options.directory, "src");
    EXPECT_EQ(c.options.name, "a");

    c = ParseWorkspaceCommandArgs("add", {"src", "--dev", "x", "--dev", "y"});
    EXPECT_EQ(c.options.developer, "y");
    EXPECT_EQ(ParseWorkspaceCommandArgs("add", {"src", "--json"}).error, "unknown option '--json'");
    EXPECT_EQ(ParseWorkspaceCommandArgs("show", {"--name", "x"}).error, "unknown option '--name'");
    EXPECT_EQ(ParseWorkspaceCommandArgs("add", {"a", "b"}).error,
              "'add' needs exactly one directory");
    EXPECT_EQ(ParseWorkspaceCommandArgs("rebuild", {"x"}).error, "'rebuild' takes no arguments");
    EXPECT_EQ(ParseWorkspaceCommandArgs("drop", {}).error, "unknown workspace command 'drop'");
    EXPECT_EQ(ParseWorkspaceArgs({"w.cbw", "--missing"}).error, "option '--missing' needs a value");
    EXPECT_EQ(ParseWorkspaceArgs({"w.cbw", "show", "--missing", "all"}).error,
              "--missing takes keep, drop or ask");
}

}  // namespace codeburg::cli
