#pragma once

#include <cstdint>

namespace codeburg {

class BuildProgressSink;
class CityGrid;
class FileStats;
class MsRandom;
class ProjectStats;

// Lays out one file's block: every method becomes a building square placed on
// a spiral around the block's centre, in method order; the block is then
// cropped to its buildings plus one Empty cell all round. Cells name the file
// by "fileIndex" and a method by its position in the file's method list.
void PlaceMethods(FileStats& file, uint32_t fileIndex);

// Lays out the whole city of "stats" from its file list, which the caller has
// already sorted: the file blocks, the placement of the blocks (retried with
// a larger city until it fits), the streets and, for a project whose previous
// overall score reached 0.8, the lakes, drawn from "rng". Progress goes to
// "sink" when given. The file blocks are laid out on up to "threads" threads;
// the result is the same for any number. A block is kept only as long as the
// layout needs it, as its buildings rather than its cells, so a fresh file's
// grid stays empty (as in a loaded project); a file whose grid already holds
// buildings has them built on in place. False only when memory ran out; the
// city is then empty.
bool BuildCity(ProjectStats& stats, MsRandom& rng, BuildProgressSink* sink, int threads = 1);

// Places every file block of "stats" in a city of width x height, files in
// list order taking the four quarters in turn, and crops the city to them with
// a margin of 4. False when a block reached the edge of the city: the city is
// too small (the city grid is then left empty).
bool TryLayout(ProjectStats& stats, int32_t width, int32_t height, BuildProgressSink* sink);

// Paints the streets over the Empty cells of a laid-out city.
void PaintStreets(CityGrid& city, BuildProgressSink* sink = nullptr);

// Places the random lakes on cells left Empty.
void AddLakes(CityGrid& city, MsRandom& rng);

}  // namespace codeburg
