#include "records/colour.h"

#include <algorithm>
#include <cmath>

namespace codeburg {

namespace {

uint32_t Channel(double c)
{
    return static_cast<uint32_t>(std::floor(std::clamp(c, 0.0, 1.0) * 255.0));
}

}  // namespace

uint32_t HsvToColor(int hue, double saturation, double value)
{
    hue %= 360;
    if (hue < 0) hue += 360;
    const double s = std::isnan(saturation) ? 0.0 : std::clamp(saturation, 0.0, 1.0);
    const double v = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    const int sector = hue / 60;
    const double f = (hue % 60) / 60.0;
    const double p = v * (1.0 - s);
    const double q = v * (1.0 - s * f);
    const double t = v * (1.0 - s * (1.0 - f));
    double r = v, g = t, b = p;
    switch (sector) {
        case 0:
            r = v;
            g = t;
            b = p;
            break;
        case 1:
            r = q;
            g = v;
            b = p;
            break;
        case 2:
            r = p;
            g = v;
            b = t;
            break;
        case 3:
            r = p;
            g = q;
            b = v;
            break;
        case 4:
            r = t;
            g = p;
            b = v;
            break;
        default:
            r = v;
            g = p;
            b = q;
            break;
    }
    return (Channel(r) << 16) | (Channel(g) << 8) | Channel(b);
}

Hsv ColorToHsv(uint32_t colorRef)
{
    const double r = (colorRef & 0xFF) / 255.0;
    const double g = ((colorRef >> 8) & 0xFF) / 255.0;
    const double b = ((colorRef >> 16) & 0xFF) / 255.0;
    const double maxC = std::max({r, g, b});
    const double minC = std::min({r, g, b});
    const double delta = maxC - minC;
    Hsv hsv;
    hsv.value = maxC;
    hsv.saturation = maxC > 0.0 ? delta / maxC : 0.0;
    if (delta <= 0.0) return hsv;
    double fraction;  // hue as a fraction of the full circle
    if (maxC == r)
        fraction = (g - b) / delta / 6.0;
    else if (maxC == g)
        fraction = ((b - r) / delta + 2.0) / 6.0;
    else
        fraction = ((r - g) / delta + 4.0) / 6.0;
    if (fraction < 0.0) fraction += 1.0;
    hsv.hue = static_cast<int>(fraction * 360.0);
    return hsv;
}

}  // namespace codeburg
