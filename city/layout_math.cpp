#include "city/layout_math.h"

#include <cmath>
#include <cstdint>

namespace codeburg {

namespace {

// pi / 2 split in three, the first two with short mantissas so that k times
// them is exact for every k a layout meets.
constexpr double kHalfPiHigh = 0x1.921fb544p+0;
constexpr double kHalfPiMid = 0x1.0b4611a6p-34;
constexpr double kHalfPiLow = 0x1.3198a2e037073p-69;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// Taylor series on [-pi/4, pi/4], carried until the next term is far below
// the last bit.
double SinNear(double r)
{
    const double z = r * r;
    double p = 1.0 / 355687428096000.0;  // 1/17!
    p = -1.0 / 1307674368000.0 + z * p;  // 1/15!
    p = 1.0 / 6227020800.0 + z * p;      // 1/13!
    p = -1.0 / 39916800.0 + z * p;       // 1/11!
    p = 1.0 / 362880.0 + z * p;          // 1/9!
    p = -1.0 / 5040.0 + z * p;           // 1/7!
    p = 1.0 / 120.0 + z * p;             // 1/5!
    p = -1.0 / 6.0 + z * p;              // 1/3!
    return r + r * z * p;
}

double CosNear(double r)
{
    const double z = r * r;
    double p = -1.0 / 6402373705728000.0;  // 1/18!
    p = 1.0 / 20922789888000.0 + z * p;    // 1/16!
    p = -1.0 / 87178291200.0 + z * p;      // 1/14!
    p = 1.0 / 479001600.0 + z * p;         // 1/12!
    p = -1.0 / 3628800.0 + z * p;          // 1/10!
    p = 1.0 / 40320.0 + z * p;             // 1/8!
    p = -1.0 / 720.0 + z * p;              // 1/6!
    p = 1.0 / 24.0 + z * p;                // 1/4!
    return 1.0 + z * (-0.5 + z * p);
}

// angle = k x pi/2 + r with |r| <= pi/4; returns k mod 4.
int Reduce(double angle, double& r)
{
    const double k = std::floor(angle * kTwoOverPi + 0.5);
    r = ((angle - k * kHalfPiHigh) - k * kHalfPiMid) - k * kHalfPiLow;
    return static_cast<int>(static_cast<int64_t>(k) & 3);
}

}  // namespace

double LayoutSin(double angle)
{
    double r;
    switch (Reduce(angle, r)) {
        case 0:
            return SinNear(r);
        case 1:
            return CosNear(r);
        case 2:
            return -SinNear(r);
        default:
            return -CosNear(r);
    }
}

double LayoutCos(double angle)
{
    double r;
    switch (Reduce(angle, r)) {
        case 0:
            return CosNear(r);
        case 1:
            return -SinNear(r);
        case 2:
            return -CosNear(r);
        default:
            return SinNear(r);
    }
}

void LayoutSinCos(double angle, double& sine, double& cosine)
{
    double r;
    const int quarter = Reduce(angle, r);
    const double s = SinNear(r), c = CosNear(r);
    switch (quarter) {
        case 0:
            sine = s, cosine = c;
            break;
        case 1:
            sine = c, cosine = -s;
            break;
        case 2:
            sine = -s, cosine = -c;
            break;
        default:
            sine = -c, cosine = s;
            break;
    }
}

void LayoutSinCos(const double* angles, size_t count, double* sines, double* cosines)
{
    for (size_t i = 0; i < count; ++i) LayoutSinCos(angles[i], sines[i], cosines[i]);
}

}  // namespace codeburg
