#pragma once

#include <cstddef>
#include <cstdint>

namespace codeburg {

// CRC-32C (Castagnoli, reflected polynomial 0x82F63B78, initial value and
// final xor 0xFFFFFFFF), the checksum of iSCSI and ext4. Crc32cExtend
// continues a checksum over further bytes, so that data written in pieces
// is summed piece by piece: Crc32cExtend(Crc32c(a), b) == Crc32c(a + b).
// Uses the processor's crc32 instruction where it has one.
uint32_t Crc32cExtend(uint32_t crc, const void* data, size_t size);
inline uint32_t Crc32c(const void* data, size_t size)
{
    return Crc32cExtend(0, data, size);
}

// The same by table lookups only, whatever the processor: the portable path,
// which tests compare the instruction with.
uint32_t Crc32cExtendPortable(uint32_t crc, const void* data, size_t size);

}  // namespace codeburg
