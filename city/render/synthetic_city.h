#pragma once

#include <cstdint>

namespace codeburg {

class ProjectStats;

// Fills "stats" with "files" files of "methodsPerFile" methods of varied
// sizes and a city grid with one square block per file, streets between the
// blocks and a lake; every tenth method is a constructor (a tower). Stands in
// for a real project where a test or a benchmark needs a city of a known size.
void MakeSyntheticCity(ProjectStats& stats, int32_t files, int32_t methodsPerFile, uint32_t seed);

}  // namespace codeburg
