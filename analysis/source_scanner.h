#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace codeburg {

class FileStats;

enum class ScanLanguage { C, Java, Assembler };

// Larger inputs are refused, as if their buffer could not be allocated. The
// bound keeps every 32-bit counter, and every sum of them, far from overflow.
inline constexpr size_t kMaxScanBytes = size_t{1} << 30;

// ".asm" selects the assembler rules and ".java" the Java ones, in any case;
// everything else is scanned as C or C++.
ScanLanguage LanguageForPath(std::string_view path);

// Counts the lines of "data" into "stats", which must be freshly created (all
// counters 0, no methods): the line counters are set, methods and classes
// appended and sorted, largest eloc first. Reads only data[0, size). Returns 0,
// or 1 without touching "stats" when size exceeds kMaxScanBytes.
int ScanBuffer(FileStats& stats, const char* data, size_t size, ScanLanguage language);

// The same scan driven one token at a time: slower, and kept as the plain
// form the scan above is checked against.
int ScanBufferTokenByToken(FileStats& stats, const char* data, size_t size, ScanLanguage language);

// Reads the file at "path" whole and scans it with the rules its extension
// selects. Returns 0, or 1 when it cannot be opened or read (a directory, a
// missing or unreadable file, anything but a regular file, or a file over
// kMaxScanBytes); "stats" is then unchanged. The second form reads into
// "buffer", which only grows, so that a caller scanning many files allocates
// once.
int ScanFile(FileStats& stats, const std::string& path);
int ScanFile(FileStats& stats, const std::string& path, std::vector<char>& buffer);

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
