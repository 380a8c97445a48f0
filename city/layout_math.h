#pragma once

#include <cstddef>

namespace codeburg {

// Sine and cosine built from basic IEEE arithmetic alone. Cities are saved and
// compared bit for bit, and the maths library's own functions differ between
// versions and processors in the last bit, which can move a building.
double LayoutSin(double angle);
double LayoutCos(double angle);
// Both at once, equal to the two calls above.
void LayoutSinCos(double angle, double& sine, double& cosine);
// The same for "count" angles; independent angles are worked out side by side.
void LayoutSinCos(const double* angles, size_t count, double* sines, double* cosines);

}  // namespace codeburg
