// The four fixed levels and the names the program shows for them.
#pragma once

#include <cstdint>

struct LevelRow {
    const char *Name;
    int32_t SizeX;
    int32_t SizeY;
    int32_t MineLimit; // (SizeX - 1) x (SizeY - 1), the most mines a field of that size takes
    int32_t Mines;
};

inline constexpr int32_t LevelCustom = 4;

inline constexpr LevelRow LevelTable[4] = {
    {"Beginner", 10, 10, 81, 10},
    {"Intermediate", 16, 16, 225, 40},
    {"Expert", 24, 20, 437, 100},
    {"Ultra", 32, 25, 744, 180},
};

inline constexpr const char *CheckingModeNames[3] = {"Minimal", "Optimal", "Maximal"};

// The most mines a field of the given size may hold.
constexpr int32_t MineLimit(int32_t sizeX, int32_t sizeY)
{
    return (sizeX - 1) * (sizeY - 1);
}
