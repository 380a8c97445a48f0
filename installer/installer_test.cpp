#include "installer/installer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "installer/installer_host.h"
#include "platform/registry.h"

namespace codeburg {

namespace fs = std::filesystem;

namespace {

const std::string kEntry = std::string(kUninstallKey) + "\\Prod";

struct Message {
    std::string text;
    std::string caption;
    InstallerHost::Icon icon;
};

class RecordingHost final : public InstallerHost {
public:
    void showMessage(const std::string& text, const std::string& caption, Icon icon) override
    {
        messages.push_back({text, caption, icon});
    }
    bool askYesNo(const std::string& text, const std::string&) override
    {
        questions.push_back(text);
        return answerYes;
    }
    std::string browseForDirectory(const std::string&) override { return {}; }
    bool startDetached(const std::string& program, const std::string& directory) override
    {
        started.push_back(program + "|" + directory);
        return true;
    }
    std::vector<Message> messages;
    std::vector<std::string> started;
    std::vector<std::string> questions;
    bool answerYes = false;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A source folder, a home folder and a file registry, all temporary; HOME and
// the XDG folders point into it so nothing reaches the real user's files.
class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cb_installer_XXXXXX";
        ASSERT_TRUE(::mkdtemp(pattern));
        root = pattern;
        source = root / "source";
        home = root / "home";
        fs::create_directories(source);
        fs::create_directories(home / ".config");
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
        places.homeDirectory = home.string();
        places.programsDirectory = (home / ".local/opt").string();
        places.applicationsDirectory = (home / ".local/share/applications").string();
        places.settingsFile = (home / ".config/halcyon/Prod.conf").string();
        registry = std::make_unique<FileRegistry>(DefaultRegistryPath());
    }
    void TearDown() override { fs::remove_all(root); }

    void WriteList(const std::string& app, const std::vector<std::string>& files)
    {
        std::string text = "[APP]\n" + app + "\n[FILES]\n";
        for (size_t i = 0; i < files.size(); ++i)
            text += std::to_string(i + 1) + "=" + files[i] + "\n";
        WriteFile(source / "installer.list", text);
    }
    void AddProgram(const std::string& name)
    {
        WriteFile(source / name, "#!/bin/sh\n");
        ::chmod((source / name).c_str(), 0755);
    }
    Installer Make()
    {
        return Installer(LoadProduct((source / "installer").string()), *registry, host, places);
    }
    std::string Value(const char* name)
    {
        return registry->ReadString(kEntry, name).value_or("<none>");
    }

    fs::path root, source, home;
    InstallerPlaces places;
    std::unique_ptr<Registry> registry;
    RecordingHost host;
};

const char kApp[] = "NAME=Prod\nCOPYRIGHT=Halcyon\nURL=https://example.org/get/prod\nRELEASE=2.1";

}  // namespace

