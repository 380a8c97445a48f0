// How much of a picture the city covers: the bounding box of the pixels
// that differ from the background, against the picture's shorter side.
// Take the picture with --no-legend, or the legend counts as city.
//   snapshot_coverage PICTURE.jpg...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "city/city_geometry.h"

namespace {

bool Measure(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", path);
        return false;
    }
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int w = int(info.output_width), h = int(info.output_height);
    std::vector<unsigned char> row(size_t(w) * 3);
    const uint32_t bg = codeburg::BackgroundColour();
    const int br = int(bg >> 16 & 0xFF), bgreen = int(bg >> 8 & 0xFF), bb = int(bg & 0xFF);
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (int y = 0; y < h; ++y) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &row[size_t(x) * 3];
            // JPEG blurs the flat background by a few steps; 24 in sum is well above that.
            if (std::abs(p[0] - br) + std::abs(p[1] - bgreen) + std::abs(p[2] - bb) <= 24) continue;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    const int bw = maxX >= minX ? maxX - minX + 1 : 0, bh = maxY >= minY ? maxY - minY + 1 : 0;
    const bool landscape = w >= h;
    const double covered = landscape ? double(bh) / h : double(bw) / w;
    std::printf("%s: %d x %d, city box %d x %d at (%d, %d), %.1f %% of the shorter side\n", path, w,
                h, bw, bh, minX, minY, covered * 100.0);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: snapshot_coverage PICTURE.jpg...\n");
        return 2;
    }
    bool ok = true;
    for (int i = 1; i < argc; ++i) ok = Measure(argv[i]) && ok;
    return ok ? 0 : 1;
}
