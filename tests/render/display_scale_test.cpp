#include "display_scale.h"
#include "screen_probe_x11.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace
{

struct ScaleCase {
    const char *Name;
    double Ratio;
    double Dpi;
    QSize Available;
    int32_t Desktop;
    int32_t Fitting;
    int32_t Reserved = 0; // rows the desktop keeps for its panels
};

class ScaleChoice : public ::testing::TestWithParam<ScaleCase>
{
};

// Screens as Qt describes them with the desktop settings players use.
TEST_P(ScaleChoice, IsTheDesktopsScaleRoundedDownAndLoweredToFit)
{
    const ScaleCase &c = GetParam();
    ScreenFacts screen;
    screen.DevicePixelRatio = c.Ratio;
    screen.LogicalDpi = c.Dpi;
    screen.Available = c.Available;
    screen.Physical = c.Available + QSize(0, c.Reserved);
    EXPECT_EQ(DesktopScale(screen), c.Desktop);
    EXPECT_EQ(FittingScale(screen), c.Fitting);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ScaleChoice,
    ::testing::Values(ScaleCase{"Plain4K", 1.0, 96.0, {3840, 2160}, 1, 1},
                      ScaleCase{"Ratio2On4K", 2.0, 96.0, {3840, 2160}, 2, 2},
                      ScaleCase{"Ratio3On4K", 3.0, 96.0, {3840, 2160}, 3, 3},
                      ScaleCase{"OneAndAHalfIsOne", 1.5, 96.0, {3840, 2160}, 1, 1},
                      ScaleCase{"DpiWithoutRatio", 1.0, 192.0, {3840, 2160}, 2, 2},
                      ScaleCase{"Dpi144WithoutRatio", 1.0, 144.0, {3840, 2160}, 1, 1},
                      ScaleCase{"Ratio2On1280x1024", 2.0, 96.0, {1280, 1024}, 2, 1},
                      ScaleCase{"Ratio2On2560x1440", 2.0, 96.0, {2560, 1440}, 2, 2},
                      ScaleCase{"Ratio3On2560x1440", 3.0, 96.0, {2560, 1440}, 3, 2},
                      ScaleCase{"ExactFit", 2.0, 96.0, {1928, 1320}, 2, 2},
                      ScaleCase{"OnePixelShortInHeight", 2.0, 96.0, {1928, 1319}, 2, 1},
                      ScaleCase{"OnePixelShortInWidth", 2.0, 96.0, {1927, 1320}, 2, 1},
                      ScaleCase{"APanelLeavesTooFewRows", 2.0, 96.0, {1928, 1319}, 2, 1, 48},
                      ScaleCase{"JustUnderTwo", 1.0, 191.99, {3840, 2160}, 1, 1},
                      ScaleCase{"TwoWithARoundingError", 1.4, 192.0 / 1.4, {3840, 2160}, 2, 2},
                      ScaleCase{"BelowOne", 0.5, 96.0, {1280, 1024}, 1, 1}),
    [](const ::testing::TestParamInfo<ScaleCase> &info) { return info.param.Name; });

// The desktop DPI read from the X server's resources, by the toolkit's own rule: a tab after
// the colon and a whole number, else no setting.
TEST(XftDpi, ReadsTheResourceLineAsTheToolkitDoes)
{
    EXPECT_EQ(XftDpi("Xft.dpi:\t192\n"), 192);
    EXPECT_EQ(XftDpi("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144);
    EXPECT_EQ(XftDpi("Xft.dpi:\t 120 \n"), 120);
    EXPECT_EQ(XftDpi("Xft.dpi: 192\n"), 0);
    EXPECT_EQ(XftDpi("Xft.dpi:\t144.5\n"), 0);
    EXPECT_EQ(XftDpi("*dpi:\t192\n"), 0);
    EXPECT_EQ(XftDpi(""), 0);
}

TEST(AtScale, RepeatsPixelsOrResamplesAndKeepsTheLayoutSize)
{
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 255, 255, 255));
    picture.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const QImage sharp = AtScale(picture, 2, false);
    ASSERT_EQ(sharp.size(), QSize(6, 4));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(3, 2));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(sharp.pixel(x, y), picture.pixel(x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(AtScale(picture, 3, true).size(), QSize(9, 6));
    EXPECT_EQ(AtScale(picture, 1, true), picture);
    EXPECT_EQ(ScaledCanvas(QSize(97, 25), 2).size(), QSize(194, 50));
}

// Point sizes are taken at 96 dpi, rounded as Qt rounds them there.
TEST(FontsAt96Dpi, GivePixelSizesIndependentOfTheDesktop)
{
    EXPECT_EQ(PixelsForPoints(8), 11);
    EXPECT_EQ(PixelsForPoints(12), 16);
    EXPECT_EQ(PixelsForPoints(16), 21);
    EXPECT_EQ(PixelsForPoints(20), 27);
    EXPECT_EQ(PixelsForPoints(40), 53);
    QFont font("Arial");
    font.setPointSize(9);
    const QFont fixed = At96Dpi(font);
    EXPECT_EQ(fixed.pixelSize(), 12);
    EXPECT_EQ(QFontInfo(fixed).pixelSize(), 12);
    QFont pixels("Arial");
    pixels.setPixelSize(30);
    EXPECT_EQ(At96Dpi(pixels).pixelSize(), 30);
}

} // namespace