TEST_F(InstallerTest, InstallsFilesEntryAndShortcuts)
{
    WriteList(kApp, {"prod", "installer", "data.txt", "prod.qch"});
    AddProgram("prod");
    AddProgram("installer");
    WriteFile(source / "data.txt", "data");
    WriteFile(source / "prod.qch", "help");
    const fs::path target = root / "target";  // typed without a trailing separator
    EXPECT_EQ(Make().Install(target.string(), true), Installer::Result::Done);

    EXPECT_EQ(ReadFile(target / "data.txt"), "data");
    EXPECT_TRUE(fs::exists(target / "prod.qch"));
    EXPECT_NE(fs::status(target / "prod").permissions() & fs::perms::owner_exec, fs::perms::none);

    const std::string t = target.string() + "/";
    EXPECT_EQ(Value("DisplayName"), "Prod");
    EXPECT_EQ(Value("urlinfoabout"), "https://example.org/get/prod");
    EXPECT_EQ(Value("publisher"), "Halcyon");
    EXPECT_EQ(Value("displayversion"), "2.1");
    EXPECT_EQ(Value("displayicon"), t + "prod");
    EXPECT_EQ(Value("UninstallString"), t + "installer -u:Prod");
    EXPECT_EQ(Value("UninstallPath"), t);

    const fs::path menu = home / ".local/share/applications/Prod";
    const std::string program = ReadFile(menu / "prod.desktop");
    EXPECT_NE(program.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(program.find("Exec=\"" + t + "prod\"\n"), std::string::npos);
    EXPECT_NE(program.find("Comment=Prod\n"), std::string::npos);
    EXPECT_NE(program.find("Path=" + target.string() + "\n"), std::string::npos);
    EXPECT_NE(ReadFile(menu / "prod.qch.desktop")
                  .find("Comment=Documentation\nURL=file://" + t + "prod.qch"),
              std::string::npos);
    EXPECT_NE(ReadFile(menu / "prod.url.desktop")
                  .find("Type=Link\nName=prod.url\nURL=https://example.org/get/prod\n"),
              std::string::npos);

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Installation complete.\r\nThanks for using Prod");
    EXPECT_EQ(host.messages[0].caption, "Success");
    EXPECT_EQ(host.started, std::vector<std::string>{t + "prod|" + t});
}

TEST_F(InstallerTest, NoListFileInstallsNothingAndSucceeds)
{
    const fs::path target = root / "target";
    EXPECT_EQ(Make().Install(target.string(), true), Installer::Result::Done);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_TRUE(fs::is_empty(target));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Installation complete.\r\nThanks for using ");
    EXPECT_TRUE(host.started.empty());
    // No name, so no entry on the uninstall key itself and no shortcuts.
    EXPECT_FALSE(fs::exists(DefaultRegistryPath()));
    EXPECT_FALSE(fs::exists(places.applicationsDirectory));
}

TEST_F(InstallerTest, FailedInstallLeavesNothingBehind)
{
    WriteList(kApp, {"a.txt", "gone.txt", "prod"});
    WriteFile(source / "a.txt", "a");
    AddProgram("prod");
    const fs::path target = root / "target";
    EXPECT_EQ(Make().Install(target.string(), true), Installer::Result::Failed);
    EXPECT_FALSE(fs::exists(target));  // made by the install, so gone with it
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "An error occured during installation.\r\n" +
                                         (source / "gone.txt").string() +
                                         ": No such file or directory");
    EXPECT_EQ(host.messages[0].caption, "Error");
    EXPECT_EQ(host.messages[0].icon, InstallerHost::Icon::Exclamation);
    EXPECT_TRUE(host.started.empty());
    EXPECT_FALSE(registry->KeyExists(kEntry));
    EXPECT_FALSE(fs::exists(home / ".local/share/applications/Prod"));

    // Over an earlier installation, the files it had stay as they were.
    WriteList(kApp, {"a.txt", "prod"});
    ASSERT_EQ(Make().Install(target.string(), false), Installer::Result::Done);
    WriteFile(source / "a.txt", "new a");
    WriteList(kApp, {"a.txt", "gone.txt"});
    EXPECT_EQ(Make().Install(target.string(), false), Installer::Result::Failed);
    EXPECT_EQ(ReadFile(target / "a.txt"), "a");
    EXPECT_EQ(Value("InstalledFiles"), "a.txt\nprod");
    EXPECT_EQ(std::distance(fs::directory_iterator(target), {}), 2);  // no temporary left
}

TEST_F(InstallerTest, TargetIsCreatedOneLevelOnly)
{
    WriteList(kApp, {"a.txt"});
    WriteFile(source / "a.txt", "a");
    EXPECT_EQ(Make().Install((root / "x/y/target").string(), false), Installer::Result::Failed);
    EXPECT_FALSE(fs::exists(root / "x"));
    EXPECT_EQ(host.messages.back().text.rfind("An error occured during installation.", 0), 0u);
    EXPECT_FALSE(registry->KeyExists(kEntry));

    // The programs folder of a fresh account is the one that may be missing.
    host.messages.clear();
    EXPECT_EQ(Make().Install((home / ".local/opt/Prod/").string(), false), Installer::Result::Done);
    EXPECT_TRUE(fs::exists(home / ".local/opt/Prod/a.txt"));
}

