#pragma once

// What a statistics file holds after its city grid: figures the original
// layout has no room for. Readers that stop after the grid never see it, and
// a file that ends with its grid has no trailer (every classic build writes
// such a file, byte for byte as before).
//
// Layout, little-endian:
//   "CBBT"                 tag
//   uint16 version         1; a reader refuses a version it does not know
//   uint32 entries size    bytes of the entries that follow
//   entries                each: uint16 key, uint32 value size, the value
//   uint32 trailer size    bytes from the tag to the end of the file
//   "CBBE"                 tag of the footer
//   uint32 checksum        CRC-32C of every byte of the file before it
// The last 12 bytes, the footer, locate the trailer from the end of the file.
// Later additions are new keys: a reader skips the keys it does not know.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "records/method_rule.h"

namespace codeburg {

enum class TrailerKey : uint16_t {
    MethodRule = 1,   // uint8: the MethodRule the methods were found by
    MethodLines = 2,  // uint32 count, then per method of every file in order: line, end line
    FilePaths = 3,    // uint32 count, then per file in order: uint32 size and the path's bytes
};

// The figures a trailer carries. A file without a trailer reads as the default.
struct StatsTrailer {
    MethodRule methodRule = MethodRule::Classic;
    // Two per method (first and last line, 0 when unknown), over the files
    // in file order and each file's methods in stored order; empty when the
    // build did not know them.
    std::vector<int32_t> methodLines;
    // One per file in file order, below the project directory; empty when unknown.
    std::vector<std::string> filePaths;

    // A classic build from before lines and paths were kept has nothing to add.
    bool Empty() const
    {
        return methodRule == MethodRule::Classic && methodLines.empty() && filePaths.empty();
    }
};

inline constexpr size_t kTrailerFooterSize = 12;

// Appends the trailer up to and with the footer's tag, without the checksum:
// the writer sums the whole file and appends the 4 bytes of Crc32c itself.
void EncodeTrailer(const StatsTrailer& trailer, std::vector<uint8_t>& out);

// Reads a whole trailer, checksum included, from [data, data + size), which
// must be exactly the trailer: false when its tags, version, sizes or entries
// are malformed. "fileCrc" is the CRC-32C of every byte of the file before
// the checksum field; a mismatch is false as well.
bool DecodeTrailer(const uint8_t* data, size_t size, uint32_t fileCrc, StatsTrailer& trailer);

enum class StoredTrailer { None, Present, Damaged };

// Reads only the end of the statistics file at "path": whether it has a
// trailer and, when it has, its figures. The checksum is not verified (that
// needs the whole file); everything else is. None also when the file cannot
// be read; only regular files are opened, and never blocking.
StoredTrailer ReadStoredTrailer(const std::string& path, StatsTrailer& trailer);

}  // namespace codeburg
