#include "workspace/workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pipeline/statistics_file.h"
#include "platform/ms_random.h"
#include "scoring/scoring_settings.h"
#include "workspace/workspace_file.h"

namespace codeburg {

namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir()
    {
        path = fs::temp_directory_path() /
               ("cb_ws_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
};

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A readable dump of the tree, every field that the file keeps.
void DumpProjects(const Folder& folder, const std::string& indent, std::string& out)
{
    for (const auto& p : folder.projects) {
        out += indent + "  project [" + p->name + "] exp=" + std::to_string(p->expanded) +
               " dir=[" + p->directory + "] xd=[" + p->excludedDirs + "] xf=[" + p->excludedFiles +
               "] ext=[" + p->extensions + "] lb=[" + p->lastBuild + "] dev=[" + p->developer +
               "] methods=" + std::string(MethodRuleName(p->methods)) +
               " vp=" + std::to_string(p->viewpointCount);
        for (const auto& vp : p->viewpoints) out += " [" + vp + "]";
        out += "\n";
    }
}

void Dump(const Folder& folder, const std::string& indent, std::string& out)
{
    out += indent + "folder [" + folder.name + "] exp=" + std::to_string(folder.expanded) +
           " dir=[" + folder.baseDirectory + "]\n";
    DumpProjects(folder, indent, out);
    for (const auto& sub : folder.subfolders) Dump(*sub, indent + "  ", out);
}

// The root's own name, flag and directory are not read back.
std::string Dump(const Workspace& ws)
{
    std::string out;
    DumpProjects(ws, "", out);
    for (const auto& sub : ws.subfolders) Dump(*sub, "", out);
    return out;
}

int ReadText(Workspace& ws, const std::string& text)
{
    return ws.Read(text);
}

// Values the generator draws from: equal names in other cases, blanks,
// quotes, entities, bytes beyond ASCII, line breaks.
const char* const kNames[] = {"core",      "Core",       "CORE",  "alpha",
                              "a b",       "say \"hi\"", "it's",  "both '\"",
                              "R&D",       "x &amp; y",  "&#65;", "caf\xC3\xA9",
                              "\xE9t\xE9", "",           "<tag>", "line\r\nbreak"};

std::string Pick(MsRandom& rng)
{
    return kNames[rng.next() % (sizeof kNames / sizeof kNames[0])];
}

void Generate(Folder& folder, MsRandom& rng, int depth, const ScoringSettings* settings)
{
    folder.expanded = rng.next() % 2;
    folder.baseDirectory = Pick(rng);
    const int projects = rng.next() % 5;
    for (int i = 0; i < projects; ++i) {
        auto p = std::make_unique<Project>(settings, &folder, Pick(rng));
        p->expanded = rng.next() % 2;
        p->directory = "/nowhere/" + Pick(rng);
        p->excludedDirs = Pick(rng);
        p->excludedFiles = Pick(rng);
        p->extensions = Pick(rng);
        p->lastBuild = "12/06/26 at 10:11:12";
        p->developer = Pick(rng);
        p->methods = rng.next() % 2 ? MethodRule::Modern : MethodRule::Classic;
        for (auto& vp : p->viewpoints) vp = rng.next() % 3 ? "" : "1.5 2 3 0.25 " + Pick(rng);
        folder.AddProject(std::move(p));
    }
    const int subfolders = depth > 0 ? rng.next() % 4 : 0;
    for (int i = 0; i < subfolders; ++i) {
        auto* sub = folder.AddSubfolder(std::make_unique<Folder>(Pick(rng)));
        Generate(*sub, rng, depth - 1, settings);
    }
}

}  // namespace

TEST(WorkspaceFileTest, NewWorkspaceWithOneProjectWritesTheseLines)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    ws.New();
    Folder& projects = *ws.subfolders.at(0);
    projects.AddProject(std::make_unique<Project>(&settings, &projects, "core"))->directory = "D";

    std::string text;
    ASSERT_TRUE(ws.Write(text));
    std::string expected =
        "<workspace name=\"\"\r\n"
        " expanded=\"0\"\r\n"
        " dir=\"\"\r\n"
        ">\r\n"
        "    <folder name=\"Projects\"\r\n"
        "     expanded=\"0\"\r\n"
        "     dir=\"\"\r\n"
        "    >\r\n"
        "        <project name=\"core\"\r\n"
        "         expanded=\"0\"\r\n"
        "         dir=\"D\"\r\n"
        "         exsubdir=\"\"\r\n"
        "         exfiles=\"stdafx.cpp\"\r\n"
        "         ext=\"cpp,cc,java,asm\"\r\n"
        "         lastbuild=\"\"\r\n"
        "         dev=\"\"\r\n";
    for (int i = 0; i < 9; ++i) expected += "         vp=\"\"\r\n";
    expected +=
        "         />\r\n"
        "    </folder>\r\n"
        "</workspace>\r\n";
    EXPECT_EQ(text, expected);
}

