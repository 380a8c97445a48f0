// Runs the real codeburg-cli binary's report and export commands, and the
// snapshot's views, on temporary projects.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_run_test_util.h"

namespace {

namespace fs = std::filesystem;

using codeburg::testing::CliRun;
using codeburg::testing::RunCli;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ReportCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("codeburg_report_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir / "demo");
        std::ofstream(m_dir / "demo" / "shape.cpp")
            << "void Shape::Draw(int a)\n{\n    // draw it\n    a = a + 1;\n}\n"
               "int Shape::Area()\n{\n    return 4;\n}\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static bool CanRender(const CliRun& run)
    {
        return run.err.find("this build of codeburg-cli") == std::string::npos &&
               run.err.find("offscreen OpenGL context") == std::string::npos;
    }

    std::string Demo() const { return (m_dir / "demo").string(); }
    fs::path m_dir;
};

TEST_F(ReportCommandTest, ReportIsOnePageWithItsPictures)
{
    const fs::path out = m_dir / "report.html";
    const CliRun run = RunCli({"report", Demo(), out.string(), "--mode", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string page = ReadAll(out);
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
    EXPECT_NE(page.find("\"Draw\""), std::string::npos);
    EXPECT_EQ(page.find("src=\"http"), std::string::npos);
    if (CanRender(run)) {
        EXPECT_NE(page.find("src=\"data:image/jpeg;base64,"), std::string::npos);
        EXPECT_NE(run.out.find("2 pictures"), std::string::npos) << run.out;
    } else {
        EXPECT_NE(page.find("No pictures of the city"), std::string::npos);
    }
}

TEST_F(ReportCommandTest, WorkspaceReportNeedsAProjectAndListsDevelopers)
{
    const std::string cbw = (m_dir / "team.cbw").string();
    ASSERT_EQ(RunCli({"workspace", cbw, "init"}).status, 0);
    ASSERT_EQ(RunCli({"workspace", cbw, "add", Demo(), "--dev", "Ann"}).status, 0);
    ASSERT_EQ(RunCli({"workspace", cbw, "build"}).status, 0);
    const std::string out = (m_dir / "team.html").string();
    const CliRun missing = RunCli({"report", cbw, out});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("needs --project NAME"), std::string::npos) << missing.err;
    const CliRun run = RunCli({"report", cbw, "--project", "DEMO", out});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string page = ReadAll(out);
    EXPECT_NE(page.find("id=\"developers-table\""), std::string::npos);
    EXPECT_NE(page.find("[\"Ann\",1,"), std::string::npos);
    EXPECT_NE(page.find("DEMO by Ann"), std::string::npos);
}

// Neither writer follows a link or leaves half a file: the old one stays.
TEST_F(ReportCommandTest, OutputsAreWrittenSafely)
{
    std::ofstream(m_dir / "keep.txt") << "keep";
    for (const char* command : {"report", "export"}) {
        const fs::path link = m_dir / (std::string(command) + ".out");
        fs::create_symlink(m_dir / "keep.txt", link);
        const CliRun run = RunCli({command, Demo(), link.string()});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.err.find("cannot write " + link.string()), std::string::npos) << run.err;
        EXPECT_EQ(ReadAll(m_dir / "keep.txt"), "keep");
        const CliRun nowhere = RunCli({command, Demo(), (m_dir / "no" / "out").string()});
        EXPECT_EQ(nowhere.status, 1) << command;
    }
    EXPECT_EQ(RunCli({"export", (m_dir / "none.cbb").string(), "o.glb"}).status, 1);
    EXPECT_EQ(RunCli({"export", Demo()}).status, 2);
}

TEST_F(ReportCommandTest, ExportWritesBinaryGltf)
{
    const fs::path out = m_dir / "city.glb";
    const CliRun run = RunCli({"export", Demo(), out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadAll(out).starts_with("glTF"));
    EXPECT_NE(run.out.find("2 buildings"), std::string::npos) << run.out;
}

// Against an older build: the snapshot, the report and the model colour or
// list the changes; an older file that cannot be read is a failure.
TEST_F(ReportCommandTest, CompareWithAnOlderBuild)
{
    ASSERT_EQ(RunCli({"build", Demo()}).status, 0);
    const fs::path cbb = m_dir / "demo" / "demo.cbb";
    fs::copy_file(cbb, m_dir / "old.cbb");
    std::ofstream(m_dir / "demo" / "shape.cpp")
        << "void Shape::Draw(int a)\n{\n    // draw it\n    a = a + 1;\n    a = a * 2;\n}\n"
           "int Shape::Area()\n{\n    return 4;\n}\nint Shape::Edge()\n{\n    return 1;\n}\n";
    ASSERT_EQ(RunCli({"build", Demo(), "--force"}).status, 0);
    const std::string old = (m_dir / "old.cbb").string();

    const fs::path page = m_dir / "changes.html";
    const CliRun report = RunCli({"report", cbb.string(), page.string(), "--compare", old});
    ASSERT_EQ(report.status, 0) << report.err;
    const std::string html = ReadAll(page);
    EXPECT_NE(html.find("1 methods added, 0 removed, 1 changed, 1 unchanged"), std::string::npos);
    EXPECT_NE(html.find("[\"added\",\"shape.cpp\",\"Shape\",\"Edge\",0,1]"), std::string::npos);
    EXPECT_NE(html.find("id=\"changes-table\""), std::string::npos);
    if (CanRender(report)) {
        EXPECT_NE(html.find("<figcaption>Changes"), std::string::npos);
    }

    const CliRun shot =
        RunCli({"snapshot", cbb.string(), (m_dir / "c.jpg").string(), "--compare", old});
    if (CanRender(shot)) {
        EXPECT_EQ(shot.status, 0) << shot.err;
    }
    EXPECT_EQ(RunCli({"export", cbb.string(), (m_dir / "c.glb").string(), "--compare", old}).status,
              0);
    const CliRun missing =
        RunCli({"report", cbb.string(), page.string(), "--compare", (m_dir / "gone.cbb").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read statistics file"), std::string::npos) << missing.err;
}

// The framed overview is the default; the window's map is still there,
// under either spelling, and carries the legend unless told not to.
TEST_F(ReportCommandTest, SnapshotViewsDiffer)
{
    const auto shot = [&](const std::string& name, std::vector<std::string> options) {
        std::vector<std::string> args = {"snapshot", Demo(), (m_dir / name).string(), "--size",
                                         "320x180"};
        args.insert(args.end(), options.begin(), options.end());
        return RunCli(args);
    };
    const CliRun first = shot("overview.jpg", {});
    if (!CanRender(first)) GTEST_SKIP() << first.err;
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("overview"), std::string::npos);
    ASSERT_EQ(shot("classic.jpg", {"--view", "classic-map", "--no-legend"}).status, 0);
    ASSERT_EQ(shot("old.jpg", {"--map", "--no-legend"}).status, 0);
    ASSERT_EQ(shot("legend.jpg", {"--map"}).status, 0);
    EXPECT_EQ(ReadAll(m_dir / "classic.jpg"), ReadAll(m_dir / "old.jpg"));
    EXPECT_NE(ReadAll(m_dir / "classic.jpg"), ReadAll(m_dir / "legend.jpg"));
    EXPECT_NE(ReadAll(m_dir / "classic.jpg"), ReadAll(m_dir / "overview.jpg"));
}

}  // namespace
