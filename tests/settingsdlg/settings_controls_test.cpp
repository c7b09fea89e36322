#include "expected_text.h"
#include "settings_controls.h"

#include <climits>
#include <gtest/gtest.h>
#include <memory>

namespace
{

const QRgb Navy = qRgb(0, 0, 128);
const QRgb Cream = qRgb(255, 251, 240);

// A text image as the dialog attaches it, pre-filled black so any redraw shows.
class ControlImage
{
  public:
    explicit ControlImage(QSize size) : image(&parent, QStringLiteral("imgTest"), {{0, 0}, size})
    {
        image.PenColor = QColor(Navy);
        image.FontColor = QColor(Navy);
        image.BrushColor = QColor(Cream);
        image.Canvas().fill(Qt::black);
    }
    TImage *operator->() { return &image; }
    TImage *get() { return &image; }
    bool Untouched() { return image.Picture().pixel(0, 0) == qRgb(0, 0, 0); }

  private:
    QWidget parent;
    TImage image;
};

TEST(CUpDownControl, StartsCentredAtZeroWithoutAnImage)
{
    const CUpDown upDown;
    EXPECT_EQ(upDown.Image, nullptr);
    EXPECT_EQ(upDown.Align, AlignCentre);
    EXPECT_EQ(upDown.Min, 0);
    EXPECT_EQ(upDown.Max, 0);
    EXPECT_EQ(upDown.Value, 0);
    EXPECT_TRUE(upDown.Enabled);
}

TEST(CUpDownControl, Steps_StayWithinTheRangeAndRedrawAlsoAtTheBounds)
{
    ControlImage image({49, 21});
    CUpDown upDown;
    upDown.Image = image.get();
    upDown.Min = 8, upDown.Max = 9, upDown.Value = 8;
    upDown.StepDown();
    EXPECT_EQ(upDown.Value, 8);
    EXPECT_TRUE(SamePixels(image->Picture(), ExpectedTextImage({49, 21}, 2, QStringLiteral("8"))));
    upDown.StepUp();
    upDown.StepUp();
    EXPECT_EQ(upDown.Value, 9);
    image->Canvas().fill(Qt::black);
    upDown.StepUp();
    EXPECT_EQ(upDown.Value, 9);
    EXPECT_TRUE(SamePixels(image->Picture(), ExpectedTextImage({49, 21}, 2, QStringLiteral("9"))));
}

TEST(CUpDownControl, Steps_DoNothingWhileDisabled)
{
    ControlImage image({49, 21});
    CUpDown upDown;
    upDown.Image = image.get();
    upDown.Min = 0, upDown.Max = 10, upDown.Value = 5, upDown.Enabled = false;
    upDown.StepUp();
    upDown.StepDown();
    EXPECT_EQ(upDown.Value, 5);
    EXPECT_TRUE(image.Untouched());
}

TEST(CUpDownControl, Steps_WorkWithoutAnImage)
{
    CUpDown upDown;
    upDown.Min = -2, upDown.Max = 2, upDown.Value = 0;
    upDown.StepDown();
    upDown.StepDown();
    upDown.StepDown();
    EXPECT_EQ(upDown.Value, -2);
    upDown.Redraw();
}

TEST(CUpDownControl, Steps_AtTheEndsOfTheIntegerRangeDoNotOverflow)
{
    CUpDown upDown;
    upDown.Min = INT_MIN, upDown.Max = INT_MAX, upDown.Value = INT_MAX;
    upDown.StepUp();
    EXPECT_EQ(upDown.Value, INT_MAX);
    upDown.Value = INT_MIN;
    upDown.StepDown();
    EXPECT_EQ(upDown.Value, INT_MIN);
}

TEST(CUpDownControl, Clamp_RaisesToMinThenLowersToMax)
{
    CUpDown upDown;
    upDown.Min = 20, upDown.Max = 30;
    for (const auto &[stored, shown] : {std::pair{50, 30}, {5, 20}, {25, 25}, {INT_MIN, 20}}) {
        upDown.Value = stored;
        upDown.Clamp();
        EXPECT_EQ(upDown.Value, shown) << stored;
    }
}

struct AlignCase {
    uint8_t align;
    QSize size;
    const char *text;
};

void PrintTo(const AlignCase &c, std::ostream *os)
{
    *os << int(c.align) << " " << c.text;
}

class CUpDownAlignment : public ::testing::TestWithParam<AlignCase>
{
};

TEST_P(CUpDownAlignment, Redraw_PlacesTheNumberByItsAlignment)
{
    const AlignCase &c = GetParam();
    ControlImage image(c.size);
    CUpDown upDown;
    upDown.Image = image.get();
    upDown.Align = c.align;
    upDown.Min = 0, upDown.Max = 1000, upDown.Value = QString::fromLatin1(c.text).toInt();
    upDown.Redraw();
    EXPECT_TRUE(SamePixels(image->Picture(),
                           ExpectedTextImage(c.size, c.align, QString::fromLatin1(c.text))));
    // The text differs between the alignments, so the comparison above sees a wrong place.
    if (c.align != AlignCentre) {
        EXPECT_FALSE(SamePixels(
            image->Picture(), ExpectedTextImage(c.size, AlignCentre, QString::fromLatin1(c.text))));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Places, CUpDownAlignment,
    ::testing::Values(AlignCase{AlignCentre, {49, 21}, "744"},
                      AlignCase{AlignCentre, {49, 21}, "8"}, AlignCase{AlignLeft, {105, 21}, "25"},
                      AlignCase{AlignRight, {105, 21}, "30"}, AlignCase{7, {105, 21}, "20"}),
    [](const ::testing::TestParamInfo<AlignCase> &info) {
        return "Align" + std::to_string(info.param.align) + "_" + info.param.text;
    });

TEST(CListBoxControl, StartsWithNothingSelectedAndAnEmptyList)
{
    const CListBox list;
    EXPECT_EQ(list.Image, nullptr);
    EXPECT_EQ(list.Align, AlignCentre);
    EXPECT_EQ(list.Index, -1);
    EXPECT_TRUE(list.Enabled);
    EXPECT_TRUE(list.Items.isEmpty());
}

struct CycleCase {
    int32_t from;
    int32_t to;
};

void PrintTo(const CycleCase &c, std::ostream *os)
{
    *os << c.from << " to " << c.to;
}

class CListBoxCycle : public ::testing::TestWithParam<CycleCase>
{
};

TEST_P(CListBoxCycle, Cycle_MovesToTheNextItemAndWraps)
{
    CListBox list;
    list.Items = {QStringLiteral("Minimal"), QStringLiteral("Optimal"), QStringLiteral("Maximal")};
    list.Index = GetParam().from;
    list.Cycle();
    EXPECT_EQ(list.Index, GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Indexes, CListBoxCycle,
                         ::testing::Values(CycleCase{-1, 0}, CycleCase{0, 1}, CycleCase{1, 2},
                                           CycleCase{2, 0}, CycleCase{7, 0}, CycleCase{-3, -2},
                                           CycleCase{INT_MAX, 0}, CycleCase{INT_MIN, INT_MIN + 1}),
                         [](const ::testing::TestParamInfo<CycleCase> &info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(CListBoxControl, Cycle_DoesNothingWhileDisabledOrEmpty)
{
    ControlImage image({105, 21});
    CListBox list;
    list.Image = image.get();
    list.Cycle();
    EXPECT_EQ(list.Index, -1);
    list.Items = {QStringLiteral("Simple"), QStringLiteral("Advanced")};
    list.Enabled = false;
    list.Cycle();
    EXPECT_EQ(list.Index, -1);
    EXPECT_TRUE(image.Untouched());
}

TEST(CListBoxControl, Redraw_ShowsTheSelectedItemOrOnlyAnEmptyBox)
{
    ControlImage image({105, 21});
    CListBox list;
    list.Image = image.get();
    list.Align = AlignLeft;
    list.Items = {QStringLiteral("24 pixels"), QStringLiteral("Unlimited")};
    list.Index = 1;
    list.Redraw();
    EXPECT_TRUE(
        SamePixels(image->Picture(), ExpectedTextImage({105, 21}, 0, QStringLiteral("Unlimited"))));

    for (const int32_t outside : {2, -1, -5}) {
        list.Index = outside;
        list.Redraw();
        const QImage &shown = image->Picture();
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 105; ++x) {
                const bool edge = x == 0 || y == 0 || x == 104 || y == 20;
                ASSERT_EQ(shown.pixel(x, y), edge ? Navy : Cream)
                    << outside << ": " << x << "," << y;
            }
    }
}

TEST(CListBoxControl, Cycle_FromBelowTheListShowsNoTextUntilItReachesTheFirstItem)
{
    ControlImage image({105, 21});
    CListBox list;
    list.Image = image.get();
    list.Align = AlignLeft;
    list.Items = {QStringLiteral("Simple"), QStringLiteral("Advanced")};
    list.Index = -2;
    list.Cycle();
    EXPECT_TRUE(SamePixels(image->Picture(), ExpectedTextImage({105, 21}, 0, QString())));
    list.Cycle();
    EXPECT_TRUE(
        SamePixels(image->Picture(), ExpectedTextImage({105, 21}, 0, QStringLiteral("Simple"))));
}

} // namespace
