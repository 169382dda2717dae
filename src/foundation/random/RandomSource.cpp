#include "foundation/random/RandomSource.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace velmora {

RandomSource::RandomSource(std::uint64_t seed) : seed_(seed), state_(seed) {}

RandomSource RandomSource::fromEntropy() {
    std::random_device device;
    std::uint64_t seed = (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
                         static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return RandomSource(seed);
}

std::uint64_t RandomSource::next() {
    std::lock_guard lock(mutex_);
    // splitmix64: tiny, well distributed, identical on every standard library.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t RandomSource::below(std::uint64_t bound) {
    // Rejection sampling keeps the result unbiased.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
    for (;;) {
        std::uint64_t v = next();
        if (v < limit) return v % bound;
    }
}

std::string RandomSource::uuidString() {
    std::uint64_t hi = next(), lo = next();
    hi = (hi & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
    lo = (lo & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(hi >> 32),
                  static_cast<unsigned>((hi >> 16) & 0xFFFF), static_cast<unsigned>(hi & 0xFFFF),
                  static_cast<unsigned>(lo >> 48), static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFull));
    return text;
}

}  // namespace velmora
