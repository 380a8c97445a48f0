#pragma once

namespace codeburg {

// Sine and cosine built from basic IEEE arithmetic alone. Cities are saved and
// compared bit for bit, and the maths library's own functions differ between
// versions and processors in the last bit, which can move a building.
double LayoutSin(double angle);
double LayoutCos(double angle);
// Both at once, equal to the two calls above.
void LayoutSinCos(double angle, double& sine, double& cosine);

}  // namespace codeburg
