#include "parser/FastTrig.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// An 80-bit load or store costs the x87 unit far more than a 64-bit one, and
// every x87 operation is slow beside SSE. So for the arguments a plot sweeps
// the work runs on SSE in double-double arithmetic: the argument's bits are
// read with integer loads, the quadrant is not a branch but a table index
// (x = k*pi/128 + r, sin x = sin(k*pi/128) cos r + cos(k*pi/128) sin r), and
// the x87 unit only adds the two halves of the result, which rounds once to
// extended precision (within 1.3 units in the last place). Arguments beyond
// that range keep an x87 reduction by quarter turns, or the C library.

static_assert(std::numeric_limits<long double>::digits == 64 &&
                  std::numeric_limits<long double>::max_exponent == 16384,
              "FastTrig expects the x87 80-bit extended format");

namespace ondrix::parser {

namespace {

// ---- The common range, 2^-32 <= |x| < 2^11 ---------------------------------

// Below 2^-32, sin x rounds to x and cos x to 1.
constexpr long double kTinyLimit = 0x1p-32L;
constexpr unsigned kTinyExponent = 16383 - 32;
// |x| < 2^11, so |k| < 2^17.
constexpr unsigned kNearExponent = 16383 + 11;

constexpr int kSteps = 64; // table entries per quarter turn
constexpr unsigned kIndexMask = 4 * kSteps - 1;
constexpr double kStepsPerRadian = 0x1.45f306dc9c883p+5; // 128/pi; only chooses k

struct DoubleDouble
{
    double high, low;
};

// sin(j*pi/128) for j = 0..64 as a double and the double nearest the rest.
constexpr DoubleDouble kQuarterSine[kSteps + 1] = {
    {0x0.0p+0, 0x0.0p+0},
    {0x1.92155f7a3667ep-6, -0x1.b1d63091a0130p-64},
    {0x1.91f65f10dd814p-5, -0x1.912bd0d569a90p-61},
    {0x1.2d52092ce19f6p-4, -0x1.9a088a8bf6b2cp-59},
    {0x1.917a6bc29b42cp-4, -0x1.e2718d26ed688p-60},
    {0x1.f564e56a9730ep-4, 0x1.a2704729ae56dp-59},
    {0x1.2c8106e8e613ap-3, 0x1.13000a89a11e0p-58},
    {0x1.5e214448b3fc6p-3, 0x1.531ff779ddac6p-57},
    {0x1.8f8b83c69a60bp-3, -0x1.26d19b9ff8d82p-57},
    {0x1.c0b826a7e4f63p-3, -0x1.af1439e521935p-62},
    {0x1.f19f97b215f1bp-3, -0x1.42deef11da2c4p-57},
    {0x1.111d262b1f677p-2, 0x1.824c20ab7aa9ap-56},
    {0x1.294062ed59f06p-2, -0x1.5d28da2c4612dp-56},
    {0x1.4135c94176601p-2, 0x1.0c97c4afa2518p-56},
    {0x1.58f9a75ab1fddp-2, -0x1.efdc0d58cf620p-62},
    {0x1.7088530fa459fp-2, -0x1.44b19e0864c5dp-56},
    {0x1.87de2a6aea963p-2, -0x1.72cedd3d5a610p-57},
    {0x1.9ef7943a8ed8ap-2, 0x1.6da81290bdbabp-57},
    {0x1.b5d1009e15cc0p-2, 0x1.5b362cb974183p-57},
    {0x1.cc66e9931c45ep-2, 0x1.6850e59c37f8fp-58},
    {0x1.e2b5d3806f63bp-2, 0x1.e0d891d3c6841p-58},
    {0x1.f8ba4dbf89abap-2, -0x1.2ec1fc1b776b8p-60},
    {0x1.073879922ffeep-1, -0x1.a5a014347406cp-55},
    {0x1.11eb3541b4b23p-1, -0x1.ef23b69abe4f1p-55},
    {0x1.1c73b39ae68c8p-1, 0x1.b25dd267f6600p-55},
    {0x1.26d054cdd12dfp-1, -0x1.5da743ef3770cp-55},
    {0x1.30ff7fce17035p-1, -0x1.efcc626f74a6fp-57},
    {0x1.3affa292050b9p-1, 0x1.e3e25e3954964p-56},
    {0x1.44cf325091dd6p-1, 0x1.8076a2cfdc6b3p-57},
    {0x1.4e6cabbe3e5e9p-1, 0x1.3c293edceb327p-57},
    {0x1.57d69348ceca0p-1, -0x1.75720992bfbb2p-55},
    {0x1.610b7551d2cdfp-1, -0x1.251b352ff2a37p-56},
    {0x1.6a09e667f3bcdp-1, -0x1.bdd3413b26456p-55},
    {0x1.72d0837efff96p-1, 0x1.0d4ef0f1d915cp-55},
    {0x1.7b5df226aafafp-1, -0x1.0f537acdf0ad7p-56},
    {0x1.83b0e0bff976ep-1, -0x1.6f420f8ea3475p-56},
    {0x1.8bc806b151741p-1, -0x1.2c5e12ed1336dp-55},
    {0x1.93a22499263fbp-1, 0x1.3d419a920df0bp-55},
    {0x1.9b3e047f38741p-1, -0x1.30ee286712474p-55},
    {0x1.a29a7a0462782p-1, -0x1.128bb015df175p-56},
    {0x1.a9b66290ea1a3p-1, 0x1.9f630e8b6dac8p-60},
    {0x1.b090a58150200p-1, -0x1.926da300ffccep-55},
    {0x1.b728345196e3ep-1, -0x1.bc69f324e6d61p-55},
    {0x1.bd7c0ac6f952ap-1, -0x1.825a732ac700ap-55},
    {0x1.c38b2f180bdb1p-1, -0x1.6e0b1757c8d07p-56},
    {0x1.c954b213411f5p-1, -0x1.2fb761e946603p-58},
    {0x1.ced7af43cc773p-1, -0x1.e7b6bb5ab58aep-58},
    {0x1.d4134d14dc93ap-1, -0x1.4ef5295d25af2p-55},
    {0x1.d906bcf328d46p-1, 0x1.457e610231ac2p-56},
    {0x1.ddb13b6ccc23cp-1, 0x1.83c37c6107db3p-55},
    {0x1.e212104f686e5p-1, -0x1.014c76c126527p-55},
    {0x1.e6288ec48e112p-1, -0x1.16b56f2847754p-57},
    {0x1.e9f4156c62ddap-1, 0x1.760b1e2e3f81ep-55},
    {0x1.ed740e7684963p-1, 0x1.e82c791f59cc2p-56},
    {0x1.f0a7efb9230d7p-1, 0x1.52c7adc6b4989p-56},
    {0x1.f38f3ac64e589p-1, -0x1.d7bafb51f72e6p-56},
    {0x1.f6297cff75cb0p-1, 0x1.562172a361fd3p-56},
    {0x1.f8764fa714ba9p-1, 0x1.ab256778ffcb6p-56},
    {0x1.fa7557f08a517p-1, -0x1.7a0a8ca13571fp-55},
    {0x1.fc26470e19fd3p-1, 0x1.1ec8668ecaceep-55},
    {0x1.fd88da3d12526p-1, -0x1.87df6378811c7p-55},
    {0x1.fe9cdad01883ap-1, 0x1.521ecd0c67e35p-57},
    {0x1.ff621e3796d7ep-1, -0x1.c57bc2e24aa15p-57},
    {0x1.ffd886084cd0dp-1, -0x1.1354d4556e4cbp-55},
    {0x1.0000000000000p+0, 0x0.0p+0},
};

struct TableEntry
{
    double sinHigh, sinLow, cosHigh, cosLow;
};

// 0 - v rather than -v: the zero entries stay +0.
constexpr DoubleDouble Negated(DoubleDouble v)
{
    return {0.0 - v.high, 0.0 - v.low};
}

// sin and cos of i*pi/128 for a whole turn, built from the quarter by symmetry.
constexpr std::array<TableEntry, 4 * kSteps> MakeTable()
{
    std::array<TableEntry, 4 * kSteps> table{};
    for (int i = 0; i < 4 * kSteps; ++i) {
        const int quadrant = i / kSteps, j = i % kSteps;
        const DoubleDouble a = kQuarterSine[j], b = kQuarterSine[kSteps - j];
        DoubleDouble sine = a, cosine = b;
        switch (quadrant) {
        case 1:
            sine = b, cosine = Negated(a);
            break;
        case 2:
            sine = Negated(a), cosine = Negated(b);
            break;
        case 3:
            sine = Negated(b), cosine = a;
            break;
        default:
            break;
        }
        table[i] = {sine.high, sine.low, cosine.high, cosine.low};
    }
    return table;
}

alignas(64) constexpr std::array<TableEntry, 4 * kSteps> kTable = MakeTable();

// The exponent, read with an integer load straight from where the argument
// lies (for an argument passed by value, its slot on the stack): any way
// through the FPU costs an 80-bit store and load.
inline unsigned BiasedExponent(const long double& x)
{
    std::uint16_t signAndExponent;
    std::memcpy(&signAndExponent, reinterpret_cast<const char*>(&x) + 8, sizeof signAndExponent);
    return signAndExponent & 0x7fffu;
}

inline bool InNearRange(const long double& x)
{
    return BiasedExponent(x) - kTinyExponent < kNearExponent - kTinyExponent;
}

// x = k*pi/128 + (high + low) with |high + low| <= pi/256 (plus a hair), to
// about 2^-130 absolute however close x lies to a multiple of pi/128.
struct NearReduced
{
    double high, low;
    unsigned index; // k mod 256 in the low bits
};

// pi/128 in four parts. k has at most 17 bits, so k times each of the first
// three (36, 33 and 35 bits) is exact; the fourth is below 2^-115.
constexpr double kPart1 = 0x1.921fb54440000p-6;
constexpr double kPart2 = 0x1.68c234c500000p-45;
constexpr double kPart3 = -0x1.cceba3f900000p-80;
constexpr double kPart4 = -0x1.f1976b7ed8fbcp-116;
// Adding it rounds a double below 2^51 to an integer, which then sits in the
// low bits of the sum.
constexpr double kRoundingShift = 0x1.8p52;

// The reduction runs in double precision on SSE: the 64-bit mantissa splits
// exactly into a double of its top 53 bits and one of its last 11, built with
// integer operations from the bits in memory (no 80-bit load).
[[gnu::always_inline]] inline NearReduced ReduceNear(const long double& x)
{
    std::uint64_t mantissa;
    std::uint16_t signAndExponent;
    std::memcpy(&mantissa, &x, sizeof mantissa);
    std::memcpy(&signAndExponent, reinterpret_cast<const char*>(&x) + sizeof mantissa, sizeof signAndExponent);
    const std::uint64_t sign = std::uint64_t{signAndExponent & 0x8000u} << 48;
    const std::uint64_t exponent = signAndExponent & 0x7fffu; // 2^-32 <= |x| < 2^11 here
    const double xHigh = std::bit_cast<double>(sign | (exponent - 16383 + 1023) << 52 | (mantissa << 1) >> 12);
    const double lowScale = std::bit_cast<double>(sign | (exponent - 16383 - 63 + 1023) << 52);
    const double xLow = static_cast<double>(static_cast<std::int64_t>(mantissa & 0x7ffu)) * lowScale;

    const double shifted = xHigh * kStepsPerRadian + kRoundingShift;
    const double k = shifted - kRoundingShift;
    const auto index = static_cast<unsigned>(std::bit_cast<std::uint64_t>(shifted));
    // Each of a and b is exact: a because k*kPart1 lies within pi/256 of
    // xHigh, b because both terms are below 2^-26 on a grid of 2^-77. The two
    // Fast2Sums are exact as well, also where the sums cancel (near a zero of
    // the sine, where r must keep its relative precision).
    const double a = xHigh - k * kPart1;
    const double b = xLow - k * kPart2;
    const double k3 = k * kPart3;
    const double d = a + b, dError = b - (d - a);
    const double r = d - k3, rError = (d - r) - k3;
    return {r, (rError + dError) - k * kPart4, index};
}

// Veltkamp's split: high holds the upper 26 bits, so that products of halves
// are exact.
constexpr double kSplitter = 0x1p27 + 1;

inline DoubleDouble Split(double v)
{
    const double scaled = v * kSplitter, high = scaled - (scaled - v);
    return {high, v - high};
}

// How the exact error of a product is found: with a fused multiply-add where
// the processor has one, else by Dekker's splitting. Both give the same bits.
enum class ProductError
{
    Fused,
    Split
};

// sin(a + r) = sin a + cos a * r + (sin a * (cos r - 1) + cos a * (sin r - r))
// with the table's sin a and cos a (a = k*pi/128), summed as a double-double
// that rounds once, into extended precision, at the end. sin a + cos a * r
// carries its rounding errors exactly (the product's error; Fast2Sum, as
// |sin a| >= sin(pi/128) > |cos a * r| unless sin a = 0). The rest is below
// 2^-13 of the result, so double precision does for it: with r = rh + rl,
// |r| <= pi/256 (plus a hair), sin r - r = r*z*p(z), relative error of sin r
// below 2^-69, and cos r - 1 = z*(-1/2 + z*q(z)), error below 2^-71, where
// z = rh^2 and the term -sin a * rh * rl makes up for the rl it leaves out.
template <ProductError kMethod>
[[gnu::always_inline]] inline long double SinNear(const NearReduced& reduced, const TableEntry& a)
{
    const double rh = reduced.high, rl = reduced.low, z = rh * rh;
    const double product = a.cosHigh * rh;
    double productError;
    if constexpr (kMethod == ProductError::Fused) {
        productError = __builtin_fma(a.cosHigh, rh, -product);
    } else {
        const DoubleDouble c = Split(a.cosHigh), r = Split(rh);
        productError = (((c.high * r.high - product) + c.high * r.low) + c.low * r.high) + c.low * r.low;
    }
    const double high = a.sinHigh + product, highError = product - (high - a.sinHigh);
    const double small =
        (highError + productError) + (a.sinLow + ((a.cosHigh * rl + a.cosLow * rh) - a.sinHigh * (rh * rl)));
    const double cosRest = a.sinHigh * (-0.5 + z * (0x1.5555555549e68p-5 + z * -0x1.6c165d653fac9p-10));
    const double sinRest =
        product * (-0x1.5555555555555p-3 + z * (0x1.1111111107451p-7 + z * -0x1.a019940c16169p-13));
    return static_cast<long double>(high) + (small + z * (cosRest + sinRest));
}

// ---- Elsewhere -------------------------------------------------------------

// From 2^11 to this the quadrant is a branch; beyond it the C library takes over.
constexpr long double kFarLimit = 0x1p22;
// pi/2 in parts, all but the last so short that k * part is exact for |k| < 2^23.
constexpr long double kFarHalfPi1 = 0x1.921fb54442p+0;
constexpr long double kFarHalfPi2 = 0x1.a308d31318p-41;
constexpr long double kFarHalfPi3 = 0x1.8a2e03707p-81;
constexpr long double kFarHalfPi4 = 0x1.a252049c1114dp-120;
// Only chooses k.
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

// x = k*pi/2 + r, |r| <= pi/4 (plus a hair), for |x| < 2^22. Here r may be
// small while k * part is large, so the rounding errors of the subtractions
// are carried along (Fast2Sum) and r is rounded once.
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

// The rare cases, kept out of line (and reached by a jump, the argument by
// address) so that the common path stays short. GCC would otherwise pass the
// argument by value again, which needs a frame and a call.
#if defined(__clang__)
#define OUT_OF_LINE [[gnu::noinline]]
#else
#define OUT_OF_LINE [[gnu::noipa]]
#endif
OUT_OF_LINE long double SinElsewhere(const long double& x)
{
    if (std::fabs(x) < kTinyLimit) return x; // also keeps the sign of -0
    return std::fabs(x) < kFarLimit ? SinOf(ReduceFar(x)) : std::sin(x);
}

OUT_OF_LINE long double CosElsewhere(const long double& x)
{
    if (std::fabs(x) < kTinyLimit) return 1.0L;
    return std::fabs(x) < kFarLimit ? CosOf(ReduceFar(x)) : std::cos(x);
}

OUT_OF_LINE void SinCosElsewhere(const long double& x, long double& sine, long double& cosine)
{
    if (std::fabs(x) < kTinyLimit) {
        sine = x, cosine = 1.0L;
    } else if (std::fabs(x) < kFarLimit) {
        SinCosOf(ReduceFar(x), sine, cosine);
    } else {
        sine = std::sin(x);
        cosine = std::cos(x);
    }
}

#undef OUT_OF_LINE

// kOffset selects the function: 0 the sine, kSteps the cosine, as
// cos x = sin(x + pi/2) is the entry a quarter turn further on.
template <ProductError kMethod, unsigned kOffset>
[[gnu::always_inline]] inline long double TrigAt(const long double& x)
{
    if (!InNearRange(x)) [[unlikely]]
        return kOffset == 0 ? SinElsewhere(x) : CosElsewhere(x);
    const NearReduced reduced = ReduceNear(x);
    return SinNear<kMethod>(reduced, kTable[(reduced.index + kOffset) & kIndexMask]);
}

template <ProductError kMethod>
[[gnu::always_inline]] inline void SinCosAt(const long double& x, long double& sine, long double& cosine)
{
    if (!InNearRange(x)) [[unlikely]] {
        SinCosElsewhere(x, sine, cosine);
        return;
    }
    const NearReduced reduced = ReduceNear(x);
    sine = SinNear<kMethod>(reduced, kTable[reduced.index & kIndexMask]);
    cosine = SinNear<kMethod>(reduced, kTable[(reduced.index + kSteps) & kIndexMask]);
}

// The same code twice: once for any x86-64 processor, once with FMA (and
// so the three-operand AVX encoding), which needs a third fewer instructions.
long double SinSplitAt(const long double* x)
{
    return TrigAt<ProductError::Split, 0>(*x);
}

long double CosSplitAt(const long double* x)
{
    return TrigAt<ProductError::Split, kSteps>(*x);
}

void SinCosSplit(const long double& x, long double& sine, long double& cosine)
{
    SinCosAt<ProductError::Split>(x, sine, cosine);
}

[[gnu::target("fma")]] long double SinFusedAt(const long double* x)
{
    return TrigAt<ProductError::Fused, 0>(*x);
}

[[gnu::target("fma")]] long double CosFusedAt(const long double* x)
{
    return TrigAt<ProductError::Fused, kSteps>(*x);
}

[[gnu::target("fma")]] void SinCosFused(const long double& x, long double& sine, long double& cosine)
{
    SinCosAt<ProductError::Fused>(x, sine, cosine);
}

bool ProcessorHasFma()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma");
}

// Set before main; a call from an earlier static initializer takes the split
// path, which gives the same results.
const bool kUseFma = ProcessorHasFma();

} // namespace

