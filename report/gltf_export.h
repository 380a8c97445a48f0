#pragma once

#include <string>

namespace codeburg {

struct CityGeometry;
class ProjectStats;

// One cell of the city is this many metres in the exported model.
constexpr float kMetresPerCell = 1.0f;

// The city as binary glTF 2.0: a ground slab, one plate per file (its
// district) and one node per building named "file::class::method" with the
// method's figures in "extras", coloured as "geometry" was (its display mode
// or a comparison). Y is up; the model is the city as seen from above, north
// along -z. All boxes share one mesh, all towers another, so the size grows
// with the node count only. "geometry" must be built from "stats".
std::string CityGlb(const ProjectStats& stats, const CityGeometry& geometry);

// Writes CityGlb to "path" safely (temporary file, then rename). 0, or -1
// with a reason in "error" and any old file untouched.
int WriteCityGlb(const std::string& path, const ProjectStats& stats, const CityGeometry& geometry,
                 std::string* error);

}  // namespace codeburg
