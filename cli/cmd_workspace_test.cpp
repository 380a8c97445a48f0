// Runs the real codeburg-cli on scratch directories.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli/cli_run_test_util.h"
#include "platform/file_lock.h"

namespace {

namespace fs = std::filesystem;

using Result = codeburg::testing::CliRun;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every file below "dir" with its content, to prove a command changed nothing.
std::map<std::string, std::string> Snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) files[entry.path().string()] = Slurp(entry.path());
    return files;
}

class WorkspaceCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("cb_cli_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "out");
        file = (dir / "out" / "w.cbw").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    // Standard input is /dev/null: never a terminal.
    Result Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "workspace");
        return codeburg::testing::RunCli(args);
    }

    // Runs with a pseudo terminal as standard input and output, typing "input".
    Result RunOnTerminal(const std::vector<std::string>& args, const std::string& input)
    {
        std::vector<std::string> argv{CODEBURG_CLI, "workspace"};
        argv.insert(argv.end(), args.begin(), args.end());
        int master = -1;
        const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            std::vector<char*> cargv;
            for (auto& a : argv) cargv.push_back(a.data());
            cargv.push_back(nullptr);
            ::execv(cargv[0], cargv.data());
            ::_exit(127);
        }
        Result r;
        if (pid < 0) return r;
        if (!input.empty()) (void)!::write(master, input.data(), input.size());
        char buffer[4096];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) r.out.append(buffer, n);
        int raw = 0;
        ::waitpid(pid, &raw, 0);
        ::close(master);
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return r;
    }

    fs::path MakeProjectDir(const std::string& name)
    {
        const fs::path p = dir / "src" / name;
        fs::create_directories(p);
        std::ofstream(p / "main.cpp") << "int main()\n{\n    return 0;\n}\n";
        return p;
    }

    nlohmann::json ShowJson()
    {
        const Result r = Run({file, "show", "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out);
    }

    fs::path dir;
    std::string file;
};

}  // namespace

