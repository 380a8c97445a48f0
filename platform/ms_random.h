#pragma once

#include <cstdint>

namespace codeburg {

// The linear congruential generator of the classic C runtime, kept as a value
// so that colours and cities come out identical on every platform and no
// global state is shared between builds. Never substitute the C library's rand().
class MsRandom {
public:
    explicit MsRandom(uint32_t seed = 1) : m_state(seed) {}

    void seed(uint32_t seed) { m_state = seed; }
    int next()  // 0..32767
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }
    uint32_t state() const { return m_state; }

private:
    uint32_t m_state;
};

}  // namespace codeburg
