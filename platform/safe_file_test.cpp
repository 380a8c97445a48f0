#include "platform/safe_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/ms_random.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

class SafeFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = testing::TempDir() + "safe_file_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    size_t EntryCount() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    std::string m_dir;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string content(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    return content;
}

}  // namespace

TEST_F(SafeFileTest, CreatesAndReplacesWithoutLeavingTemporaries)
{
    const std::string path = Path("a.cbb");
    ASSERT_EQ(WriteFileAtomically(path, std::string_view("first")), 0);
    EXPECT_EQ(ReadAll(path), "first");
    ASSERT_EQ(WriteFileAtomically(path, std::string_view("")), 0);
    EXPECT_EQ(ReadAll(path), "");
    ASSERT_EQ(WriteFileAtomically(path, std::string_view("second\0x", 8)), 0);
    EXPECT_EQ(ReadAll(path), std::string("second\0x", 8));
    EXPECT_EQ(EntryCount(), 1u);

    // Pieces land one after the other; a missing piece fails before anything is touched.
    const BytePiece pieces[] = {{"head", 4}, {nullptr, 0}, {"-tail", 5}};
    ASSERT_EQ(WriteFileAtomically(path, pieces), 0);
    EXPECT_EQ(ReadAll(path), "head-tail");
    const BytePiece broken[] = {{"head", 4}, {nullptr, 3}};
    EXPECT_EQ(WriteFileAtomically(path, broken), -1);
    EXPECT_EQ(ReadAll(path), "head-tail");
    EXPECT_EQ(EntryCount(), 1u);

    // With a callback the writing runs apart from the caller, who is called
    // back meanwhile; the result is the same.
    int calls = 0;
    ASSERT_EQ(WriteFileAtomically(path, pieces, [&] { ++calls; }), 0);
    EXPECT_EQ(ReadAll(path), "head-tail");
    EXPECT_GE(calls, 1);
    EXPECT_EQ(EntryCount(), 1u);
    EXPECT_EQ(WriteFileAtomically(m_dir, pieces, [&] { ++calls; }), -1);  // a folder is never replaced
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(SafeFileTest, NameAtTheLengthLimitStillWorks)
{
    const std::string path = Path(std::string(251, 'n') + ".cbb");
    ASSERT_EQ(WriteFileAtomically(path, std::string_view("x")), 0);
    EXPECT_EQ(ReadAll(path), "x");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(SafeFileTest, KeepsPermissionsOfTheOldFile)
{
    const std::string path = Path("a.ini");
    ASSERT_EQ(WriteFileAtomically(path, std::string_view("x")), 0);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(WriteFileAtomically(path, std::string_view("y")), 0);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SafeFileTest, ReplacesTheTargetOfALink)
{
    const std::string target = Path("real.ini");
    const std::string link = Path("link.ini");
    ASSERT_EQ(WriteFileAtomically(target, std::string_view("old")), 0);
    fs::create_symlink(target, link);
    ASSERT_EQ(WriteFileAtomically(link, std::string_view("new")), 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(target), "new");
}

TEST_F(SafeFileTest, FailsCleanlyOnMissingFolderOrFolderName)
{
    EXPECT_EQ(WriteFileAtomically(Path("no/such/dir/a.cbb"), std::string_view("x")), -1);
    EXPECT_EQ(WriteFileAtomically("", std::string_view("x")), -1);
    fs::create_directory(Path("sub"));
    EXPECT_EQ(WriteFileAtomically(Path("sub"), std::string_view("x")), -1);
    EXPECT_TRUE(fs::is_directory(Path("sub")));
    EXPECT_EQ(EntryCount(), 1u);  // no temporary left behind
}

// A writer killed at any moment leaves the old or the new content, whole.
TEST_F(SafeFileTest, KilledWriterNeverLeavesAPartialFile)
{
    const std::string path = Path("big.cbb");
    const std::string contentA(3 << 20, 'A');
    const std::string contentB((2 << 20) + 17, 'B');
    ASSERT_EQ(WriteFileAtomically(path, contentA), 0);

    MsRandom rng(12345);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int rounds = 0;
    while (rounds < 40 && std::chrono::steady_clock::now() < deadline) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) WriteFileAtomically(path, i % 2 ? contentA : contentB);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng.next() * 3));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = ReadAll(path);
        ASSERT_TRUE(now == contentA || now == contentB)
            << "round " << rounds << ": " << now.size() << " bytes";
        ++rounds;
    }
}

}  // namespace codeburg
