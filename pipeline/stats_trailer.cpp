#include "pipeline/stats_trailer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace codeburg {

namespace {

constexpr char kTag[4] = {'C', 'B', 'B', 'T'};
constexpr char kFooterTag[4] = {'C', 'B', 'B', 'E'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeadSize = 4 + 2 + 4;
// Far above anything written; a larger stated size is damage, not data.
constexpr size_t kMaxTrailerSize = size_t{1} << 30;

uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A line is a 32-bit count from 1, or 0 for unknown; a first line after
// the last is damage.
bool ParseLines(const uint8_t* p, size_t length, std::vector<int32_t>& lines)
{
    if (length < 4) return false;
    const size_t count = Get32(p);
    if (count % 2 != 0 || (length - 4) / 4 != count || (length - 4) % 4 != 0) return false;
    lines.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t line = Get32(p + 4 + 4 * i);
        if (line > uint32_t{INT32_MAX}) return false;
        lines[i] = static_cast<int32_t>(line);
    }
    for (size_t i = 0; i < count; i += 2)
        if (lines[i] > lines[i + 1]) return false;
    return true;
}

bool ParsePaths(const uint8_t* p, size_t length, std::vector<std::string>& paths)
{
    if (length < 4) return false;
    const size_t count = Get32(p);
    const uint8_t* const end = p + length;
    p += 4;
    // Each path takes at least its 4 size bytes, which bounds the count.
    if (count > length / 4) return false;
    paths.resize(count);
    for (std::string& path : paths) {
        if (end - p < 4) return false;
        const size_t size = Get32(p);
        p += 4;
        if (size > static_cast<size_t>(end - p)) return false;
        path.assign(reinterpret_cast<const char*>(p), size);
        p += size;
    }
    return p == end;
}

// Everything but the checksum, which "storedCrc" receives.
bool ParseTrailer(const uint8_t* data, size_t size, StatsTrailer& trailer, uint32_t& storedCrc)
{
    if (size < kHeadSize + kTrailerFooterSize || size > kMaxTrailerSize) return false;
    if (std::memcmp(data, kTag, 4) != 0 || Get16(data + 4) != kVersion) return false;
    const size_t entriesSize = Get32(data + 6);
    if (entriesSize != size - kHeadSize - kTrailerFooterSize) return false;
    const uint8_t* footer = data + size - kTrailerFooterSize;
    if (Get32(footer) != size || std::memcmp(footer + 4, kFooterTag, 4) != 0) return false;
    storedCrc = Get32(footer + 8);

    StatsTrailer parsed;
    const uint8_t* p = data + kHeadSize;
    const uint8_t* const end = p + entriesSize;
    while (p < end) {
        if (end - p < 6) return false;
        const uint16_t key = Get16(p);
        const size_t length = Get32(p + 2);
        p += 6;
        if (length > static_cast<size_t>(end - p)) return false;
        if (key == static_cast<uint16_t>(TrailerKey::MethodRule)) {
            if (length != 1 || p[0] > static_cast<uint8_t>(MethodRule::Modern)) return false;
            parsed.methodRule = static_cast<MethodRule>(p[0]);
        } else if (key == static_cast<uint16_t>(TrailerKey::MethodLines)) {
            if (!ParseLines(p, length, parsed.methodLines)) return false;
        } else if (key == static_cast<uint16_t>(TrailerKey::FilePaths)) {
            if (!ParsePaths(p, length, parsed.filePaths)) return false;
        }
        p += length;  // a key this reader does not know is a later addition
    }
    trailer = parsed;
    return true;
}

bool ReadAt(int fd, uint8_t* into, size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, into, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        into += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

}  // namespace

void EncodeTrailer(const StatsTrailer& trailer, std::vector<uint8_t>& out)
{
    const size_t start = out.size();
    out.insert(out.end(), kTag, kTag + 4);
    Put16(out, kVersion);
    const size_t entriesAt = out.size();
    Put32(out, 0);  // the entries' size, set below
    Put16(out, static_cast<uint16_t>(TrailerKey::MethodRule));
    Put32(out, 1);
    out.push_back(static_cast<uint8_t>(trailer.methodRule));
    if (!trailer.methodLines.empty()) {
        Put16(out, static_cast<uint16_t>(TrailerKey::MethodLines));
        Put32(out, static_cast<uint32_t>(4 + 4 * trailer.methodLines.size()));
        Put32(out, static_cast<uint32_t>(trailer.methodLines.size()));
        for (const int32_t line : trailer.methodLines) Put32(out, static_cast<uint32_t>(line));
    }
    if (!trailer.filePaths.empty()) {
        size_t size = 4;
        for (const std::string& path : trailer.filePaths) size += 4 + path.size();
        Put16(out, static_cast<uint16_t>(TrailerKey::FilePaths));
        Put32(out, static_cast<uint32_t>(size));
        Put32(out, static_cast<uint32_t>(trailer.filePaths.size()));
        for (const std::string& path : trailer.filePaths) {
            Put32(out, static_cast<uint32_t>(path.size()));
            out.insert(out.end(), path.begin(), path.end());
        }
    }
    const uint32_t entriesSize = static_cast<uint32_t>(out.size() - entriesAt - 4);
    for (int i = 0; i < 4; ++i) out[entriesAt + i] = static_cast<uint8_t>(entriesSize >> (8 * i));
    Put32(out, static_cast<uint32_t>(out.size() - start + kTrailerFooterSize));
    out.insert(out.end(), kFooterTag, kFooterTag + 4);
}

bool DecodeTrailer(const uint8_t* data, size_t size, uint32_t fileCrc, StatsTrailer& trailer)
{
    StatsTrailer parsed;
    uint32_t storedCrc = 0;
    if (!ParseTrailer(data, size, parsed, storedCrc) || storedCrc != fileCrc) return false;
    trailer = parsed;
    return true;
}

StoredTrailer ReadStoredTrailer(const std::string& path, StatsTrailer& trailer)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return StoredTrailer::None;
    StoredTrailer result = StoredTrailer::None;
    struct stat st;
    uint8_t footer[kTrailerFooterSize];
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<uint64_t>(st.st_size) >= kTrailerFooterSize &&
        ReadAt(fd, footer, sizeof footer, st.st_size - off_t{kTrailerFooterSize}) &&
        std::memcmp(footer + 4, kFooterTag, 4) == 0) {
        result = StoredTrailer::Damaged;
        const size_t size = Get32(footer);
        if (size >= kHeadSize + kTrailerFooterSize && size <= kMaxTrailerSize &&
            size <= static_cast<uint64_t>(st.st_size)) {
            std::vector<uint8_t> bytes(size);
            uint32_t storedCrc = 0;
            if (ReadAt(fd, bytes.data(), size, st.st_size - static_cast<off_t>(size)) &&
                ParseTrailer(bytes.data(), size, trailer, storedCrc))
                result = StoredTrailer::Present;
        }
    }
    ::close(fd);
    return result;
}

}  // namespace codeburg
