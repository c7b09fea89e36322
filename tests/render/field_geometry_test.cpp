#include "field_geometry.h"

#include <gtest/gtest.h>

namespace
{

struct FitCase {
    int32_t SizeX, SizeY, MaxScale, Cell, Small, Large;
};

// Every cell of the fit table: the fixed levels at each sector size limit.
const FitCase FitTable[] = {
    {10, 10, 0, 24, 8, 16},  {10, 10, 1, 32, 11, 21}, {10, 10, 2, 48, 16, 32},
    {10, 10, 3, 60, 20, 40}, {16, 16, 0, 24, 8, 16},  {16, 16, 1, 32, 11, 21},
    {16, 16, 2, 37, 12, 25}, {16, 16, 3, 37, 12, 25}, {24, 20, 0, 24, 8, 16},
    {24, 20, 1, 30, 10, 20}, {24, 20, 2, 30, 10, 20}, {24, 20, 3, 30, 10, 20},
    {32, 25, 0, 24, 8, 16},  {32, 25, 1, 24, 8, 16},  {32, 25, 2, 24, 8, 16},
    {32, 25, 3, 24, 8, 16},
};

TEST(FieldGeometry, FitTable_GivesTheSectorSizesAndFontsOfEachLevel)
{
    for (const FitCase &row : FitTable) {
        const FieldGeometry g = LayoutGeometry(row.SizeX, row.SizeY, row.MaxScale, 769, 601, {});
        EXPECT_EQ(g.CellSize, row.Cell)
            << row.SizeX << "x" << row.SizeY << " scale " << row.MaxScale;
        EXPECT_EQ(g.SmallFontSize, row.Small) << row.SizeX << " scale " << row.MaxScale;
        EXPECT_EQ(g.LargeFontSize, row.Large) << row.SizeX << " scale " << row.MaxScale;
    }
}

TEST(FieldGeometry, Ultra_FillsTheBoardExactly)
{
    const FieldGeometry g = LayoutGeometry(32, 25, 3, 769, 601, {});
    EXPECT_EQ(g.Width, 769);
    EXPECT_EQ(g.Height, 601);
    EXPECT_EQ(g.FieldLeft, 0);
    EXPECT_EQ(g.FieldTop, 0);
}

TEST(FieldGeometry, CentresTheField)
{
    const FieldGeometry unlimited = LayoutGeometry(10, 10, 3, 769, 601, {});
    EXPECT_EQ(unlimited.Width, 601);
    EXPECT_EQ(unlimited.FieldLeft, 84);
    EXPECT_EQ(unlimited.FieldTop, 0);

    const FieldGeometry small = LayoutGeometry(10, 10, 0, 769, 601, {});
    EXPECT_EQ(small.Width, 241);
    EXPECT_EQ(small.FieldLeft, 264);
    EXPECT_EQ(small.FieldTop, 180);

    const FieldGeometry intermediate = LayoutGeometry(16, 16, 2, 769, 601, {});
    EXPECT_EQ(intermediate.Width, 593);
    EXPECT_EQ(intermediate.FieldLeft, 88);
    EXPECT_EQ(intermediate.FieldTop, 4);
}

TEST(FieldGeometry, UnknownScale_KeepsThePreviousSectorSize)
{
    FieldGeometry previous;
    previous.CellSize = 30;
    previous.SmallFontSize = 10;
    previous.LargeFontSize = 20;
    const FieldGeometry g = LayoutGeometry(10, 10, 7, 769, 601, previous);
    EXPECT_EQ(g.CellSize, 30);
    EXPECT_EQ(g.LargeFontSize, 20);
    EXPECT_EQ(g.Width, 301); // the field is still laid out for its size
}

TEST(FieldGeometry, RoundHalfEven_TiesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(84.5f), 84);
    EXPECT_EQ(RoundHalfEven(85.5f), 86);
    EXPECT_EQ(RoundHalfEven(12.0f / 3.0f * 2.0f), 8);
    EXPECT_EQ(RoundHalfEven(24.666f), 25);
}

} // namespace
