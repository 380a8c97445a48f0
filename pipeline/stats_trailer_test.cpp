#include "pipeline/stats_trailer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "analysis/temp_tree_test_util.h"
#include "pipeline/build_pipeline.h"
#include "pipeline/statistics_file.h"
#include "platform/crc32c.h"
#include "records/project_stats.h"
#include "records/stats_buffer.h"
#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

using testing::SampleSource;
using testing::TempTree;

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

int ReadBytes(ProjectStats& stats, const std::vector<uint8_t>& bytes)
{
    StatsBuffer buffer;
    buffer.Assign(bytes.data(), bytes.size());
    return DeserialiseStatistics(stats, buffer);
}

// A few files built by "rule", so that the files stay small enough to flip
// many of their bits.
class Built {
public:
    explicit Built(MethodRule rule, int files = 3) : stats(&settings)
    {
        for (int i = 0; i < files; ++i)
            tree.Write("f" + std::to_string(i) + ".cpp",
                       "namespace n {\n" + SampleSource(i + 2) + "}\n");
        stats.methodRule = rule;
        EXPECT_EQ(EvaluateProject(stats, tree.root(), nullptr), 0);
    }
    std::string Save()
    {
        const std::string path = tree.path("p.cbb");
        EXPECT_EQ(WriteStatisticsFile(stats, path), 0);
        return path;
    }
    TempTree tree;
    ScoringSettings settings;
    ProjectStats stats;
};

// What a build knew before it kept lines and paths.
void ForgetLinesAndPaths(ProjectStats& stats)
{
    for (auto& file : stats.files) {
        file->path.clear();
        for (auto& method : file->methods) method->line = method->endLine = 0;
    }
}

// The bytes of the trailer a modern build appends, checksum included.
std::vector<uint8_t> ModernTrailerOf(const std::vector<uint8_t>& head)
{
    StatsTrailer trailer;
    trailer.methodRule = MethodRule::Modern;
    std::vector<uint8_t> bytes;
    EncodeTrailer(trailer, bytes);
    std::vector<uint8_t> file = head;
    file.insert(file.end(), bytes.begin(), bytes.end());
    const uint32_t crc = Crc32c(file.data(), file.size());
    for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<uint8_t>(crc >> shift));
    return file;
}

}  // namespace

TEST(StatsTrailerTest, ModernBuildRoundTripsItsRule)
{
    Built built(MethodRule::Modern);
    ASSERT_GT(built.stats.measures.totalMethods, 0);  // the namespace hides nothing
    const std::string path = built.Save();
    ProjectStats loaded(&built.settings);
    ASSERT_EQ(ReadStatisticsFile(loaded, path), 0);
    EXPECT_EQ(loaded.methodRule, MethodRule::Modern);
    EXPECT_EQ(loaded.measures.totalMethods, built.stats.measures.totalMethods);
    StatsTrailer stored;
    EXPECT_EQ(ReadStoredTrailer(path, stored), StoredTrailer::Present);
    EXPECT_EQ(stored.methodRule, MethodRule::Modern);

    // The serialised form and the file written in pieces are the same bytes.
    StatsBuffer buffer;
    SerialiseStatistics(built.stats, buffer);
    EXPECT_EQ(buffer.data(), FileBytes(path));
}

TEST(StatsTrailerTest, ClassicBuildKeepsTheOldLayoutBeforeItsTrailer)
{
    Built built(MethodRule::Classic);
    // The classic rule passes over bodies in namespaces: one file without.
    built.tree.Write("sub/plain.cpp", SampleSource(4));
    ASSERT_EQ(EvaluateProject(built.stats, built.tree.root(), nullptr), 0);
    ASSERT_GT(built.stats.measures.totalMethods, 0);
    const std::string path = built.Save();
    const auto bytes = FileBytes(path);
    ProjectStats loaded(&built.settings);
    ASSERT_EQ(ReadStatisticsFile(loaded, path), 0);
    EXPECT_EQ(loaded.methodRule, MethodRule::Classic);
    ASSERT_EQ(loaded.files.size(), built.stats.files.size());
    for (size_t i = 0; i < loaded.files.size(); ++i) {
        const FileStats& file = *loaded.files[i];
        EXPECT_EQ(file.path, built.stats.files[i]->path);
        for (size_t m = 0; m < file.methods.size(); ++m) {
            EXPECT_GT(file.methods[m]->line, 0);
            EXPECT_EQ(file.methods[m]->line, built.stats.files[i]->methods[m]->line);
            EXPECT_EQ(file.methods[m]->endLine, built.stats.files[i]->methods[m]->endLine);
        }
    }

    // Without lines and paths the same build is the layout every older
    // reader knows, and the file starts with exactly those bytes.
    ForgetLinesAndPaths(built.stats);
    StatsBuffer old;
    SerialiseStatistics(built.stats, old);
    ASSERT_LT(old.size(), bytes.size());
    EXPECT_TRUE(std::equal(old.data().begin(), old.data().end(), bytes.begin()));
    // Such a file loads with lines and paths unknown.
    ProjectStats before(&built.settings);
    ASSERT_EQ(ReadBytes(before, old.data()), 0);
    for (const auto& file : before.files) {
        EXPECT_TRUE(file->path.empty());
        for (const auto& method : file->methods) EXPECT_EQ(method->line, 0);
    }
    bool nested = false;
    for (const auto& file : loaded.files) nested = nested || file->path == "sub/plain.cpp";
    EXPECT_TRUE(nested);
}

