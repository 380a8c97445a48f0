// Feeds arbitrary text to the viewpoint parser. Whatever it applies must be
// finite, and a complete viewpoint must survive formatting and parsing again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "city/viewpoint.h"

namespace {

bool Finite(const codeburg::Camera& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) &&
           std::isfinite(c.pitch) && std::isfinite(c.yaw);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace codeburg;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Camera camera;
    const int applied = ApplyViewpoint(text, camera);
    if (applied < 0 || applied > 5 || !Finite(camera)) std::abort();

    const std::optional<Camera> parsed = ParseViewpoint(text);
    if (parsed.has_value() != (applied == 5)) std::abort();
    if (!parsed) return 0;
    if (!Finite(*parsed)) std::abort();
    // Six decimals round, so compare the second round trip with the first.
    const std::string once = FormatViewpoint(*parsed);
    const std::optional<Camera> again = ParseViewpoint(once);
    if (!again || FormatViewpoint(*again) != once) std::abort();
    return 0;
}
