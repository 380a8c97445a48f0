#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "city/city_grid.h"

namespace codeburg {

class FileStats;
class MsRandom;

// One distinct class name within one file. It has no counters of its own: its
// figures are those of the methods pointing to it.
struct ClassStats {
    std::string name;           // compared byte for byte
    FileStats* file = nullptr;  // owner, not owned
};

// One method body, or one assembler procedure.
struct MethodStats {
    std::string className;  // empty when none; the file name for assembler
    std::string methodName;
    int32_t paramCount = 0;
    int32_t eloc = 0;
    int32_t commentLines = 0;
    int32_t asserts = 0;
    int32_t emptyLines = 0;
    // 1-based lines of the signature and of the closing brace (of a
    // procedure's label and its last line); 0 when unknown, as in statistics
    // files of older builds.
    int32_t line = 0;
    int32_t endLine = 0;
    FileStats* file = nullptr;  // owner, not owned
    ClassStats* cls = nullptr;  // same file's class record, or null without class

    float GreenPercent() const;    // (comments + asserts) per eloc x 100
    float SpacingPercent() const;  // (empty + comments) per eloc x 100
};

// The counts of one scanned source file. Methods and classes are owned here;
// their back pointers stay valid for the record's life.
class FileStats {
public:
    // A record with all counters 0 and an empty 10 x 10 city block. The first
    // form draws the file's colour from "rng" (three draws: hue, saturation,
    // value), the second takes a stored colour and draws nothing.
    FileStats(std::string name, int32_t methodLengthLimit, MsRandom& rng);
    FileStats(std::string name, int32_t methodLengthLimit, uint32_t colour);
    FileStats(const FileStats&) = delete;
    FileStats& operator=(const FileStats&) = delete;

    int32_t methodLengthLimit = 25;
    std::vector<std::unique_ptr<ClassStats>> classes;   // order of first appearance
    std::vector<std::unique_ptr<MethodStats>> methods;  // after a scan: eloc, largest first
    std::string name;                                   // file name without directory
    std::string path;  // below the project directory, '/' separated; empty when unknown
    int32_t methodElocSum = 0;
    int32_t emptyLines = 0;
    int32_t commentLines = 0;
    int32_t asserts = 0;
    int32_t blockCommentLines = 0;
    int32_t includes = 0;
    int32_t constructors = 0;
    int32_t lines = 0;
    uint32_t colour = 0;  // 0x00BBGGRR
    int32_t maxMethodEloc = 0;
    int32_t elocWithinLimit = 0;
    int32_t elocOverLimit = 0;
    // Scanner scratch, not saved: bodies the classic rule passed over because
    // they stood inside a namespace, a class body or a nested type.
    int32_t skippedBodies = 0;
    CityGrid cityGrid;

    // Appends a method; a method named byte for byte like its class is a constructor.
    MethodStats* AddMethod(std::string_view className, std::string_view methodName,
                           int32_t paramCount);
    // Exact search in order; appends when absent. An empty name yields null.
    ClassStats* FindOrCreateClass(std::string_view name);
    // Sets the figures of the most recently added method and adds them to the
    // file's sums. The limit test counts the asserts with the eloc.
    void FinishMethod(int32_t eloc, int32_t commentLines, int32_t asserts, int32_t emptyLines);
    // Re-splits the method eloc at "limit"; unlike FinishMethod, asserts do not count.
    void RecomputeLimitSums(int32_t limit);
    void SortMethods();  // eloc, largest first
    void Clear();        // frees methods and classes

    // Derived figures every list shows.
    int32_t Eloc() const { return lines - asserts - commentLines - emptyLines; }
    float ElocPerMethod() const;
    float CommentPercent() const;
    float AssertPercent() const;
    int32_t Volume() const { return maxMethodEloc / 100 + includes; }
    int32_t MethodCount() const { return static_cast<int32_t>(methods.size()); }
};

}  // namespace codeburg
