#include "platform/safe_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/full_disk_test_util.h"
#include "platform/ms_random.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "safe_file_XXXXXX";
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
    EXPECT_EQ(WriteFileAtomically(m_dir, pieces, [&] { ++calls; }),
              -1);  // a folder is never replaced
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

// Nothing is ever written through a link, nor into a FIFO or a folder.
TEST_F(SafeFileTest, RefusesLinksAndWhatIsNotARegularFile)
{
    const std::string victim = Path("victim");
    ASSERT_EQ(WriteFileAtomically(victim, std::string_view("precious")), 0);
    fs::create_symlink(victim, Path("evil.cbb"));
    std::string error;
    EXPECT_EQ(WriteFileAtomically(Path("evil.cbb"), std::string_view("stats"), &error), -1);
    EXPECT_EQ(error, "it is a symbolic link");
    EXPECT_EQ(ReadAll(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(Path("evil.cbb")));
    fs::create_symlink(Path("nowhere"), Path("dangling.cbb"));
    EXPECT_EQ(WriteFileAtomically(Path("dangling.cbb"), std::string_view("x"), &error), -1);
    EXPECT_FALSE(fs::exists(Path("nowhere")));

    ASSERT_EQ(mkfifo(Path("fifo.cbb").c_str(), 0600), 0);
    EXPECT_EQ(WriteFileAtomically(Path("fifo.cbb"), std::string_view("x"), &error), -1);
    EXPECT_EQ(error, "it is a FIFO");
    fs::create_directory(Path("dir.cbb"));
    EXPECT_EQ(WriteFileAtomically(Path("dir.cbb"), std::string_view("x"), &error), -1);
    EXPECT_EQ(error, "it is a directory");
    EXPECT_EQ(EntryCount(), 5u);  // no temporary left behind

    // Appending refuses the same, and creates a missing log.
    EXPECT_EQ(OpenForAppending(Path("evil.cbb"), &error), -1);
    EXPECT_EQ(error, "it is a symbolic link");
    EXPECT_EQ(OpenForAppending(Path("fifo.cbb"), &error), -1);
    EXPECT_EQ(error, "it is a FIFO");
    const int fd = OpenForAppending(Path("log.txt"), &error);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(ReadAll(victim), "precious");
}

TEST_F(SafeFileTest, CreateOnlyNeverReplaces)
{
    std::string error;
    ASSERT_EQ(CreateFileAtomically(Path("w.cbw"), "first", &error), 0);
    EXPECT_EQ(CreateFileAtomically(Path("w.cbw"), "second", &error), -1);
    EXPECT_EQ(error, "it already exists");
    EXPECT_EQ(ReadAll(Path("w.cbw")), "first");

    // Taken between staging and committing: still not replaced.
    StagedFile staged;
    ASSERT_EQ(staged.Create(Path("v.cbw"), &error, StagedFile::Mode::CreateOnly), 0);
    ASSERT_EQ(staged.Write("late", 4, &error), 0);
    ASSERT_EQ(WriteFileAtomically(Path("v.cbw"), std::string_view("early")), 0);
    EXPECT_EQ(staged.Commit(&error), -1);
    EXPECT_EQ(ReadAll(Path("v.cbw")), "early");
    EXPECT_EQ(EntryCount(), 2u);
}

// A save killed before its rename leaves its temporary; the next save of the
// same file removes it, but never a living writer's.
TEST_F(SafeFileTest, NextSaveRemovesTemporariesOfDeadWriters)
{
    const pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const std::string stale = Path(".a.cbb.tmp" + std::to_string(dead) + ".0");
    const std::string living = Path(".a.cbb.tmp" + std::to_string(getppid()) + ".3");
    const std::string other = Path(".b.cbb.tmp" + std::to_string(dead) + ".0");
    for (const std::string& path : {stale, living, other})
        ASSERT_EQ(WriteFileAtomically(path, std::string_view("partial")), 0);

    ASSERT_EQ(WriteFileAtomically(Path("a.cbb"), std::string_view("whole")), 0);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(living));
    EXPECT_TRUE(fs::exists(other));  // another file's, left to its own next save
    EXPECT_EQ(ReadAll(Path("a.cbb")), "whole");
}

// A disk that fills up during the save: the reason is given, the old file
// stays whole and no temporary is left.
TEST_F(SafeFileTest, FullDiskFailsWithTheSystemsReason)
{
    const std::string disk = Path("disk");
    fs::create_directory(disk);
    const std::string path = disk + "/big.cbb";
    const std::string big(testing::kFullDiskBytes * 2, 'B');
    if (testing::MountSmallDisk(disk)) {
        ASSERT_EQ(WriteFileAtomically(path, std::string_view("old")), 0);
        std::string error;
        EXPECT_EQ(WriteFileAtomically(path, big, &error), -1);
        EXPECT_EQ(error, std::strerror(ENOSPC));
        EXPECT_EQ(ReadAll(path), "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(disk), {}), 1);
        testing::UnmountSmallDisk(disk);
        return;
    }
    ASSERT_EQ(WriteFileAtomically(path, std::string_view("old")), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        testing::LimitFileSizeInChild();
        std::string error;
        const bool failed = WriteFileAtomically(path, big, &error) == -1;
        _exit(failed && error == std::strerror(EFBIG) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(disk), {}), 1);
}

TEST_F(SafeFileTest, ReadsOnlyRegularFilesUpToTheirBound)
{
    std::string bytes = "untouched", error;
    ASSERT_EQ(WriteFileAtomically(Path("a.cbw"), std::string_view("<workspace/>")), 0);
    ASSERT_EQ(ReadRegularFile(Path("a.cbw"), 100, bytes, &error), 0);
    EXPECT_EQ(bytes, "<workspace/>");
    fs::create_symlink(Path("a.cbw"), Path("link.cbw"));  // reading may follow a link
    ASSERT_EQ(ReadRegularFile(Path("link.cbw"), 100, bytes, &error), 0);

    bytes = "untouched";
    EXPECT_EQ(ReadRegularFile(Path("a.cbw"), 5, bytes, &error), -1);
    EXPECT_EQ(error, "file too large (12 bytes, at most 5)");
    ASSERT_EQ(mkfifo(Path("fifo.cbw").c_str(), 0600), 0);
    EXPECT_EQ(ReadRegularFile(Path("fifo.cbw"), 100, bytes, &error), -1);  // never blocks
    EXPECT_EQ(error, "it is a FIFO");
    EXPECT_EQ(ReadRegularFile("/dev/zero", 100, bytes, &error), -1);
    EXPECT_EQ(error, "it is a device");
    EXPECT_EQ(ReadRegularFile(m_dir, 100, bytes, &error), -1);
    EXPECT_EQ(error, "it is a directory");
    EXPECT_EQ(ReadRegularFile(Path("missing"), 100, bytes, &error), -1);
    EXPECT_EQ(error, std::strerror(ENOENT));
    EXPECT_EQ(bytes, "untouched");
    if (geteuid() != 0) {  // the administrator reads everything
        ASSERT_EQ(chmod(Path("a.cbw").c_str(), 0), 0);
        EXPECT_EQ(ReadRegularFile(Path("a.cbw"), 100, bytes, &error), -1);
        EXPECT_EQ(error, std::strerror(EACCES));
    }
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
    // The killed writers' temporaries go with the next save.
    ASSERT_EQ(WriteFileAtomically(path, contentA), 0);
    EXPECT_EQ(EntryCount(), 1u);
}

}  // namespace codeburg
