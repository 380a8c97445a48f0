// TEMPORARY stand-ins for other slices, deleted once main provides them.
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "analysis/file_stats.h"
#include "analysis/project_stats.h"
#include "analysis/stats_buffer.h"
#include "analysis/text_report.h"
#include "platform/ini_file.h"
#include "city/city_grid.h"
#include "city/city_layout.h"
#include "platform/ms_random.h"
#include "platform/path_util.h"
#include "platform/safe_file.h"
#include "scoring/scoring_settings.h"
#include "workspace/project.h"

namespace codeburg {

bool BuildCity(ProjectStats& stats, MsRandom& rng, BuildProgressSink*)
{
    const int n = static_cast<int>(stats.files.size());
    stats.cityGrid.Allocate(n + 2, n + 2);
    for (int i = 0; i < n; ++i) {
        CityCell c;
        c.height = static_cast<uint16_t>(2 + rng.next() % 5);
        c.footprint = 1;
        c.fileIndex = i;
        c.methodIndex = 0;
        if (!stats.files[i]->methods.empty()) stats.cityGrid.cells[(i + 1) * (n + 2) + i + 1] = c;
    }
    return true;
}

void CityGrid::Serialise(StatsBuffer& b) const
{
    for (int32_t v : {width, height, minX, minY, maxX, maxY, centreX, centreY}) b.WriteI32(v);
    b.WriteU8(0);
    for (int32_t v : reserved) b.WriteI32(v);
    b.WriteU32(static_cast<uint32_t>(cells.size() * 12));
    for (const CityCell& c : cells) {
        b.WriteU16(c.height);
        b.WriteU8(c.footprint);
        b.WriteU8(c.side);
        b.WriteU32(c.fileIndex);
        b.WriteU32(c.methodIndex);
    }
}

bool CityGrid::Deserialise(StatsBuffer& b)
{
    int32_t v[8];
    for (int32_t& x : v)
        if (!b.ReadI32(x)) return false;
    uint8_t alt;
    if (!b.ReadU8(alt)) return false;
    for (int32_t& r : reserved)
        if (!b.ReadI32(r)) return false;
    uint32_t count;
    if (!b.ReadU32(count)) return false;
    if (v[0] < 0 || v[1] < 0 || uint64_t(v[0]) * uint64_t(v[1]) * 12 != count ||
        count > b.remaining()) {
        Clear();
        return false;
    }
    Allocate(v[0], v[1]);
    minX = v[2]; minY = v[3]; maxX = v[4]; maxY = v[5]; centreX = v[6]; centreY = v[7];
    for (CityCell& c : cells) {
        b.ReadU16(c.height);
        b.ReadU8(c.footprint);
        b.ReadU8(c.side);
        b.ReadU32(c.fileIndex);
        b.ReadU32(c.methodIndex);
    }
    return true;
}

Project::Project(const ScoringSettings* settings, Folder* parentFolder, std::string projectName)
    : parent(parentFolder), name(std::move(projectName)),
      stats(std::make_unique<ProjectStats>(settings))
{
}

std::string Project::StatisticsPath() const { return PathJoin(directory, name + ".cbb"); }


}  // namespace codeburg
