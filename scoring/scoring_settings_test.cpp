#include "scoring/scoring_settings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/ini_file.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

class ScoringSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = testing::TempDir() + "scoring_settings_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/codeburg.ini";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void WriteText(const std::string& text) const
    {
        std::ofstream(m_path, std::ios::binary) << text;
    }
    ScoringSettings LoadFromFile() const
    {
        ScoringSettings settings;
        Load(settings, IniFile(m_path));
        return settings;
    }

    std::string m_dir;
    std::string m_path;
};

void ExpectSameTopic(const ScoringTopic& a, const ScoringTopic& b)
{
    EXPECT_EQ(a.weight, b.weight) << a.name;
    EXPECT_EQ(a.reference, b.reference) << a.name;
    EXPECT_EQ(a.tolerance, b.tolerance) << a.name;
    EXPECT_EQ(a.ratioMinus, b.ratioMinus) << a.name;
    EXPECT_EQ(a.ratioPlus, b.ratioPlus) << a.name;
}

}  // namespace

TEST(ScoringDefaultsTest, LineCountSetsTheLinesPerMethodReference)
{
    const ScoringSettings settings;
    EXPECT_EQ(settings.lineCount, 25);
    EXPECT_EQ(settings.snapshotQuality, 75);
    ASSERT_EQ(settings.topics.size(), 7u);
    EXPECT_EQ(settings.topics[3].reference, 0.25f);
    // The float constant: 30 x 0.01f, not the float nearest 0.3.
    EXPECT_EQ(DefaultTopics(30)[3].reference, 30 * 0.01f);
    EXPECT_NE(DefaultTopics(30)[3].reference, 0.3f);
}

TEST(ScoringDefaultsTest, CopyAndResetLeaveTheQuality)
{
    ScoringSettings edited;
    edited.lineCount = 40;
    edited.snapshotQuality = 10;
    edited.topics[0].weight = 9.0f;
    ScoringSettings target;
    Copy(edited, target);
    EXPECT_EQ(target.lineCount, 40);
    EXPECT_EQ(target.topics[0].weight, 9.0f);
    EXPECT_EQ(target.snapshotQuality, 75);
    ResetToDefaults(edited);
    EXPECT_EQ(edited.lineCount, 25);
    EXPECT_EQ(edited.topics[0].weight, 2.0f);
    EXPECT_EQ(edited.snapshotQuality, 10);
}

TEST_F(ScoringSettingsTest, MissingFileLeavesTheDefaults)
{
    const ScoringSettings settings = LoadFromFile();
    const ScoringSettings defaults;
    EXPECT_EQ(settings.lineCount, 25);
    EXPECT_EQ(settings.snapshotQuality, 75);
    for (size_t i = 0; i < defaults.topics.size(); ++i)
        ExpectSameTopic(settings.topics[i], defaults.topics[i]);
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(ScoringSettingsTest, LoadUndoesEditsTheFileDoesNotHold)
{
    WriteText("[SCORING]\ncoeff01=1,0.5,0.05,2,0\n");
    ScoringSettings edited;
    edited.lineCount = 40;
    edited.snapshotQuality = 20;
    edited.topics[0].weight = 9.0f;
    edited.topics[0].tolerance = 0.3f;
    edited.topics[4].weight = 9.0f;
    Load(edited, IniFile(m_path));
    EXPECT_EQ(edited.lineCount, 25);
    EXPECT_EQ(edited.snapshotQuality, 75);
    EXPECT_EQ(edited.topics[0].weight, 1.0f);
    EXPECT_EQ(edited.topics[0].tolerance, 0.05f);
    EXPECT_EQ(edited.topics[4].weight, 0.75f);
}

TEST_F(ScoringSettingsTest, SaveWritesAllNineEntriesInOrder)
{
    ScoringSettings settings;
    IniFile ini(m_path);
    ASSERT_TRUE(Save(settings, ini));
    std::ifstream in(m_path);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text,
              "[SNAPSHOT]\nQUALITY=75\n\n[SCORING]\nLINECOUNT=25\n"
              "coeff01=2.000000,0.500000,0.050000,2.000000,0.000000\n"
              "coeff02=0.500000,0.500000,0.050000,1.000000,0.000000\n"
              "coeff03=1.000000,0.040000,0.005000,1.000000,0.000000\n"
              "coeff04=2.000000,0.250000,0.050000,0.010000,4.000000\n"
              "coeff05=0.750000,0.500000,0.100000,0.000000,3.000000\n"
              "coeff06=1.000000,0.100000,0.010000,0.000000,1.000000\n"
              "coeff07=0.500000,0.150000,0.020000,0.000000,1.000000\n");
}

