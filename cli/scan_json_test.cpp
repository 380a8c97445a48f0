// The hand-written scan JSON against the same records built and dumped by the
// JSON library, which is what `codeburg-cli scan` printed before.
#include "cli/scan_json.h"

#include <gtest/gtest.h>

#include <climits>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "records/file_stats.h"

namespace {

using codeburg::FileStats;
using Json = nlohmann::ordered_json;

std::string LibraryRecord(const std::string& path, const FileStats& f)
{
    Json file = Json::object();
    file["path"] = path;
    file["name"] = f.name;
    const std::pair<const char*, int32_t> figures[] = {{"lines", f.lines},
                                                       {"emptyLines", f.emptyLines},
                                                       {"commentLines", f.commentLines},
                                                       {"asserts", f.asserts},
                                                       {"blockCommentLines", f.blockCommentLines},
                                                       {"includes", f.includes},
                                                       {"constructors", f.constructors},
                                                       {"methodElocSum", f.methodElocSum},
                                                       {"maxMethodEloc", f.maxMethodEloc},
                                                       {"elocWithinLimit", f.elocWithinLimit},
                                                       {"elocOverLimit", f.elocOverLimit},
                                                       {"methodLengthLimit", f.methodLengthLimit}};
    for (const auto& [key, value] : figures) file[key] = value;
    file["classes"] = Json::array();
    for (const auto& cls : f.classes) file["classes"].push_back(cls->name);
    file["methods"] = Json::array();
    for (const auto& m : f.methods) {
        Json method = Json::object();
        method["className"] = m->className;
        method["methodName"] = m->methodName;
        method["paramCount"] = m->paramCount;
        method["eloc"] = m->eloc;
        method["commentLines"] = m->commentLines;
        method["asserts"] = m->asserts;
        method["emptyLines"] = m->emptyLines;
        method["line"] = m->line;
        method["endLine"] = m->endLine;
        file["methods"].push_back(method);
    }
    return file.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Names mixing plain identifiers with every kind of byte that needs care:
// quotes, backslashes, control bytes, valid and broken UTF-8.
std::string RandomName(std::mt19937& rng)
{
    static const std::string pieces[] = {"Foo",
                                         "_bar9",
                                         "\"",
                                         "\\",
                                         "\n",
                                         "\t",
                                         std::string(1, '\0'),
                                         "\x1F",
                                         "\x7F",
                                         "\xC3\xA9",
                                         "\xE2\x82\xAC",
                                         "\xF0\x9F\x98\x80",
                                         "\xE9",
                                         "\xC3",
                                         "\xE2\x82",
                                         "\xFF\xFE",
                                         "\xED\xA0\x80",
                                         "~"};
    std::string name;
    const int count = static_cast<int>(rng() % 5);
    for (int i = 0; i < count; ++i) name += pieces[rng() % std::size(pieces)];
    return name;
}

int32_t RandomFigure(std::mt19937& rng)
{
    switch (rng() % 4) {
        case 0:
            return INT32_MIN + static_cast<int32_t>(rng() % 3);
        case 1:
            return INT32_MAX - static_cast<int32_t>(rng() % 3);
        case 2:
            return -static_cast<int32_t>(rng() % 1000);
        default:
            return static_cast<int32_t>(rng() % 100000);
    }
}

TEST(ScanJsonTest, PrintsWhatTheJsonLibraryPrintsForAnyNamesAndFigures)
{
    std::mt19937 rng(20261207);
    for (int round = 0; round < 2000; ++round) {
        FileStats f(RandomName(rng), RandomFigure(rng), uint32_t{0});
        const int classes = static_cast<int>(rng() % 3);
        for (int i = 0; i < classes; ++i) f.FindOrCreateClass(RandomName(rng) + "C");
        const int methods = static_cast<int>(rng() % 4);
        for (int i = 0; i < methods; ++i) {
            f.AddMethod(RandomName(rng), RandomName(rng), RandomFigure(rng));
            codeburg::MethodStats& m = *f.methods.back();
            m.eloc = RandomFigure(rng);
            m.commentLines = RandomFigure(rng);
            m.asserts = RandomFigure(rng);
            m.emptyLines = RandomFigure(rng);
        }
        // Last: adding a constructor counts it.
        for (int32_t* figure :
             {&f.lines, &f.emptyLines, &f.commentLines, &f.asserts, &f.blockCommentLines,
              &f.includes, &f.constructors, &f.methodElocSum, &f.maxMethodEloc, &f.elocWithinLimit,
              &f.elocOverLimit})
            *figure = RandomFigure(rng);
        const std::string path = RandomName(rng) + "/" + f.name;
        std::string ours = "[";  // appends to what is there
        codeburg::cli::AppendScanRecord(ours, path, f);
        ASSERT_EQ(ours, "[" + LibraryRecord(path, f)) << "round " << round;
    }
}

TEST(ScanJsonTest, ErrorEntriesNameThePath)
{
    std::string out;
    codeburg::cli::AppendScanError(out, "a\"b\xE9.cpp");
    EXPECT_EQ(out, R"({"path":"a\"b)"
                   "\xEF\xBF\xBD"
                   R"(.cpp","error":1})");
}

}  // namespace
