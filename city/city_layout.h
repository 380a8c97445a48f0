#pragma once
// TEMPORARY stand-in until the city layout lands in main.
namespace codeburg {
class BuildProgressSink;
class MsRandom;
class ProjectStats;
void BuildCity(ProjectStats& stats, MsRandom& rng, BuildProgressSink* sink);
}  // namespace codeburg
