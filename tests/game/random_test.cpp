#include "random.h"

#include <gtest/gtest.h>

// Worked by hand: seed' = seed x 134775813 + 1 (mod 2^32), draw = (seed' x n) >> 32.
TEST(Random, SeedZero_GivesTheHandWorkedDraws)
{
    Random rng;
    rng.Seed(0);
    EXPECT_EQ(rng.Below(100), 0u); // seed 1: 100 >> 32
    EXPECT_EQ(rng.SeedValue(), 1u);
    EXPECT_EQ(rng.Below(100), 3u); // seed 134775814: 13,477,581,400 >> 32
    EXPECT_EQ(rng.SeedValue(), 134775814u);
}

TEST(Random, KnownSeed_GivesAKnownSequence)
{
    Random rng;
    rng.Seed(12345);
    EXPECT_EQ(rng.Below(100), 38u);
    EXPECT_EQ(rng.Below(100), 28u);
    EXPECT_EQ(rng.Below(100), 7u);
    EXPECT_EQ(rng.Below(10), 5u);
    EXPECT_EQ(rng.Below(1000), 633u);
    EXPECT_EQ(rng.SeedValue(), 2721613530u);
}

TEST(Random, SeedFromClock_IsATimeOfDayInMilliseconds)
{
    Random rng;
    rng.SeedFromClock();
    EXPECT_LT(rng.SeedValue(), 24u * 60 * 60 * 1000);
}