TEST_F(WorkspaceCliTest, InitCreatesTheProjectsFolderOnce)
{
    Result r = Run({file, "init"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run({file, "show"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Workspace 'w.cbw': 0 project(s)\n  Projects\n    Overall = 0%\n");

    const std::string before = Slurp(file);
    r = Run({file, "init"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(file), before);
}

TEST_F(WorkspaceCliTest, AddPutsProjectsIntoFolders)
{
    const fs::path core = MakeProjectDir("core");
    const fs::path lib = MakeProjectDir("lib");
    ASSERT_EQ(Run({file, "init"}).status, 0);
    Result r = Run({file, "add", core.string() + "/"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Run({file, "add", lib.string(), "--folder", "Libs", "--name", "Base \"lib\" &amp;", "--ext",
             "cpp,h", "--exclude-dirs", "test", "--exclude-files", "gen*", "--dev", "caf\xE9"});
    ASSERT_EQ(r.status, 0) << r.err;

    const nlohmann::json j = ShowJson();
    EXPECT_EQ(j["projectCount"], 2);
    ASSERT_EQ(j["folders"].size(), 2u);
    const auto& first = j["folders"][0]["projects"][0];
    EXPECT_EQ(first["name"], "core");
    EXPECT_EQ(first["directory"], core.string());
    EXPECT_EQ(first["extensions"], "cpp,cc,java,asm");
    EXPECT_EQ(j["folders"][1]["name"], "Libs");
    const auto& second = j["folders"][1]["projects"][0];
    EXPECT_EQ(second["name"], "Base \"lib\" &amp;");
    EXPECT_EQ(second["extensions"], "cpp,h");
    EXPECT_EQ(second["excludedDirs"], "test");
    EXPECT_EQ(second["excludedFiles"], "gen*");
    EXPECT_EQ(second["developer"], "caf\xEF\xBF\xBD");  // not UTF-8: replaced in JSON only
    EXPECT_EQ(second["topics"].size(), 7u);

    r = Run({file, "show"});
    EXPECT_NE(r.out.find("\n  Libs\n    Base \"lib\" &amp; (0%)\n      Directory = " +
                         lib.string() + "\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("      Excluded files = gen*\n      Extensions = cpp,h\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("      Files = 0\n      eLoc = 0\n    Overall = 0%\n"), std::string::npos);
}

TEST_F(WorkspaceCliTest, FailedCommandsChangeNothingOnDisk)
{
    const fs::path core = MakeProjectDir("core");
    ASSERT_EQ(Run({file, "init"}).status, 0);
    ASSERT_EQ(Run({file, "add", core.string()}).status, 0);
    const auto before = Snapshot(dir);

    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const std::vector<Case> cases = {
        {{file, "add", (dir / "absent").string()}, 1},
        {{file, "add", core.string(), "--colour", "red"}, 2},
        {{file, "add", core.string(), "--name"}, 2},
        {{file, "add", core.string(), "--name", "../escape"}, 1},
        {{file, "add"}, 2},
        {{(dir / "out" / "none.cbw").string(), "add", core.string()}, 1},
        {{(dir / "out").string(), "show"}, 1},
        {{file, "frobnicate"}, 2},
        {{file, "--missing", "sometimes", "show"}, 2},
        {{file, "build", "extra"}, 2},
        {{file, "add", "/"}, 1},
        {{file, "add", (dir / "..").string() + "/../../../../../../../.."}, 1},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << " " << r.err;
        EXPECT_FALSE(r.err.empty()) << c.args[1];
        EXPECT_EQ(Snapshot(dir), before) << c.args[1];
    }
}

TEST_F(WorkspaceCliTest, DamagedFileIsShownInPartButNeverSaved)
{
    const fs::path core = MakeProjectDir("core");
    std::ofstream(file, std::ios::binary)
        << "<workspace name=''><folder name='Kept'><project name='p' dir='" << core.string()
        << "'/></folder><folder dir='x' name='Lost'/></workspace>";
    const auto before = Snapshot(dir);

    Result r = Run({file, "show"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("  Kept\n    p (0%)"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("name attribute"), std::string::npos) << r.err;

    for (const char* command : {"build", "rebuild"}) {
        r = Run({file, command});
        EXPECT_EQ(r.status, 1) << command;
    }
    r = Run({file, "add", core.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nothing was changed"), std::string::npos) << r.err;
    EXPECT_EQ(Snapshot(dir), before);

    std::ofstream(file, std::ios::binary) << std::string(
        "\x7f"
        "ELF\0\0binary",
        11);
    r = Run({file, "add", core.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(file), std::string("\x7f"
                                       "ELF\0\0binary",
                                       11));
}

TEST_F(WorkspaceCliTest, BuildStampsProjectsAndKeepsABackup)
{
    const fs::path core = MakeProjectDir("core");
    ASSERT_EQ(Run({file, "init"}).status, 0);
    ASSERT_EQ(Run({file, "add", core.string()}).status, 0);
    const std::string unbuilt = Slurp(file);

    Result r = Run({file, "build"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Build complete.\n");
    EXPECT_EQ(Slurp(dir / "out" / "w.bak"), unbuilt);
    nlohmann::json j = ShowJson();
    const auto& p = j["folders"][0]["projects"][0];
    EXPECT_NE(p["lastBuild"], "");
    EXPECT_TRUE(fs::exists(core / "core.cbb"));

    r = Run({file, "rebuild"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(WorkspaceCliTest, ProjectsAddedWithMethodsModernKeepTheirRule)
{
    std::string source;
    for (int i = 0; i < 25; ++i)
        source += "namespace n { void f" + std::to_string(i) + "() {} int x; }\n";
    const fs::path classic = MakeProjectDir("classic"), modern = MakeProjectDir("modern");
    std::ofstream(classic / "ns.cpp") << source;
    std::ofstream(modern / "ns.cpp") << source;
    ASSERT_EQ(Run({file, "init"}).status, 0);
    ASSERT_EQ(Run({file, "add", classic.string()}).status, 0);
    ASSERT_EQ(Run({file, "add", modern.string(), "--methods", "modern"}).status, 0);
    const std::string text = Slurp(file);
    EXPECT_EQ(text.find("methods="), text.rfind("methods=\"modern\""));  // once, for "modern"

    const Result r = Run({file, "build"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "codeburg-cli: project classic: 25 function bodies inside namespaces or class "
              "bodies were not counted as methods; use --methods modern\n");
    const nlohmann::json j = ShowJson();
    for (const auto& p : j["folders"][0]["projects"])
        EXPECT_EQ(p["measures"]["totalMethods"], p["name"] == "modern" ? 26 : 1) << p;
    EXPECT_NE(Slurp(file).find("methods=\"modern\""), std::string::npos);  // kept by the save
}

TEST_F(WorkspaceCliTest, OnlyAskNeedsATerminal)
{
    const fs::path core = MakeProjectDir("core");
    ASSERT_EQ(Run({file, "init"}).status, 0);
    ASSERT_EQ(Run({file, "add", core.string()}).status, 0);
    fs::rename(core, dir / "src" / "moved");

    // Nobody can answer the questions of "ask": missing projects are kept.
    Result r = Run({file, "--missing", "ask", "show"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("not a terminal"), std::string::npos);
    EXPECT_NE(r.out.find("core (0%)"), std::string::npos);

    // "drop" asks nothing, so it drops with or without a terminal.
    r = Run({file, "--missing", "drop", "show"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("not a terminal"), std::string::npos);
    EXPECT_EQ(r.out.find("core"), std::string::npos) << r.out;

    // On a terminal "drop" drops, and a saving command saves the repair.
    r = RunOnTerminal(
        {file, "--missing", "drop", "add", (dir / "src" / "moved").string(), "--name", "moved"},
        "");
    EXPECT_EQ(r.status, 0) << r.out;
    const nlohmann::json j = ShowJson();
    ASSERT_EQ(j["folders"][0]["projects"].size(), 1u);
    EXPECT_EQ(j["folders"][0]["projects"][0]["name"], "moved");
}

TEST_F(WorkspaceCliTest, AskPutsTheQuestionsOnTheTerminal)
{
    const fs::path core = MakeProjectDir("core");
    ASSERT_EQ(Run({file, "init"}).status, 0);
    ASSERT_EQ(Run({file, "add", core.string()}).status, 0);
    const fs::path moved = dir / "elsewhere" / "core";
    fs::create_directories(moved.parent_path());
    fs::rename(core, moved);

    const Result r =
        RunOnTerminal({file, "--missing", "ask", "rebuild"}, "y\n" + moved.string() + "\nn\n");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Missing Project"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("The following project directory is missing: " + core.string()),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Select directory for project core"), std::string::npos);
    const nlohmann::json j = ShowJson();
    EXPECT_EQ(j["folders"][0]["projects"][0]["directory"], moved.string());
}

// Ten commands changing one workspace at once: each waits for the one before,
// so none loses another's change.
TEST_F(WorkspaceCliTest, ConcurrentChangesLoseNothing)
{
    ASSERT_EQ(Run({file, "init"}).status, 0);
    constexpr int kAdds = 10;
    std::vector<fs::path> sources;
    for (int i = 0; i < kAdds; ++i) sources.push_back(MakeProjectDir("p" + std::to_string(i)));
    std::vector<Result> results(kAdds);
    std::vector<std::thread> threads;
    for (int i = 0; i < kAdds; ++i)
        threads.emplace_back([&, i] { results[i] = Run({file, "add", sources[i].string()}); });
    for (std::thread& t : threads) t.join();
    for (const Result& r : results) EXPECT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = ShowJson();
    ASSERT_EQ(j["folders"].size(), 1u);
    EXPECT_EQ(j["folders"][0]["projects"].size(), size_t(kAdds));
}

TEST_F(WorkspaceCliTest, SecondCommandWaitsOrGivesUp)
{
    ASSERT_EQ(Run({file, "init"}).status, 0);
    const fs::path core = MakeProjectDir("core");
    const std::string before = Slurp(file);
    auto held = std::make_unique<codeburg::FileLock>();
    ASSERT_EQ(held->Lock(file, codeburg::FileLock::Wait::No, {}, nullptr), 0);

    Result r = Run({file, "--no-wait", "add", core.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is being changed by another command; nothing was changed"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Slurp(file), before);

    std::thread waiter([&] { r = Run({file, "add", core.string()}); });
    // Long enough for a sanitized tool on a busy machine to start and then
    // wait the second after which it says so.
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    EXPECT_EQ(Slurp(file), before);
    held.reset();
    waiter.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("waiting for workspace file " + file), std::string::npos) << r.err;
    EXPECT_EQ(ShowJson()["folders"][0]["projects"].size(), 1u);
}

// The backup's name may be taken by a file of the user's, or by a link.
TEST_F(WorkspaceCliTest, BackupNeverReplacesTheUsersFiles)
{
    const fs::path core = MakeProjectDir("core");
    ASSERT_EQ(Run({file, "init"}).status, 0);
    const fs::path backup = dir / "out" / "w.bak";
    std::ofstream(backup) << "my notes";
    ASSERT_EQ(Run({file, "add", core.string()}).status, 0);
    EXPECT_EQ(Slurp(backup), "my notes");

    fs::remove(backup);
    std::ofstream(dir / "victim") << "precious";
    fs::create_symlink(dir / "victim", backup);
    ASSERT_EQ(Run({file, "add", core.string(), "--name", "again"}).status, 0);
    EXPECT_EQ(Slurp(dir / "victim"), "precious");
    EXPECT_TRUE(fs::is_symlink(backup));
    EXPECT_EQ(ShowJson()["folders"][0]["projects"].size(), 2u);
}

// A project whose statistics cannot be saved is not built: the command says
// so, fails, and keeps the project's last build as it was.
TEST_F(WorkspaceCliTest, FailedSaveIsReportedAndNotStamped)
{
    const fs::path core = MakeProjectDir("core");
    ASSERT_EQ(Run({file, "init"}).status, 0);
    ASSERT_EQ(Run({file, "add", core.string()}).status, 0);
    fs::create_directory(core / "core.cbb");
    const Result r = Run({file, "rebuild"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("Build complete."), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("cannot write statistics file " + (core / "core.cbb").string() +
                         ": it is a directory"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ShowJson()["folders"][0]["projects"][0]["lastBuild"], "");
}

TEST_F(WorkspaceCliTest, ReadersRefuseWhatIsNotARegularFile)
{
    const std::string fifo = (dir / "out" / "fifo.cbw").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const char* command : {"show", "build"}) {
        const Result r = Run({fifo, command});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("fifo.cbw: it is a FIFO"), std::string::npos) << r.err;
    }
}
