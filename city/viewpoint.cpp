#include "city/viewpoint.h"

#include <charconv>
#include <cmath>

namespace codeburg {

namespace {

// Locale-independent stand-ins for "%f" both ways: a GUI may have switched the
// process to a locale with a decimal comma, which would break the separator.
void AppendFixed(std::string& out, float value)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out.append(buffer, result.ptr);
}

const char* SkipBlanks(const char* pos, const char* end)
{
    while (pos != end && (*pos == ' ' || *pos == '\t' || *pos == '\n' || *pos == '\r')) ++pos;
    return pos;
}

}  // namespace

std::string FormatViewpoint(const Camera& c)
{
    std::string text;
    const float values[5] = {c.x, c.y, c.z, c.pitch, c.yaw};
    for (int i = 0; i < 5; ++i) {
        if (i) text += ',';
        AppendFixed(text, values[i]);
    }
    return text;
}

int ApplyViewpoint(std::string_view text, Camera& camera)
{
    float* const fields[5] = {&camera.x, &camera.y, &camera.z, &camera.pitch, &camera.yaw};
    const char* pos = text.data();
    const char* const end = text.data() + text.size();
    int applied = 0;
    for (float* field : fields) {
        if (applied > 0) {
            if (pos == end || *pos != ',') break;
            ++pos;
        }
        pos = SkipBlanks(pos, end);
        if (pos != end && *pos == '+') ++pos;
        float value = 0.0f;
        const auto result = std::from_chars(pos, end, value, std::chars_format::general);
        if (result.ec != std::errc() || !std::isfinite(value)) break;
        *field = value;
        pos = result.ptr;
        ++applied;
    }
    return applied;
}

std::optional<Camera> ParseViewpoint(std::string_view text)
{
    Camera camera;
    if (ApplyViewpoint(text, camera) != 5) return std::nullopt;
    return camera;
}

}  // namespace codeburg
