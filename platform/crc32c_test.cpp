#include "platform/crc32c.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace codeburg {

TEST(Crc32cTest, StandardCheckValues)
{
    EXPECT_EQ(Crc32c("123456789", 9), 0xE3069283u);
    EXPECT_EQ(Crc32cExtendPortable(0, "123456789", 9), 0xE3069283u);
    EXPECT_EQ(Crc32c("", 0), 0u);
    // From RFC 3720 (iSCSI), appendix B.4: 32 bytes of zeros and of ones.
    const std::string zeros(32, '\0'), ones(32, '\xFF');
    EXPECT_EQ(Crc32c(zeros.data(), zeros.size()), 0x8A9136AAu);
    EXPECT_EQ(Crc32c(ones.data(), ones.size()), 0x62A8AB43u);
}

TEST(Crc32cTest, PiecesSumLikeTheWhole)
{
    std::mt19937 rng(7);
    std::vector<uint8_t> bytes(100000);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    const uint32_t whole = Crc32c(bytes.data(), bytes.size());
    for (size_t cut : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{4097}, bytes.size()}) {
        const uint32_t first = Crc32c(bytes.data(), cut);
        EXPECT_EQ(Crc32cExtend(first, bytes.data() + cut, bytes.size() - cut), whole) << cut;
    }
}

TEST(Crc32cTest, InstructionAndTablesAgree)
{
    // Every length around the 8-byte steps, at every alignment.
    std::mt19937 rng(11);
    std::vector<uint8_t> bytes(300);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    for (size_t offset = 0; offset < 9; ++offset)
        for (size_t size = 0; offset + size <= bytes.size(); size += 1 + size / 8)
            ASSERT_EQ(Crc32cExtend(0x1234u, bytes.data() + offset, size),
                      Crc32cExtendPortable(0x1234u, bytes.data() + offset, size))
                << offset << " " << size;
}

}  // namespace codeburg
