// A small seeded generator for the simulation. Seeded from the engine's clock, so the DLL
// differs from run to run while tests, whose clock is fixed, see the same game every time.
#pragma once

#include <cstdint>

namespace korvane {

class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    // splitmix64: cheap, no allocation, good enough spread for game events.
    uint32_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
    }

    // Uniform in [low, high]; low when the range is empty.
    int Between(int low, int high) {
        if (high <= low) return low;
        uint32_t span = static_cast<uint32_t>(high - low) + 1u;
        return low + static_cast<int>(Next() % span);
    }

    uint64_t Millis(uint64_t low, uint64_t high) {
        if (high <= low) return low;
        return low + static_cast<uint64_t>(Next()) % (high - low + 1);
    }

    // Uniform in [low, high).
    float Uniform(float low, float high) {
        return low + (high - low) * static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
    }

    bool Chance(int percent) { return Between(0, 99) < percent; }

  private:
    uint64_t state_;
};

// A simulated figure kept within [low, high]; low for NaN, which a variable may hold.
inline float Clamped(float value, float low, float high) {
    if (!(value >= low)) return low;
    return value > high ? high : value;
}

}  // namespace korvane
