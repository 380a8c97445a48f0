#include "city/render/text_overlay.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>

namespace codeburg {

namespace {

// The file fontconfig picks for the family, or empty.
std::string FontFile(const char* family)
{
    std::string path;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (pattern) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
                path = reinterpret_cast<const char*>(file);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return path;
}

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

// Blends one glyph's coverage in the line's colour at pen position (x, baseline).
void BlendGlyph(RgbImage& image, const FT_GlyphSlot glyph, int32_t x, int32_t baseline,
                uint32_t colour)
{
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int32_t left = x + glyph->bitmap_left, top = baseline - glyph->bitmap_top;
    const int channel[3] = {int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF)};
    for (int32_t row = 0; row < int32_t(bitmap.rows); ++row) {
        const int32_t py = top + row;
        if (py < 0 || py >= image.height) continue;
        const unsigned char* coverage = bitmap.buffer + row * bitmap.pitch;
        for (int32_t col = 0; col < int32_t(bitmap.width); ++col) {
            const int32_t px = left + col;
            const int a = coverage[col];
            if (px < 0 || px >= image.width || a == 0) continue;
            uint8_t* pixel = image.pixels.data() + (size_t(py) * image.width + px) * 3;
            for (int c = 0; c < 3; ++c)
                pixel[c] =
                    static_cast<uint8_t>((channel[c] * a + pixel[c] * (255 - a) + 127) / 255);
        }
    }
}

}  // namespace

bool DrawHudTexts(RgbImage& image, const std::vector<HudText>& lines, int32_t pixelSize,
                  std::string* error)
{
    if (lines.empty()) return true;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < size_t(image.width) * size_t(image.height) * 3) {
        if (error) *error = "no picture to write the texts on";
        return false;
    }
    const std::string file = FontFile("Arial");
    FT_Library rawLibrary = nullptr;
    if (file.empty() || FT_Init_FreeType(&rawLibrary) != 0) {
        if (error) *error = "no font found for the overlay texts";
        return false;
    }
    const std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), file.c_str(), 0, &rawFace) != 0) {
        if (error) *error = "cannot open the font " + file;
        return false;
    }
    const std::unique_ptr<FT_FaceRec_, FaceDeleter> face(rawFace);
    if (FT_Set_Pixel_Sizes(face.get(), 0, FT_UInt(std::max(1, pixelSize))) != 0) {
        if (error) *error = "cannot size the font " + file;
        return false;
    }
    const int32_t ascent = int32_t(face->size->metrics.ascender >> 6);
    for (const HudText& line : lines) {
        int32_t x = line.x;
        const int32_t baseline = line.y + ascent;
        FT_UInt previous = 0;
        for (const unsigned char c : line.text) {
            const FT_UInt index = FT_Get_Char_Index(face.get(), c);
            if (previous && index && FT_HAS_KERNING(face.get())) {
                FT_Vector kerning{};
                FT_Get_Kerning(face.get(), previous, index, FT_KERNING_DEFAULT, &kerning);
                x += int32_t(kerning.x >> 6);
            }
            if (FT_Load_Glyph(face.get(), index, FT_LOAD_RENDER) != 0) continue;
            BlendGlyph(image, face->glyph, x, baseline, line.colour);
            x += int32_t(face->glyph->advance.x >> 6);
            previous = index;
        }
    }
    return true;
}

}  // namespace codeburg
