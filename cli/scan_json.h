#pragma once

#include <string>

namespace codeburg {
class FileStats;
}

namespace codeburg::cli {

// The JSON of one scanned file, as `codeburg-cli scan` prints it: compact,
// keys in record order, names that are not UTF-8 repaired with U+FFFD.
void AppendScanRecord(std::string& out, const std::string& path, const FileStats& stats);
// The entry of a file that could not be read.
void AppendScanError(std::string& out, const std::string& path);

}  // namespace codeburg::cli