TEST(StatsTrailerTest, LinesAndPathsMustFitTheFiles)
{
    Built built(MethodRule::Modern, 2);
    auto withTrailer = [&](const StatsTrailer& trailer) {
        // The layout before any trailer, then the trailer given.
        ForgetLinesAndPaths(built.stats);
        built.stats.methodRule = MethodRule::Classic;
        StatsBuffer buffer;
        SerialiseStatistics(built.stats, buffer);
        std::vector<uint8_t> file = buffer.data();
        EncodeTrailer(trailer, file);
        const uint32_t crc = Crc32c(file.data(), file.size());
        for (int shift = 0; shift < 32; shift += 8) file.push_back(uint8_t(crc >> shift));
        return file;
    };
    size_t methods = 0;
    for (const auto& file : built.stats.files) methods += file->methods.size();
    ASSERT_GT(methods, 1u);  // the modern rule finds them in their namespace
    StatsTrailer sound;
    sound.filePaths = {"a/x.cpp", "y.cpp"};
    for (size_t i = 0; i < methods; ++i) sound.methodLines.insert(sound.methodLines.end(), {3, 4});
    ProjectStats stats(nullptr);
    ASSERT_EQ(ReadBytes(stats, withTrailer(sound)), 0);
    EXPECT_EQ(stats.files[0]->path, "a/x.cpp");
    EXPECT_EQ(stats.files[1]->methods.back()->endLine, 4);

    StatsTrailer fewerPaths = sound;
    fewerPaths.filePaths.pop_back();
    EXPECT_EQ(ReadBytes(stats, withTrailer(fewerPaths)), -1);
    StatsTrailer moreLines = sound;
    moreLines.methodLines.insert(moreLines.methodLines.end(), {5, 6});
    EXPECT_EQ(ReadBytes(stats, withTrailer(moreLines)), -1);
    StatsTrailer backwards = sound;
    backwards.methodLines[0] = 9;  // a method that ends before it starts
    EXPECT_EQ(ReadBytes(stats, withTrailer(backwards)), -1);
}

TEST(StatsTrailerTest, BitFlipsInAModernFileAreRejected)
{
    Built built(MethodRule::Modern, 2);
    const auto bytes = FileBytes(built.Save());
    ProjectStats stats(nullptr);
    ASSERT_EQ(ReadBytes(stats, bytes), 0);
    // Every bit of the last 64 bytes (grid cells, the whole trailer) and
    // random bits elsewhere; one flip or several.
    std::mt19937 rng(3);
    std::vector<std::vector<size_t>> flips;
    for (size_t bit = (bytes.size() - 64) * 8; bit < bytes.size() * 8; ++bit)
        flips.push_back({bit});
    for (int i = 0; i < 3000; ++i) {
        std::vector<size_t> some(1 + rng() % 3);
        for (size_t& bit : some) bit = rng() % (bytes.size() * 8);
        flips.push_back(some);
    }
    for (const auto& bits : flips) {
        auto damaged = bytes;
        for (size_t bit : bits) damaged[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        if (damaged == bytes) continue;  // the same bit twice
        ProjectStats target(nullptr);
        target.name = "untouched";
        ASSERT_EQ(ReadBytes(target, damaged), -1) << "bit " << bits[0];
        ASSERT_EQ(target.name, "untouched");
    }
}

TEST(StatsTrailerTest, DamagedOrStrangeTrailersAreRejected)
{
    Built built(MethodRule::Classic, 1);
    ForgetLinesAndPaths(built.stats);
    StatsBuffer buffer;
    SerialiseStatistics(built.stats, buffer);
    const std::vector<uint8_t> classic = buffer.data();
    const std::vector<uint8_t> modern = ModernTrailerOf(classic);
    ProjectStats stats(nullptr);
    ASSERT_EQ(ReadBytes(stats, modern), 0);
    EXPECT_EQ(stats.methodRule, MethodRule::Modern);

    // Anything after the grid that is not a sound trailer is damage.
    auto garbage = classic;
    garbage.push_back(0);
    EXPECT_EQ(ReadBytes(stats, garbage), -1);
    // Each cut into the trailer; a cut right after the grid leaves a classic file.
    for (size_t n = classic.size() + 1; n < modern.size(); ++n)
        EXPECT_EQ(ReadBytes(stats, std::vector<uint8_t>(modern.begin(), modern.begin() + n)), -1)
            << n;
    // A version this reader does not know, with its checksum made right.
    auto withVersion = [&](uint8_t version) {
        auto bytes = std::vector<uint8_t>(modern.begin(), modern.end() - 4);
        bytes[classic.size() + 4] = version;
        const uint32_t crc = Crc32c(bytes.data(), bytes.size());
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(crc >> shift));
        return bytes;
    };
    EXPECT_EQ(ReadBytes(stats, withVersion(1)), 0);
    EXPECT_EQ(ReadBytes(stats, withVersion(2)), -1);
}

