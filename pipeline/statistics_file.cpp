#include "pipeline/statistics_file.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "pipeline/stats_trailer.h"
#include "platform/crc32c.h"
#include "platform/safe_file.h"
#include "records/build_progress_sink.h"
#include "records/city_grid.h"
#include "records/file_stats.h"
#include "records/project_stats.h"
#include "records/stats_buffer.h"

namespace codeburg {

namespace {

constexpr uint16_t kFileRecordVersion = 1;
constexpr uint16_t kMethodRecordVersion = 0;

// The smallest encodings, used to reject counts the remaining bytes could
// never hold before anything is allocated for them.
constexpr size_t kMinFileRecord = 2 + 1 + 12 * 4 + 4 + 4;  // version 0, empty name
constexpr size_t kMinClassName = 1;
constexpr size_t kMinMethodRecord = 2 + 1 + 1 + 5 * 4;
// width .. centreY, the alternate-size byte, 4 reserved, the byte count.
constexpr size_t kGridHeader = 8 * 4 + 1 + 4 * 4 + 4;

void WriteFileRecord(const FileStats& file, StatsBuffer& b)
{
    b.WriteU16(kFileRecordVersion);
    b.WriteString(file.name);
    b.WriteI32(file.lines);
    b.WriteI32(file.emptyLines);
    b.WriteI32(file.methodElocSum);
    b.WriteI32(file.commentLines);
    b.WriteI32(file.blockCommentLines);
    b.WriteI32(file.asserts);
    b.WriteU32(file.colour);
    b.WriteI32(file.maxMethodEloc);
    b.WriteI32(file.elocWithinLimit);
    b.WriteI32(file.elocOverLimit);
    b.WriteI32(file.methodLengthLimit);
    b.WriteI32(file.includes);
    b.WriteI32(file.constructors);
    b.WriteU32(static_cast<uint32_t>(file.classes.size()));
    for (const auto& cls : file.classes) b.WriteString(cls->name);
    b.WriteU32(static_cast<uint32_t>(file.methods.size()));
    for (const auto& m : file.methods) {
        b.WriteU16(kMethodRecordVersion);
        b.WriteString(m->className);
        b.WriteString(m->methodName);
        b.WriteI32(m->paramCount);
        b.WriteI32(m->eloc);
        b.WriteI32(m->commentLines);
        b.WriteI32(m->asserts);
        b.WriteI32(m->emptyLines);
    }
}

bool ReadCount(StatsBuffer& b, size_t minItemSize, uint32_t& count)
{
    return b.ReadU32(count) && count <= b.remaining() / minItemSize;
}

bool ReadMethod(StatsBuffer& b, FileStats& file)
{
    uint16_t version;
    std::string className, methodName;
    int32_t paramCount, eloc, comments, asserts, empty;
    if (!b.ReadU16(version) || version != kMethodRecordVersion) return false;
    if (!b.ReadString(className) || !b.ReadString(methodName)) return false;
    if (!b.ReadI32(paramCount) || !b.ReadI32(eloc) || !b.ReadI32(comments) || !b.ReadI32(asserts) ||
        !b.ReadI32(empty))
        return false;
    auto method = std::make_unique<MethodStats>();
    method->className = std::move(className);
    method->methodName = std::move(methodName);
    method->paramCount = paramCount;
    method->eloc = eloc;
    method->commentLines = comments;
    method->asserts = asserts;
    method->emptyLines = empty;
    method->file = &file;
    method->cls = file.FindOrCreateClass(method->className);
    file.methods.push_back(std::move(method));
    return true;
}

std::unique_ptr<FileStats> ReadFileRecord(StatsBuffer& b, int32_t lineCount)
{
    uint16_t version;
    std::string name;
    if (!b.ReadU16(version) || version > kFileRecordVersion || !b.ReadString(name)) return nullptr;
    int32_t lines, empty, methodEloc, comments, blockComments = 0, asserts, maxEloc, skipped,
                                                includes, constructors;
    uint32_t colour;
    bool ok = b.ReadI32(lines) && b.ReadI32(empty) && b.ReadI32(methodEloc) &&
              b.ReadI32(comments) && (version < 1 || b.ReadI32(blockComments)) &&
              b.ReadI32(asserts) && b.ReadU32(colour) && b.ReadI32(maxEloc);
    // The limit sums and the limit are recomputed from the current settings.
    for (int i = 0; ok && i < 3; ++i) ok = b.ReadI32(skipped);
    ok = ok && b.ReadI32(includes) && b.ReadI32(constructors);
    if (!ok) return nullptr;

    auto file = std::make_unique<FileStats>(std::move(name), lineCount, colour);
    file->lines = lines;
    file->emptyLines = empty;
    file->methodElocSum = methodEloc;
    file->commentLines = comments;
    file->blockCommentLines = blockComments;
    file->asserts = asserts;
    file->maxMethodEloc = maxEloc;
    file->includes = includes;
    file->constructors = constructors;

    uint32_t count;
    if (!ReadCount(b, kMinClassName, count)) return nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        std::string cls;
        if (!b.ReadString(cls)) return nullptr;
        auto record = std::make_unique<ClassStats>();
        record->name = std::move(cls);
        record->file = file.get();
        file->classes.push_back(std::move(record));
    }
    if (!ReadCount(b, kMinMethodRecord, count)) return nullptr;
    file->methods.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        if (!ReadMethod(b, *file)) return nullptr;
    return file;
}

uint32_t PeekU32(const StatsBuffer& b, size_t offset)
{
    const auto& d = b.data();
    const size_t p = b.position() + offset;
    return uint32_t(d[p]) | (uint32_t(d[p + 1]) << 8) | (uint32_t(d[p + 2]) << 16) |
           (uint32_t(d[p + 3]) << 24);
}

// Checks the grid's stated size against its byte count and the bytes present
// before the grid allocates anything.
bool GridHeaderIsSound(const StatsBuffer& b)
{
    if (b.remaining() < kGridHeader) return false;
    const auto width = static_cast<int32_t>(PeekU32(b, 0));
    const auto height = static_cast<int32_t>(PeekU32(b, 4));
    const uint64_t bytes = PeekU32(b, kGridHeader - 4);
    if (width < 0 || height < 0) return false;
    if (uint64_t(width) * uint64_t(height) * 12 != bytes) return false;
    return bytes <= b.remaining() - kGridHeader;
}

// Every building must name a file and a method that exist, since the views
// index the lists with them.
bool GridMatchesFiles(const CityGrid& grid, const std::vector<std::unique_ptr<FileStats>>& files)
{
    for (const CityCell& cell : grid.cells) {
        if (!cell.isBuilding()) continue;
        if (cell.fileIndex >= files.size()) return false;
        if (cell.methodIndex >= files[cell.fileIndex]->methods.size()) return false;
    }
    return true;
}

// What WriteFileRecord writes, to the byte.
size_t FileRecordSize(const FileStats& file)
{
    size_t size = 2 + file.name.size() + 1 + 13 * 4 + 4 + 4;
    for (const auto& cls : file.classes) size += cls->name.size() + 1;
    for (const auto& m : file.methods)
        size += 2 + m->className.size() + 1 + m->methodName.size() + 1 + 5 * 4;
    return size;
}

// "keepAlive" is called now and then: a project of many thousand files takes
// a noticeable time.
void SerialiseAllButGrid(const ProjectStats& stats, StatsBuffer& buffer,
                         const std::function<void()>& keepAlive = {})
{
    size_t size = stats.name.size() + 1 + stats.directory.size() + 1 + 4;
    for (const auto& file : stats.files) size += FileRecordSize(*file);
    buffer.Reserve(size);
    buffer.WriteString(stats.name);
    buffer.WriteString(stats.directory);
    buffer.WriteU32(static_cast<uint32_t>(stats.files.size()));
    for (size_t i = 0; i < stats.files.size(); ++i) {
        WriteFileRecord(*stats.files[i], buffer);
        if (keepAlive && i % 256 == 255) keepAlive();
    }
}

StatsTrailer TrailerOf(const ProjectStats& stats)
{
    StatsTrailer trailer;
    trailer.methodRule = stats.methodRule;
    bool anyLine = false, anyPath = false;
    for (const auto& file : stats.files) {
        anyPath = anyPath || !file->path.empty();
        for (const auto& method : file->methods) anyLine = anyLine || method->line != 0;
    }
    if (anyLine) {
        for (const auto& file : stats.files) {
            for (const auto& method : file->methods) {
                trailer.methodLines.push_back(method->line);
                trailer.methodLines.push_back(method->endLine);
            }
        }
    }
    if (anyPath)
        for (const auto& file : stats.files) trailer.filePaths.push_back(file->path);
    return trailer;
}

// Puts the lines and paths of the trailer into the files they belong to;
// false when the trailer counts other files or methods than the file holds.
bool ApplyTrailer(const StatsTrailer& trailer, std::vector<std::unique_ptr<FileStats>>& files)
{
    if (!trailer.filePaths.empty()) {
        if (trailer.filePaths.size() != files.size()) return false;
        for (size_t i = 0; i < files.size(); ++i) files[i]->path = trailer.filePaths[i];
    }
    if (trailer.methodLines.empty()) return true;
    size_t methods = 0;
    for (const auto& file : files) methods += file->methods.size();
    if (trailer.methodLines.size() != 2 * methods) return false;
    size_t at = 0;
    for (const auto& file : files) {
        for (const auto& method : file->methods) {
            method->line = trailer.methodLines[at++];
            method->endLine = trailer.methodLines[at++];
        }
    }
    return true;
}

// The trailer, if there is anything to put in it, summed on from "crc", the
// checksum of all bytes before it; its own checksum last.
std::vector<uint8_t> TrailerBytes(const ProjectStats& stats, uint32_t crc)
{
    std::vector<uint8_t> bytes;
    const StatsTrailer trailer = TrailerOf(stats);
    if (trailer.Empty()) return bytes;
    EncodeTrailer(trailer, bytes);
    crc = Crc32cExtend(crc, bytes.data(), bytes.size());
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(crc >> shift));
    return bytes;
}