TEST_F(InstallerTest, RelativeTargetIsRecordedInFull)
{
    WriteList(kApp, {"a.txt"});
    WriteFile(source / "a.txt", "a");
    const fs::path cwd = fs::current_path();
    fs::current_path(root);
    EXPECT_EQ(Make().Install("rel", false), Installer::Result::Done);
    fs::current_path(cwd);
    EXPECT_TRUE(fs::exists(root / "rel/a.txt"));
    EXPECT_EQ(Value("UninstallPath"), (root / "rel").string() + "/");
}

TEST_F(InstallerTest, EmptyTargetDoesNothing)
{
    WriteList(kApp, {"a.txt"});
    EXPECT_EQ(Make().Install("", true), Installer::Result::NothingDone);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(registry->KeyExists(kEntry));
}

TEST_F(InstallerTest, UrlEndingInSlashAndInstallerListedFirst)
{
    WriteList("NAME=Prod\nURL=https://example.org/", {"installer", "prod"});
    AddProgram("installer");
    AddProgram("prod");
    const fs::path target = root / "target";
    EXPECT_EQ(Make().Install(target.string(), true), Installer::Result::Done);
    const fs::path menu = home / ".local/share/applications/Prod";
    EXPECT_TRUE(fs::exists(menu / ".url.desktop"));
    // The first program listed is the main one, even when it is the installer.
    EXPECT_TRUE(fs::exists(menu / "installer.desktop"));
    EXPECT_FALSE(fs::exists(menu / "prod.desktop"));
    EXPECT_EQ(Value("displayicon"), target.string() + "/installer");
    EXPECT_EQ(host.started.size(), 1u);
    EXPECT_EQ(Value("publisher"), "<none>");
}

TEST_F(InstallerTest, NoProgramMeansNoLaunchAndNoProgramShortcut)
{
    WriteList("NAME=Prod", {"a.txt"});
    WriteFile(source / "a.txt", "a");
    const fs::path target = root / "target";
    EXPECT_EQ(Make().Install(target.string(), true), Installer::Result::Done);
    EXPECT_TRUE(host.started.empty());
    EXPECT_EQ(Value("displayicon"), target.string() + "/");
    EXPECT_TRUE(fs::is_empty(home / ".local/share/applications/Prod"));
}

TEST_F(InstallerTest, ListValuesCannotLeaveSourceOrTarget)
{
    WriteFile(root / "secret", "secret");
    fs::create_symlink(root / "secret", source / "link");
    const fs::path target = root / "target";
    const std::vector<std::string> values = {"../secret", (root / "secret").string(),
                                             "sub/../../secret", "link"};
    for (const std::string& bad : values) {
        WriteList(kApp, {bad});
        host.messages.clear();
        EXPECT_EQ(Make().Install(target.string(), false), Installer::Result::Failed) << bad;
        EXPECT_EQ(host.messages.back().text.rfind("An error occured during installation.", 0), 0u);
        EXPECT_FALSE(fs::exists(target)) << bad;
    }
    EXPECT_FALSE(fs::exists(root / "target/../secret.copy"));
    EXPECT_EQ(ReadFile(root / "secret"), "secret");
}

