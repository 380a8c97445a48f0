#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace codeburg {

namespace fs = std::filesystem;

namespace {

const char kKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Codeburg";

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "cb_registry_XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() { fs::remove_all(m_path); }
    std::string file(const char* name) const { return (fs::path(m_path) / name).string(); }

private:
    std::string m_path;
};

}  // namespace

TEST(MemoryRegistryTest, KeysAndNamesIgnoreCase)
{
    InMemoryRegistry registry;
    EXPECT_TRUE(registry.CreateKey(kKey));
    EXPECT_TRUE(registry.KeyExists("hkey_local_machine\\SOFTWARE\\microsoft"));
    EXPECT_TRUE(registry.WriteString(kKey, "DisplayName", "Codeburg"));
    EXPECT_EQ(registry.ReadString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                  "CurrentVersion\\Uninstall\\CODEBURG\\",
                                  "displayname"),
              "Codeburg");
    EXPECT_EQ(registry.SubKeys("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"),
              std::vector<std::string>{"Uninstall"});
}

TEST(MemoryRegistryTest, WritingNeedsAnExistingKey)
{
    InMemoryRegistry registry;
    EXPECT_FALSE(registry.WriteString(kKey, "DisplayName", "x"));
    EXPECT_FALSE(registry.KeyExists(kKey));
    EXPECT_FALSE(registry.CreateKey("\\\\"));
}

TEST(MemoryRegistryTest, TypesDoNotMix)
{
    InMemoryRegistry registry;
    registry.CreateKey("HKEY_CURRENT_USER\\Software\\Halcyon");
    registry.WriteInteger("HKEY_CURRENT_USER\\Software\\Halcyon", "N", 7);
    EXPECT_EQ(registry.ReadInteger("HKEY_CURRENT_USER\\Software\\Halcyon", "n"), 7u);
    EXPECT_EQ(registry.ReadString("HKEY_CURRENT_USER\\Software\\Halcyon", "N"), std::nullopt);
    registry.WriteString("HKEY_CURRENT_USER\\Software\\Halcyon", "N", "seven");
    EXPECT_EQ(registry.ReadInteger("HKEY_CURRENT_USER\\Software\\Halcyon", "N"), std::nullopt);
    EXPECT_TRUE(registry.DeleteValue("HKEY_CURRENT_USER\\Software\\Halcyon", "N"));
    EXPECT_FALSE(registry.DeleteValue("HKEY_CURRENT_USER\\Software\\Halcyon", "N"));
}

TEST(MemoryRegistryTest, DeleteKeyTakesSubkeysButNotSiblings)
{
    InMemoryRegistry registry;
    registry.CreateKey("HKEY_CURRENT_USER\\Software\\Halcyon\\Codeburg\\MAIN");
    registry.CreateKey("HKEY_CURRENT_USER\\Software\\Halcyon\\Codeburg2");
    registry.CreateKey("HKEY_CURRENT_USER\\Software\\Halcyon\\Codeburg-old");
    EXPECT_TRUE(registry.DeleteKey("HKEY_CURRENT_USER\\Software\\halcyon\\codeburg"));
    EXPECT_FALSE(registry.KeyExists("HKEY_CURRENT_USER\\Software\\Halcyon\\Codeburg\\MAIN"));
    EXPECT_TRUE(registry.KeyExists("HKEY_CURRENT_USER\\Software\\Halcyon\\Codeburg2"));
    EXPECT_TRUE(registry.KeyExists("HKEY_CURRENT_USER\\Software\\Halcyon\\Codeburg-old"));
    EXPECT_FALSE(registry.DeleteKey("HKEY_CURRENT_USER\\Software\\Halcyon\\Codeburg"));
}

TEST(MemoryRegistryTest, SerializeRoundTrip)
{
    InMemoryRegistry registry;
    registry.CreateKey(kKey);
    registry.WriteString(kKey, "UninstallString", "\"/opt/a b/installer\" -u:Codeburg");
    registry.WriteString(kKey, "odd", "back\\slash\r\nline\"");
    registry.WriteString(kKey, "", "default");
    registry.WriteInteger(kKey, "Count", 0xFFFFFFFFu);
    InMemoryRegistry copy;
    copy.Parse(registry.Serialize());
    EXPECT_EQ(copy.Serialize(), registry.Serialize());
    EXPECT_EQ(copy.ReadString(kKey, "odd"), "back\\slash\r\nline\"");
    EXPECT_EQ(copy.ReadString(kKey, ""), "default");
    EXPECT_EQ(copy.ReadInteger(kKey, "Count"), 0xFFFFFFFFu);
}

TEST(MemoryRegistryTest, ParseSkipsGarbage)
{
    InMemoryRegistry registry;
    registry.Parse(
        "\"before\"=\"any key\"\n[\n[]\n[A\\B]\n\"x\"=\"unclosed\n\"y\"=dword:12\n"
        "\"z\"=dword:0000000g\nnoise\n\"ok\"=dword:0000002a\r\n\"s\"=\"t\"");
    EXPECT_TRUE(registry.KeyExists("A\\B"));
    EXPECT_EQ(registry.ReadString("A\\B", "x"), std::nullopt);
    EXPECT_EQ(registry.ReadInteger("A\\B", "y"), std::nullopt);
    EXPECT_EQ(registry.ReadInteger("A\\B", "z"), std::nullopt);
    EXPECT_EQ(registry.ReadInteger("A\\B", "ok"), 42u);
    EXPECT_EQ(registry.ReadString("A\\B", "s"), "t");
}

TEST(FileRegistryTest, SecondInstanceSeesChanges)
{
    TempDir dir;
    const std::string path = dir.file("sub/codeburg-registry.reg");
    FileRegistry writer(path);
    EXPECT_TRUE(writer.CreateKey(kKey));
    EXPECT_TRUE(writer.WriteString(kKey, "DisplayName", "Codeburg"));
    FileRegistry reader(path);
    EXPECT_EQ(reader.ReadString(kKey, "DisplayName"), "Codeburg");
    // Nothing but the store is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()),
                            fs::directory_iterator()),
              1);
}

TEST(FileRegistryTest, SystemKeysAlwaysExistAndStoreVanishesWhenEmpty)
{
    TempDir dir;
    const std::string path = dir.file("codeburg-registry.reg");
    FileRegistry registry(path);
    EXPECT_TRUE(registry.KeyExists(kUninstallKey));
    EXPECT_TRUE(registry.CreateKey(kKey));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(registry.DeleteKey(kKey));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(registry.KeyExists(kUninstallKey));
}

TEST(FileRegistryTest, UnwritableStoreFails)
{
    TempDir dir;
    const std::string blocker = dir.file("file");
    std::ofstream(blocker) << "x";
    FileRegistry registry(blocker + "/codeburg-registry.reg");
    EXPECT_FALSE(registry.CreateKey(kKey));
    EXPECT_FALSE(registry.KeyExists(kKey));
}

TEST(FileRegistryTest, DefaultPathFollowsXdgConfigHome)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string old = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(DefaultRegistryPath(), "/tmp/cfg/codeburg-registry.reg");
    ::unsetenv("XDG_CONFIG_HOME");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty()) {
        EXPECT_EQ(DefaultRegistryPath(), home + "/.config/codeburg-registry.reg");
    }
    if (saved) ::setenv("XDG_CONFIG_HOME", old.c_str(), 1);
}

}  // namespace codeburg