// After the grid: nothing (a file as the classic build writes it) or a
// sound trailer whose checksum matches the whole file.
bool ReadTrailer(StatsBuffer& buffer, StatsTrailer& trailer)
{
    if (buffer.remaining() == 0) return true;
    const std::vector<uint8_t>& data = buffer.data();
    if (data.size() < 4) return false;
    const uint32_t crc = Crc32c(data.data(), data.size() - 4);
    return DecodeTrailer(data.data() + buffer.position(), buffer.remaining(), crc, trailer);
}

}  // namespace

void SerialiseStatistics(const ProjectStats& stats, StatsBuffer& buffer)
{
    SerialiseAllButGrid(stats, buffer);
    stats.cityGrid.Serialise(buffer);
    if (TrailerOf(stats).Empty()) return;
    const std::vector<uint8_t> trailer =
        TrailerBytes(stats, Crc32c(buffer.data().data(), buffer.size()));
    buffer.WriteRaw(trailer.data(), trailer.size());
}

int DeserialiseStatistics(ProjectStats& stats, StatsBuffer& buffer)
{
    std::string name, directory;
    uint32_t count;
    if (!buffer.ReadString(name) || !buffer.ReadString(directory)) return -1;
    if (!ReadCount(buffer, kMinFileRecord, count)) return -1;
    std::vector<std::unique_ptr<FileStats>> files;
    files.reserve(count);
    const int32_t lineCount = stats.LineCount();
    for (uint32_t i = 0; i < count; ++i) {
        auto file = ReadFileRecord(buffer, lineCount);
        if (!file) return -1;
        files.push_back(std::move(file));
    }
    CityGrid grid;
    if (!GridHeaderIsSound(buffer) || !grid.Deserialise(buffer)) return -1;
    if (!GridMatchesFiles(grid, files)) return -1;
    StatsTrailer trailer;
    if (!ReadTrailer(buffer, trailer) || !ApplyTrailer(trailer, files)) return -1;

    stats.methodRule = trailer.methodRule;
    stats.name = std::move(name);
    stats.directory = std::move(directory);
    stats.files = std::move(files);
    stats.cityGrid = std::move(grid);
    stats.ComputeMeasures(true);
    return 0;
}