TEST_F(InstallerTest, UninstallRemovesWhatInstallMade)
{
    WriteList(kApp, {"prod", "installer", "prod.qch"});
    AddProgram("prod");
    AddProgram("installer");
    WriteFile(source / "prod.qch", "help");
    const fs::path target = root / "target";
    ASSERT_EQ(Make().Install(target.string(), false), Installer::Result::Done);
    EXPECT_EQ(Value("InstalledFiles"), "prod\ninstaller\nprod.qch");
    fs::create_directories(home / ".config/halcyon");
    WriteFile(places.settingsFile, "[MAIN]\nFIRSTTIME=0\n");
    WriteFile(home / ".config/halcyon/Other.conf", "keep");

    host.messages.clear();
    EXPECT_EQ(Make().Uninstall("Prod", (target / "installer").string()), Installer::Result::Done);
    EXPECT_FALSE(fs::exists(target));  // nothing else was in it
    EXPECT_FALSE(registry->KeyExists(kEntry));
    EXPECT_FALSE(fs::exists(DefaultRegistryPath()));
    EXPECT_FALSE(fs::exists(places.settingsFile));
    EXPECT_TRUE(fs::exists(home / ".config/halcyon/Other.conf"));
    EXPECT_FALSE(fs::exists(home / ".local/share/applications/Prod"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Prod was successfully uninstalled.\r\nThe process will be fully completed (all "
              "files and folders deleted) the next time you boot your PC.\r\n\r\nThanks again for "
              "using Prod.");
    EXPECT_EQ(host.messages[0].caption, "Prod");

    host.messages.clear();
    EXPECT_EQ(Make().Uninstall("Prod", (target / "installer").string()),
              Installer::Result::NothingDone);
    EXPECT_TRUE(host.messages.empty());
}

// What the user put beside the product, in its folder or its menu folder,
// stays, and with it the folders.
TEST_F(InstallerTest, UninstallKeepsWhatItDidNotInstall)
{
    WriteList(kApp, {"prod", "installer"});
    AddProgram("prod");
    AddProgram("installer");
    const fs::path target = root / "target";
    ASSERT_EQ(Make().Install(target.string(), false), Installer::Result::Done);
    fs::create_directories(target / "sub/deeper");
    WriteFile(target / "sub/deeper/.hidden", "x");
    WriteFile(target / "notes.txt", "mine");
    fs::create_symlink(source, target / "link-to-source");
    const fs::path menu = home / ".local/share/applications/Prod";
    fs::create_directories(menu / "extra");
    WriteFile(menu / "mine.desktop", "[Desktop Entry]\n");

    EXPECT_EQ(Make().Uninstall("Prod", (target / "installer").string()), Installer::Result::Done);
    EXPECT_FALSE(fs::exists(target / "prod"));
    EXPECT_FALSE(fs::exists(target / "installer"));
    EXPECT_EQ(ReadFile(target / "sub/deeper/.hidden"), "x");
    EXPECT_EQ(ReadFile(target / "notes.txt"), "mine");
    EXPECT_TRUE(fs::is_symlink(target / "link-to-source"));
    EXPECT_TRUE(fs::exists(source / "prod"));
    EXPECT_FALSE(fs::exists(menu / "prod.desktop"));
    EXPECT_TRUE(fs::exists(menu / "mine.desktop"));
    EXPECT_TRUE(fs::exists(menu / "extra"));
}

TEST_F(InstallerTest, UninstallFromElsewhereKeepsItself)
{
    WriteList(kApp, {"prod"});
    AddProgram("prod");
    const fs::path target = root / "target";
    ASSERT_EQ(Make().Install(target.string(), false), Installer::Result::Done);
    AddProgram("elsewhere");
    EXPECT_EQ(Make().Uninstall("Prod", (source / "elsewhere").string()), Installer::Result::Done);
    EXPECT_TRUE(fs::exists(source / "elsewhere"));
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(InstallerTest, NonEmptyFolderIsUsedOnlyWhenAgreed)
{
    WriteList(kApp, {"prod", "data.txt"});
    AddProgram("prod");
    WriteFile(source / "data.txt", "ours");
    const fs::path target = root / "data";
    fs::create_directories(target);
    WriteFile(target / "data.txt", "the user's");

    EXPECT_EQ(Make().Install(target.string(), false), Installer::Result::Refused);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], "The folder " + target.string() +
                                     "/ is not empty and does not hold Prod.\r\nDo you want to "
                                     "install into it anyway?");
    EXPECT_EQ(ReadFile(target / "data.txt"), "the user's");
    EXPECT_FALSE(fs::exists(target / "prod"));
    EXPECT_FALSE(registry->KeyExists(kEntry));
    EXPECT_TRUE(host.messages.empty());

    // Agreed: installed, and installing again over it asks nothing.
    host.answerYes = true;
    EXPECT_EQ(Make().Install(target.string(), false), Installer::Result::Done);
    host.answerYes = false;
    host.questions.clear();
    EXPECT_EQ(Make().Install(target.string(), false), Installer::Result::Done);
    EXPECT_TRUE(host.questions.empty());
}

namespace {

// Every entry below "dir", links as links, with the bytes of each file.
std::map<std::string, std::string> Snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(dir, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        if (fs::is_symlink(it->symlink_status()))
            entries[path.string()] = "-> " + fs::read_symlink(path, error).string();
        else
            entries[path.string()] = it->is_directory() ? "<dir>" : ReadFile(path);
    }
    return entries;
}

size_t Differences(const std::map<std::string, std::string>& a,
                   const std::map<std::string, std::string>& b)
{
    size_t count = 0;
    for (const auto& [path, content] : a) count += !b.count(path) || b.at(path) != content;
    for (const auto& [path, content] : b) count += !a.count(path);
    return count;
}

}  // namespace

