#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/method_rule.h"

namespace codeburg {

class FileStats;
struct MethodStats;

enum class ScanLanguage { C, Java, Assembler };

// Larger inputs are refused, as if their buffer could not be allocated. The
// bound keeps every 32-bit counter, and every sum of them, far from overflow.
inline constexpr size_t kMaxScanBytes = size_t{1} << 30;

// ".asm" selects the assembler rules and ".java" the Java ones, in any case;
// everything else is scanned as C or C++.
ScanLanguage LanguageForPath(std::string_view path);

// Counts the lines of "data" into "stats", which must be freshly created (all
// counters 0, no methods): the line counters are set, methods and classes
// appended and sorted, largest eloc first; "rule" tells method bodies from
// other braces (assembler has one rule only). Reads only data[0, size).
// Returns 0, or 1 without touching "stats" when size exceeds kMaxScanBytes.
// Time and memory are linear in the size whatever the bytes.
int ScanBuffer(FileStats& stats, const char* data, size_t size, ScanLanguage language,
               MethodRule rule = MethodRule::Classic);

// The same scan driven one token at a time: slower, and kept as the plain
// form the scan above is checked against.
int ScanBufferTokenByToken(FileStats& stats, const char* data, size_t size, ScanLanguage language,
                           MethodRule rule = MethodRule::Classic);

// For checks that compare two scans body by body: where each method body
// opens and closes, where its signature was read and, under the modern rule,
// why each brace opened what it did.
enum class BraceReason : uint8_t {
    Method,       // opened a method body
    Namespace,    // opened a namespace or extern "C" block
    Type,         // opened a type body
    InBody,       // inside a method body
    InOther,      // inside braces that hold no methods (initialisers, enums, blocks)
    InParens,     // inside parentheses
    Initialiser,  // a member's braces in a constructor's initialiser list
    Enum,         // an enum body
    Excluded,     // one of the excluded signature names
    NoSignature,  // no signature was pending
    OutsideType,  // Java: a signature outside any type body
    Close,        // a "}" that closed a scope
    Unmatched,    // a "}" that closed nothing
};
struct ScanTrace {
    static constexpr size_t kOpen = static_cast<size_t>(-1);
    struct Body {
        const MethodStats* method;
        size_t open;             // offset of the body's "{"
        size_t close;            // offset of its "}", or kOpen at the end of the file
        size_t signature;        // offset of the signature's "("
        int32_t headerComments;  // of its comment lines, those above the body
    };
    std::vector<Body> bodies;  // in the order the bodies open
    struct Brace {
        size_t offset;
        BraceReason reason;
    };
    std::vector<Brace> braces;  // modern rule only: every "{" and "}"
    // Parameter lists and other parentheses read past without their tokens
    // reaching the rule: from the "(" to just after its ")".
    std::vector<std::pair<size_t, size_t>> readPast;
};
int ScanBufferTraced(FileStats& stats, const char* data, size_t size, ScanLanguage language,
                     MethodRule rule, ScanTrace& trace);

// Reads the file at "path" whole and scans it with the rules its extension
// selects. Returns 0, or 1 when it cannot be opened or read (a directory, a
// missing or unreadable file, anything but a regular file, or a file over
// kMaxScanBytes); "stats" is then unchanged. The second form reads into
// "buffer", which only grows, so that a caller scanning many files allocates
// once.
int ScanFile(FileStats& stats, const std::string& path, MethodRule rule = MethodRule::Classic);
int ScanFile(FileStats& stats, const std::string& path, std::vector<char>& buffer,
             MethodRule rule = MethodRule::Classic);

// Reads the file at "path" into "buffer" (grown as needed) and sets "size".
// False for the same failures as ScanFile, with the reason in "error" when
// given ("it is a FIFO", "file too large (...)", "Permission denied").
bool ReadSourceFile(const std::string& path, std::vector<char>& buffer, size_t& size,
                    std::string* error = nullptr);
// The same for "name" inside the open folder "directory", at any depth.
bool ReadSourceFileAt(int directory, const std::string& name, std::vector<char>& buffer,
                      size_t& size, std::string* error = nullptr);

// Whether "word" is one of the assertion keywords, in any case.
bool IsAssertKeyword(std::string_view word);

}  // namespace codeburg
