#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace codeburg {

namespace {

namespace fs = std::filesystem;

class IniFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = testing::TempDir() + "ini_file_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/codeburg.ini";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void WriteText(const std::string& text) const
    {
        std::ofstream(m_path, std::ios::binary) << text;
    }
    std::string ReadText() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string m_dir;
    std::string m_path;
};

}  // namespace

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsCreatedByFirstWrite)
{
    IniFile ini(m_path);
    EXPECT_EQ(ini.GetInt("SNAPSHOT", "QUALITY", 75), 75);
    EXPECT_EQ(ini.GetString("SCORING", "coeff01", ""), "");
    EXPECT_EQ(ini.GetString("SCORING", "coeff01", "dflt  "), "dflt");  // trailing blanks cut
    EXPECT_FALSE(fs::exists(m_path));

    ASSERT_TRUE(ini.WriteString("SNAPSHOT", "QUALITY", "80"));
    ASSERT_TRUE(ini.WriteString("SCORING", "LINECOUNT", "30"));
    ASSERT_TRUE(ini.WriteString("SCORING", "coeff01", "1,2"));
    EXPECT_EQ(ReadText(), "[SNAPSHOT]\nQUALITY=80\n\n[SCORING]\nLINECOUNT=30\ncoeff01=1,2\n");
    EXPECT_EQ(IniFile(m_path).GetInt("snapshot", "quality", 75), 80);
}

