#pragma once
// A tiny seeded generator with a fixed algorithm (SplitMix64), so a seed gives the same run on
// every platform; the standard distributions are implementation-defined and would not.

#include <cstdint>

namespace sim {

class Rng
{
public:
    explicit Rng(uint64_t seed = 1) : m_state(seed) {}

    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform integer in [lo, hi].
    int range(int lo, int hi) { return lo + int(next() % uint64_t(hi - lo + 1)); }
    bool chance(double probability) { return probability > 0 && uniform() < probability; }

private:
    uint64_t m_state;
};

} // namespace sim
