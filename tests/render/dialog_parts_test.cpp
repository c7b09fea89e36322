#include "dialog_parts.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

namespace
{

struct PlacementCase {
    QRect mainFrame;
    QSize dialog;
    QPoint expected;
};

void PrintTo(const PlacementCase &c, std::ostream *os)
{
    *os << c.expected.x() << "," << c.expected.y();
}

class BestDialogPlacement : public ::testing::TestWithParam<PlacementCase>
{
};

TEST_P(BestDialogPlacement, HalvesTheMainWindowsEdgeWithTheRest)
{
    const PlacementCase &c = GetParam();
    EXPECT_EQ(ModalDialogPosition(c.mainFrame, c.dialog), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, BestDialogPlacement,
    ::testing::Values(
        // Not the centred 450: the main window's left is halved too.
        PlacementCase{QRect(100, 0, 1000, 700), QSize(300, 150), QPoint(400, 275)},
        PlacementCase{QRect(200, 100, 1000, 700), QSize(502, 328), QPoint(349, 236)},
        PlacementCase{QRect(0, 0, 964, 660), QSize(312, 156), QPoint(326, 252)},
        // An odd sum halves downwards, also below zero.
        PlacementCase{QRect(1, 1, 964, 660), QSize(312, 156), QPoint(326, 252)},
        PlacementCase{QRect(-901, -801, 1000, 700), QSize(312, 156), QPoint(-107, -129)}),
    [](const ::testing::TestParamInfo<PlacementCase> &info) {
        return "Case" + std::to_string(info.index);
    });

TEST(BestDialogParts, KeyedPicture_MakesOnlyTheKeyColourTransparent)
{
    QImage picture(3, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(0, 255, 255));
    picture.setPixel(1, 0, qRgb(0, 0, 128));
    picture.setPixel(2, 0, qRgb(0, 254, 255));
    const QImage keyed = KeyedPicture(picture);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(keyed.pixel(1, 0), qRgba(0, 0, 128, 255));
    EXPECT_EQ(keyed.pixel(2, 0), qRgba(0, 254, 255, 255));
    EXPECT_TRUE(KeyedPicture(QImage()).isNull());
}

TEST(BestDialogParts, LoadPicture_GivesANullImageForAMissingName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("SAMPLE")), "PNG"));
    const QString prefix = dir.path() + QLatin1Char('/');
    const QImage loaded = LoadPicture(prefix, QStringLiteral("SAMPLE"));
    ASSERT_EQ(loaded.size(), QSize(4, 2));
    EXPECT_EQ(loaded.pixel(3, 1), qRgb(10, 20, 30));
    EXPECT_TRUE(LoadPicture(prefix, QStringLiteral("ABSENT")).isNull());
}

TEST(BestDialogParts, DrawImageButton_FramesTwoPixelsInsideTheImage)
{
    QWidget parent;
    TImage image(&parent, QStringLiteral("imgSample"), QRect(0, 0, 97, 25));
    DrawImageButton(&image, QStringLiteral("OK"));
    const QImage &canvas = image.Picture();
    ASSERT_EQ(canvas.size(), QSize(97, 25));
    const QRgb navy = qRgb(0, 0, 128), cream = qRgb(255, 251, 240);
    for (const QPoint frame : {QPoint(0, 0), QPoint(1, 1), QPoint(96, 24), QPoint(95, 23),
                               QPoint(0, 24), QPoint(96, 0), QPoint(48, 0), QPoint(48, 1),
                               QPoint(48, 23), QPoint(48, 24), QPoint(0, 12), QPoint(96, 12)})
        EXPECT_EQ(canvas.pixel(frame), navy) << frame.x() << "," << frame.y();
    for (const QPoint inside : {QPoint(2, 2), QPoint(94, 22), QPoint(10, 12), QPoint(86, 12)})
        EXPECT_EQ(canvas.pixel(inside), cream) << inside.x() << "," << inside.y();

    // The caption is inked near the middle and nowhere near the frame.
    int left = canvas.width(), right = -1;
    for (int y = 2; y < 23; ++y)
        for (int x = 2; x < 95; ++x)
            if (canvas.pixel(x, y) != cream) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right) / 2.0, 48.0, 2.0);
}

TEST(BestDialogParts, Image_ReportsPressesWithButtonAndPositionAndClicksOnlyForLeft)
{
    QWidget parent;
    TImage image(&parent, QStringLiteral("imgSample"), QRect(10, 10, 17, 21));
    std::vector<std::pair<Qt::MouseButton, QPoint>> presses;
    int clicks = 0;
    image.OnMouseDown = [&](Qt::MouseButton button, QPoint pos) {
        presses.emplace_back(button, pos);
    };
    image.OnClick = [&] { ++clicks; };
    QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(3, 9));
    QTest::mouseClick(&image, Qt::RightButton, {}, QPoint(4, 11));
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0], std::make_pair(Qt::LeftButton, QPoint(3, 9)));
    EXPECT_EQ(presses[1], std::make_pair(Qt::RightButton, QPoint(4, 11)));
    EXPECT_EQ(clicks, 1);

    // Released outside the component: no click.
    QTest::mousePress(&image, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(&image, Qt::LeftButton, {}, QPoint(40, 3));
    EXPECT_EQ(clicks, 1);
}

} // namespace
