#pragma once
// One random source, owned and passed in (never global). Seeded in tests so a
// shuffle or an identifier repeats exactly; the same sequence on every
// standard library (splitmix64, no std distributions).
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed);
    static RandomSource fromEntropy();
    std::uint64_t next();
    std::uint64_t below(std::uint64_t bound);  // uniform in [0, bound), bound > 0
    template <typename T>
    void shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[below(i)]);
    }
    std::string uuidString();  // RFC 4122 version-4 text, upper case like NSUUID
    std::uint64_t seed() const { return seed_; }
private:
    std::mutex mutex_;
    std::uint64_t seed_;
    std::uint64_t state_;
};

}  // namespace velmora
