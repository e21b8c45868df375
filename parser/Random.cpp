// The process-wide generator behind RND, RANDOM and every other random draw.
#include "parser/MDParser.h"

#include <chrono>
#include <mutex>
#include <random>

namespace {

struct SharedGenerator
{
    std::mutex mutex;
    std::mt19937_64 engine{5489u};
};

SharedGenerator& Generator()
{
    static SharedGenerator generator;
    return generator;
}

} // namespace

void SeedRandom(std::uint32_t seed)
{
    auto& generator = Generator();
    std::lock_guard lock(generator.mutex);
    generator.engine.seed(seed);
}

void RandomizeFromClock()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    const auto mixed = static_cast<std::uint64_t>(ticks) ^ (static_cast<std::uint64_t>(ticks) >> 32);
    SeedRandom(static_cast<std::uint32_t>(mixed));
}

long double RandomFraction()
{
    auto& generator = Generator();
    std::uint64_t bits;
    {
        std::lock_guard lock(generator.mutex);
        bits = generator.engine();
    }
    // 64 random bits fill the extended mantissa exactly; the result stays below 1.
    return static_cast<long double>(bits) * 0x1p-64L;
}

std::int32_t RandomBelow(std::int32_t n)
{
    if (n <= 0) return 0;
    auto& generator = Generator();
    std::lock_guard lock(generator.mutex);
    std::uniform_int_distribution<std::int32_t> distribution(0, n - 1);
    return distribution(generator.engine);
}
