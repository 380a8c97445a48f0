#include "analysis/text_report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/full_disk_test_util.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

class TextReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "text_report_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/codeburg.txt";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string ReadReport() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string m_dir;
    std::string m_path;
};

}  // namespace

TEST_F(TextReportTest, LinesAreAppendedWithCrLf)
{
    EXPECT_EQ(ReportLine(m_path, ">>>> Error %d on [%s]", 1, "/src/a.cpp"), 0);
    EXPECT_EQ(ReportLine(m_path, "  %-24s : %02d meth", "b.cpp", 7), 0);
    EXPECT_EQ(ReadReport(),
              ">>>> Error 1 on [/src/a.cpp]\r\n"
              "  b.cpp                    : 07 meth\r\n");
}

TEST_F(TextReportTest, LongLinesAreWrittenWhole)
{
    const std::string longPath(5000, 'p');
    EXPECT_EQ(ReportLine(m_path, "Parsing dir [%s]", longPath.c_str()), 0);
    EXPECT_EQ(ReadReport(), "Parsing dir [" + longPath + "]\r\n");
}

TEST_F(TextReportTest, UnopenableReportIsSkipped)
{
    EXPECT_EQ(ReportLine(m_dir + "/no/such/dir/r.txt", "x"), -1);
    EXPECT_EQ(ReportLine("", "x"), -1);
    EXPECT_EQ(ReportLine(m_dir, "x"), -1);  // a folder
}

TEST_F(TextReportTest, DeleteRemovesTheReportAndToleratesNone)
{
    ReportLine(m_path, "x");
    EXPECT_EQ(DeleteReport(m_path), 0);
    EXPECT_FALSE(fs::exists(m_path));
    EXPECT_EQ(DeleteReport(m_path), 0);
}

TEST_F(TextReportTest, FullReportFormats)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    stats.name = "proj";
    auto file = std::make_unique<FileStats>("a.cpp", 25, 0u);
    file->includes = 3;
    file->asserts = 2;
    file->commentLines = 9;
    file->AddMethod("Foo", "bar", 2);
    file->FinishMethod(140, 4, 2, 1);  // volume 140 / 100 + 3 = 4
    file->AddMethod("", "main", 0);
    file->FinishMethod(12, 1, 0, 0);
    stats.files.push_back(std::move(file));
    stats.files.push_back(std::make_unique<FileStats>("empty.java", 25, 0u));

    EXPECT_EQ(WriteFullReport(stats, m_path), 0);
    EXPECT_EQ(ReadReport(),
              "Project : proj\r\n\r\n"
              "Files inspected:"
              "\r\n\r\n<a.cpp> volume=4 asserts=2 comments=9\r\n"
              "Foo::bar(2) 140 eloc 4 com\r\n"
              "::main(0) 12 eloc 1 com\r\n"
              "\r\n\r\n<empty.java> volume=0 asserts=0 comments=0\r\n");
}

TEST(ReportPathTest, AppendsTxtToTheExecutablePath)
{
    EXPECT_EQ(ReportPathForExecutable("/opt/Cb/codeburg"), "/opt/Cb/codeburg.txt");
}

// An installed program's folder is read-only: the report goes to the user's
// state folder then, under the same name.
TEST_F(TextReportTest, ReadOnlyProgramFolderSendsTheReportToTheStateFolder)
{
    const std::string program = m_dir + "/bin";
    fs::create_directories(program);
    const std::string state = m_dir + "/state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    EXPECT_EQ(TextReportPath(program + "/codeburg"), program + "/codeburg.txt");

    const bool asRoot = geteuid() == 0;
    if (asRoot && !testing::MountSmallDisk(program, true))
        GTEST_SKIP() << "cannot make a folder the administrator cannot write";
    if (!asRoot) chmod(program.c_str(), 0555);
    EXPECT_EQ(TextReportPath(program + "/codeburg"), state + "/codeburg/codeburg.txt");
    EXPECT_TRUE(fs::is_directory(state + "/codeburg"));
    if (asRoot) testing::UnmountSmallDisk(program);
    chmod(program.c_str(), 0755);
    unsetenv("XDG_STATE_HOME");
}

TEST_F(TextReportTest, NeverWritesThroughALink)
{
    const std::string victim = m_dir + "/victim";
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, m_path);
    EXPECT_EQ(ReportLine(m_path, ">>>> Error %d on [%s]", 1, "x"), -1);
    const std::string state = m_dir + "/state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    EXPECT_EQ(TextReportPath(m_dir + "/codeburg"), state + "/codeburg/codeburg.txt");
    unsetenv("XDG_STATE_HOME");
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
}

}  // namespace codeburg