TEST(StatsTrailerTest, UnknownKeysAreSkipped)
{
    // A later writer's trailer: an unknown key before and after the rule.
    std::vector<uint8_t> entries = {0x09, 0x00, 3, 0, 0, 0, 'a', 'b', 'c',  // key 9, 3 bytes
                                    0x01, 0x00, 1, 0, 0, 0, 1,              // the rule: modern
                                    0xFF, 0xFF, 0, 0, 0, 0};                // key 65535, empty
    std::vector<uint8_t> trailer = {'C', 'B', 'B', 'T', 1, 0};
    const uint32_t size = static_cast<uint32_t>(10 + entries.size() + 12);
    for (int shift = 0; shift < 32; shift += 8)
        trailer.push_back(uint8_t(uint32_t(entries.size()) >> shift));
    trailer.insert(trailer.end(), entries.begin(), entries.end());
    for (int shift = 0; shift < 32; shift += 8) trailer.push_back(uint8_t(size >> shift));
    trailer.insert(trailer.end(), {'C', 'B', 'B', 'E'});
    const uint32_t fileCrc = 0x12345678;
    for (int shift = 0; shift < 32; shift += 8) trailer.push_back(uint8_t(fileCrc >> shift));
    StatsTrailer read;
    ASSERT_TRUE(DecodeTrailer(trailer.data(), trailer.size(), fileCrc, read));
    EXPECT_EQ(read.methodRule, MethodRule::Modern);
    EXPECT_FALSE(DecodeTrailer(trailer.data(), trailer.size(), fileCrc + 1, read));
    trailer[10 + 15] = 7;  // a rule this reader does not know
    EXPECT_FALSE(DecodeTrailer(trailer.data(), trailer.size(), fileCrc, read));
}

TEST(StatsTrailerTest, StoredTrailerFromTheTailOnly)
{
    Built built(MethodRule::Modern, 1);
    const std::string path = built.Save();
    auto bytes = FileBytes(path);
    StatsTrailer stored;

    // The tail alone is read: damage before it goes unnoticed here (the load
    // finds it), damage in it does not.
    bytes[0] ^= 1;
    WriteBytes(path, bytes);
    EXPECT_EQ(ReadStoredTrailer(path, stored), StoredTrailer::Present);
    const size_t trailerSize = bytes[bytes.size() - 12] | (bytes[bytes.size() - 11] << 8) |
                               (bytes[bytes.size() - 10] << 16);
    auto tag = bytes;
    tag[bytes.size() - trailerSize + 4] ^= 1;  // the version
    WriteBytes(path, tag);
    EXPECT_EQ(ReadStoredTrailer(path, stored), StoredTrailer::Damaged);
    auto size = bytes;
    size[bytes.size() - 12] = 0xFF;  // a trailer larger than the file
    size[bytes.size() - 9] = 0x7F;
    WriteBytes(path, size);
    EXPECT_EQ(ReadStoredTrailer(path, stored), StoredTrailer::Damaged);

    EXPECT_EQ(ReadStoredTrailer(built.tree.path("missing.cbb"), stored), StoredTrailer::None);
    EXPECT_EQ(ReadStoredTrailer(built.tree.root(), stored), StoredTrailer::None);
    const std::string fifo = built.tree.path("fifo.cbb");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadStoredTrailer(fifo, stored), StoredTrailer::None);  // and does not block
    WriteBytes(path, {'C', 'B', 'B', 'E'});
    EXPECT_EQ(ReadStoredTrailer(path, stored), StoredTrailer::None);  // shorter than a footer
}

}  // namespace codeburg
