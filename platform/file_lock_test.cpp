#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/safe_file.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

class FileLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "file_lock_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/w.cbw";
        ASSERT_EQ(WriteFileAtomically(m_path, std::string_view("0")), 0);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string m_dir, m_path;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(FileLockTest, SecondHolderWaitsOrFailsAtOnce)
{
    FileLock first;
    ASSERT_EQ(first.Lock(m_path, FileLock::Wait::No, {}, nullptr), 0);
    FileLock second;
    std::string error;
    EXPECT_EQ(second.Lock(m_path, FileLock::Wait::No, {}, &error), -1);
    EXPECT_EQ(error, "it is locked by another program");

    std::atomic<bool> told{false}, locked{false};
    std::thread waiter([&] {
        FileLock third;
        locked = third.Lock(
                     m_path, FileLock::Wait::Yes, [&] { told = true; }, nullptr) == 0;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    EXPECT_TRUE(told);  // a wait of more than a second is announced
    EXPECT_FALSE(locked);
    first.Unlock();
    waiter.join();
    EXPECT_TRUE(locked);

    int code = 0;
    EXPECT_EQ(second.Lock(m_dir + "/missing.cbw", FileLock::Wait::No, {}, &error, &code), -1);
    EXPECT_EQ(code, ENOENT);
}

// Every holder reads, changes and replaces the file by a rename: a lock on
// the file it replaced would let the next one read a stale copy.
TEST_F(FileLockTest, ReadChangeWriteLosesNoUpdateAcrossReplacements)
{
    constexpr int kThreads = 8, kRounds = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                FileLock lock;
                ASSERT_EQ(lock.Lock(m_path, FileLock::Wait::Yes, {}, nullptr), 0);
                const int value = std::atoi(ReadAll(m_path).c_str());
                ASSERT_EQ(WriteFileAtomically(m_path, std::to_string(value + 1)), 0);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(ReadAll(m_path), std::to_string(kThreads * kRounds));
}

}  // namespace codeburg
