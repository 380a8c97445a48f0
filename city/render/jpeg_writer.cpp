#include "city/render/jpeg_writer.h"

#include <jpeglib.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/safe_file.h"

namespace codeburg {

namespace {

// libjpeg's default error handler ends the process; ours jumps back instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr) {}  // warnings are not worth a line on stderr

// Kept free of C++ objects with destructors: longjmp must not skip any.
bool Compress(FILE* file, const RgbImage& image, int quality, char* message)
{
    jpeg_compress_struct info;
    ErrorManager manager;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = OnError;
    manager.base.output_message = OnMessage;
    manager.message[0] = '\0';
    if (setjmp(manager.jump)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", manager.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(image.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(image.pixels.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

uint32_t RgbImage::At(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    if (i + 2 >= pixels.size()) return 0;
    return uint32_t(pixels[i]) << 16 | uint32_t(pixels[i + 1]) << 8 | pixels[i + 2];
}

bool EncodeJpeg(const RgbImage& image, int quality, std::string& jpeg, std::string* error)
{
    auto fail = [error](std::string text) {
        if (error) *error = std::move(text);
        return false;
    };
    jpeg.clear();
    if (image.width <= 0 || image.height <= 0 || image.width > JPEG_MAX_DIMENSION ||
        image.height > JPEG_MAX_DIMENSION ||
        image.pixels.size() < static_cast<size_t>(image.width) * image.height * 3)
        return fail("an empty or inconsistent image");
    char* bytes = nullptr;
    size_t size = 0;
    FILE* memory = open_memstream(&bytes, &size);
    if (!memory) return fail(std::strerror(errno));
    char message[JMSG_LENGTH_MAX] = {};
    const bool compressed = Compress(memory, image, std::clamp(quality, 1, 100), message);
    const bool flushed = std::fclose(memory) == 0;
    if (flushed && bytes) jpeg.assign(bytes, size);
    std::free(bytes);
    if (!compressed) return fail(message);
    if (!flushed) return fail(std::strerror(ENOMEM));
    return true;
}

bool WriteJpeg(const std::string& path, const RgbImage& image, int quality, std::string* error)
{
    auto fail = [error](std::string text) {
        if (error) *error = std::move(text);
        return false;
    };
    // Compressed in memory and then put in place in one step, so that a
    // failure never costs the previous picture of that name.
    std::string jpeg, reason;
    if (!EncodeJpeg(image, quality, jpeg, &reason)) {
        if (reason == "an empty or inconsistent image")
            return fail("cannot write an empty or inconsistent image to " + path);
        return fail("cannot write " + path + ": " + reason);
    }
    StagedFile file;
    if (file.Create(path, &reason) != 0) return fail("can't open " + path + ": " + reason);
    if (file.Write(jpeg.data(), jpeg.size(), &reason) != 0 || file.Commit(&reason) != 0)
        return fail("cannot write " + path + ": " + reason);
    return true;
}

}  // namespace codeburg
