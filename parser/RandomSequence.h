#pragma once

#include <atomic>
#include <cstdint>

// The one pseudo-random sequence that every parser draws from (RND): a seed
// of 32 bits, 0 when the program starts and never reseeded, so a run draws the
// same numbers every time.
namespace randomsequence {
inline std::atomic<std::uint32_t> gSeed{0};
}

inline std::uint32_t RandomSeed() noexcept {
    return randomsequence::gSeed.load(std::memory_order_relaxed);
}
inline void SetRandomSeed(std::uint32_t seed) noexcept {
    randomsequence::gSeed.store(seed, std::memory_order_relaxed);
}

// Steps a seed and returns the number it stands for, in [0, 1).
inline double AdvanceRandom(std::uint32_t& seed) noexcept {
    seed = seed * 134775813u + 1u;
    return static_cast<double>(seed) / 4294967296.0;
}

// The next number of the sequence.
inline double NextRandom() noexcept {
    std::uint32_t seed = RandomSeed();
    const double r = AdvanceRandom(seed);
    SetRandomSeed(seed);
    return r;
}