TEST_F(ScoringSettingsTest, SaveThenLoadGivesTheSameSettings)
{
    ScoringSettings saved;
    saved.lineCount = 40;
    saved.snapshotQuality = 90;
    for (size_t i = 0; i < saved.topics.size(); ++i) {
        saved.topics[i].weight = 0.25f * static_cast<float>(i);
        saved.topics[i].reference = static_cast<float>(i) * 0.125f;
        saved.topics[i].tolerance = 0.015f;  // the float nearest a 6-decimal text survives
        saved.topics[i].ratioPlus = 12.5f;
    }
    IniFile ini(m_path);
    ASSERT_TRUE(Save(saved, ini));
    const ScoringSettings loaded = LoadFromFile();
    EXPECT_EQ(loaded.lineCount, 40);
    EXPECT_EQ(loaded.snapshotQuality, 90);
    for (size_t i = 0; i < saved.topics.size(); ++i)
        ExpectSameTopic(loaded.topics[i], saved.topics[i]);
}

TEST_F(ScoringSettingsTest, LoadStopsAtTheFirstMissingOrEmptyEntry)
{
    WriteText(
        "[SCORING]\ncoeff01=1,0.6,0.1,3,0.5\ncoeff02=4,0.7,0.2,5,6\n"
        "coeff03=\ncoeff04=9,9,9,9,9\n");
    const ScoringSettings loaded = LoadFromFile();
    const ScoringSettings defaults;
    EXPECT_EQ(loaded.topics[0].weight, 1.0f);
    EXPECT_EQ(loaded.topics[0].reference, 0.6f);
    EXPECT_EQ(loaded.topics[0].tolerance, 0.1f);
    EXPECT_EQ(loaded.topics[0].ratioMinus, 3.0f);
    EXPECT_EQ(loaded.topics[0].ratioPlus, 0.5f);
    EXPECT_EQ(loaded.topics[1].weight, 4.0f);
    EXPECT_EQ(loaded.topics[1].ratioPlus, 6.0f);
    for (size_t i = 2; i < defaults.topics.size(); ++i)
        ExpectSameTopic(loaded.topics[i], defaults.topics[i]);

    WriteText("[SCORING]\ncoeff01=1,1,1,1,1\ncoeff02=2,2,2,2,2\ncoeff04=9,9,9,9,9\n");
    const ScoringSettings gap = LoadFromFile();
    EXPECT_EQ(gap.topics[1].weight, 2.0f);
    ExpectSameTopic(gap.topics[3], defaults.topics[3]);
}

TEST_F(ScoringSettingsTest, ShortEntriesKeepTheRestAndSurplusIsIgnored)
{
    WriteText(
        "[scoring]\n"
        "COEFF01 = 3.5, 0.25\n"            // two numbers: the rest stay
        "coeff02=1.5,x,0.3,0.3,0.3\n"      // stops at the first non-number
        "coeff03=+0.5 ,0.1,0.1,0.1,0.1\n"  // a blank before the comma ends it
        "coeff04=1,2,3,4,5,6,7\n"
        "coeff05=1,2,3,4,5\ncoeff06=1,2,3,4,5\ncoeff07=1,2,3,4,5\ncoeff08=7,7,7,7,7\n"
        "[SNAPSHOT]\nQUALITY=abc\n");
    const ScoringSettings loaded = LoadFromFile();
    const ScoringSettings defaults;
    EXPECT_EQ(loaded.topics[0].weight, 3.5f);
    EXPECT_EQ(loaded.topics[0].reference, 0.25f);
    EXPECT_EQ(loaded.topics[0].tolerance, defaults.topics[0].tolerance);
    EXPECT_EQ(loaded.topics[1].weight, 1.5f);
    EXPECT_EQ(loaded.topics[1].reference, defaults.topics[1].reference);
    EXPECT_EQ(loaded.topics[2].weight, 0.5f);
    EXPECT_EQ(loaded.topics[2].reference, defaults.topics[2].reference);
    EXPECT_EQ(loaded.topics[3].ratioPlus, 5.0f);
    EXPECT_EQ(loaded.topics[6].weight, 1.0f);
    EXPECT_EQ(loaded.topics.size(), 7u);
    EXPECT_EQ(loaded.snapshotQuality, 0);  // present but not a number, as the integer reader does
}

TEST_F(ScoringSettingsTest, NumbersDoNotDependOnTheLocale)
{
    // A GUI sets the C locale from the environment; a decimal comma there must
    // neither break the comma-separated numbers nor the parsing.
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    ScoringSettings saved;
    saved.topics[0].weight = 1.5f;
    IniFile ini(m_path);
    ASSERT_TRUE(Save(saved, ini));
    const ScoringSettings loaded = LoadFromFile();
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(loaded.topics[0].weight, 1.5f);
    EXPECT_EQ(loaded.topics[0].reference, 0.5f);
}

}  // namespace codeburg
