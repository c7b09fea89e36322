// The program's one random generator: 32-bit linear congruential, used only to lay mines.
#pragma once

#include <cstdint>

class Random
{
  public:
    // Seeds from the time of day in universal time, in milliseconds since midnight.
    void SeedFromClock();
    void Seed(uint32_t seed) { State = seed; }
    uint32_t SeedValue() const { return State; }

    // A number in 0 .. n - 1: the upper half of the 64-bit product of the new seed and n.
    uint32_t Below(uint32_t n)
    {
        State = State * 134775813u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(State) * n) >> 32);
    }

  private:
    uint32_t State = 0;
};
