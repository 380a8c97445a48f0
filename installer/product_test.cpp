#include "installer/product.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace codeburg {

namespace fs = std::filesystem;

TEST(ProfileTest, ReadsLikePrivateProfileFunctions)
{
    const auto sections = ParseProfile(
        "\xEF\xBB\xBF; comment\n[app]\n Name = \"My Tool\" \r\nurl='x'\nname=second\n"
        "no equals sign\n[FILES]\nb=two\na=one\nb=three\n[APP]\nRELEASE=ignored\n");
    EXPECT_EQ(ProfileString(sections, "APP", "NAME", "?"), "My Tool");
    EXPECT_EQ(ProfileString(sections, "App", "URL", "?"), "x");
    EXPECT_EQ(ProfileString(sections, "APP", "RELEASE", "1.00A"), "1.00A");
    EXPECT_EQ(ProfileString(sections, "NONE", "NAME", "d"), "d");
    // Keys give the order; a repeated key reads as its first value.
    EXPECT_EQ(ProfileValues(sections, "files"), (std::vector<std::string>{"two", "one", "two"}));
    EXPECT_TRUE(ProfileValues(sections, "missing").empty());
}

TEST(ProfileTest, IntegersStopAtTheFirstOtherCharacter)
{
    const auto sections = ParseProfile(
        "[A]\nd=255\nh=0xFF8000\nj=12abc\nn=-3\nt=text\ne=\nbig=99999999999999999999\n");
    EXPECT_EQ(ProfileInt(sections, "A", "d", 7), 255);
    EXPECT_EQ(ProfileInt(sections, "A", "h", 7), 0xFF8000);
    EXPECT_EQ(ProfileInt(sections, "A", "j", 7), 12);
    EXPECT_EQ(ProfileInt(sections, "A", "n", 7), -3);
    EXPECT_EQ(ProfileInt(sections, "A", "t", 7), 0);
    EXPECT_EQ(ProfileInt(sections, "A", "e", 7), 7);
    EXPECT_EQ(ProfileInt(sections, "A", "missing", 7), 7);
    EXPECT_GT(ProfileInt(sections, "A", "big", 7), 0);  // no overflow
}

TEST(ProductTest, ListPathSitsBesideTheInstaller)
{
    EXPECT_EQ(ListPathFor("/opt/x/installer"), "/opt/x/installer.list");
    EXPECT_EQ(ListPathFor("/opt/x/installer.exe"), "/opt/x/installer.list");
    EXPECT_EQ(ListPathFor("/opt/x.y/setup"), "/opt/x.y/setup.list");
}

TEST(ProductTest, DefaultsWithoutListOrLicence)
{
    char pattern[] = "/tmp/cb_product_XXXXXX";
    ASSERT_TRUE(::mkdtemp(pattern));
    const Product product = LoadProduct(std::string(pattern) + "/installer");
    EXPECT_EQ(product.name, "");
    EXPECT_EQ(product.release, "1.00A");
    EXPECT_EQ(product.bgColor, 0xFFFFFFu);
    EXPECT_EQ(product.color, 0u);
    EXPECT_TRUE(product.files.empty());
    EXPECT_EQ(product.licence, "");
    EXPECT_EQ(product.sourceDirectory, pattern);
    fs::remove_all(pattern);
}

TEST(ProductTest, DerivesProgramHelpAndLicence)
{
    char pattern[] = "/tmp/cb_product_XXXXXX";
    ASSERT_TRUE(::mkdtemp(pattern));
    const std::string dir = pattern;
    std::ofstream(dir + "/installer.list")
        << "[APP]\nNAME=Codeburg\nBGCOLOR=255\n[FILES]\n1=readme.txt\n2=codeburg.qch\n"
           "3=tool\n4=codeburg\n5=Other.EXE\n";
    std::ofstream(dir + "/licence.txt", std::ios::binary) << "line 1\r\nline 2";
    std::ofstream(dir + "/readme.txt") << "x";
    std::ofstream(dir + "/codeburg") << "#!/bin/sh\n";
    ::chmod((dir + "/codeburg").c_str(), 0755);
    const Product product = LoadProduct(dir + "/installer");
    EXPECT_EQ(product.name, "Codeburg");
    EXPECT_EQ(product.bgColor, 0x0000FFu);
    // "tool" is listed but absent, so it is no program; "codeburg" is executable.
    EXPECT_EQ(product.mainProgram, "codeburg");
    EXPECT_EQ(product.helpFile, "codeburg.qch");
    EXPECT_EQ(product.licence, "line 1\r\nline 2");
    fs::remove_all(dir);
}

TEST(ProductTest, TargetAndNames)
{
    EXPECT_EQ(DefaultTargetDirectory("Codeburg", "/home/ann", false),
              "/home/ann/.local/opt/Codeburg");
    EXPECT_EQ(DefaultTargetDirectory("Codeburg", "/root", true), "/opt/Codeburg");
    EXPECT_TRUE(IsSafeProductName("Code burg 2"));
    for (const char* bad : {"", ".", "..", "a/b", "..\\x"})
        EXPECT_FALSE(IsSafeProductName(bad)) << bad;
}

}  // namespace codeburg
