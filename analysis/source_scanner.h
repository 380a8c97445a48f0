#pragma once
// TEMPORARY stand-in until the scanner lands in main.
#include <string>
namespace codeburg {
class FileStats;
int ScanFile(FileStats& stats, const std::string& path);
}  // namespace codeburg
