#include "city/render/jpeg_writer.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/full_disk_test_util.h"

namespace codeburg {

namespace {

RgbImage Filled(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b)
{
    RgbImage image{width, height, {}};
    for (int32_t i = 0; i < width * height; ++i) image.pixels.insert(image.pixels.end(), {r, g, b});
    return image;
}

// Decodes with libjpeg's own reader; an empty image when the file is not a JPEG.
RgbImage Decode(const std::string& path, int* components)
{
    RgbImage image;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return image;
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    *components = info.output_components;
    image.width = info.output_width;
    image.height = info.output_height;
    image.pixels.resize(size_t(image.width) * image.height * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.data() + info.output_scanline * image.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return image;
}

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

}  // namespace

TEST(JpegWriterTest, RoundTripKeepsSizeAndColour)
{
    RgbImage image = Filled(40, 30, 200, 30, 40);
    for (int32_t y = 16; y < 30; ++y)  // a blue bottom band, wider than a chroma block
        for (int32_t x = 0; x < 40; ++x)
            for (int c = 0; c < 3; ++c) image.pixels[(y * 40 + x) * 3 + c] = c == 2 ? 255 : 0;
    const std::string path = TempPath("codeburg_jpeg_roundtrip.jpg");
    std::string error;
    ASSERT_TRUE(WriteJpeg(path, image, 95, &error)) << error;
    int components = 0;
    const RgbImage back = Decode(path, &components);
    std::remove(path.c_str());
    EXPECT_EQ(components, 3);
    ASSERT_EQ(back.width, 40);
    ASSERT_EQ(back.height, 30);
    const uint32_t top = back.At(5, 5);
    EXPECT_NEAR(int(top >> 16), 200, 8);
    EXPECT_NEAR(int(top >> 8 & 0xFF), 30, 8);
    EXPECT_NEAR(int(back.At(20, 29) & 0xFF), 255, 12);  // rows stay top to bottom
}

TEST(JpegWriterTest, UnopenablePathIsAnError)
{
    std::string error;
    EXPECT_FALSE(WriteJpeg("/nonexistent-dir/x/y.jpg", Filled(4, 4, 0, 0, 0), 75, &error));
    EXPECT_NE(error.find("can't open /nonexistent-dir/x/y.jpg"), std::string::npos) << error;
}

TEST(JpegWriterTest, EmptyOrShortImageIsAnError)
{
    std::string error;
    const std::string path = TempPath("codeburg_jpeg_empty.jpg");
    EXPECT_FALSE(WriteJpeg(path, RgbImage{}, 75, &error));
    RgbImage shortImage = Filled(4, 4, 0, 0, 0);
    shortImage.pixels.resize(10);
    EXPECT_FALSE(WriteJpeg(path, shortImage, 75, &error));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A picture that cannot be written costs nothing of the previous one of that
// name, and a link in its place is not written through.
TEST(JpegWriterTest, FailedSnapshotKeepsThePreviousPicture)
{
    const std::string dir = TempPath("codeburg_jpeg_full");
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/city.jpg";
    std::string error;
    // Noise compresses badly: far larger than the disk that takes it.
    RgbImage noise = Filled(400, 400, 0, 0, 0);
    uint32_t state = 1;
    for (uint8_t& byte : noise.pixels) byte = uint8_t((state = state * 214013 + 2531011) >> 16);

    const bool mounted = testing::MountSmallDisk(dir);
    ASSERT_TRUE(WriteJpeg(path, Filled(8, 8, 10, 20, 30), 75, &error)) << error;
    const auto before = std::filesystem::file_size(path);
    if (mounted) {
        EXPECT_FALSE(WriteJpeg(path, noise, 100, &error));
        EXPECT_NE(error.find("cannot write " + path), std::string::npos) << error;
    } else {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            testing::LimitFileSizeInChild();
            _exit(WriteJpeg(path, noise, 100, nullptr) ? 1 : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int components = 0;
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(Decode(path, &components).width, 8);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    if (mounted) testing::UnmountSmallDisk(dir);

    const std::string victim = dir + "/victim";
    std::ofstream(victim) << "precious";
    std::filesystem::create_symlink(victim, dir + "/link.jpg");
    EXPECT_FALSE(WriteJpeg(dir + "/link.jpg", Filled(8, 8, 0, 0, 0), 75, &error));
    EXPECT_NE(error.find("it is a symbolic link"), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::file_size(victim), 8u);
    std::filesystem::remove_all(dir);
}

}  // namespace codeburg
