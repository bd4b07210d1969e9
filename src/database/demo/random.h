// A small deterministic random number generator (SplitMix64). The standard library's
// distributions may differ between library versions; these do not, so a seed gives the
// same demo database everywhere.
#pragma once

#include <cstdint>

namespace lumbrook::database::demo {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    // The next 64 random bits.
    std::uint64_t Next();
    // Uniform in [low, high).
    double Uniform(double low, double high);
    // Uniform in [0, count); 0 when count is 0.
    std::uint64_t Below(std::uint64_t count);

  private:
    std::uint64_t state_;
};

}  // namespace lumbrook::database::demo
