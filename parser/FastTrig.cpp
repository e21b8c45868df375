#include "parser/FastTrig.h"

#include <cmath>
#include <limits>

// An 80-bit load or store costs the x87 unit far more than a 64-bit one, and
// every x87 operation counts. So every constant below is a double (the two
// leading coefficients of each polynomial, which need 64 bits, are added as a
// double and a small remainder), the quadrant and the range check leave the
// FPU as one double store, and the polynomials have the fewest terms that
// keep the extended precision.

static_assert(std::numeric_limits<long double>::digits == 64 &&
                  std::numeric_limits<long double>::max_exponent == 16384,
              "FastTrig expects the x87 80-bit extended format");

namespace ondrix::parser {

namespace {

// |k| below this (|x| up to about 3216): k times a 53-bit part of pi/2 is exact.
constexpr double kNearQuotientLimit = 0x1p11;
// |x| below this: |k| < 2^22 and k times a 40-bit part is exact. Beyond it
// the C library takes over.
constexpr long double kFarLimit = 0x1p22;

// pi/2 in parts, all but the last so short that k * part is exact: close to
// a multiple of pi/2, x - k*pi/2 then keeps its relative precision even for
// the extended values closest to one. All parts are positive, so that
// x = -0 (with k = +0) stays -0.
constexpr long double kNearHalfPi1 = 0x1.921fb54442d18p+0;
constexpr long double kNearHalfPi2 = 0x1.1a62633145c06p-54;
constexpr long double kNearHalfPi3 = 0x1.c1cd129024e09p-107;
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

// k is a small integer, so the double is exact and cheap to store.
inline unsigned Quadrant(long double k)
{
    return static_cast<unsigned>(static_cast<long long>(static_cast<double>(k))) & 3u;
}

// x = k*pi/2 + r with |r| <= pi/4 (plus a hair) and |k| < 2^11, or false
// when |k| is larger (or x is NaN or infinite). The check and the quadrant
// use k as a double: an x87 value reaches an integer register no cheaper.
inline bool ReduceNear(long double x, Reduced& reduced)
{
    // Adding 1.5 * 2^63 rounds to an integer; unlike frndint it turns -0 into +0.
    constexpr long double kRoundingMagic = 0x1.8p63;
    const long double k = (x * kTwoOverPi + kRoundingMagic) - kRoundingMagic;
    const double quotient = static_cast<double>(k);
    if (!(std::fabs(quotient) < kNearQuotientLimit)) return false;
    // While |r| < 2^-42 the first two subtractions are exact. Above that r
    // may be rounded twice, which matters only for |r| < k * 2^-46.
    const long double r = ((x - k * kNearHalfPi1) - k * kNearHalfPi2) - k * kNearHalfPi3;
    reduced = {r, static_cast<unsigned>(static_cast<long long>(quotient)) & 3u};
    return true;
}

// The same for |x| < 2^22. Here r may be small while k * part is large, so the
// rounding errors of the subtractions are carried along (Fast2Sum) and r is
// rounded once.
inline Reduced ReduceFar(long double x)
{
    const long double k = __builtin_rintl(x * kTwoOverPi);
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

// z = r^2, but -0 for r = -0: then r + (r*z)*p keeps the sign of sin(-0).
inline long double Square(long double r)
{
    return r * (r + 0.0L);
}

inline long double SinOf(Reduced reduced)
{
    const long double r = reduced.r, z = Square(r);
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
    const long double r = reduced.r, z = Square(r);
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
[[gnu::noinline]] long double SinElsewhere(long double x)
{
    return std::fabs(x) < kFarLimit ? SinOf(ReduceFar(x)) : std::sin(x);
}

[[gnu::noinline]] long double CosElsewhere(long double x)
{
    return std::fabs(x) < kFarLimit ? CosOf(ReduceFar(x)) : std::cos(x);
}

} // namespace

long double FastSin(long double x)
{
    Reduced reduced;
    if (ReduceNear(x, reduced)) [[likely]]
        return SinOf(reduced);
    return SinElsewhere(x);
}

long double FastCos(long double x)
{
    Reduced reduced;
    if (ReduceNear(x, reduced)) [[likely]]
        return CosOf(reduced);
    return CosElsewhere(x);
}

long double FastSinAt(const long double* x)
{
    return FastSin(*x);
}

long double FastCosAt(const long double* x)
{
    return FastCos(*x);
}

void FastSinCos(long double x, long double& sine, long double& cosine)
{
    Reduced reduced;
    if (ReduceNear(x, reduced)) [[likely]] {
        SinCosOf(reduced, sine, cosine);
    } else if (std::fabs(x) < kFarLimit) {
        SinCosOf(ReduceFar(x), sine, cosine);
    } else {
        sine = std::sin(x);
        cosine = std::cos(x);
    }
}

} // namespace ondrix::parser
