#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace codeburg {

// A growable little-endian byte buffer with one read/write position, in which
// project statistics are serialised. Reads past the valid data read nothing:
// the target keeps its value, the position stays and the call returns false,
// so a truncated file is an ordinary outcome and never a read out of bounds.
class StatsBuffer {
public:
    void WriteU8(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteI32(int32_t value);
    void WriteU32(uint32_t value);
    void WriteFloat(float value);
    void WriteString(std::string_view text);  // bytes and a NUL
    void WriteRaw(const void* data, size_t length);

    bool ReadU8(uint8_t& value);
    bool ReadU16(uint16_t& value);
    bool ReadI32(int32_t& value);
    bool ReadU32(uint32_t& value);
    bool ReadFloat(float& value);
    bool ReadString(std::string& text);  // up to a NUL that must lie within the data
    bool ReadRaw(void* data, size_t length);

    // 0 on success, -1 when the file cannot be opened or fully written/read,
    // with the reason in "error" when given. Save never writes through a
    // link; Load reads only a regular file of at most "maxBytes".
    int Save(const std::string& path, std::string* error = nullptr) const;
    int Load(const std::string& path, std::string* error = nullptr,
             uint64_t maxBytes = uint64_t{4} << 30);

    void Assign(const void* data, size_t length);  // replaces the content, position 0
    // Makes room for "bytes" more, so that a large serialisation is not
    // copied again and again as it grows.
    void Reserve(size_t bytes) { m_data.reserve(m_pos + bytes); }

    size_t size() const { return m_data.size(); }
    size_t position() const { return m_pos; }
    size_t remaining() const { return m_data.size() - m_pos; }
    void Rewind() { m_pos = 0; }
    const std::vector<uint8_t>& data() const { return m_data; }

private:
    void Put(const void* data, size_t length);

    std::vector<uint8_t> m_data;
    size_t m_pos = 0;
};

}  // namespace codeburg
