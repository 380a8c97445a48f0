#include "ci/method_match.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "analysis/source_scanner.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {
namespace {

// A project of scanned sources, keyed by file name.
std::unique_ptr<ProjectStats> Project(const std::map<std::string, std::string>& sources)
{
    auto stats = std::make_unique<ProjectStats>(nullptr);
    for (const auto& [name, text] : sources) {
        auto file = std::make_unique<FileStats>(name, 25, 0u);
        EXPECT_EQ(ScanBuffer(*file, text.data(), text.size(), ScanLanguage::C), 0);
        stats->files.push_back(std::move(file));
    }
    return stats;
}

const MethodPair* Find(const std::vector<MethodPair>& pairs, const std::string& name, int rank = 0)
{
    for (const auto& pair : pairs)
        if (pair.key.name == name && pair.key.rank == rank) return &pair;
    return nullptr;
}

const char kTwo[] =
    "int Shape::area(int w, int h)\n{\n    return w * h;\n}\n"
    "int Shape::perimeter(int w, int h)\n{\n    int p = 2 * w;\n    return p + 2 * h;\n}\n";

TEST(MethodMatchTest, BuildAgainstItselfChangesNothing)
{
    const auto a = Project({{"shape.cpp", kTwo}});
    const auto b = Project({{"shape.cpp", kTwo}});
    const auto pairs = MatchMethods(*a, *b);
    ASSERT_EQ(pairs.size(), 2u);
    for (const auto& pair : pairs) {
        EXPECT_EQ(pair.kind, ChangeKind::kUnchanged) << pair.key.name;
        EXPECT_NE(pair.oldMethod, nullptr);
        EXPECT_NE(pair.newMethod, nullptr);
        EXPECT_EQ(pair.key.className, "Shape");
    }
}

TEST(MethodMatchTest, MovedMethodKeepsItsFingerprint)
{
    const auto before = Project({{"shape.cpp", kTwo}});
    const auto after =
        Project({{"shape.cpp", std::string("// new helper\n\nstatic int twice(int v)\n"
                                           "{\n    return 2 * v;\n}\n\n") +
                                   kTwo}});
    const auto pairs = MatchMethods(*before, *after);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(Find(pairs, "twice")->kind, ChangeKind::kAdded);
    EXPECT_EQ(Find(pairs, "twice")->oldMethod, nullptr);
    for (const char* name : {"area", "perimeter"}) {
        const MethodPair* pair = Find(pairs, name);
        ASSERT_NE(pair, nullptr) << name;
        EXPECT_EQ(pair->kind, ChangeKind::kUnchanged) << name;
    }
    // The key alone names the method: a fresh key of the same method hashes alike.
    EXPECT_EQ(Fingerprint(Find(pairs, "area")->key),
              Fingerprint({"shape.cpp", "Shape", "area", 0}));
}

TEST(MethodMatchTest, RenamedMethodIsRemovedAndAdded)
{
    std::string renamed = kTwo;
    renamed.replace(renamed.find("area"), 4, "surface");
    const auto before = Project({{"shape.cpp", kTwo}});
    const auto after = Project({{"shape.cpp", renamed}});
    const auto pairs = MatchMethods(*before, *after);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(Find(pairs, "surface")->kind, ChangeKind::kAdded);
    EXPECT_EQ(Find(pairs, "area")->kind, ChangeKind::kRemoved);
    EXPECT_EQ(Find(pairs, "area")->newMethod, nullptr);
    EXPECT_EQ(Find(pairs, "perimeter")->kind, ChangeKind::kUnchanged);
}

// A file of methods "f" with the given (params, eloc, first line), stored
// by eloc as a scan leaves them.
std::unique_ptr<ProjectStats> Overloads(std::vector<std::array<int, 3>> methods)
{
    auto stats = std::make_unique<ProjectStats>(nullptr);
    auto file = std::make_unique<FileStats>("f.c", 25, 0u);
    for (const auto& [params, eloc, line] : methods) {
        file->AddMethod("", "f", params)->line = line;
        file->FinishMethod(eloc, 0, 0, 0);
    }
    file->SortMethods();
    stats->files.push_back(std::move(file));
    return stats;
}

TEST(MethodMatchTest, OverloadsStayDistinct)
{
    // The second overload grows past the first: its rank still follows the source.
    const auto before = Overloads({{1, 3, 1}, {2, 2, 10}});
    const auto after = Overloads({{1, 3, 1}, {2, 5, 10}});
    const auto pairs = MatchMethods(*before, *after);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(Find(pairs, "f", 0)->kind, ChangeKind::kUnchanged);
    EXPECT_EQ(Find(pairs, "f", 1)->kind, ChangeKind::kChanged);
    EXPECT_EQ(Find(pairs, "f", 1)->newMethod->paramCount, 2);
    EXPECT_NE(Fingerprint(Find(pairs, "f", 0)->key), Fingerprint(Find(pairs, "f", 1)->key));
}

TEST(MethodMatchTest, FiguresThatCountAsChange)
{
    auto project = [](int eloc, int params, int comments, int asserts, int empty) {
        auto stats = std::make_unique<ProjectStats>(nullptr);
        auto file = std::make_unique<FileStats>("m.cpp", 25, 0u);
        file->AddMethod("", "m", params);
        file->FinishMethod(eloc, comments, asserts, empty);
        stats->files.push_back(std::move(file));
        return stats;
    };
    const auto base = project(10, 1, 2, 0, 3);
    EXPECT_EQ(MatchMethods(*base, *project(10, 1, 2, 0, 9))[0].kind, ChangeKind::kUnchanged);
    EXPECT_EQ(MatchMethods(*base, *project(11, 1, 2, 0, 3))[0].kind, ChangeKind::kChanged);
    EXPECT_EQ(MatchMethods(*base, *project(10, 2, 2, 0, 3))[0].kind, ChangeKind::kChanged);
    EXPECT_EQ(MatchMethods(*base, *project(10, 1, 3, 0, 3))[0].kind, ChangeKind::kChanged);
    EXPECT_EQ(MatchMethods(*base, *project(10, 1, 2, 1, 3))[0].kind, ChangeKind::kChanged);
}

TEST(MethodMatchTest, FilesComeAndGoWithTheirMethods)
{
    const auto before = Project({{"a.cpp", kTwo}, {"gone.cpp", "void g()\n{\n}\n"}});
    const auto after = Project({{"a.cpp", kTwo}, {"b.cpp", kTwo}});
    const auto files = MatchFiles(*before, *after);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_NE(files[0].oldFile, nullptr);  // a.cpp
    EXPECT_EQ(files[1].oldFile, nullptr);  // b.cpp is new
    EXPECT_EQ(files[2].newFile, nullptr);  // gone.cpp
    const auto pairs = MatchMethods(*before, *after);
    ASSERT_EQ(pairs.size(), 5u);
    int added = 0, removed = 0;
    for (const auto& pair : pairs) {
        added += pair.kind == ChangeKind::kAdded;
        removed += pair.kind == ChangeKind::kRemoved;
    }
    EXPECT_EQ(added, 2);  // both of b.cpp: the same names in another file are other methods
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(pairs.back().key.path, "gone.cpp");
}

TEST(MethodMatchTest, BuildWithoutPathsMatchesByName)
{
    const auto before = Project({{"shape.cpp", kTwo}});
    const auto after = Project({{"shape.cpp", kTwo}});
    after->files[0]->path = "src/shape.cpp";  // recorded now, unknown in the older build
    const auto pairs = MatchMethods(*before, *after);
    ASSERT_EQ(pairs.size(), 2u);
    for (const auto& pair : pairs) EXPECT_EQ(pair.kind, ChangeKind::kUnchanged);
    EXPECT_EQ(pairs[0].key.path, "src/shape.cpp");
}

TEST(MethodMatchTest, FingerprintIsStableAndSeparatesFields)
{
    // A fingerprint stored by an earlier release must still match.
    EXPECT_EQ(Fingerprint({"src/a.cpp", "A", "run", 0}), Fingerprint({"src/a.cpp", "A", "run", 0}));
    EXPECT_EQ(Fingerprint({"src/a.cpp", "A", "run", 0}).size(), 32u);
    EXPECT_EQ(Fingerprint({"", "", "", 0}), "2907032709630316e4192fd924a1519f");
    EXPECT_NE(Fingerprint({"a", "bc", "d", 0}), Fingerprint({"ab", "c", "d", 0}));
    EXPECT_NE(Fingerprint({"a", "b", "c", 0}), Fingerprint({"a", "b", "c", 1}));
    EXPECT_NE(Fingerprint({"x/a.cpp", "", "f", 0}), Fingerprint({"y/a.cpp", "", "f", 0}));
}

}  // namespace
}  // namespace codeburg