long double FastSin(long double x)
{
    return kUseFma ? SinFusedAt(&x) : SinSplitAt(&x);
}

long double FastCos(long double x)
{
    return kUseFma ? CosFusedAt(&x) : CosSplitAt(&x);
}

long double FastSinAt(const long double* x)
{
    return kUseFma ? SinFusedAt(x) : SinSplitAt(x);
}

long double FastCosAt(const long double* x)
{
    return kUseFma ? CosFusedAt(x) : CosSplitAt(x);
}

TrigAtFunction FastSinAtFunction()
{
    return kUseFma ? SinFusedAt : SinSplitAt;
}

TrigAtFunction FastCosAtFunction()
{
    return kUseFma ? CosFusedAt : CosSplitAt;
}

void FastSinCos(long double x, long double& sine, long double& cosine)
{
    if (kUseFma)
        SinCosFused(x, sine, cosine);
    else
        SinCosSplit(x, sine, cosine);
}

bool TrigHasFusedPath()
{
    return ProcessorHasFma();
}

long double FastSinVia(TrigPath path, long double x)
{
    return path == TrigPath::Fused ? SinFusedAt(&x) : SinSplitAt(&x);
}

long double FastCosVia(TrigPath path, long double x)
{
    return path == TrigPath::Fused ? CosFusedAt(&x) : CosSplitAt(&x);
}

} // namespace ondrix::parser
