#include "field_painter.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{

// A background with a different colour in every pixel, so a wrong offset shows.
QImage PatternBackground()
{
    QImage image(964, 660, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, (x + y) & 255));
    return image;
}

class Painter : public ::testing::Test
{
  protected:
    QImage Background = PatternBackground();
    QPoint Origin{4, 32};
    FieldPainter Board;

    void Layout(int32_t sizeX, int32_t sizeY, int32_t scale)
    {
        Board.LayoutField(LayoutGeometry(sizeX, sizeY, scale, 769, 601, {}), Background, Origin);
        Board.RedrawField(Background, Origin, sizeX, sizeY);
    }
    QRgb Field(int x, int y) const { return Board.bmpField.pixel(x, y); }
    QPoint Corner(int c, int r) const
    {
        return {Board.Geometry.FieldLeft + c * Board.Geometry.CellSize,
                Board.Geometry.FieldTop + r * Board.Geometry.CellSize};
    }
};

TEST_F(Painter, Textures_AreTheBackgroundUnderTheField_HalvedAndWashedOut)
{
    Layout(10, 10, 3); // field at (84, 0) in the board, (88, 32) in the window
    for (QPoint p : {QPoint(0, 0), QPoint(17, 230), QPoint(600, 600)}) {
        const QRgb under = Background.pixel(Origin + QPoint(84, 0) + p);
        const QRgb closed = Board.bmpClosed.pixel(p);
        const QRgb open = Board.bmpOpen.pixel(p);
        EXPECT_EQ(qRed(closed), qRed(under) >> 1);
        EXPECT_EQ(qGreen(closed), qGreen(under) >> 1);
        EXPECT_EQ(qBlue(closed), qBlue(under) >> 1);
        EXPECT_EQ(qRed(open), (qRed(under) >> 1) + 128);
        EXPECT_EQ(qBlue(open), (qBlue(under) >> 1) + 128);
    }
}

TEST_F(Painter, RedrawField_ShowsTheClosedFieldInsideTheGrid)
{
    Layout(16, 16, 3); // 37-pixel sectors at (88, 4)
    const QPoint corner = Corner(3, 5);
    EXPECT_EQ(Field(corner.x(), corner.y()), qRgb(0, 0, 0));      // grid corner
    EXPECT_EQ(Field(corner.x() + 10, corner.y()), qRgb(0, 0, 0)); // grid line
    EXPECT_EQ(Field(corner.x() + 5, corner.y() + 5), Board.bmpClosed.pixel(3 * 37 + 5, 5 * 37 + 5));
    // Outside the field the board shows the background as it is.
    EXPECT_EQ(Field(10, 10), Background.pixel(Origin + QPoint(10, 10)));
    // The closing grid lines at the right and bottom edge.
    EXPECT_EQ(Field(88 + 16 * 37, 300), qRgb(0, 0, 0));
    EXPECT_EQ(Field(300, 4 + 16 * 37), qRgb(0, 0, 0));
}

TEST_F(Painter, OpenSector_WithZero_ShowsTheBareOpenTexture_AndANumberInItsColour)
{
    Layout(32, 25, 3);
    Board.DrawOpenSector(2, 2, 0);
    const QPoint corner = Corner(2, 2);
    for (int y = 1; y < 24; ++y)
        for (int x = 1; x < 24; ++x)
            ASSERT_EQ(Field(corner.x() + x, corner.y() + y),
                      Board.bmpOpen.pixel(2 * 24 + x, 2 * 24 + y));

    // Each number in its own colour, and in no other number's.
    const QRgb colours[9] = {0,
                             qRgb(0, 0, 192),
                             qRgb(0, 192, 0),
                             qRgb(192, 0, 0),
                             qRgb(0, 0, 128),
                             qRgb(128, 0, 0),
                             qRgb(0, 192, 192),
                             qRgb(0, 128, 128),
                             qRgb(128, 128, 128)};
    for (int32_t number = 1; number <= 8; ++number) {
        Board.DrawOpenSector(number, 4, number);
        const QPoint corner = Corner(number, 4);
        int counts[9] = {};
        for (int y = 1; y < 24; ++y)
            for (int x = 1; x < 24; ++x)
                for (int32_t other = 1; other <= 8; ++other)
                    counts[other] += Field(corner.x() + x, corner.y() + y) == colours[other];
        for (int32_t other = 1; other <= 8; ++other) {
            if (other == number)
                EXPECT_GT(counts[other], 10) << "number " << number;
            else
                EXPECT_EQ(counts[other], 0)
                    << "number " << number << " in " << other << "'s colour";
        }
    }
}

TEST_F(Painter, ClosedSector_ShowsItsProbabilityOnlyWhenTheSignBitIsClear)
{
    Layout(32, 25, 3);
    Board.SetFontSize(Board.Geometry.SmallFontSize);
    auto whitePixels = [&](int c, int r) {
        const QPoint corner = Corner(c, r);
        int n = 0;
        for (int y = 1; y < 24; ++y)
            for (int x = 1; x < 24; ++x)
                n += Field(corner.x() + x, corner.y() + y) == qRgb(255, 255, 255);
        return n;
    };
    Board.DrawClosedSector(1, 1, -1.0f);
    Board.DrawClosedSector(2, 1, -0.0f);
    Board.DrawClosedSector(3, 1, 0.0f);
    EXPECT_EQ(whitePixels(1, 1), 0);
    EXPECT_EQ(whitePixels(2, 1), 0);
    EXPECT_GT(whitePixels(3, 1), 5);
}

