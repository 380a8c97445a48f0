#include "pipeline/stats_trailer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
