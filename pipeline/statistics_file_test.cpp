#include "pipeline/statistics_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "analysis/temp_tree_test_util.h"
#include "pipeline/build_pipeline.h"
#include "platform/ms_random.h"
#include "records/build_progress_sink.h"
#include "records/project_stats.h"
#include "records/stats_buffer.h"
#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

using testing::SampleSource;
using testing::TempTree;

std::vector<uint8_t> Serialised(const ProjectStats& stats)
{
    StatsBuffer buffer;
    SerialiseStatistics(stats, buffer);
    return buffer.data();
}

int ReadBytes(ProjectStats& stats, const std::vector<uint8_t>& bytes)
{
    StatsBuffer buffer;
    buffer.Assign(bytes.data(), bytes.size());
    return DeserialiseStatistics(stats, buffer);
}

// A built project of a few dozen files with classes, methods and a city.
class BuiltProject {
public:
    BuiltProject() : stats(&settings)
    {
        for (int i = 0; i < 40; ++i)
            tree.Write("s" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".cpp",
                       SampleSource(i));
        EXPECT_EQ(EvaluateProject(stats, tree.root(), nullptr), 0);
    }
    TempTree tree;
    ScoringSettings settings;
    ProjectStats stats;
};

class StatusSink : public BuildProgressSink {
public:
    void Status(const std::string& name, const std::string& verb) override
    {
        calls.push_back(verb + " " + name);
    }
    void FileStep(const std::string&) override {}
    void AddRange(int) override {}
    int Position() override { return 0; }
    void KeepAlive() override { ++keepAlives; }
    std::vector<std::string> calls;
    int keepAlives = 0;
};

// A file holding one file record of "version" with one method; from
// version 1 on the record holds blockCommentLines.
std::vector<uint8_t> OneRecordFile(uint16_t version)
{
    StatsBuffer b;
    b.WriteString("p");
    b.WriteString("/src/p");
    b.WriteU32(1);
    b.WriteU16(version);
    b.WriteString("old.cpp");
    for (int32_t v : {50, 5, 30, 7}) b.WriteI32(v);  // lines, empty, methodEloc, comments
    if (version >= 1) b.WriteI32(4);                 // blockCommentLines
    b.WriteI32(2);                                   // asserts
    b.WriteU32(0x00112233);                          // colour
    for (int32_t v : {30, 99, 99, 99, 3, 1}) b.WriteI32(v);
    b.WriteU32(1);
    b.WriteString("Old");
    b.WriteU32(1);
    b.WriteU16(0);
    b.WriteString("Old");
    b.WriteString("Old");
    for (int32_t v : {1, 30, 4, 2, 3}) b.WriteI32(v);
    CityGrid grid;
    grid.Serialise(b);
    return b.data();
}

// A file holding one version-0 record: no blockCommentLines.
std::vector<uint8_t> VersionZeroFile()
{
    return OneRecordFile(0);
}

}  // namespace

TEST(StatisticsFileTest, SaveAndLoadGiveTheSameProject)
{
    BuiltProject built;
    const std::string path = built.tree.path("proj.cbb");
    StatusSink sink;
    built.stats.progressSink = &sink;
    ASSERT_EQ(WriteStatisticsFile(built.stats, path), 0);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"Serializing proj", "Saving proj"}));
    EXPECT_GT(sink.keepAlives, 0);  // the file goes out in pieces

    ProjectStats loaded(&built.settings);
    ASSERT_EQ(ReadStatisticsFile(loaded, path), 0);
    // A load splits the eloc at the limit without the asserts; so does a rescore.
    built.stats.ComputeMeasures(true);
    EXPECT_EQ(Serialised(loaded), Serialised(built.stats));
    ASSERT_EQ(loaded.files.size(), built.stats.files.size());
    for (size_t i = 0; i < loaded.files.size(); ++i) {
        const FileStats& a = *built.stats.files[i];
        const FileStats& b = *loaded.files[i];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.colour, b.colour);
        ASSERT_EQ(a.methods.size(), b.methods.size());
        for (size_t m = 0; m < b.methods.size(); ++m) {
            EXPECT_EQ(b.methods[m]->file, &b);
            if (!b.methods[m]->className.empty()) {
                EXPECT_EQ(b.methods[m]->cls->name, b.methods[m]->className);
            }
        }
        EXPECT_EQ(b.cityGrid.width, 10);  // block grids are not stored
    }
    EXPECT_EQ(loaded.measures.overallScore, built.stats.measures.overallScore);
    EXPECT_EQ(loaded.measures.totalEloc, built.stats.measures.totalEloc);
}

