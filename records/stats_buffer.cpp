#include "records/stats_buffer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "platform/large_pages.h"
#include "platform/safe_file.h"

namespace codeburg {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

}  // namespace

void StatsBuffer::Put(const void* data, size_t length)
{
    if (m_pos + length > m_data.size()) m_data.resize(m_pos + length);
    if (length) std::memcpy(m_data.data() + m_pos, data, length);
    m_pos += length;
}

void StatsBuffer::WriteU8(uint8_t value)
{
    Put(&value, 1);
}

void StatsBuffer::WriteU16(uint16_t value)
{
    const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    Put(b, 2);
}

void StatsBuffer::WriteU32(uint32_t value)
{
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    Put(b, 4);
}

void StatsBuffer::WriteI32(int32_t value)
{
    WriteU32(static_cast<uint32_t>(value));
}

void StatsBuffer::WriteFloat(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    WriteU32(bits);
}

void StatsBuffer::WriteString(std::string_view text)
{
    Put(text.data(), text.size());
    WriteU8(0);
}

void StatsBuffer::WriteRaw(const void* data, size_t length)
{
    Put(data, length);
}

bool StatsBuffer::ReadRaw(void* data, size_t length)
{
    if (length > remaining()) return false;
    if (length) std::memcpy(data, m_data.data() + m_pos, length);
    m_pos += length;
    return true;
}

bool StatsBuffer::ReadU8(uint8_t& value)
{
    return ReadRaw(&value, 1);
}

bool StatsBuffer::ReadU16(uint16_t& value)
{
    uint8_t b[2];
    if (!ReadRaw(b, 2)) return false;
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool StatsBuffer::ReadU32(uint32_t& value)
{
    uint8_t b[4];
    if (!ReadRaw(b, 4)) return false;
    value =
        uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

bool StatsBuffer::ReadI32(int32_t& value)
{
    uint32_t bits;
    if (!ReadU32(bits)) return false;
    value = static_cast<int32_t>(bits);
    return true;
}

bool StatsBuffer::ReadFloat(float& value)
{
    uint32_t bits;
    if (!ReadU32(bits)) return false;
    std::memcpy(&value, &bits, 4);
    return true;
}

bool StatsBuffer::ReadString(std::string& text)
{
    if (remaining() == 0) return false;  // an empty buffer's data pointer may be null
    const uint8_t* begin = m_data.data() + m_pos;
    const void* nul = std::memchr(begin, 0, remaining());
    if (!nul) return false;
    const size_t length = static_cast<const uint8_t*>(nul) - begin;
    text.assign(reinterpret_cast<const char*>(begin), length);
    m_pos += length + 1;
    return true;
}

void StatsBuffer::Assign(const void* data, size_t length)
{
    m_data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    m_pos = 0;
}

int StatsBuffer::Save(const std::string& path, std::string* error) const
{
    // A build interrupted while saving must not leave half a statistics file.
    return WriteFileAtomically(path, m_data.data(), m_data.size(), error);
}

int StatsBuffer::Load(const std::string& path, std::string* error, uint64_t maxBytes)
{
    uint64_t size = 0;
    const int fd = OpenRegularFile(path, maxBytes, size, error);
    if (fd < 0) return -1;
    FilePtr f(fdopen(fd, "rb"));
    if (!f) {
        if (error) *error = std::strerror(errno);
        close(fd);
        return -1;
    }
    // Read into room of the file's size, backed by large pages: a large city
    // grown 64 KB at a time was copied over and over, page by page, and took
    // seconds to load. The size is only a hint; a file that changes meanwhile
    // is read to its end all the same, but never beyond the bound.
    auto fail = [error](const char* why) {
        if (error) *error = why;
        return -1;
    };
    std::vector<uint8_t> data;
    if (size > 0) {
        try {
            data.reserve(static_cast<size_t>(size));
        } catch (const std::exception&) {
            return fail(std::strerror(ENOMEM));
        }
        AdviseLargePages(data.data(), data.capacity());
    }
    // Up to the room reserved, then in pieces of a buffer of our own, so
    // that the end of the file never makes the room grow.
    constexpr size_t kChunk = size_t(1) << 20;
    while (data.size() < data.capacity()) {
        const size_t had = data.size(), want = std::min(kChunk, data.capacity() - had);
        data.resize(had + want);
        const size_t n = std::fread(data.data() + had, 1, want, f.get());
        data.resize(had + n);
        if (n < want) break;
    }
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
        if (data.size() + n > maxBytes) return fail("file too large");
        try {
            data.insert(data.end(), chunk, chunk + n);
        } catch (const std::exception&) {
            return fail(std::strerror(ENOMEM));
        }
    }
    if (std::ferror(f.get())) return fail(std::strerror(errno));
    m_data = std::move(data);
    m_pos = 0;
    return 0;
}

}  // namespace codeburg