// Installs and uninstalls over folders and links laid out by somebody hostile
// or unlucky: nothing outside the target and the installer's own places
// (its entry, its menu folder) may change.
TEST_F(InstallerTest, HostileCasesTouchNothingOutsideTheTarget)
{
    const fs::path outside = root / "outside";
    fs::create_directories(outside / "folder");
    WriteFile(outside / "victim", "precious");
    WriteFile(outside / "folder/x", "precious too");
    WriteFile(home / ".bashrc", "export A=1\n");
    WriteList(kApp, {"prod", "installer", "sub/x"});
    AddProgram("prod");
    AddProgram("installer");
    fs::create_directories(source / "sub");
    WriteFile(source / "sub/x", "ours");
    const auto outsideBefore = Snapshot(outside);
    const auto homeBefore = Snapshot(home);
    const fs::path target = root / "target";
    size_t touched = 0;
    auto check = [&](const char* what) {
        const size_t n = Differences(outsideBefore, Snapshot(outside));
        touched += n;
        EXPECT_EQ(n, 0u) << what;
    };

    // A listed name already a link to a file outside, in a folder of ours.
    fs::create_directories(target / "sub");
    fs::create_symlink(outside / "victim", target / "prod");
    host.answerYes = true;
    EXPECT_EQ(Make().Install(target.string(), false), Installer::Result::Failed);
    EXPECT_NE(host.messages.back().text.find("prod: it is a symbolic link"), std::string::npos);
    check("link in place of a file");
    fs::remove(target / "prod");

    // A listed file's folder a link to a folder outside.
    fs::remove(target / "sub");
    fs::create_directory_symlink(outside / "folder", target / "sub");
    EXPECT_EQ(Make().Install(target.string(), false), Installer::Result::Failed);
    check("link in place of a folder");
    fs::remove(target / "sub");
    fs::create_directories(target / "sub");

    // A shortcut already a link to a file outside: no shortcut, nothing written there.
    const fs::path menu = home / ".local/share/applications/Prod";
    fs::create_directories(menu);
    fs::create_symlink(outside / "victim", menu / "prod.desktop");
    ASSERT_EQ(Make().Install(target.string(), false), Installer::Result::Done);
    check("link in place of a shortcut");
    fs::remove(menu / "prod.desktop");

    // Uninstall after an installed file became a link outside, with the
    // lists of the entry tampered with.
    fs::remove(target / "installer");
    fs::create_symlink(outside / "victim", target / "installer");
    registry->WriteString(kEntry, "InstalledFiles", "prod\ninstaller\nsub/x\n../outside/victim");
    registry->WriteString(kEntry, "Shortcuts", (outside / "victim").string());
    EXPECT_EQ(Make().Uninstall("Prod", ""), Installer::Result::Done);
    check("uninstall with tampered lists");
    EXPECT_TRUE(fs::is_directory(target / "sub"));  // folders are never removed but the target
    EXPECT_FALSE(fs::exists(target / "sub/x"));

    // An entry naming the home folder.
    registry->CreateKey(kEntry);
    registry->WriteString(kEntry, "UninstallPath", home.string());
    registry->WriteString(kEntry, "InstalledFiles", ".bashrc");
    EXPECT_EQ(Make().Uninstall("Prod", ""), Installer::Result::Done);

    // Unattended into a folder full of somebody's files: refused.
    host.answerYes = false;
    EXPECT_EQ(Make().Install((outside / "folder").string(), false), Installer::Result::Refused);
    check("non-empty folder");

    // The home folder apart from the installer's own places.
    auto ours = [&](std::map<std::string, std::string> entries) {
        std::erase_if(entries, [&](const auto& entry) {
            return entry.first.rfind(menu.string(), 0) == 0 ||
                   entry.first.rfind(DefaultRegistryPath(), 0) == 0 ||
                   (home / ".local/share/applications").string().rfind(entry.first, 0) == 0;
        });
        return entries;
    };
    const size_t inHome = Differences(ours(homeBefore), ours(Snapshot(home)));
    EXPECT_EQ(inHome, 0u);
    touched += inHome;
    std::printf("files outside the target touched over the hostile cases: %zu\n", touched);
}

