#include "parser/FastTrig.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// Loading or storing an 80-bit value costs the x87 unit several times a
// multiplication, while a double loads almost for free. So every constant
// below is a double (the few that need a 64-bit significand are added as two
// doubles), the range checks read the argument's exponent straight from its
// memory, and the quadrant leaves the FPU as a double.

static_assert(std::numeric_limits<long double>::digits == 64 &&
                  std::numeric_limits<long double>::max_exponent == 16384,
              "FastTrig expects the x87 80-bit extended format");

namespace ondrix::parser {

namespace {

constexpr unsigned kExponentBias = 16383;

// Biased exponent of x: 0 for zero and denormals, 0x7fff for inf and NaN.
inline unsigned BiasedExponent(const long double& x)
{
    std::uint16_t signAndExponent;
    std::memcpy(&signAndExponent, reinterpret_cast<const unsigned char*>(&x) + 8, sizeof signAndExponent);
    return signAndExponent & 0x7fffu;
}

// Below 2^-32 sin x rounds to x. Returning x also keeps the sign of -0, which
// r + r*z*p would lose.
constexpr unsigned kTinyExponent = kExponentBias - 32;
// Up to 2^11, |k| < 2^11 and two 53-bit parts of pi/2 still give exact k*part.
constexpr unsigned kNearExponent = kExponentBias + 11;
// Up to 2^22, |k| < 2^22 and four parts (three of 40 bits) do; beyond this the
// C library takes over.
constexpr unsigned kFarExponent = kExponentBias + 22;

// pi/2 split so that k * part is exact (all but the last part). Close to a
// multiple of pi/2 the subtractions are exact, so r keeps its relative
// precision even for the extended values closest to one; elsewhere their
// rounding errors are carried along (Fast2Sum) and r is rounded only once.
constexpr long double kNearHalfPi1 = 0x1.921fb54442d18p+0;
constexpr long double kNearHalfPi2 = 0x1.1a62633145c07p-54;
constexpr long double kNearHalfPi3 = -0x1.f1976b7ed8fbcp-110;
constexpr long double kFarHalfPi1 = 0x1.921fb54442p+0;
constexpr long double kFarHalfPi2 = 0x1.a308d31318p-41;
constexpr long double kFarHalfPi3 = 0x1.8a2e03707p-81;
constexpr long double kFarHalfPi4 = 0x1.a252049c1114dp-120;
// Only chooses k: an error of a few units in 2^-53 merely lets |r| pass pi/4
// by far less than the polynomials allow for.
constexpr long double kTwoOverPi = 0x1.45f306dc9c883p-1;

struct Reduced
{
    long double r;
    unsigned quadrant;
};

inline long double NearestInteger(long double x)
{
    return __builtin_rintl(x); // frndint: the FPU rounds to nearest
}

// k is a small integer, so the double is exact and cheap to store.
inline unsigned Quadrant(long double k)
{
    return static_cast<unsigned>(static_cast<long long>(static_cast<double>(k))) & 3u;
}

// x = k*pi/2 + r, |r| <= pi/4 (plus a hair), for |x| < 2^11.
inline Reduced ReduceNear(long double x)
{
    const long double k = NearestInteger(x * kTwoOverPi);
    const long double a = x - k * kNearHalfPi1, b = k * kNearHalfPi2;
    const long double r1 = a - b, error1 = (a - r1) - b;
    return {r1 + (error1 - k * kNearHalfPi3), Quadrant(k)};
}

// The same for |x| < 2^22.
inline Reduced ReduceFar(long double x)
{
    const long double k = NearestInteger(x * kTwoOverPi);
    const long double a = x - k * kFarHalfPi1, b = k * kFarHalfPi2, c = k * kFarHalfPi3;
    const long double r1 = a - b, error1 = (a - r1) - b;
    const long double r2 = r1 - c, error2 = (r1 - r2) - c;
    return {r2 + ((error1 + error2) - k * kFarHalfPi4), Quadrant(k)};
}

// sin r = r + r*z*p(z), z = r^2, |r| <= pi/4 + 2^-30: minimax fit of p,
// relative error of sin below 2^-68. The two leading coefficients need 64
// bits: each is added as a double and a small remainder.
inline long double SinPolynomial(long double r, long double z)
{
    long double p = -0x1.aaa23e9ac5eecp-41L;
    p = p * z + 0x1.61208c38d845bp-33L;
    p = p * z + -0x1.ae64528d6a6f6p-26L;
    p = p * z + 0x1.71de3a53307f0p-19L;
    p = p * z + -0x1.a01a01a018a6cp-13L;
    p = (p * z + -0x1.7p-62L) + 0x1.111111111110bp-7L;
    p = (p * z + -0x1.4b8p-57L) + -0x1.5555555555555p-3L;
    return r + (r * z) * p;
}

// cos r = 1 + z*(-1/2 + z*q(z)), z = r^2, |r| <= pi/4 + 2^-30: minimax fit of
// q, relative error below 2^-73.
inline long double CosPolynomial(long double z)
{
    long double q = 0x1.aabd111fcfe0ep-45L;
    q = q * z + -0x1.9393240f085c7p-37L;
    q = q * z + 0x1.1eed8c90be0fcp-29L;
    q = q * z + -0x1.27e4fb75eb819p-22L;
    q = q * z + 0x1.a01a01a018ccap-16L;
    q = (q * z + -0x1.bd8p-64L) + -0x1.6c16c16c16c0fp-10L;
    q = (q * z + 0x1.4dp-59L) + 0x1.5555555555555p-5L;
    return 1.0L + z * (q * z - 0.5L);
}

inline long double SinOf(Reduced reduced)
{
    const long double r = reduced.r, z = r * r;
    switch (reduced.quadrant) {
    case 0:
        return SinPolynomial(r, z);
    case 1:
        return CosPolynomial(z);
    case 2:
        return -SinPolynomial(r, z);
    default:
        return -CosPolynomial(z);
    }
}

inline long double CosOf(Reduced reduced)
{
    return SinOf({reduced.r, (reduced.quadrant + 1) & 3u});
}

inline void SinCosOf(Reduced reduced, long double& sine, long double& cosine)
{
    const long double r = reduced.r, z = r * r;
    const long double s = SinPolynomial(r, z), c = CosPolynomial(z);
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

// The rare cases, kept out of line so that the common path stays short.
[[gnu::noinline]] long double SinElsewhere(long double x, unsigned exponent)
{
    if (exponent < kTinyExponent) return x;
    if (exponent < kFarExponent) return SinOf(ReduceFar(x));
    return std::sin(x);
}

[[gnu::noinline]] long double CosElsewhere(long double x, unsigned exponent)
{
    if (exponent < kTinyExponent) return 1;
    if (exponent < kFarExponent) return CosOf(ReduceFar(x));
    return std::cos(x);
}

} // namespace

long double FastSin(long double x)
{
    const unsigned exponent = BiasedExponent(x);
    if (exponent - kTinyExponent < kNearExponent - kTinyExponent) [[likely]]
        return SinOf(ReduceNear(x));
    return SinElsewhere(x, exponent);
}

long double FastCos(long double x)
{
    const unsigned exponent = BiasedExponent(x);
    if (exponent - kTinyExponent < kNearExponent - kTinyExponent) [[likely]]
        return CosOf(ReduceNear(x));
    return CosElsewhere(x, exponent);
}

void FastSinCos(long double x, long double& sine, long double& cosine)
{
    const unsigned exponent = BiasedExponent(x);
    if (exponent - kTinyExponent < kNearExponent - kTinyExponent) [[likely]] {
        SinCosOf(ReduceNear(x), sine, cosine);
    } else if (exponent < kTinyExponent) {
        sine = x;
        cosine = 1;
    } else if (exponent < kFarExponent) {
        SinCosOf(ReduceFar(x), sine, cosine);
    } else {
        sine = std::sin(x);
        cosine = std::cos(x);
    }
}

} // namespace ondrix::parser
