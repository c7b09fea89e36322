// The four fixed levels and the names the program shows for them.
#pragma once

#include <cstdint>

struct LevelRow {
    const char *Name;
    int32_t SizeX;
    int32_t SizeY;
    int32_t Mines;
};

inline constexpr int32_t LevelCustom = 4;

inline constexpr LevelRow LevelTable[4] = {
    {"Beginner", 10, 10, 10},
    {"Intermediate", 16, 16, 40},
    {"Expert", 24, 20, 100},
    {"Ultra", 32, 25, 180},
};

// The most mines a field of the given size may hold: the custom field's rule, "at most
// (columns - 1) x (rows - 1)", everywhere it applies.
constexpr int32_t MineLimit(int32_t sizeX, int32_t sizeY)
{
    return (sizeX - 1) * (sizeY - 1);
}