int WriteStatisticsFile(ProjectStats& stats, const std::string& path, std::string* error)
{
    if (stats.progressSink) stats.progressSink->Status(stats.name, "Serializing");
    StatsBuffer head;
    const std::span<const uint8_t> cells = stats.cityGrid.RawCellBytes();
    if (cells.size() != stats.cityGrid.cells.size() * sizeof(CityCell)) {
        SerialiseStatistics(stats, head);
        if (stats.progressSink) stats.progressSink->Status(stats.name, "Saving");
        return head.Save(path, error) == 0 ? 0 : -1;
    }
    // The city is by far the largest part: it goes from memory to the file
    // without a copy, which a large project could not afford twice over.
    BuildProgressSink* sink = stats.progressSink;
    const std::function<void()> keepAlive = [sink] {
        if (sink) sink->KeepAlive();
    };
    SerialiseAllButGrid(stats, head, keepAlive);
    stats.cityGrid.SerialiseHead(head);
    if (stats.progressSink) stats.progressSink->Status(stats.name, "Saving");
    // In steps, so that a window showing the build keeps repainting.
    constexpr size_t kStep = size_t(2) << 20;
    std::vector<BytePiece> pieces{{head.data().data(), head.size()}};
    for (size_t at = 0; at < cells.size(); at += kStep)
        pieces.push_back({cells.data() + at, std::min(kStep, cells.size() - at)});
    std::vector<uint8_t> trailer;
    if (!TrailerOf(stats).Empty()) {
        uint32_t crc = 0;
        for (const BytePiece& piece : pieces) {
            crc = Crc32cExtend(crc, piece.data, piece.size);
            keepAlive();
        }
        trailer = TrailerBytes(stats, crc);
        pieces.push_back({trailer.data(), trailer.size()});
    }
    return WriteFileAtomically(path, pieces, keepAlive, error) == 0 ? 0 : -1;
}

int ReadStatisticsFile(ProjectStats& stats, const std::string& path, std::string* error)
{
    StatsBuffer buffer;
    if (buffer.Load(path, error) != 0) return -1;
    if (DeserialiseStatistics(stats, buffer) == 0) return 0;
    if (error) *error = "it is truncated or corrupted";
    return -1;
}

}  // namespace codeburg
