#pragma once

#include <cstdint>

// A small random generator (SplitMix64) whose numbers depend only on the seed, unlike the
// standard distributions, which differ between library implementations: the same seed gives
// the same demo pictures on every build machine.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed)
        : m_state(seed)
    {
    }

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high).
    double Uniform(double low, double high)
    {
        return low + (high - low) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

    // Uniform in [0, count).
    int Below(int count)
    {
        return count > 0 ? static_cast<int>(Next() % static_cast<std::uint64_t>(count)) : 0;
    }

    bool Chance(double probability) { return Uniform(0.0, 1.0) < probability; }

    // A generator of its own for one part of a picture, so that adding a detail to one part
    // does not change the others.
    SeededRandom Fork(std::uint64_t salt) { return SeededRandom(Next() ^ (salt * 0xD1B54A32D192ED03ull)); }

private:
    std::uint64_t m_state;
};