TEST(WorkspaceFileTest, ModernProjectsAloneCarryTheirRule)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    auto* modern = ws.AddProject(std::make_unique<Project>(&settings, &ws, "m"));
    modern->methods = MethodRule::Modern;
    ws.AddProject(std::make_unique<Project>(&settings, &ws, "n"));
    std::string text;
    ASSERT_TRUE(ws.Write(text));
    // After the developer, before the viewpoints; once only.
    EXPECT_NE(text.find("dev=\"\"\r\n     methods=\"modern\"\r\n     vp=\"\""), std::string::npos)
        << text;
    EXPECT_EQ(text.find("methods"), text.rfind("methods"));

    Workspace copy(&settings);
    ASSERT_EQ(copy.Read(text), 0);
    ASSERT_EQ(copy.projects.size(), 2u);
    EXPECT_EQ(copy.projects[0]->methods, MethodRule::Modern);
    EXPECT_EQ(copy.projects[1]->methods, MethodRule::Classic);
    // Any case; a rule this version does not know reads as the default.
    ASSERT_EQ(copy.Read("<workspace name=''><project name=a METHODS='Modern'/>"
                        "<project name=b methods='future'/></workspace>"),
              0);
    EXPECT_EQ(copy.projects[0]->methods, MethodRule::Modern);
    EXPECT_EQ(copy.projects[1]->methods, MethodRule::Classic);
}

TEST(WorkspaceFileTest, GeneratedTreesSurviveWriteAndRead)
{
    ScoringSettings settings;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        MsRandom rng(seed);
        Workspace original(&settings);
        Generate(original, rng, 3, &settings);
        std::string text;
        ASSERT_TRUE(original.Write(text)) << seed;

        Workspace copy(&settings);
        ASSERT_EQ(copy.Read(text), 0) << seed;
        EXPECT_FALSE(copy.Incomplete()) << seed;
        // Every project reads back with nine viewpoint values.
        std::vector<Project*> all;
        original.CollectProjects(all);
        for (Project* p : all) p->viewpointCount = Project::kViewpointSlots;
        EXPECT_EQ(Dump(copy), Dump(original)) << "seed " << seed;

        // Equal names keep their relative order: compare object order too.
        std::string again;
        ASSERT_TRUE(copy.Write(again));
        EXPECT_EQ(again.substr(again.find("\r\n>\r\n")), text.substr(text.find("\r\n>\r\n")))
            << seed;
    }
}

TEST(WorkspaceFileTest, PlainValuesAreWrittenAsTheyAre)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    auto* p = ws.AddProject(std::make_unique<Project>(&settings, &ws, "R&D caf\xC3\xA9 <x>"));
    p->developer = "it's";
    p->directory = "say \"hi\" & x &amp; y";
    std::string text;
    ASSERT_TRUE(ws.Write(text));
    EXPECT_NE(text.find("name=\"R&D caf\xC3\xA9 <x>\""), std::string::npos);
    EXPECT_NE(text.find("dev=\"it's\""), std::string::npos);
    EXPECT_NE(text.find("dir=\"say &quot;hi&quot; & x &amp;amp; y\""), std::string::npos);
}

TEST(WorkspaceFileTest, WriterRefusesWhatTheReaderCouldNotRestore)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    auto* p = ws.AddProject(std::make_unique<Project>(&settings, &ws, "core"));
    std::string out = "untouched";
    std::string error;

    p->developer = std::string("a\0b", 3);
    EXPECT_FALSE(ws.Write(out, &error));
    EXPECT_EQ(out, "untouched");
    EXPECT_NE(error.find("project 'core'"), std::string::npos) << error;
    EXPECT_NE(error.find("dev"), std::string::npos) << error;

    p->developer = std::string(MarkupLexer::kMaxText + 1, 'x');
    EXPECT_FALSE(ws.Write(out, &error));
    p->developer = std::string(MarkupLexer::kMaxText, 'x');
    EXPECT_TRUE(ws.Write(out, &error));
    Workspace copy(&settings);
    EXPECT_EQ(copy.Read(out), 0);
    EXPECT_EQ(copy.projects.at(0)->developer.size(), MarkupLexer::kMaxText);
}

