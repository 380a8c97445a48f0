#include "views/list_sort.h"

#include <gtest/gtest.h>

#include <memory>

#include "records/file_stats.h"
#include "workspace/developer_records.h"

namespace codeburg {
namespace {

std::unique_ptr<FileStats> File(const std::string& name, int lines, int comments, int methods)
{
    auto file = std::make_unique<FileStats>(name, 25, 0u);
    file->lines = lines;
    file->commentLines = comments;
    for (int i = 0; i < methods; ++i) file->AddMethod("", "m" + std::to_string(i), 0);
    return file;
}

std::vector<std::string> Names(const std::vector<FileStats*>& rows)
{
    std::vector<std::string> names;
    for (const FileStats* row : rows) names.push_back(row ? row->name : "TOTAL");
    return names;
}

TEST(SortStateTest, SameColumnTogglesOtherColumnKeepsItsFlag)
{
    SortState state(13, 0);
    EXPECT_FALSE(state.descending());
    state.Click(0);
    EXPECT_TRUE(state.descending());
    state.Click(3);
    EXPECT_EQ(state.column(), 3);
    EXPECT_FALSE(state.descending());
    state.Click(0);  // back to a column whose flag was set earlier
    EXPECT_EQ(state.column(), 0);
    EXPECT_TRUE(state.descending());
}

TEST(SortStateTest, StoredColumnOutOfRangeFallsBackToFirst)
{
    EXPECT_EQ(SortState(13, 40).column(), 0);
    EXPECT_EQ(SortState(13, -2).column(), 0);
    SortState state(9, 8);
    state.Click(9);  // no such column: nothing changes
    EXPECT_EQ(state.column(), 8);
}

TEST(SortRowsTest, TotalRowStaysLastInBothDirections)
{
    auto a = File("b.cpp", 10, 5, 2), b = File("a.cpp", 30, 1, 0), c = File("C.cpp", 20, 0, 1);
    std::vector<FileStats*> rows{a.get(), nullptr, b.get(), c.get()};
    SortState state(13, 0);
    SortRows(rows, state, CompareFiles);
    // Byte order: upper case before lower case.
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"C.cpp", "a.cpp", "b.cpp", "TOTAL"}));
    state.Click(0);
    SortRows(rows, state, CompareFiles);
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"b.cpp", "a.cpp", "C.cpp", "TOTAL"}));
    state.Click(2);
    SortRows(rows, state, CompareFiles);
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"b.cpp", "C.cpp", "a.cpp", "TOTAL"}));
    state.Click(2);
    SortRows(rows, state, CompareFiles);
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"a.cpp", "C.cpp", "b.cpp", "TOTAL"}));
}

TEST(SortRowsTest, RatioColumnsCompareAsFloats)
{
    // 1 comment in 3 eloc (33.3 %) against 1 in 2 (50 %): integer percents
    // would still order these, 1 in 300 against 1 in 200 would not.
    auto a = File("a", 301, 1, 0), b = File("b", 201, 1, 0), zero = File("z", 0, 0, 0);
    std::vector<FileStats*> rows{b.get(), zero.get(), a.get()};
    SortRows(rows, SortState(13, 11), CompareFiles);
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"z", "a", "b"}));
}

TEST(SortRowsTest, MethodColumnsAndEmptyElocRules)
{
    FileStats file("f.cpp", 25, 0u);
    MethodStats* commented = file.AddMethod("B", "x", 1);
    commented->commentLines = 2;  // eloc 0 with comments: green 100
    MethodStats* bare = file.AddMethod("A", "y", 3);
    bare->eloc = 4;
    bare->asserts = 1;  // green 25
    std::vector<MethodStats*> rows{commented, bare, nullptr};
    SortRows(rows, SortState(9, 7), CompareMethods);
    EXPECT_EQ(rows[0], bare);
    EXPECT_EQ(rows[2], nullptr);
    SortRows(rows, SortState(9, 0), CompareMethods);
    EXPECT_EQ(rows[0], bare);
    SortRows(rows, SortState(9, 2), CompareMethods);
    EXPECT_EQ(rows[0], commented);
}

TEST(SortRowsTest, DevelopersByPercentColumns)
{
    DeveloperRecord low{"low", 1, 10, 2.0f, 0.101f, 0.0f, 0.5f};
    DeveloperRecord high{"high", 2, 5, 1.0f, 0.3f, 0.01f, 0.25f};
    std::vector<DeveloperRecord*> rows{&high, &low};
    SortRows(rows, SortState(7, 4), CompareDevelopers);
    EXPECT_EQ(rows[0], &low);
    SortRows(rows, SortState(7, 6), CompareDevelopers);
    EXPECT_EQ(rows[0], &high);
    SortRows(rows, SortState(7, 2), CompareDevelopers);
    EXPECT_EQ(rows[0], &high);
}

}  // namespace
}  // namespace codeburg
