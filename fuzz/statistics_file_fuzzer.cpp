// Reads arbitrary bytes as a project statistics file. Whatever it accepts must
// serialise again and read back to the same bytes; whatever it refuses must
// leave the statistics as they were.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "pipeline/statistics_file.h"
#include "records/project_stats.h"
#include "records/stats_buffer.h"
#include "scoring/scoring_settings.h"

namespace {

std::vector<uint8_t> Serialised(const codeburg::ProjectStats& stats)
{
    codeburg::StatsBuffer buffer;
    codeburg::SerialiseStatistics(stats, buffer);
    return buffer.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace codeburg;
    static const ScoringSettings settings;

    ProjectStats stats(&settings);
    const std::vector<uint8_t> empty = Serialised(stats);
    StatsBuffer buffer;
    buffer.Assign(data, size);
    if (DeserialiseStatistics(stats, buffer) != 0) {
        if (Serialised(stats) != empty) std::abort();  // a refused file changed the record
        return 0;
    }

    const std::vector<uint8_t> once = Serialised(stats);
    ProjectStats again(&settings);
    StatsBuffer onceBuffer;
    onceBuffer.Assign(once.data(), once.size());
    if (DeserialiseStatistics(again, onceBuffer) != 0) std::abort();  // own output refused
    if (Serialised(again) != once) std::abort();
    return 0;
}