TEST(StatisticsFileTest, LoadRecomputesLimitSumsWithoutAsserts)
{
    ScoringSettings settings;
    ProjectStats stats(&settings);
    MsRandom rng(1);
    auto file = std::make_unique<FileStats>("a.cpp", 25, rng);
    file->lines = 40;
    file->AddMethod("", "f", 0);
    file->FinishMethod(20, 0, 10, 0);
    ASSERT_EQ(file->elocOverLimit, 20);
    stats.files.push_back(std::move(file));
    ProjectStats loaded(&settings);
    ASSERT_EQ(ReadBytes(loaded, Serialised(stats)), 0);
    EXPECT_EQ(loaded.files[0]->elocOverLimit, 0);
    EXPECT_EQ(loaded.files[0]->elocWithinLimit, 20);
}

TEST(StatisticsFileTest, VersionZeroRecordLoadsWithoutBlockComments)
{
    ProjectStats stats(nullptr);
    ASSERT_EQ(ReadBytes(stats, VersionZeroFile()), 0);
    ASSERT_EQ(stats.files.size(), 1u);
    const FileStats& f = *stats.files[0];
    EXPECT_EQ(f.blockCommentLines, 0);
    EXPECT_EQ(f.asserts, 2);
    EXPECT_EQ(f.colour, 0x00112233u);
    EXPECT_EQ(f.includes, 3);
    EXPECT_EQ(f.constructors, 1);
    ASSERT_EQ(f.methods.size(), 1u);
    EXPECT_EQ(f.methods[0]->cls, f.classes[0].get());
    EXPECT_EQ(f.methods[0]->emptyLines, 3);
    EXPECT_EQ(stats.name, "p");
    EXPECT_EQ(stats.directory, "/src/p");
}

TEST(StatisticsFileTest, NoFileRecordsLoadsAnEmptyProjectWithItsGrid)
{
    ProjectStats empty(nullptr);
    empty.name = "e";
    empty.cityGrid.Allocate(3, 2);
    ProjectStats loaded(nullptr);
    ASSERT_EQ(ReadBytes(loaded, Serialised(empty)), 0);
    EXPECT_TRUE(loaded.files.empty());
    EXPECT_EQ(loaded.cityGrid.width, 3);
    EXPECT_EQ(loaded.measures.overallScore, 0.0f);
    EXPECT_EQ(loaded.measures.totalMethods, 0);
}

TEST(StatisticsFileTest, MissingFileLeavesTheStatisticsAlone)
{
    BuiltProject built;
    const auto before = Serialised(built.stats);
    EXPECT_EQ(ReadStatisticsFile(built.stats, built.tree.path("none.cbb")), -1);
    EXPECT_EQ(Serialised(built.stats), before);
}

TEST(StatisticsFileTest, EveryTruncationIsRejectedWithoutChange)
{
    BuiltProject built;
    const auto bytes = Serialised(built.stats);
    // Cut right after the grid, the file is whole as an older build wrote it.
    for (auto& file : built.stats.files) {
        file->path.clear();
        for (auto& method : file->methods) method->line = method->endLine = 0;
    }
    const size_t gridEnd = Serialised(built.stats).size();
    ASSERT_LT(gridEnd, bytes.size());
    ProjectStats target(nullptr);
    target.name = "untouched";
    // Every cut through the records, the grid's end and the trailer; the grid
    // between them is uniform, so a stride there finds the same faults in
    // linear time.
    const size_t head = 8192, tail = 256;
    for (size_t n = 0; n < bytes.size(); n += (n < head || n + tail > gridEnd) ? 1 : 97) {
        if (n == gridEnd) continue;
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
        ASSERT_EQ(ReadBytes(target, cut), -1) << "cut at " << n;
    }
    EXPECT_EQ(target.name, "untouched");
    EXPECT_TRUE(target.files.empty());
}