TEST(WorkspaceFileTest, FoldersNestUpToTheReadersDepthLimit)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    Folder* f = &ws;
    for (size_t i = 0; i + 2 < MarkupParser::kMaxDepth; ++i)
        f = f->AddSubfolder(std::make_unique<Folder>("f"));
    f->AddProject(std::make_unique<Project>(&settings, f, "deep"));
    std::string text;
    ASSERT_TRUE(ws.Write(text));
    Workspace copy(&settings);
    EXPECT_EQ(copy.Read(text), 0);
    EXPECT_FALSE(copy.Incomplete());
    EXPECT_EQ(copy.CountProjects(true), 1);

    f->AddSubfolder(std::make_unique<Folder>("one too deep"));
    std::string error;
    EXPECT_FALSE(ws.Write(text, &error));
    EXPECT_NE(error.find("nested"), std::string::npos) << error;
}

TEST(WorkspaceReaderTest, ProjectCountIsBoundedAndReadInGoodTime)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    std::string text = "<workspace name=''>";
    for (int i = 0; i < 20000; ++i) text += "<project name=Same/>";
    EXPECT_EQ(ws.Read(text + "</workspace>"), 0);  // equal names: no quadratic search
    EXPECT_EQ(ws.CountProjects(false), 20000);
    EXPECT_FALSE(ws.Incomplete());

    ws.SetMaxProjects(100);
    EXPECT_EQ(ws.Read(text + "</workspace>"), 0);
    EXPECT_EQ(ws.CountProjects(false), 100);
    EXPECT_TRUE(ws.Incomplete());
    EXPECT_NE(ws.IncompleteReason().find("more than 100 projects"), std::string::npos);

    ws.AddProject(std::make_unique<Project>(&settings, &ws, "one more"));
    std::string out, error;
    EXPECT_FALSE(ws.Write(out, &error));
    EXPECT_NE(error.find("100 projects"), std::string::npos) << error;
}

TEST(WorkspaceReaderTest, ElementsLandInTheNearestFolder)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    EXPECT_EQ(ReadText(ws,
                       "<workspace name='w'>"
                       "<project name='top' />"
                       "<folder name='f'><group name='g'><project name='inner'/></group>"
                       "</folder></workspace>"),
              0);
    ASSERT_EQ(ws.projects.size(), 1u);
    EXPECT_EQ(ws.projects[0]->name, "top");
    ASSERT_EQ(ws.subfolders.size(), 1u);
    ASSERT_EQ(ws.subfolders[0]->projects.size(), 1u);
    EXPECT_EQ(ws.subfolders[0]->projects[0]->name, "inner");
    EXPECT_EQ(ws.subfolders[0]->projects[0]->parent, ws.subfolders[0].get());
    EXPECT_TRUE(ws.name.empty());  // the root's own attributes are not read back
}

TEST(WorkspaceReaderTest, UnsupportedNestingKeepsEveryItem)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    EXPECT_EQ(ReadText(ws,
                       "<folder name='outside'/><workspace name=''><folder name='f'>"
                       "<project name='p'><project name='q'/><folder name='g'/></project>"
                       "</folder></workspace>"),
              0);
    ASSERT_EQ(ws.subfolders.size(), 2u);
    EXPECT_EQ(ws.subfolders[0]->name, "outside");
    const Folder& f = *ws.subfolders[1];
    EXPECT_EQ(f.projects.size(), 2u);
    ASSERT_EQ(f.subfolders.size(), 1u);
    EXPECT_EQ(f.subfolders[0]->name, "g");
}

TEST(WorkspaceReaderTest, FirstAttributeMustBeName)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    EXPECT_EQ(ReadText(ws,
                       "<workspace name=''><folder name='a'/><folder dir='x' name='b'/>"
                       "<folder name='c'/></workspace>"),
              2);
    ASSERT_EQ(ws.subfolders.size(), 1u);
    EXPECT_EQ(ws.subfolders[0]->name, "a");
    EXPECT_EQ(ReadText(ws, "<workspace/>"), 2);
}

