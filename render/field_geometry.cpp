#include "field_geometry.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

int32_t RoundHalfEven(float value)
{
    // lrintf rounds in the current mode, which the program never changes from nearest-even.
    return static_cast<int32_t>(std::lrintf(value));
}

FieldGeometry LayoutGeometry(int32_t sizeX, int32_t sizeY, int32_t maxScale, int32_t boardWidth,
                             int32_t boardHeight, const FieldGeometry &previous)
{
    FieldGeometry g = previous;
    const int32_t fit = std::min(boardWidth / sizeX, boardHeight / sizeY);
    int32_t cell = -1;
    switch (maxScale) {
    case 0:
        g.CellSize = 24;
        g.SmallFontSize = 8;
        g.LargeFontSize = 16;
        break;
    case 1:
        cell = std::min(fit, 32);
        break;
    case 2:
        cell = std::min(fit, 48);
        break;
    case 3:
        cell = fit;
        break;
    default:
        break;
    }
    if (cell > 0) {
        g.CellSize = cell;
        g.SmallFontSize = RoundHalfEven(static_cast<float>(cell) / 3.0f);
        g.LargeFontSize = RoundHalfEven(static_cast<float>(cell) * 2.0f / 3.0f);
    }
    g.Width = sizeX * g.CellSize + 1;
    g.Height = sizeY * g.CellSize + 1;
    g.FieldLeft = (boardWidth - g.Width) >> 1;
    g.FieldTop = (boardHeight - g.Height) >> 1;
    return g;
}