TEST(StatisticsFileTest, HugeCountsAreRejectedBeforeAllocating)
{
    auto withCount = [](uint32_t files) {
        StatsBuffer b;
        b.WriteString("p");
        b.WriteString("d");
        b.WriteU32(files);
        return b.data();
    };
    ProjectStats stats(nullptr);
    EXPECT_EQ(ReadBytes(stats, withCount(0xFFFFFFFFu)), -1);
    EXPECT_EQ(ReadBytes(stats, withCount(1000)), -1);

    auto bytes = VersionZeroFile();
    // Names and file count (13 bytes), then the record's version, name and 13 numbers.
    const size_t classCount = 13 + 2 + 8 + 12 * 4;
    const size_t methodCount = classCount + 4 + 4;
    for (size_t at : {classCount, methodCount}) {
        auto hostile = bytes;
        hostile[at] = hostile[at + 1] = hostile[at + 2] = hostile[at + 3] = 0xFF;
        EXPECT_EQ(ReadBytes(stats, hostile), -1);
    }
}

TEST(StatisticsFileTest, GridSizeMustMatchItsByteCountAndTheFile)
{
    ProjectStats source(nullptr);
    source.cityGrid.Allocate(4, 4);
    const auto bytes = Serialised(source);
    const size_t grid = bytes.size() - 4 * 4 * 12 - 53;  // after names and file count
    ProjectStats stats(nullptr);
    auto patch = [&](size_t at, uint32_t v) {
        auto b = bytes;
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    ASSERT_EQ(ReadBytes(stats, bytes), 0);
    EXPECT_EQ(ReadBytes(stats, patch(grid, 5)), -1);            // width x height x 12 differs
    EXPECT_EQ(ReadBytes(stats, patch(grid, 0x80000000u)), -1);  // negative width
    auto b = patch(grid, 10000);
    for (int i = 0; i < 4; ++i) b[grid + 4 + i] = b[grid + i];
    const uint32_t claimed = 10000u * 10000u * 12u;  // consistent, but far beyond the file
    for (int i = 0; i < 4; ++i) b[grid + 49 + i] = static_cast<uint8_t>(claimed >> (8 * i));
    EXPECT_EQ(ReadBytes(stats, b), -1);
}

TEST(StatisticsFileTest, BuildingsMustNameExistingFilesAndMethods)
{
    BuiltProject built;
    CityGrid& grid = built.stats.cityGrid;
    auto it = std::find_if(grid.cells.begin(), grid.cells.end(),
                           [](const CityCell& c) { return c.isBuilding(); });
    ASSERT_NE(it, grid.cells.end());
    it->fileIndex = static_cast<uint32_t>(built.stats.files.size());
    ProjectStats stats(nullptr);
    EXPECT_EQ(ReadBytes(stats, Serialised(built.stats)), -1);
    it->fileIndex = 0;
    it->methodIndex = 100000;
    EXPECT_EQ(ReadBytes(stats, Serialised(built.stats)), -1);
}

TEST(StatisticsFileTest, UnknownVersionsAreRejected)
{
    auto bytes = VersionZeroFile();
    const size_t fileVersion = 13;
    const size_t methodVersion = 13 + 2 + 8 + 12 * 4 + 4 + 4 + 4;
    ProjectStats stats(nullptr);
    ASSERT_EQ(ReadBytes(stats, bytes), 0);
    bytes[methodVersion] = 1;
    EXPECT_EQ(ReadBytes(stats, bytes), -1);
    bytes[methodVersion] = 0;
    bytes[fileVersion] = 2;
    EXPECT_EQ(ReadBytes(stats, bytes), -1);
}

TEST(StatisticsFileTest, FileRecordOfALaterVersionIsUnreadable)
{
    ProjectStats current(nullptr);
    ASSERT_EQ(ReadBytes(current, OneRecordFile(1)), 0);
    ASSERT_EQ(current.files.size(), 1u);
    EXPECT_EQ(current.files[0]->blockCommentLines, 4);

    // Laid out as version 1 throughout, so only the number can reject it.
    ProjectStats later(nullptr);
    EXPECT_EQ(ReadBytes(later, OneRecordFile(2)), -1);
    EXPECT_TRUE(later.files.empty());
}

TEST(StatisticsFileTest, RandomBytesNeverCrash)
{
    BuiltProject built;
    const auto real = Serialised(built.stats);
    std::mt19937 gen(7);
    ProjectStats stats(nullptr);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes;
        if (round % 2) {
            bytes.resize(gen() % 400);
            for (auto& b : bytes) b = static_cast<uint8_t>(gen());
        } else {
            bytes = real;
            for (int flips = 1 + gen() % 8; flips > 0; --flips)
                bytes[gen() % bytes.size()] = static_cast<uint8_t>(gen());
        }
        ReadBytes(stats, bytes);  // any result, but no crash and no sanitizer report
    }
}

}  // namespace codeburg
