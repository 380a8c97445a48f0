// Runs the real codeburg-cli binary on temporary files and checks its JSON
// output, its messages and its exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_run_test_util.h"

namespace {

namespace fs = std::filesystem;
using codeburg::testing::CliRun;
using nlohmann::json;

class ScanCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("codeburg_cli_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    CliRun Scan(std::vector<std::string> args)
    {
        args.insert(args.begin(), "scan");
        return codeburg::testing::RunCli(args, m_dir.string());
    }

    fs::path m_dir;
};

const char kMemberFunction[] =
    "#include \"foo.h\"\n"
    "void Foo::Bar(int a, int b)\n"
    "{\n"
    "    int x = a;\n"
    "    assert(x > 0);\n"
    "\n"
    "    // note\n"
    "    x += b;\n"
    "}\n"
    "Foo::Foo() : m(0) {}\n"
    "void Other::CliRun() {}\n";

TEST_F(ScanCommandTest, PrintsEveryFieldOfTheRecords)
{
    const std::string path = Write("foo.cpp", kMemberFunction);
    const CliRun run = Scan({path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json doc = json::parse(run.out);
    ASSERT_EQ(doc["files"].size(), 1u);
    const json& file = doc["files"][0];
    const json expected = json::parse(R"({
        "path": ")" + path + R"(", "name": "foo.cpp", "lines": 11, "emptyLines": 3,
        "commentLines": 1, "asserts": 1, "blockCommentLines": 0, "includes": 1,
        "constructors": 1, "methodElocSum": 2, "maxMethodEloc": 2, "elocWithinLimit": 2,
        "elocOverLimit": 0, "methodLengthLimit": 25, "classes": ["Foo", "Other"],
        "methods": [
          {"className": "Foo", "methodName": "Bar", "paramCount": 2, "eloc": 2,
           "commentLines": 1, "asserts": 1, "emptyLines": 2, "line": 2, "endLine": 9},
          {"className": "Foo", "methodName": "Foo", "paramCount": 0, "eloc": 0,
           "commentLines": 0, "asserts": 0, "emptyLines": 0, "line": 10, "endLine": 10},
          {"className": "Other", "methodName": "CliRun", "paramCount": 0, "eloc": 0,
           "commentLines": 0, "asserts": 0, "emptyLines": 0, "line": 11, "endLine": 11}]})");
    EXPECT_EQ(file, expected) << file.dump(2);
}

TEST_F(ScanCommandTest, LineCountSetsTheMethodLengthLimit)
{
    const std::string path = Write("foo.cpp", kMemberFunction);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--linecount", "2", path}, {path, "--linecount=2"}}) {
        const CliRun run = Scan(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const json file = json::parse(run.out)["files"][0];
        EXPECT_EQ(file["methodLengthLimit"], 2);
        EXPECT_EQ(file["elocOverLimit"], 2);  // eloc 2 + 1 assert > 2
        EXPECT_EQ(file["elocWithinLimit"], 0);
    }
}

TEST_F(ScanCommandTest, MethodsModernFindsMemberFunctionsInTheirClass)
{
    const std::string path =
        Write("box.h", "namespace geo {\nclass Box {\n  int w() const { return 1; }\n};\n}\n");
    const json classic = json::parse(Scan({path}).out)["files"][0];
    EXPECT_TRUE(classic["methods"].empty());
    const CliRun run = Scan({"--methods", "modern", path});
    ASSERT_EQ(run.status, 0) << run.err;
    const json modern = json::parse(run.out)["files"][0];
    ASSERT_EQ(modern["methods"].size(), 1u);
    EXPECT_EQ(modern["methods"][0]["className"], "Box");
    EXPECT_EQ(modern["methods"][0]["methodName"], "w");
}

TEST_F(ScanCommandTest, UnreadableFilesGiveErrorEntriesInPlace)
{
    const std::string java = Write("A.java", "class A {\n  void f() {\n  }\n}\n");
    const std::string missing = (m_dir / "missing.cpp").string();
    const std::string asmFile = Write("b.asm", "one:\ntwo:\n");
    const CliRun run = Scan({java, missing, m_dir.string(), asmFile});
    EXPECT_EQ(run.status, 1);
    const json doc = json::parse(run.out);
    ASSERT_EQ(doc["files"].size(), 4u);
    EXPECT_EQ(doc["files"][0]["methods"].size(), 1u);
    EXPECT_EQ(doc["files"][1], json({{"path", missing}, {"error", 1}}));
    EXPECT_EQ(doc["files"][2], json({{"path", m_dir.string()}, {"error", 1}}));
    EXPECT_EQ(doc["files"][3]["classes"], json({"b.asm"}));
    // One line on standard error per failed file, naming it and saying why.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
    EXPECT_NE(run.err.find("'" + missing + "': No such file or directory"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("'" + m_dir.string() + "': it is a directory"), std::string::npos);

    const std::string fifo = (m_dir / "pipe.cpp").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const CliRun piped = Scan({fifo});
    EXPECT_EQ(piped.status, 1);
    EXPECT_NE(piped.err.find("'" + fifo + "': it is a FIFO"), std::string::npos) << piped.err;
}

TEST_F(ScanCommandTest, UsageErrorsExitTwo)
{
    const std::string path = Write("a.cpp", "int a;\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--linecount"},
                                                 {"--linecount", "x", path},
                                                 {"--linecount", "-1", path},
                                                 {"--linecount=99999999999", path},
                                                 {"--verbose", path}}) {
        const CliRun run = Scan(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage"), std::string::npos);
    }
    // "--" ends the options, so a file may start with a dash.
    Write("-x.cpp", "int a;\n");
    const CliRun dashed = Scan({"--", "-x.cpp"});
    EXPECT_EQ(dashed.status, 0) << dashed.err;
}

TEST_F(ScanCommandTest, NamesThatAreNotUtf8StillGiveValidJson)
{
    const std::string path = Write("caf\xE9.cpp", "void f() {}\n");
    const CliRun run = Scan({path});
    ASSERT_EQ(run.status, 0) << run.err;
    const json doc = json::parse(run.out);                      // throws on invalid UTF-8
    EXPECT_EQ(doc["files"][0]["name"], "caf\xEF\xBF\xBD.cpp");  // U+FFFD
    EXPECT_EQ(doc["files"][0]["methods"].size(), 1u);
}

TEST_F(ScanCommandTest, ManyFilesKeepCommandLineOrder)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 200; ++i)
        paths.push_back(Write("f" + std::to_string(i) + ".cpp", std::string(i % 7, '\n')));
    const CliRun run = Scan(paths);
    ASSERT_EQ(run.status, 0) << run.err;
    const json doc = json::parse(run.out);
    ASSERT_EQ(doc["files"].size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(doc["files"][i]["path"], paths[i]);
        EXPECT_EQ(doc["files"][i]["lines"], int(i % 7)) << i;
    }
}

}  // namespace
