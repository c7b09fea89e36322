// Where the field sits in the board area and how large its sectors and fonts are.
#pragma once

#include <cstdint>

struct FieldGeometry {
    int32_t CellSize = 24;      // pixels per sector side, grid line included
    int32_t SmallFontSize = 8;  // points, probabilities
    int32_t LargeFontSize = 16; // points, numbers and markers
    int32_t FieldLeft = 0;      // top-left grid corner inside the board image
    int32_t FieldTop = 0;
    int32_t Width = 1; // SizeX x CellSize + 1, grid included
    int32_t Height = 1;
};

// Nearest whole number of a 32-bit float, ties to even.
int32_t RoundHalfEven(float value);

// The layout of a sizeX x sizeY field in a board of boardWidth x boardHeight pixels.
// maxScale 0 fixes 24-pixel sectors, 1 and 2 cap them at 32 and 48, 3 takes the whole fit;
// any other value keeps the sector size and fonts of `previous`.
FieldGeometry LayoutGeometry(int32_t sizeX, int32_t sizeY, int32_t maxScale, int32_t boardWidth,
                             int32_t boardHeight, const FieldGeometry &previous);