TEST_F(InstallerTest, GuardedUninstallPathsDeleteNothing)
{
    WriteFile(home / "notes.txt", "mine");
    fs::create_directories(root / "abcd");
    WriteFile(root / "abcd/file", "x");
    // Relative paths are refused, whatever the current folder is.
    const fs::path cwd = fs::current_path();
    fs::current_path(root);
    const std::string guarded[] = {"/",
                                   "/ab",
                                   "ab",
                                   "abcd",
                                   home.string(),
                                   home.string() + "/",
                                   home.string() + "/.",
                                   root.string(),
                                   "/tmp/../"};
    for (const std::string& path : guarded) {
        registry->CreateKey(kEntry);
        registry->WriteString(kEntry, "UninstallPath", path);
        EXPECT_EQ(Make().Uninstall("Prod", ""), Installer::Result::Done) << path;
        EXPECT_FALSE(registry->KeyExists(kEntry));
        EXPECT_EQ(ReadFile(home / "notes.txt"), "mine") << path;
        EXPECT_TRUE(fs::exists(root / "abcd/file")) << path;
    }
    fs::current_path(cwd);
}

TEST_F(InstallerTest, UnsafeOrUnknownKeysTouchNothing)
{
    registry->CreateKey(kEntry);
    registry->WriteString(kEntry, "UninstallPath", (root / "source").string());
    WriteFile(source / "keep", "x");
    for (const char* key : {"", "..", "Prod/..", "Other"}) {
        EXPECT_EQ(Make().Uninstall(key, ""), Installer::Result::NothingDone) << key;
    }
    EXPECT_TRUE(registry->KeyExists(kEntry));
    EXPECT_TRUE(fs::exists(source / "keep"));
    EXPECT_TRUE(host.messages.empty());
}

TEST(InstallerCommandLineTest, UninstallSwitchAnywhere)
{
    std::string key;
    EXPECT_TRUE(Installer::UninstallKeyFromCommandLine("-u:Codeburg", &key));
    EXPECT_EQ(key, "Codeburg");
    EXPECT_TRUE(Installer::UninstallKeyFromCommandLine("--silent x-u:My Tool 2", &key));
    EXPECT_EQ(key, "My Tool 2");
    EXPECT_TRUE(Installer::UninstallKeyFromCommandLine("-u:", &key));
    EXPECT_EQ(key, "");
    EXPECT_FALSE(Installer::UninstallKeyFromCommandLine("--silent -u", &key));
}

}  // namespace codeburg
