#include "records/file_stats.h"

#include <gtest/gtest.h>

#include "platform/ms_random.h"

namespace codeburg {

TEST(FileStatsTest, ConstructorCountsAndNullClassForFreeFunctions)
{
    MsRandom rng(1);
    FileStats file("a.cpp", 25, rng);
    MethodStats* ctor = file.AddMethod("Foo", "Foo", 1);
    MethodStats* free = file.AddMethod("", "main", 2);
    MethodStats* dtor = file.AddMethod("Foo", "~Foo", 0);
    EXPECT_EQ(file.constructors, 1);
    EXPECT_EQ(free->cls, nullptr);
    EXPECT_EQ(ctor->cls, dtor->cls);
    ASSERT_EQ(file.classes.size(), 1u);
    EXPECT_EQ(file.FindOrCreateClass("foo")->name, "foo");  // case-sensitive: a new class
    EXPECT_EQ(file.classes.size(), 2u);
}

TEST(FileStatsTest, LimitSumsCountAssertsAfterBuildButNotAfterLoad)
{
    MsRandom rng(1);
    FileStats file("a.cpp", 25, rng);
    file.AddMethod("", "f", 0);
    file.FinishMethod(20, 0, 10, 0);
    EXPECT_EQ(file.elocOverLimit, 20);  // 20 + 10 > 25
    EXPECT_EQ(file.elocWithinLimit, 0);
    file.RecomputeLimitSums(25);
    EXPECT_EQ(file.elocOverLimit, 0);  // 20 <= 25
    EXPECT_EQ(file.elocWithinLimit, 20);
}

TEST(FileStatsTest, HugeStoredFiguresSaturateInsteadOfOverflowing)
{
    FileStats file("a.cpp", 25, 0u);
    for (int i = 0; i < 3; ++i) {
        file.AddMethod("", "f", 0);
        file.FinishMethod(INT32_MAX, 0, INT32_MAX, 0);
    }
    EXPECT_EQ(file.methodElocSum, INT32_MAX);
    file.RecomputeLimitSums(25);
    EXPECT_EQ(file.elocOverLimit, INT32_MAX);
}

TEST(FileStatsTest, DerivedFiguresWithoutMethodsOrEloc)
{
    MsRandom rng(1);
    FileStats file("a.cpp", 25, rng);
    file.includes = 3;
    file.lines = 4;
    file.commentLines = 2;
    file.emptyLines = 2;
    EXPECT_EQ(file.ElocPerMethod(), 0.0f);
    EXPECT_EQ(file.Volume(), 3);
    EXPECT_EQ(file.Eloc(), 0);
    EXPECT_EQ(file.CommentPercent(), 0.0f);
    EXPECT_EQ(file.AssertPercent(), 0.0f);
}

TEST(FileStatsTest, ColourDrawsThreeValuesInOrder)
{
    MsRandom a(7), b(7);
    FileStats file("a.cpp", 25, a);
    b.next();
    b.next();
    b.next();
    EXPECT_EQ(a.state(), b.state());
    EXPECT_EQ(file.colour & 0xFF000000u, 0u);
}

TEST(FileStatsTest, SortsMethodsLargestFirst)
{
    MsRandom rng(1);
    FileStats file("a.cpp", 25, rng);
    for (int eloc : {3, 9, 1}) {
        file.AddMethod("", "f", 0);
        file.FinishMethod(eloc, 0, 0, 0);
    }
    file.SortMethods();
    EXPECT_EQ(file.methods[0]->eloc, 9);
    EXPECT_EQ(file.methods[2]->eloc, 1);
    EXPECT_EQ(file.maxMethodEloc, 9);
    EXPECT_EQ(file.methodElocSum, 13);
}

}  // namespace codeburg