TEST(WorkspaceReaderTest, NamesAndValuesAreReadForgivingly)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    EXPECT_EQ(ReadText(ws,
                       "<?xml version='1.0'?><!-- saved --><WORKSPACE NAME=\"\">\r\n"
                       "<FOLDER Name=a EXPANDED=2 DIR=C:/base/dir x=y>text<![CDATA[z]]>"
                       "<Project name=\"b\" DIR='/p' dev=me ext=cpp exfiles=\"\"/>"
                       "</folder><folder name='c' expanded='abc'/><folder name='d' "
                       "expanded=''/><folder name='e' expanded=' -007'/></workspace>"),
              0);
    ASSERT_EQ(ws.subfolders.size(), 4u);
    const Folder& a = *ws.subfolders[0];
    EXPECT_EQ(a.name, "a");
    EXPECT_TRUE(a.expanded);
    EXPECT_EQ(a.baseDirectory, "C:/base/dir");
    ASSERT_EQ(a.projects.size(), 1u);
    EXPECT_EQ(a.projects[0]->directory, "/p");
    EXPECT_EQ(a.projects[0]->developer, "me");
    EXPECT_EQ(a.projects[0]->extensions, "cpp");
    EXPECT_EQ(a.projects[0]->excludedFiles, "");
    EXPECT_FALSE(ws.subfolders[1]->expanded);
    EXPECT_FALSE(ws.subfolders[2]->expanded);
    EXPECT_TRUE(ws.subfolders[3]->expanded);
}

TEST(WorkspaceReaderTest, EntitiesAreDecodedAndExtraViewpointsIgnored)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    std::string text = "<workspace name=''><project name='x &amp; y' dir='/p'";
    for (int i = 0; i < 11; ++i) text += " vp='" + std::to_string(i) + "'";
    text += " /></workspace>";
    EXPECT_EQ(ReadText(ws, text), 0);
    const Project& p = *ws.projects.at(0);
    EXPECT_EQ(p.name, "x & y");
    EXPECT_EQ(p.viewpointCount, 9);
    EXPECT_EQ(p.viewpoints[8], "8");
}

TEST(WorkspaceReaderTest, ReadReplacesTheWholeTree)
{
    ScoringSettings settings;
    Workspace ws(&settings);
    ws.New();
    ws.AddProject(std::make_unique<Project>(&settings, &ws, "old"));
    EXPECT_EQ(ReadText(ws, "<workspace name=''><folder name='n'/></workspace>"), 0);
    EXPECT_EQ(ws.CountProjects(true), 0);
    ASSERT_EQ(ws.subfolders.size(), 1u);
    EXPECT_EQ(ws.subfolders[0]->name, "n");

    ws.New();
    ASSERT_EQ(ws.subfolders.size(), 1u);
    EXPECT_EQ(ws.subfolders[0]->name, "Projects");
    EXPECT_FALSE(ws.subfolders[0]->expanded);
    EXPECT_EQ(ws.CountProjects(true), 0);
}

TEST(WorkspaceReaderTest, StatisticsAreLoadedAtEachProjectsEnd)
{
    TempDir dir;
    ScoringSettings settings;
    {
        ProjectStats stats(&settings);
        ASSERT_EQ(WriteStatisticsFile(stats, (dir.path / "built.cbb").string()), 0);
    }
    Workspace ws(&settings);
    const std::string d = dir.path.string();
    EXPECT_EQ(ReadText(ws, "<workspace name=''><project name='built' dir='" + d +
                               "'/><project name='never' dir='" + d + "'></project></workspace>"),
              0);
    ASSERT_EQ(ws.projects.size(), 2u);
    EXPECT_EQ(ws.projects[0]->statisticsLoaded, 1);
    EXPECT_EQ(ws.projects[1]->statisticsLoaded, 0);
}

TEST(WorkspaceFilesTest, BackupPathReplacesTheExtension)
{
    EXPECT_EQ(BackupPath("work.cbw"), "work.bak");
    EXPECT_EQ(BackupPath("/a/b/work.cbw"), "/a/b/work.bak");
    EXPECT_EQ(BackupPath("/a/b/work.x.cbw"), "/a/b/work.x.bak");
    EXPECT_EQ(BackupPath("/a.d/work"), "/a.d/work.bak");
    EXPECT_EQ(BackupPath("work."), "work.bak");
}

TEST(WorkspaceFilesTest, SaveLoadAndBackUp)
{
    TempDir dir;
    ScoringSettings settings;
    const std::string path = (dir.path / "work.cbw").string();
    Workspace ws(&settings);
    ws.New();
    ws.subfolders[0]->AddProject(
        std::make_unique<Project>(&settings, ws.subfolders[0].get(), "core"));
    std::string message;
    ASSERT_EQ(SaveWorkspaceFile(ws, path, &message), 0) << message;

    Workspace back(&settings);
    back.name = "renamed";
    back.expanded = true;
    EXPECT_EQ(OpenWorkspaceFile(back, path, &message), 0);
    EXPECT_EQ(Slurp(dir.path / "work.bak"), Slurp(path));
    EXPECT_TRUE(back.name.empty());
    EXPECT_FALSE(back.expanded);
    EXPECT_EQ(message, "");
    EXPECT_EQ(back.CountProjects(true), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2)
        << "no temporary file is left behind";
}

