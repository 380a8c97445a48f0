#pragma once

#include <cstdint>

namespace codeburg {

struct Hsv {
    int hue = 0;            // whole degrees, 0..359
    double saturation = 0;  // 0..1
    double value = 0;       // 0..1
};

// Six-sector HSV to RGB. The hue is taken modulo 360, saturation and value are
// clamped to 0..1 and every channel is floor(channel x 255). Returns 0x00RRGGBB.
uint32_t HsvToColor(int hue, double saturation, double value);

// The reverse for a colour with red in the low byte (0x00BBGGRR); the hue is
// truncated to whole degrees.
Hsv ColorToHsv(uint32_t colorRef);

// Swaps red and blue: 0x00RRGGBB <-> 0x00BBGGRR.
inline uint32_t SwapRedBlue(uint32_t colour)
{
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

}  // namespace codeburg
