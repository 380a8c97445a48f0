#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace codeburg {

// Packed 24-bit pixels, red, green, blue, rows top to bottom.
struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // width x height x 3

    uint32_t At(int32_t x, int32_t y) const;  // 0x00RRGGBB; 0 outside
};

// Writes a baseline JPEG of the image at "quality" (clamped to 1..100),
// replacing an older file of that name only once the new one is complete; a
// link or anything but a regular file in its place is refused. Returns false
// with a message in "error" (when given) naming the file and the reason, or
// the image being empty or inconsistent; the old file then stays as it was.
// Never prints and never ends the process.
bool WriteJpeg(const std::string& path, const RgbImage& image, int quality, std::string* error);

// The same JPEG in memory, for pictures embedded in other files. False with
// the reason in "error" (no file name in it); "jpeg" is then empty.
bool EncodeJpeg(const RgbImage& image, int quality, std::string& jpeg, std::string* error);

}  // namespace codeburg
