#include "platform/path_util.h"

#include <gtest/gtest.h>

#include "platform/ms_random.h"

namespace codeburg {

TEST(PathJoinTest, AddsOneSeparator)
{
    EXPECT_EQ(PathJoin("/a/b", "c.cbb"), "/a/b/c.cbb");
    EXPECT_EQ(PathJoin("/a/b/", "c.cbb"), "/a/b/c.cbb");
    EXPECT_EQ(PathJoin("/a/b", "/c.cbb"), "/a/b/c.cbb");
    EXPECT_EQ(PathJoin("", "c.cbb"), "c.cbb");
    EXPECT_EQ(PathJoin("/a", ""), "/a");
}

TEST(PathJoinTest, LastComponent)
{
    EXPECT_EQ(LastPathComponent("/home/a/src"), "src");
    EXPECT_EQ(LastPathComponent("src"), "src");
    EXPECT_EQ(LastPathComponent("/home/a/"), "");
}

TEST(NoCaseTest, ComparesAsciiOnly)
{
    EXPECT_TRUE(EqualsNoCase("StdAfx.CPP", "stdafx.cpp"));
    EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));  // bytes above 127 are not letters
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_LT(CompareNoCase("ab", "AB c"), 0);
}

TEST(MsRandomTest, MatchesClassicRuntimeSequence)
{
    // The first draws of the classic runtime after srand(1) are 41, 18467, 6334.
    MsRandom rng(1);
    EXPECT_EQ(rng.next(), 41);
    EXPECT_EQ(rng.next(), 18467);
    EXPECT_EQ(rng.next(), 6334);
}

}  // namespace codeburg
