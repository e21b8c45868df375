#include "parser/FastTrig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace ondrix::parser {

namespace {

// pi/2 in three parts (40, 39 and 64 significant bits): k * part is exact for
// |k| < 2^23, so x - k*pi/2 keeps its precision even close to a zero of sine.
constexpr long double kHalfPi1 = 0xc90fdaa221p-39L;
constexpr long double kHalfPi2 = 0x34611a6263p-78L;
constexpr long double kHalfPi3 = 0xc51701b839a25205p-144L;
constexpr long double kTwoOverPi = 0x517cc1b727220a95p-63L;
// Adding 1.5 * 2^63 rounds to an integer that then sits in the low mantissa bits.
constexpr long double kRoundingMagic = 0x1.8p63L;
// Beyond this the three-part reduction loses exactness: use the C library.
constexpr long double kReductionLimit = 0x1p22L;

constexpr long double Factorial(int n)
{
    return n <= 1 ? 1.0L : n * Factorial(n - 1);
}
template <int N>
constexpr long double kInverseFactorial = (N % 4 == 2 || N % 4 == 3 ? -1.0L : 1.0L) / Factorial(N);

// sin r for |r| <= pi/4: Taylor through r^19 (the next term is below 2^-64 relative).
inline long double SinPolynomial(long double r, long double z)
{
    const long double z2 = z * z, z4 = z2 * z2;
    const long double p = (kInverseFactorial<3> + kInverseFactorial<5> * z) +
                          z2 * (kInverseFactorial<7> + kInverseFactorial<9> * z) +
                          z4 * ((kInverseFactorial<11> + kInverseFactorial<13> * z) +
                                z2 * (kInverseFactorial<15> + kInverseFactorial<17> * z)) +
                          z4 * z4 * kInverseFactorial<19>;
    return r + r * z * p;
}

// cos r for |r| <= pi/4: Taylor through r^20.
inline long double CosPolynomial(long double z)
{
    const long double z2 = z * z, z4 = z2 * z2;
    const long double p = (kInverseFactorial<4> + kInverseFactorial<6> * z) +
                          z2 * (kInverseFactorial<8> + kInverseFactorial<10> * z) +
                          z4 * ((kInverseFactorial<12> + kInverseFactorial<14> * z) +
                                z2 * (kInverseFactorial<16> + kInverseFactorial<18> * z)) +
                          z4 * z4 * kInverseFactorial<20>;
    return 1.0L - (0.5L * z - z2 * p);
}

struct Reduced
{
    long double r;
    unsigned quadrant;
};

inline Reduced Reduce(long double x)
{
    const long double shifted = x * kTwoOverPi + kRoundingMagic;
    std::uint64_t mantissa;
    std::memcpy(&mantissa, &shifted, sizeof mantissa);
    const long double k = shifted - kRoundingMagic;
    const long double r = ((x - k * kHalfPi1) - k * kHalfPi2) - k * kHalfPi3;
    return {r, static_cast<unsigned>(mantissa & 3u)};
}

} // namespace

long double FastSin(long double x)
{
    if (!(std::fabs(x) < kReductionLimit)) return std::sin(x);
    const Reduced reduced = Reduce(x);
    const long double z = reduced.r * reduced.r;
    switch (reduced.quadrant) {
    case 0:
        return SinPolynomial(reduced.r, z);
    case 1:
        return CosPolynomial(z);
    case 2:
        return -SinPolynomial(reduced.r, z);
    default:
        return -CosPolynomial(z);
    }
}

long double FastCos(long double x)
{
    if (!(std::fabs(x) < kReductionLimit)) return std::cos(x);
    const Reduced reduced = Reduce(x);
    const long double z = reduced.r * reduced.r;
    switch (reduced.quadrant) {
    case 0:
        return CosPolynomial(z);
    case 1:
        return -SinPolynomial(reduced.r, z);
    case 2:
        return -CosPolynomial(z);
    default:
        return SinPolynomial(reduced.r, z);
    }
}

void FastSinCos(long double x, long double& sine, long double& cosine)
{
    if (!(std::fabs(x) < kReductionLimit)) {
        sine = std::sin(x);
        cosine = std::cos(x);
        return;
    }
    const Reduced reduced = Reduce(x);
    const long double z = reduced.r * reduced.r;
    const long double s = SinPolynomial(reduced.r, z), c = CosPolynomial(z);
    switch (reduced.quadrant) {
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

} // namespace ondrix::parser