TEST(ProbabilityColour, RunsFromWhiteToRed)
{
    EXPECT_EQ(ProbabilityColour(0.0f), QColor(255, 255, 255));
    EXPECT_EQ(ProbabilityColour(0.25f), QColor(255, 191, 191));
    EXPECT_EQ(ProbabilityColour(0.5f), QColor(255, 127, 127));
    EXPECT_EQ(ProbabilityColour(1.0f), QColor(255, 0, 0));
}

TEST_F(Painter, WrongMarkerBar_At24Pixels_CoversItsDesignedRectangle)
{
    Layout(32, 25, 0);
    Board.DrawMarker(5, 5);
    Board.DrawWrongMarkerBar(5, 5);
    const QPoint corner = Corner(5, 5);
    for (int y = 1; y < 24; ++y)
        for (int x = 1; x < 24; ++x) {
            const bool inBar = x >= 5 && x <= 19 && (y == 11 || y == 12);
            const bool red = Field(corner.x() + x, corner.y() + y) == qRgb(255, 0, 0);
            if (inBar)
                ASSERT_TRUE(red) << x << "," << y;
            else if (red)
                ADD_FAILURE() << "red outside the bar at " << x << "," << y;
        }
}

TEST_F(Painter, FatalSector_IsRedWithABlackX_AndHighlightIsLightYellow)
{
    Layout(32, 25, 0);
    Board.DrawFatalSector(0, 0);
    Board.HighlightSector(1, 0);
    int red = 0, black = 0;
    for (int y = 1; y < 24; ++y)
        for (int x = 1; x < 24; ++x) {
            red += Field(x, y) == qRgb(255, 0, 0);
            black += Field(x, y) == qRgb(0, 0, 0);
        }
    EXPECT_GT(red, 300);
    EXPECT_GT(black, 10);
    EXPECT_EQ(Field(24 + 12, 12), qRgb(255, 255, 128));
    EXPECT_EQ(Field(24, 12), qRgb(0, 0, 0)); // the grid is left alone
}

TEST_F(Painter, Text_IsCentredByThePlacementRule)
{
    Layout(10, 10, 3); // 60-pixel sectors, 40-point numbers
    Board.DrawMarker(0, 0);
    const QPoint corner = Corner(0, 0);
    int minX = 100, maxX = -1;
    for (int y = 1; y < 60; ++y)
        for (int x = 1; x < 60; ++x)
            if (Field(corner.x() + x, corner.y() + y) == qRgb(255, 255, 128)) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    ASSERT_LE(minX, maxX);
    // The glyph sits in the middle: equal margins within a couple of pixels.
    EXPECT_NEAR(minX, 60 - 1 - maxX, 3);
}

} // namespace

namespace
{

// At scale 2 every look is the scale-1 look with each layout pixel a 2 x 2 block: compared
// on everything but the antialiased edges of text.
TEST(ScaledPainter, DrawsTheScaleOneBoardMagnified)
{
    const QImage background = PatternBackground();
    QImage doubled = background.scaled(background.size() * 2);
    doubled.setDevicePixelRatio(2);
    FieldPainter one(1), two(2);
    const QPoint origin(4, 32);
    for (FieldPainter *board : {&one, &two}) {
        board->LayoutField(LayoutGeometry(16, 16, 3, 769, 601, {}),
                           board == &one ? background : doubled, origin);
        board->RedrawField(board == &one ? background : doubled, origin, 16, 16);
        board->DrawPressedSector(1, 1);
        board->HighlightSector(2, 1);
        board->DrawMarker(3, 1);
        board->DrawWrongMarkerBar(3, 1);
        board->DrawFatalSector(4, 1);
        board->DrawOpenSector(5, 1, 0);
        board->DrawBareClosedSector(6, 1);
    }
    ASSERT_EQ(two.bmpField.size(), one.bmpField.size() * 2);
    EXPECT_EQ(two.bmpField.devicePixelRatio(), 2.0);
    int differing = 0, compared = 0;
    for (int y = 0; y < one.bmpField.height(); ++y)
        for (int x = 0; x < one.bmpField.width(); ++x) {
            const QRgb expected = one.bmpField.pixel(x, y);
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    ++compared;
                    differing += two.bmpField.pixel(2 * x + dx, 2 * y + dy) != expected;
                }
        }
    // Only the two "X" glyphs may differ: a few hundred of 1.8 million device pixels.
    EXPECT_LT(differing, 1500) << "of " << compared;
    // The grid and the bar are whole blocks.
    const QRect bar = two.Interior(3, 1);
    EXPECT_EQ(two.bmpField.pixel(2 * (bar.left() + 10) + 1, 2 * (bar.top() + 16) + 1),
              qRgb(255, 0, 0));
    EXPECT_EQ(two.bmpField.pixel(2 * 88 + 1, 2 * 4 + 1), qRgb(0, 0, 0));
}

} // namespace
