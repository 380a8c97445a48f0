#include "platform/crc32c.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <nmmintrin.h>
#endif

namespace codeburg {

namespace {

constexpr uint32_t kPolynomial = 0x82F63B78u;  // reflected

// Slicing by 8: table k gives the effect of a byte followed by k zero bytes.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables MakeTables()
{
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1u) ? kPolynomial : 0u);
        t[0][i] = crc;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
    return t;
}

constexpr Tables kTables = MakeTables();

uint64_t Load64(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;  // little-endian hosts only, as the statistics file itself
}

// On the internal (not inverted) register.
uint32_t ExtendByTables(uint32_t crc, const uint8_t* p, size_t size)
{
    for (; size >= 8; size -= 8, p += 8) {
        const uint64_t v = Load64(p) ^ crc;
        crc = kTables[7][v & 0xFF] ^ kTables[6][(v >> 8) & 0xFF] ^ kTables[5][(v >> 16) & 0xFF] ^
              kTables[4][(v >> 24) & 0xFF] ^ kTables[3][(v >> 32) & 0xFF] ^
              kTables[2][(v >> 40) & 0xFF] ^ kTables[1][(v >> 48) & 0xFF] ^
              kTables[0][(v >> 56) & 0xFF];
    }
    for (; size > 0; --size, ++p) crc = (crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF];
    return crc;
}

#if defined(__x86_64__)
__attribute__((target("sse4.2"))) uint32_t ExtendByInstruction(uint32_t crc, const uint8_t* p,
                                                               size_t size)
{
    uint64_t wide = crc;
    for (; size >= 8; size -= 8, p += 8) wide = _mm_crc32_u64(wide, Load64(p));
    crc = static_cast<uint32_t>(wide);
    for (; size > 0; --size, ++p) crc = _mm_crc32_u8(crc, *p);
    return crc;
}

bool HasInstruction()
{
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}
#endif

}  // namespace

uint32_t Crc32cExtendPortable(uint32_t crc, const void* data, size_t size)
{
    return ExtendByTables(crc ^ 0xFFFFFFFFu, static_cast<const uint8_t*>(data), size) ^ 0xFFFFFFFFu;
}

uint32_t Crc32cExtend(uint32_t crc, const void* data, size_t size)
{
#if defined(__x86_64__)
    if (HasInstruction())
        return ExtendByInstruction(crc ^ 0xFFFFFFFFu, static_cast<const uint8_t*>(data), size) ^
               0xFFFFFFFFu;
#endif
    return Crc32cExtendPortable(crc, data, size);
}

}  // namespace codeburg
