#include "database/demo/random.h"

namespace lumbrook::database::demo {

std::uint64_t Random::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::Uniform(double low, double high) {
    // The top 53 bits make a double in [0, 1) with every value equally likely.
    const double unit = static_cast<double>(Next() >> 11) * 0x1.0p-53;
    return low + (high - low) * unit;
}

std::uint64_t Random::Below(std::uint64_t count) {
    return count == 0 ? 0 : Next() % count;
}

}  // namespace lumbrook::database::demo
