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

// The next number of the sequence, in [0, 1).
inline double NextRandom() noexcept {
    const std::uint32_t seed = RandomSeed() * 134775813u + 1u;
    SetRandomSeed(seed);
    return static_cast<double>(seed) / 4294967296.0;
}
