// Runs the real codeburg-cli binary's snapshot command and checks its exit
// status, its messages and the picture it writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_run_test_util.h"

namespace {

namespace fs = std::filesystem;

using codeburg::testing::CliRun;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SnapshotCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("codeburg_snap_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir / "demo");
        std::ofstream(m_dir / "demo" / "shape.cpp") << "void Shape::Draw(int a)\n{\n"
                                                       "    // draw it\n    a = a + 1;\n}\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    CliRun Snapshot(std::vector<std::string> args, const fs::path& workingDirectory = {})
    {
        args.insert(args.begin(), "snapshot");
        return codeburg::testing::RunCli(args, workingDirectory.string());
    }

    // False when this build or machine cannot make a picture of a directory at all.
    static bool CanRender(const CliRun& run)
    {
        return run.err.find("this build of codeburg-cli") == std::string::npos &&
               run.err.find("offscreen OpenGL context") == std::string::npos;
    }

    std::string Demo() const { return (m_dir / "demo").string(); }
    fs::path m_dir;
};

TEST_F(SnapshotCommandTest, UsageErrorsExitWithTwo)
{
    const std::string out = (m_dir / "a.jpg").string();
    EXPECT_EQ(Snapshot({}).status, 2);
    EXPECT_EQ(Snapshot({Demo(), out, "--mode", "4"}).status, 2);
    EXPECT_EQ(Snapshot({Demo(), out, "--size", "0x10"}).status, 2);
    EXPECT_EQ(Snapshot({Demo(), out, "--size", "640"}).status, 2);
    EXPECT_EQ(Snapshot({Demo(), out, "--quality", "101"}).status, 2);
    EXPECT_EQ(Snapshot({Demo(), out, "--map", "--viewpoint", "1,2,3,4,5"}).status, 2);
    const CliRun bad = Snapshot({Demo(), out, "--viewpoint", "1,2,three,4,5"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("invalid viewpoint '1,2,three,4,5'"), std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(out));
}

// Whether an argument with a leading dash is an option depends on the files
// there are; a name too long to look up is an option, not a crash.
TEST_F(SnapshotCommandTest, DashedArgumentsAreFilesOnlyWhenTheyExist)
{
    const CliRun unknown = Snapshot({Demo(), "-" + std::string(5000, 'a')});
    EXPECT_EQ(unknown.status, 2) << unknown.err;
    EXPECT_NE(unknown.err.find("unknown option '-aaa"), std::string::npos);
    EXPECT_EQ(Snapshot({Demo(), "-out.jpg"}).status, 2);
    std::ofstream(m_dir / "-in.cbb") << "not statistics";
    const CliRun dashed = Snapshot({"-in.cbb", "out.jpg"}, m_dir);
    EXPECT_EQ(dashed.status, 1) << dashed.err;  // read, and found unreadable
    EXPECT_NE(dashed.err.find("cannot read statistics file -in.cbb"), std::string::npos)
        << dashed.err;
}

TEST_F(SnapshotCommandTest, MissingSourceFails)
{
    const CliRun run = Snapshot({(m_dir / "nothing.cbb").string(), (m_dir / "a.jpg").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot open"), std::string::npos) << run.err;
}

TEST_F(SnapshotCommandTest, SourceThatIsNoFileOrTheRootIsRefused)
{
    const std::string fifo = (m_dir / "fifo.cbb").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CliRun run = Snapshot({fifo, (m_dir / "a.jpg").string()});  // never waits for a writer
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot read statistics file " + fifo + ": it is a FIFO"),
              std::string::npos)
        << run.err;
    run = Snapshot({"/", (m_dir / "a.jpg").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is the root of the file system"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(m_dir / "a.jpg"));
}

TEST_F(SnapshotCommandTest, WritesAJpegOfADirectory)
{
    const fs::path out = m_dir / "city.jpg";
    const CliRun run = Snapshot({Demo(), out.string(), "--size", "320x200", "--mode", "2"});
    if (!CanRender(run)) GTEST_SKIP() << run.err;
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string bytes = ReadAll(out);
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);  // JPEG start-of-image marker
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xD8);
}

TEST_F(SnapshotCommandTest, UnwritablePictureIsAFailure)
{
    const std::string out = (m_dir / "no-such-dir" / "city.jpg").string();
    const CliRun run = Snapshot({Demo(), out, "--size", "64x48"});
    if (!CanRender(run)) GTEST_SKIP() << run.err;
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("can't open " + out), std::string::npos) << run.err;
}

}  // namespace
