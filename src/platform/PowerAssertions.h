#pragma once
// System power assertions (IOPMAssertionCreateWithName / IOPMAssertionRelease).
#include <cstdint>
#include <string>

namespace velmora {

class PowerAssertions {
public:
    virtual ~PowerAssertions() = default;
    // Returns 0 on success and writes a non-zero identifier into `id`.
    virtual int create(const std::string& type, int level, const std::string& name, std::uint32_t& id) = 0;
    // Returns 0 on success.
    virtual int release(std::uint32_t id) = 0;
};

}  // namespace velmora