TEST_F(IniFileTest, ReadsLikeThePrivateProfileFunctions)
{
    WriteText(
        "top=ignored\r\n"
        "; comment=no\r\n"
        "  [ Scoring ]  \r\n"
        "  LineCount =  42 \r\n"
        "quoted = \" padded \"\r\n"
        "single='x'\r\n"
        "half=\"x\r\n"
        "noequals\r\n"
        "linecount=99\r\n"
        "[scoring]\r\n"
        "other=1\r\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.GetString("SCORING", "LINECOUNT", ""), "42");  // first key wins
    EXPECT_EQ(ini.GetInt("SCORING", "LINECOUNT", 25), 42);
    EXPECT_EQ(ini.GetString("SCORING", "quoted", ""), " padded ");
    EXPECT_EQ(ini.GetString("SCORING", "single", ""), "x");
    EXPECT_EQ(ini.GetString("SCORING", "half", ""), "\"x");
    EXPECT_EQ(ini.GetString("SCORING", "noequals", "d"), "d");
    EXPECT_EQ(ini.GetString("SCORING", "other", "d"), "d");  // only the first section is read
    EXPECT_EQ(ini.GetString("", "top", "d"), "d");
    EXPECT_EQ(ini.GetString("SCORING", "; comment", "d"), "d");
}

TEST_F(IniFileTest, IntegersParseLikeAtoiWithSaturation)
{
    WriteText("[S]\na=-17xyz\nb=abc\nc=\nd=+5\ne=99999999999\nf=-99999999999\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.GetInt("S", "a", 1), -17);
    EXPECT_EQ(ini.GetInt("S", "b", 1), 0);  // present but not a number
    EXPECT_EQ(ini.GetInt("S", "c", 1), 1);  // empty reads as absent
    EXPECT_EQ(ini.GetInt("S", "d", 1), 5);
    EXPECT_EQ(ini.GetInt("S", "e", 1), INT32_MAX);
    EXPECT_EQ(ini.GetInt("S", "f", 1), INT32_MIN);
}

TEST_F(IniFileTest, ValuesAreCutAtTheMaximumLength)
{
    const std::string longValue(400, 'v');
    IniFile ini(m_path);
    ASSERT_TRUE(ini.WriteString("S", "k", longValue));
    EXPECT_EQ(ini.GetString("S", "k", "").size(), IniFile::kMaxValueLength);
    EXPECT_EQ(ini.GetString("S", "k", "", 10), std::string(10, 'v'));
    EXPECT_EQ(ini.GetString("S", "missing", "abcdef", 3), "abc");
}

TEST_F(IniFileTest, WritesKeepTheRestOfTheFileAndItsLineEnds)
{
    WriteText("; settings\r\n[SCORING]\r\nLineCount=25\r\n\r\n[OTHER]\r\nx=1\r\n");
    IniFile ini(m_path);
    ASSERT_TRUE(ini.WriteString("scoring", "LINECOUNT", "30"));
    ASSERT_TRUE(ini.WriteString("SCORING", "coeff01", "a"));
    EXPECT_EQ(ReadText(),
              "; settings\r\n[SCORING]\r\nLineCount=30\r\ncoeff01=a\r\n\r\n[OTHER]\r\nx=1\r\n");
}

TEST_F(IniFileTest, WriteSeesChangesMadeByOthersMeanwhile)
{
    IniFile ini(m_path);
    ASSERT_TRUE(ini.WriteString("S", "a", "1"));
    IniFile other(m_path);
    ASSERT_TRUE(other.WriteString("S", "b", "2"));
    ASSERT_TRUE(ini.WriteString("S", "c", "3"));
    EXPECT_EQ(ReadText(), "[S]\na=1\nb=2\nc=3\n");
}

TEST_F(IniFileTest, RefusesEntriesThatWouldBreakTheLines)
{
    IniFile ini(m_path);
    EXPECT_FALSE(ini.WriteString("S", "k", "1\n[EVIL]"));
    EXPECT_FALSE(ini.WriteString("S", "a=b", "1"));
    EXPECT_FALSE(ini.WriteString("S", "", "1"));
    EXPECT_FALSE(ini.WriteString("S]x", "k", "1"));
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(IniFileTest, UnwritableOrOddPathsFailAndKeepMemoryInStep)
{
    IniFile ini(m_dir + "/missing/codeburg.ini");
    EXPECT_TRUE(ini.Reload());  // absent reads as empty
    EXPECT_FALSE(ini.WriteString("S", "k", "1"));
    EXPECT_EQ(ini.GetString("S", "k", "d"), "d");

    IniFile folder(m_dir);
    EXPECT_FALSE(folder.Reload());
    EXPECT_FALSE(folder.WriteString("S", "k", "1"));
    EXPECT_TRUE(fs::is_directory(m_dir));

    // Neither written through a link nor waited on as a FIFO.
    std::ofstream(m_dir + "/victim") << "precious";
    fs::create_symlink(m_dir + "/victim", m_dir + "/link.ini");
    IniFile linked(m_dir + "/link.ini");
    EXPECT_FALSE(linked.WriteString("S", "k", "1"));
    EXPECT_EQ(linked.GetString("S", "k", "d"), "d");
    std::ifstream victim(m_dir + "/victim");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(victim), {}), "precious");
    ASSERT_EQ(mkfifo((m_dir + "/fifo.ini").c_str(), 0600), 0);
    IniFile fifo(m_dir + "/fifo.ini");
    EXPECT_FALSE(fifo.Reload());
}

TEST(SettingsFilePathTest, LowerCasesOnlyTheFileName)
{
    EXPECT_EQ(SettingsFilePath("/opt/Tools/codeburg"), "/opt/Tools/codeburg.ini");
    EXPECT_EQ(SettingsFilePath("/opt/Tools/CodeBurg"), "/opt/Tools/codeburg.ini");
    EXPECT_EQ(SettingsFilePath("/opt/Tools/Codeburg.EXE"), "/opt/Tools/codeburg.ini");
    EXPECT_EQ(SettingsFilePath("/opt/Tools/cb2"), "/opt/Tools/cb2.ini");
    EXPECT_EQ(SettingsFilePath("codeburg"), "codeburg.ini");
    EXPECT_EQ(SharedSettingsFilePath("/opt/Tools"), "/opt/Tools/codeburg.ini");
    EXPECT_EQ(SharedSettingsFilePath("/opt/Tools/"), "/opt/Tools/codeburg.ini");
}

}  // namespace codeburg