TEST(WorkspaceFilesTest, FailuresNameTheFileAndChangeNothing)
{
    TempDir dir;
    ScoringSettings settings;
    Workspace ws(&settings);
    std::string message;
    EXPECT_EQ(LoadWorkspaceFile(ws, (dir.path / "missing.cbw").string(), &message), -1);
    EXPECT_NE(message.find("missing.cbw"), std::string::npos);
    EXPECT_EQ(LoadWorkspaceFile(ws, dir.path.string(), &message), -1);

    const fs::path broken = dir.path / "broken.cbw";
    std::ofstream(broken, std::ios::binary) << "<workspace name=''><folder name='a'>";
    EXPECT_EQ(LoadWorkspaceFile(ws, broken.string(), &message), 1);
    EXPECT_NE(message.find("syntax error"), std::string::npos) << message;
    EXPECT_EQ(ws.subfolders.size(), 1u);  // the part read so far

    std::ofstream(broken, std::ios::binary) << "\x7f"
                                               "ELF\x01\x02\x03 binary junk";
    EXPECT_EQ(LoadWorkspaceFile(ws, broken.string(), &message), 0);
    EXPECT_NE(message.find("read only in part"), std::string::npos) << message;

    EXPECT_EQ(SaveWorkspaceFile(ws, (dir.path / "no" / "such.cbw").string(), &message), -1);
    EXPECT_NE(message.find("such.cbw"), std::string::npos);

    const fs::path kept = dir.path / "kept.cbw";
    std::ofstream(kept, std::ios::binary) << "old";
    ws.AddProject(std::make_unique<Project>(&settings, &ws, std::string("a\0b", 3)));
    EXPECT_EQ(SaveWorkspaceFile(ws, kept.string(), &message), -1);
    EXPECT_EQ(Slurp(kept), "old");
}

// The backup's name may be taken: only an earlier backup is replaced, never
// a file of the user's, a link's target or a folder; the opening goes on.
TEST(WorkspaceFilesTest, BackupReplacesOnlyAnEarlierBackup)
{
    TempDir dir;
    ScoringSettings settings;
    const std::string path = (dir.path / "n.cbw").string();
    const fs::path backup = dir.path / "n.bak";
    Workspace ws(&settings);
    ws.New();
    ASSERT_EQ(SaveWorkspaceFile(ws, path, nullptr), 0);

    std::ofstream(backup) << "<WORKSPACE name=''></WORKSPACE>";  // an earlier backup
    EXPECT_TRUE(WriteBackupCopy(path));
    EXPECT_EQ(Slurp(backup), Slurp(path));

    std::ofstream(backup) << "the user's own notes";
    EXPECT_FALSE(WriteBackupCopy(path));
    EXPECT_EQ(Slurp(backup), "the user's own notes");

    fs::remove(backup);
    std::ofstream(dir.path / "victim") << "<workspace> of somebody else";
    fs::create_symlink(dir.path / "victim", backup);
    EXPECT_FALSE(WriteBackupCopy(path));
    EXPECT_EQ(Slurp(dir.path / "victim"), "<workspace> of somebody else");
    EXPECT_TRUE(fs::is_symlink(backup));

    fs::remove(backup);
    fs::create_directory(backup);
    EXPECT_FALSE(WriteBackupCopy(path));
    Workspace back(&settings);
    EXPECT_EQ(OpenWorkspaceFile(back, path, nullptr), 0);  // opens all the same
    EXPECT_EQ(back.subfolders.size(), 1u);
}

TEST(WorkspaceFilesTest, OnlyRegularFilesAreReadAndCreatingNeverReplaces)
{
    TempDir dir;
    ScoringSettings settings;
    Workspace ws(&settings);
    std::string message;
    const std::string fifo = (dir.path / "fifo.cbw").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(LoadWorkspaceFile(ws, fifo, &message), -1);  // never waits for a writer
    EXPECT_EQ(message, "cannot read workspace file " + fifo + ": it is a FIFO");
    EXPECT_EQ(LoadWorkspaceFile(ws, "/dev/zero", &message), -1);
    EXPECT_EQ(message, "cannot read workspace file /dev/zero: it is a device");

    ws.New();
    const std::string path = (dir.path / "w.cbw").string();
    ASSERT_EQ(CreateWorkspaceFile(ws, path, &message), 0) << message;
    const std::string first = Slurp(path);
    ws.subfolders[0]->name = "Other";
    EXPECT_EQ(CreateWorkspaceFile(ws, path, &message), -1);
    EXPECT_EQ(message, "cannot write workspace file " + path + ": it already exists");
    EXPECT_EQ(Slurp(path), first);
}

}  // namespace codeburg
