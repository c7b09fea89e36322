#include "counters.h"

#include <gtest/gtest.h>

namespace
{

QImage Plain()
{
    QImage image(964, 660, QImage::Format_RGB32);
    image.fill(qRgb(200, 210, 220));
    return image;
}

int NavyColumns(const QImage &bar)
{
    int n = 0;
    for (int x = 0; x < bar.width(); ++x)
        n += bar.pixel(x, 8) == qRgb(0, 0, 128);
    return n;
}

TEST(ProgressBar, FillsTheRoundedShareOfItsWidth)
{
    const QImage background = Plain();
    QImage bar(169, 17, QImage::Format_RGB32);
    DrawProgressBar(bar, background, QPoint(784, 476), 0);
    EXPECT_EQ(NavyColumns(bar), 2); // only the frame
    DrawProgressBar(bar, background, QPoint(784, 476), 50);
    EXPECT_EQ(NavyColumns(bar), 84 + 1); // round(84.5) is 84, plus the right frame edge
    DrawProgressBar(bar, background, QPoint(784, 476), 100);
    EXPECT_EQ(NavyColumns(bar), 169);
}

TEST(Counters, NegativeValuesShowAnEmptyFrame)
{
    EXPECT_EQ(MinesLeftText(-1), QString());
    EXPECT_EQ(MinesLeftText(0), "0");
    EXPECT_EQ(MinesLeftText(40), "40");
    EXPECT_EQ(TimeText(-1.0f), QString());
    EXPECT_EQ(TimeText(0.04f), "0.0");
    EXPECT_EQ(TimeText(12.34f), "12.3");
}

TEST(Counters, DrawsTheFrameOverTheBackgroundAndTheTextInside)
{
    const QImage background = Plain();
    QImage counter(97, 25, QImage::Format_RGB32);
    DrawCounter(counter, background, QPoint(96, 4), QString());
    EXPECT_EQ(counter.pixel(0, 0), qRgb(0, 0, 128));
    EXPECT_EQ(counter.pixel(96, 24), qRgb(0, 0, 128));
    EXPECT_EQ(counter.pixel(48, 12), qRgb(200, 210, 220));
    DrawCounter(counter, background, QPoint(96, 4), "888");
    int navy = 0;
    for (int y = 2; y < 23; ++y)
        for (int x = 2; x < 95; ++x)
            navy += counter.pixel(x, y) == qRgb(0, 0, 128);
    EXPECT_GT(navy, 20);
}

} // namespace
