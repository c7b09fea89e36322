#include "expected_text.h"
#include "settings_dialog.h"

#include <QAccessible>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace
{

const QRgb Navy = qRgb(0, 0, 128);
const QRgb Cream = qRgb(255, 251, 240);
const QRgb Backdrop = qRgb(200, 200, 240);
const QRgb ArrowFill = qRgb(20, 200, 20);
const QRgb LegendInk = qRgb(200, 20, 200);

// Click places, from the dialog's layout.
constexpr int LevelTop[5] = {32, 48, 64, 80, 96};
QPoint LevelBox(int level)
{
    return {8 + 8, LevelTop[level] + 8};
}
QPoint LevelLabel(int level)
{
    return {24 + 6, LevelTop[level] + 6};
}
const QPoint TimedLabel(30, 158), TrainerLabel(30, 174), FairLabel(166, 158), ProbLabel(166, 174);
const QPoint TimedBox(16, 160), TrainerBox(16, 176), FairBox(152, 160), ProbBox(152, 176);
// Up-down arrows: the top left of the picture; the press row is added per click.
const QPoint ArrowX(248, 32), ArrowY(248, 56), ArrowMines(248, 80), ArrowStepDepth(472, 248);
const QPoint ScaleArrow(256, 202), CalcModeArrow(256, 258), DupCheckArrow(256, 282),
    CombCheckArrow(480, 282);
const QPoint ScaleText(190, 202), CalcModeText(190, 258), DupCheckText(190, 282),
    CombCheckText(414, 282);
const QPoint TextX(224, 42), TextY(224, 66), TextMines(224, 90), TextStepDepth(414, 258);
const QPoint OKButton(296 + 48, 300 + 12), CancelButton(400 + 48, 300 + 12);

QPoint Up(QPoint arrow)
{
    return arrow + QPoint(8, 9);
}
QPoint Down(QPoint arrow)
{
    return arrow + QPoint(8, 11);
}

QImage Filled(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Box pictures as the artwork draws them: a navy outline on the cyan key; the on box also
// holds a navy block in its middle.
QImage BoxPicture(bool on)
{
    QImage image = Filled({16, 16}, qRgb(0, 255, 255));
    QPainter painter(&image);
    painter.setPen(QColor(Navy));
    painter.drawRect(0, 0, 14, 14);
    if (on) painter.fillRect(5, 5, 6, 6, QColor(Navy));
    return image;
}

struct Committed {
    TGameState game;
    int32_t maxScale;
};

class SettingsDialogBase : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QTestPrivate::qtestMouseButtons = Qt::NoButton;
        ASSERT_TRUE(art.isValid());
        Save(Filled({502, 328}, Backdrop), "SETTINGSBKGND");
        Save(BoxPicture(false), "CHECKBOX0");
        Save(BoxPicture(true), "CHECKBOX1");
        Save(Filled({17, 21}, ArrowFill), "ARROWUPDOWN");
        Save(Filled({17, 21}, ArrowFill), "ARROWDOWN");
        QImage legend = Filled({16, 154}, qRgb(0, 255, 255));
        for (int y = 1; y < 17; ++y)
            for (int x = 0; x < 16; ++x)
                legend.setPixel(x, y, LegendInk);
        Save(legend, "LEGEND");

        std::memset(&game, 0, sizeof game);
        game.Level = 1;
        game.SizeX = 16, game.SizeY = 16, game.MaxX = 15, game.MaxY = 15;
        game.Mines = 40;
        game.TimedGame = 1;
        game.StepDepth = 25;
        game.CheckingMode = 1;
        game.AdvancedMode = 1;
        game.DupCheck = 0;
        game.Active = 1;
        game.Live = 1;
        maxScale = 1;
        mainWindow.setGeometry(200, 100, 1000, 700);
    }

    void Save(const QImage &image, const char *name)
    {
        ASSERT_TRUE(image.save(art.filePath(QString::fromLatin1(name)), "PNG"));
    }

    QString Prefix() const { return art.path() + QLatin1Char('/'); }

    TfrmSettings &Open(bool engineLoaded = false)
    {
        if (!dialog)
            dialog = std::make_unique<TfrmSettings>(game, maxScale, &mainWindow, nullptr, Prefix());
        dialog->SetEngineLoaded(engineLoaded);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }

    // A press and release at a client position, routed like a real pointer.
    void Click(QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(dialog->windowHandle(), button, {}, pos);
    }

    Committed Commit(bool engineLoaded = true) const
    {
        Committed result{game, maxScale};
        dialog->CommitTo(result.game, result.maxScale, engineLoaded);
        return result;
    }

    TImage *Image(const char *name) const
    {
        return dialog->findChild<TImage *>(QString::fromLatin1(name));
    }

    // Whether the text image holds exactly this text at its designed place.
    ::testing::AssertionResult Shows(const char *image, const QString &text) const
    {
        const TImage *found = Image(image);
        if (found == nullptr) return ::testing::AssertionFailure() << image << " is missing";
        const int align = found->width() == 49 ? 2 : 0;
        if (SamePixels(found->Picture(), ExpectedTextImage(found->size(), align, text)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << image << " does not show \"" << text.toStdString() << "\"";
    }

    QRgb ScreenPixel(QPoint pos) const { return dialog->grab().toImage().pixel(pos); }
    // A box shows the on picture when its middle is inked.
    bool BoxOn(QPoint boxMiddle) const { return ScreenPixel(boxMiddle) == Navy; }

    QTemporaryDir art;
    TGameState game;
    int32_t maxScale = 1;
    QWidget mainWindow;
    std::unique_ptr<TfrmSettings> dialog;
};

using SettingsDialog = SettingsDialogBase;

TEST_F(SettingsDialog, Expert_ShowsItsFieldAndIgnoresTheArrowsUntilCustom)
{
    game.Level = 2;
    Open();
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("24")));
    EXPECT_TRUE(Shows("imgTxtY", QStringLiteral("20")));
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("100")));
    for (const QPoint arrow : {ArrowX, ArrowY, ArrowMines}) {
        Click(Up(arrow));
        Click(Down(arrow));
        Click(Down(arrow));
    }
    Committed now = Commit();
    EXPECT_EQ(now.game.SizeX, 24);
    EXPECT_EQ(now.game.SizeY, 20);
    EXPECT_EQ(now.game.Mines, 100);
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("24")));

    Click(LevelLabel(4));
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("24")));
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("100")));
    Click(Up(ArrowX));
    Click(Down(ArrowY));
    Click(Up(ArrowMines));
    now = Commit();
    EXPECT_EQ(now.game.Level, 4);
    EXPECT_EQ(now.game.SizeX, 25);
    EXPECT_EQ(now.game.SizeY, 19);
    EXPECT_EQ(now.game.MaxX, 24);
    EXPECT_EQ(now.game.MaxY, 18);
    EXPECT_EQ(now.game.Mines, 101);
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("25")));
    EXPECT_TRUE(Shows("imgTxtY", QStringLiteral("19")));
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("101")));
}

TEST_F(SettingsDialog, CustomWidthStepDown_LowersTheMaximumAndTheCountAndBackUpLeavesTheCount)
{
    game.Level = 4, game.SizeX = 32, game.SizeY = 25, game.Mines = 744;
    Open();
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("744")));
    Click(Down(ArrowX));
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("31")));
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("720")));
    EXPECT_EQ(Commit().game.Mines, 720);

    Click(Up(ArrowX));
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("32")));
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("720")));
    EXPECT_EQ(Commit().game.Mines, 720);
    // The maximum is back at 744.
    Click(Up(ArrowMines));
    EXPECT_EQ(Commit().game.Mines, 721);
}

TEST_F(SettingsDialog, CustomHeightStepDown_LowersTheMineCountToo)
{
    game.Level = 4, game.SizeX = 10, game.SizeY = 10, game.Mines = 81;
    Open();
    Click(Down(ArrowY));
    EXPECT_EQ(Commit().game.Mines, 72);
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("72")));
}

struct ArrowRowCase {
    int row;
    int32_t width;
};

void PrintTo(const ArrowRowCase &c, std::ostream *os)
{
    *os << "row " << c.row;
}

class SettingsDialogArrowRow : public SettingsDialogBase,
                               public ::testing::WithParamInterface<ArrowRowCase>
{
};

TEST_P(SettingsDialogArrowRow, PressAboveTheMiddleRowStepsUpAndBelowStepsDown)
{
    game.Level = 4;
    Open();
    Click(ArrowX + QPoint(8, GetParam().row));
    EXPECT_EQ(Commit().game.SizeX, GetParam().width);
    EXPECT_TRUE(Shows("imgTxtX", QString::number(GetParam().width)));
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsDialogArrowRow,
                         ::testing::Values(ArrowRowCase{0, 17}, ArrowRowCase{9, 17},
                                           ArrowRowCase{10, 16}, ArrowRowCase{11, 15},
                                           ArrowRowCase{20, 15}),
                         [](const ::testing::TestParamInfo<ArrowRowCase> &info) {
                             return "Row" + std::to_string(info.param.row);
                         });

TEST_F(SettingsDialog, RightButton_ChangesNothingAnywhere)
{
    game.Level = 4, game.ProbDisplay = 1;
    Open(true);
    const Committed before = Commit();
    for (const QPoint pos :
         {Up(ArrowX), Down(ArrowY), Up(ArrowMines), Up(ArrowStepDepth), ScaleArrow, ScaleText,
          CalcModeArrow, CalcModeText, DupCheckArrow, CombCheckText, LevelLabel(0), LevelBox(2),
          TimedLabel, TrainerBox, FairLabel, ProbLabel, ProbBox})
        Click(pos, Qt::RightButton);
    Click(Up(ArrowX), Qt::MiddleButton);
    const Committed after = Commit();
    EXPECT_EQ(std::memcmp(&after.game, &before.game, sizeof(TGameState)), 0);
    EXPECT_EQ(after.maxScale, before.maxScale);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialog, FieldLimits_HoldAtEveryEnd)
{
    game.Level = 4, game.SizeX = 8, game.SizeY = 8, game.Mines = 49;
    Open();
    Click(Up(ArrowMines));
    Click(Down(ArrowX));
    Click(Down(ArrowY));
    Committed now = Commit();
    EXPECT_EQ(now.game.Mines, 49);
    EXPECT_EQ(now.game.SizeX, 8);
    EXPECT_EQ(now.game.SizeY, 8);

    dialog->hide();
    game.SizeX = 32, game.SizeY = 25, game.Mines = 744;
    Open();
    Click(Up(ArrowMines));
    Click(Up(ArrowX));
    Click(Up(ArrowY));
    now = Commit();
    EXPECT_EQ(now.game.Mines, 744);
    EXPECT_EQ(now.game.SizeX, 32);
    EXPECT_EQ(now.game.SizeY, 25);

    dialog->hide();
    game.Mines = 0;
    Open();
    Click(Down(ArrowMines));
    EXPECT_EQ(Commit().game.Mines, 0);
}

TEST_F(SettingsDialog, Opening_ClampsStoredValuesOutsideTheirRanges)
{
    game.Level = 4, game.SizeX = 40, game.SizeY = 3, game.Mines = 5000, game.StepDepth = 50;
    Open();
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("32")));
    EXPECT_TRUE(Shows("imgTxtY", QStringLiteral("8")));
    EXPECT_TRUE(Shows("imgTxtMines", QStringLiteral("217")));
    EXPECT_TRUE(Shows("imgTxtStepDepth", QStringLiteral("30")));
    const Committed now = Commit();
    EXPECT_EQ(now.game.SizeX, 32);
    EXPECT_EQ(now.game.SizeY, 8);
    EXPECT_EQ(now.game.MaxY, 7);
    EXPECT_EQ(now.game.Mines, 217);
    EXPECT_EQ(now.game.StepDepth, 30);

    dialog->hide();
    game.StepDepth = 5, game.Mines = -4;
    Open();
    EXPECT_TRUE(Shows("imgTxtStepDepth", QStringLiteral("20")));
    EXPECT_EQ(Commit().game.StepDepth, 20);
    EXPECT_EQ(Commit().game.Mines, 0);
}

TEST_F(SettingsDialog, StepDepth_StaysWithinTwentyToThirty)
{
    game.ProbDisplay = 1, game.AdvancedMode = 1, game.StepDepth = 29;
    Open(true);
    Click(Up(ArrowStepDepth));
    Click(Up(ArrowStepDepth));
    EXPECT_EQ(Commit().game.StepDepth, 30);
    EXPECT_TRUE(Shows("imgTxtStepDepth", QStringLiteral("30")));
    for (int i = 0; i < 12; ++i)
        Click(Down(ArrowStepDepth));
    EXPECT_EQ(Commit().game.StepDepth, 20);
}

TEST_F(SettingsDialog, UnknownCheckingMode_ShowsEmptyIsKeptAndOneClickShowsMinimal)
{
    game.CheckingMode = 7, game.ProbDisplay = 1;
    Open(true);
    EXPECT_TRUE(Shows("imgTxtCombCheck", QString()));
    EXPECT_EQ(Commit().game.CheckingMode, 7);
    Click(CombCheckArrow);
    EXPECT_TRUE(Shows("imgTxtCombCheck", QStringLiteral("Minimal")));
    EXPECT_EQ(Commit().game.CheckingMode, 0);
}

TEST_F(SettingsDialog, UnknownSectorSizeLimit_ShowsEmptyIsKeptAndOneClickShows24Pixels)
{
    maxScale = -1;
    Open(); // the sector size list works without the engine
    EXPECT_TRUE(Shows("imgTxtScale", QString()));
    EXPECT_EQ(Commit().maxScale, -1);
    Click(ScaleText);
    EXPECT_TRUE(Shows("imgTxtScale", QStringLiteral("24 pixels")));
    EXPECT_EQ(Commit().maxScale, 0);

    dialog->hide();
    maxScale = INT_MAX;
    Open();
    Click(ScaleArrow);
    EXPECT_EQ(Commit().maxScale, 0);
}

TEST_F(SettingsDialog, WithoutEngine_ProbabilityDisplayAndEngineOptionsAreInert)
{
    game.ProbDisplay = 0, game.AdvancedMode = 1, game.CheckingMode = 1;
    Open(false);
    const Committed before = Commit(false);
    for (const QPoint pos : {ProbLabel, CalcModeArrow, CalcModeText, DupCheckArrow, DupCheckText,
                             CombCheckArrow, CombCheckText, Up(ArrowStepDepth)})
        Click(pos);
    EXPECT_EQ(Commit(true).game.ProbDisplay, 0);
    Click(ProbBox);
    EXPECT_EQ(Commit(true).game.ProbDisplay, 0);
    const Committed after = Commit(false);
    EXPECT_EQ(std::memcmp(&after.game, &before.game, sizeof(TGameState)), 0);
    EXPECT_EQ(after.game.ProbDisplay, 0);
    EXPECT_FALSE(BoxOn(ProbBox));
    EXPECT_TRUE(Shows("imgTxtCalcMode", QStringLiteral("Advanced")));
}

TEST_F(SettingsDialog, WithoutEngine_CommitsProbabilityDisplayOff)
{
    game.ProbDisplay = 1;
    Open(false);
    EXPECT_EQ(Commit(false).game.ProbDisplay, 0);
    EXPECT_EQ(Commit(true).game.ProbDisplay, 1);
}

TEST_F(SettingsDialog, Simple_KeepsStepDepthInertUntilProbabilityDisplayIsToggledTwice)
{
    game.ProbDisplay = 1, game.AdvancedMode = 0, game.StepDepth = 25;
    Open(true);
    Click(Up(ArrowStepDepth));
    EXPECT_EQ(Commit().game.StepDepth, 25);
    Click(CalcModeArrow);
    EXPECT_TRUE(Shows("imgTxtCalcMode", QStringLiteral("Advanced")));
    Click(Up(ArrowStepDepth));
    EXPECT_EQ(Commit().game.StepDepth, 25);

    Click(ProbLabel);
    EXPECT_FALSE(BoxOn(ProbBox));
    Click(Up(ArrowStepDepth));
    EXPECT_EQ(Commit().game.StepDepth, 25);
    Click(ProbBox);
    EXPECT_TRUE(BoxOn(ProbBox));
    Click(Up(ArrowStepDepth));
    const Committed now = Commit();
    EXPECT_EQ(now.game.StepDepth, 26);
    EXPECT_EQ(now.game.AdvancedMode, 1);
    EXPECT_EQ(now.game.ProbDisplay, 1);
}

TEST_F(SettingsDialog, SwitchingToSimple_LeavesStepDepthRespondingUntilTheNextToggle)
{
    game.ProbDisplay = 1, game.AdvancedMode = 1, game.StepDepth = 25;
    Open(true);
    Click(CalcModeText);
    EXPECT_TRUE(Shows("imgTxtCalcMode", QStringLiteral("Simple")));
    Click(Down(ArrowStepDepth));
    EXPECT_EQ(Commit().game.StepDepth, 24);
    Click(ProbLabel);
    Click(ProbLabel);
    Click(Down(ArrowStepDepth));
    const Committed now = Commit();
    EXPECT_EQ(now.game.StepDepth, 24);
    EXPECT_EQ(now.game.AdvancedMode, 0);
}

TEST_F(SettingsDialog, ProbabilityDisplayOff_MakesTheEngineListsInert)
{
    game.ProbDisplay = 1, game.DupCheck = 0;
    Open(true);
    Click(ProbBox);
    Click(DupCheckArrow);
    Click(CombCheckText);
    const Committed now = Commit();
    EXPECT_EQ(now.game.ProbDisplay, 0);
    EXPECT_EQ(now.game.DupCheck, 0);
    EXPECT_EQ(now.game.CheckingMode, 1);
}

struct ListCase {
    const char *image;
    QPoint arrow;
    QPoint text;
    std::vector<const char *> shown; // after each click, starting from index 0
};

void PrintTo(const ListCase &c, std::ostream *os)
{
    *os << c.image;
}

class SettingsDialogList : public SettingsDialogBase, public ::testing::WithParamInterface<ListCase>
{
};

TEST_P(SettingsDialogList, CyclesInItemOrderAndWrapsFromArrowAndText)
{
    const ListCase &c = GetParam();
    game.ProbDisplay = 1, game.AdvancedMode = 0, game.DupCheck = 0, game.CheckingMode = 0;
    maxScale = 0;
    Open(true);
    for (size_t i = 0; i < c.shown.size(); ++i) {
        Click(i % 2 == 0 ? c.arrow : c.text);
        EXPECT_TRUE(Shows(c.image, QString::fromLatin1(c.shown[i]))) << "click " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SettingsDialogList,
    ::testing::Values(
        ListCase{"imgTxtCalcMode", CalcModeArrow, CalcModeText, {"Advanced", "Simple", "Advanced"}},
        ListCase{"imgTxtDupCheck", DupCheckArrow, DupCheckText, {"Enabled", "Disabled"}},
        ListCase{"imgTxtCombCheck",
                 CombCheckArrow,
                 CombCheckText,
                 {"Optimal", "Maximal", "Minimal", "Optimal"}},
        ListCase{"imgTxtScale",
                 ScaleArrow,
                 ScaleText,
                 {"32 pixels", "48 pixels", "Unlimited", "24 pixels"}}),
    [](const ::testing::TestParamInfo<ListCase> &info) { return std::string(info.param.image); });

TEST_F(SettingsDialog, Lists_CommitTheirIndexes)
{
    game.ProbDisplay = 1, game.AdvancedMode = 0, game.DupCheck = 0, game.CheckingMode = 0;
    maxScale = 0;
    Open(true);
    Click(CalcModeArrow);
    Click(DupCheckText);
    Click(CombCheckArrow);
    Click(CombCheckArrow);
    Click(ScaleArrow);
    Click(ScaleArrow);
    Click(ScaleArrow);
    const Committed now = Commit();
    EXPECT_EQ(now.game.AdvancedMode, 1);
    EXPECT_EQ(now.game.DupCheck, 1);
    EXPECT_EQ(now.game.CheckingMode, 2);
    EXPECT_EQ(now.maxScale, 3);
}

TEST_F(SettingsDialog, NumberTexts_DoNotReactToClicks)
{
    game.Level = 4, game.ProbDisplay = 1, game.AdvancedMode = 1;
    Open(true);
    const Committed before = Commit();
    for (const QPoint pos : {TextX, TextY, TextMines, TextStepDepth})
        Click(pos);
    const Committed after = Commit();
    EXPECT_EQ(std::memcmp(&after.game, &before.game, sizeof(TGameState)), 0);
}

struct LevelCase {
    int level;
    int32_t sizeX, sizeY, mines;
};

void PrintTo(const LevelCase &c, std::ostream *os)
{
    *os << "level " << c.level;
}

class SettingsDialogLevel : public SettingsDialogBase,
                            public ::testing::WithParamInterface<LevelCase>
{
};

TEST_P(SettingsDialogLevel, LabelAndBoxBothChooseTheLevelAndItsField)
{
    const LevelCase &c = GetParam();
    game.Level = 4, game.SizeX = 12, game.SizeY = 9, game.Mines = 30;
    for (const bool viaBox : {false, true}) {
        Open();
        Click(viaBox ? LevelBox(c.level) : LevelLabel(c.level));
        const Committed now = Commit();
        EXPECT_EQ(now.game.Level, c.level) << viaBox;
        EXPECT_EQ(now.game.SizeX, c.sizeX) << viaBox;
        EXPECT_EQ(now.game.SizeY, c.sizeY) << viaBox;
        EXPECT_EQ(now.game.Mines, c.mines) << viaBox;
        for (int level = 0; level < 5; ++level)
            EXPECT_EQ(BoxOn(LevelBox(level)), level == c.level) << level;
        dialog->hide();
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, SettingsDialogLevel,
                         ::testing::Values(LevelCase{0, 10, 10, 10}, LevelCase{1, 16, 16, 40},
                                           LevelCase{2, 24, 20, 100}, LevelCase{3, 32, 25, 180},
                                           LevelCase{4, 12, 9, 30}),
                         [](const ::testing::TestParamInfo<LevelCase> &info) {
                             return "Level" + std::to_string(info.param.level);
                         });

TEST_F(SettingsDialog, CustomAfterAFixedLevel_StartsFromTheLevelLastShown)
{
    game.Level = 4, game.SizeX = 12, game.SizeY = 9, game.Mines = 30;
    Open();
    Click(LevelLabel(3));
    Click(LevelLabel(4));
    Click(Up(ArrowMines));
    const Committed now = Commit();
    EXPECT_EQ(now.game.SizeX, 32);
    EXPECT_EQ(now.game.SizeY, 25);
    EXPECT_EQ(now.game.Mines, 181);
}

struct OptionCase {
    const char *name;
    QPoint label;
    QPoint box;
    int32_t TGameState::*field;
};

void PrintTo(const OptionCase &c, std::ostream *os)
{
    *os << c.name;
}

class SettingsDialogOption : public SettingsDialogBase,
                             public ::testing::WithParamInterface<OptionCase>
{
};

TEST_P(SettingsDialogOption, LabelAndBoxEachToggleTheOption)
{
    const OptionCase &c = GetParam();
    game.*c.field = 0;
    Open(true);
    EXPECT_FALSE(BoxOn(c.box));
    Click(c.label);
    EXPECT_EQ(Commit().game.*c.field, 1);
    EXPECT_TRUE(BoxOn(c.box));
    Click(c.box);
    EXPECT_EQ(Commit().game.*c.field, 0);
    EXPECT_FALSE(BoxOn(c.box));
}

INSTANTIATE_TEST_SUITE_P(
    Options, SettingsDialogOption,
    ::testing::Values(OptionCase{"TimedGame", TimedLabel, TimedBox, &TGameState::TimedGame},
                      OptionCase{"TrainerMode", TrainerLabel, TrainerBox, &TGameState::TrainerMode},
                      OptionCase{"FairPlay", FairLabel, FairBox, &TGameState::FairPlay},
                      OptionCase{"ProbDisplay", ProbLabel, ProbBox, &TGameState::ProbDisplay}),
    [](const ::testing::TestParamInfo<OptionCase> &info) { return std::string(info.param.name); });

enum class CloseBy { Escape, Cancel, CloseBox };

std::string CloseByName(CloseBy way)
{
    switch (way) {
    case CloseBy::Escape:
        return "Escape";
    case CloseBy::Cancel:
        return "Cancel";
    case CloseBy::CloseBox:
        break;
    }
    return "CloseBox";
}

void PrintTo(CloseBy way, std::ostream *os)
{
    *os << CloseByName(way);
}

class SettingsDialogCancel : public SettingsDialogBase,
                             public ::testing::WithParamInterface<CloseBy>
{
};

TEST_P(SettingsDialogCancel, ClosesWithCancelAndLeavesRecordAndSizeLimitAlone)
{
    game.Level = 4;
    const TGameState before = game;
    Open(true);
    dialog->hide();
    QTimer::singleShot(0, dialog.get(), [this] {
        Click(TimedLabel);
        Click(Up(ArrowX));
        Click(ScaleArrow);
        switch (GetParam()) {
        case CloseBy::Escape:
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
            break;
        case CloseBy::Cancel:
            Click(CancelButton);
            break;
        case CloseBy::CloseBox:
            dialog->close();
            break;
        }
    });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_EQ(std::memcmp(&game, &before, sizeof(TGameState)), 0);
    EXPECT_EQ(maxScale, 1);

    // Nothing of the cancelled opening survives into the next.
    Open(true);
    const Committed now = Commit();
    EXPECT_EQ(now.game.TimedGame, 1);
    EXPECT_EQ(now.game.SizeX, 16);
    EXPECT_EQ(now.maxScale, 1);
}

INSTANTIATE_TEST_SUITE_P(Ways, SettingsDialogCancel,
                         ::testing::Values(CloseBy::Escape, CloseBy::Cancel, CloseBy::CloseBox),
                         [](const ::testing::TestParamInfo<CloseBy> &info) {
                             return CloseByName(info.param);
                         });

TEST_F(SettingsDialog, OK_ClosesWithOKAndAnUnchangedCopyCommitsTheSameSettings)
{
    game.Level = 4, game.SizeX = 20, game.SizeY = 12, game.MaxX = 19, game.MaxY = 11;
    game.Mines = 60, game.FairPlay = 1, game.TrainerMode = 1, game.ProbDisplay = 1;
    game.AdvancedMode = 1, game.DupCheck = 1, game.CheckingMode = 2, game.StepDepth = 27;
    maxScale = 3;
    Open(true);
    dialog->hide();
    QTimer::singleShot(0, dialog.get(), [this] {
        QTest::keyClick(dialog.get(), Qt::Key_Space); // no control framed yet: nothing
        EXPECT_TRUE(dialog->isVisible());
        Click(OKButton);
    });
    EXPECT_EQ(dialog->exec(), QDialog::Accepted);
    const Committed now = Commit();
    EXPECT_EQ(std::memcmp(&now.game, &game, sizeof(TGameState)), 0);
    EXPECT_EQ(now.maxScale, 3);
}

TEST_F(SettingsDialog, Keys_TabFramesTheControls_SpaceAndArrowsChangeThem_ReturnIsOK)
{
    game.TimedGame = 1;
    maxScale = 3;
    Open(true);
    dialog->hide();
    QImage untouched;
    QTimer::singleShot(0, dialog.get(), [this, &untouched] {
        untouched = dialog->grab().toImage();
        EXPECT_EQ(dialog->FocusedControl(), "");
        QTest::keyClick(dialog.get(), Qt::Key_Tab);
        EXPECT_EQ(dialog->FocusedControl(), "Beginner");
        const QImage framed = dialog->grab().toImage();
        EXPECT_NE(framed.pixel(LevelLabel(0) + QPoint(60, 0)),
                  untouched.pixel(LevelLabel(0) + QPoint(60, 0)));
        QTest::keyClick(dialog.get(), Qt::Key_Space); // the level
        QTest::keyClick(dialog.get(), Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(dialog->FocusedControl(), "Cancel"); // backwards, wrapping
        // The frame left the level row: the captions' pixels are as before.
        EXPECT_EQ(dialog->grab().toImage().copy(24, 26, 100, 24), untouched.copy(24, 26, 100, 24));
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(dialog.get(), Qt::Key_Tab);
        EXPECT_EQ(dialog->FocusedControl(), "Timed Game");
        QTest::keyClick(dialog.get(), Qt::Key_Space); // off
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(dialog.get(), Qt::Key_Tab);
        EXPECT_EQ(dialog->FocusedControl(), "Maximal Sector Size");
        QTest::keyClick(dialog.get(), Qt::Key_Down); // "Unlimited" cycles to "24 pixels"
        QTest::keyClick(dialog.get(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog->exec(), QDialog::Accepted);
    const Committed now = Commit();
    EXPECT_EQ(now.game.Level, 0);
    EXPECT_EQ(now.game.TimedGame, 0);
    EXPECT_EQ(now.maxScale, 0);

    // The next opening shows the record's settings again, and no frame until a Tab.
    Open(true);
    EXPECT_EQ(dialog->FocusedControl(), "");
    QTest::keyClick(dialog.get(), Qt::Key_Down);
    EXPECT_EQ(dialog->grab().toImage(), untouched);
}

TEST_F(SettingsDialog, Reading_NamesEveryControlWithItsRoleAndValue_AndFollowsTheFrame)
{
    InstallDialogAccessibility();
    game.CheckingMode = 2;
    Open(true);
    QAccessibleInterface *reading = QAccessible::queryAccessibleInterface(dialog.get());
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(reading->role(), QAccessible::Dialog);
    const struct {
        QAccessible::Role role;
        const char *name;
        int checked; // -1: not checkable
        bool enabled;
    } expected[] = {
        {QAccessible::RadioButton, "Beginner", 0, true},
        {QAccessible::RadioButton, "Intermediate", 1, true},
        {QAccessible::RadioButton, "Expert", 0, true},
        {QAccessible::RadioButton, "Ultra", 0, true},
        {QAccessible::RadioButton, "Custom", 0, true},
        {QAccessible::CheckBox, "Timed Game", 1, true},
        {QAccessible::CheckBox, "Trainer Mode", 0, true},
        {QAccessible::CheckBox, "Fair Play", 0, true},
        {QAccessible::CheckBox, "Probability Display", 0, true},
        {QAccessible::SpinBox, "Horizontal size: 16", -1, false},
        {QAccessible::SpinBox, "Vertical size: 16", -1, false},
        {QAccessible::SpinBox, "Mines to put: 40", -1, false},
        {QAccessible::ComboBox, "Maximal Sector Size: 32 pixels", -1, true},
        {QAccessible::ComboBox, "Calculation Mode: Advanced", -1, false},
        {QAccessible::SpinBox, "Step Depth: 25", -1, false},
        {QAccessible::ComboBox, "Duplicate Checking: Disabled", -1, false},
        {QAccessible::ComboBox, "Comb. Checking: Maximal", -1, false},
        {QAccessible::Button, "OK", -1, true},
        {QAccessible::Button, "Cancel", -1, true},
    };
    ASSERT_GE(reading->childCount(), int(std::size(expected)));
    for (int i = 0; i < int(std::size(expected)); ++i) {
        QAccessibleInterface *control = reading->child(i);
        ASSERT_NE(control, nullptr) << i;
        EXPECT_EQ(control->role(), expected[i].role) << expected[i].name;
        EXPECT_EQ(control->text(QAccessible::Name), expected[i].name);
        EXPECT_EQ(control->state().checkable, expected[i].checked >= 0) << expected[i].name;
        EXPECT_EQ(control->state().checked, expected[i].checked == 1) << expected[i].name;
        EXPECT_EQ(control->state().disabled, !expected[i].enabled) << expected[i].name;
        EXPECT_EQ(reading->indexOfChild(control), i);
        EXPECT_EQ(control->parent(), reading);
    }
    // The other parts each say something once: no caption the controls read already, no
    // unnamed filler.
    QStringList names;
    for (int i = 0; i < reading->childCount(); ++i)
        names << reading->child(i)->text(QAccessible::Name);
    for (int i = int(std::size(expected)); i < reading->childCount(); ++i) {
        const QString name = reading->child(i)->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << i;
        EXPECT_EQ(names.count(name), 1) << name.toStdString();
        for (const auto &control : expected)
            EXPECT_FALSE(QString(control.name).startsWith(name)) << name.toStdString();
        EXPECT_EQ(reading->indexOfChild(reading->child(i)), i);
    }

    // Actions do what the mouse does; the names follow the values.
    reading->child(8)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(reading->child(8)->state().checked);
    EXPECT_TRUE(BoxOn(ProbBox));
    EXPECT_FALSE(reading->child(13)->state().disabled);
    reading->child(14)->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(reading->child(14)->text(QAccessible::Name), "Step Depth: 26");
    EXPECT_EQ(reading->child(14)->text(QAccessible::Value), "26");
    reading->child(4)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(reading->child(9)->state().disabled);

    // The control under a point, and the focus with the frame.
    const QRect timed = reading->child(5)->rect();
    EXPECT_EQ(reading->childAt(timed.center().x(), timed.center().y()), reading->child(5));
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_EQ(reading->focusChild(), nullptr);
    QTest::keyClick(dialog.get(), Qt::Key_Tab);
    QTest::keyClick(dialog.get(), Qt::Key_Tab);
    EXPECT_EQ(reading->focusChild(), reading->child(1));
    EXPECT_TRUE(reading->child(1)->state().focused);
    EXPECT_FALSE(reading->child(0)->state().focused);
}

TEST_F(SettingsDialog, Commit_WritesOnlyTheSettingsOfTheRecord)
{
    Open(true);
    Click(LevelLabel(0));
    Committed now = Commit();
    EXPECT_EQ(now.game.Active, 1);
    EXPECT_EQ(now.game.Live, 1);
    EXPECT_EQ(now.game.MaxX, 9);
    EXPECT_EQ(now.game.MaxY, 9);
    now.game.Level = game.Level, now.game.SizeX = game.SizeX, now.game.SizeY = game.SizeY;
    now.game.MaxX = game.MaxX, now.game.MaxY = game.MaxY, now.game.Mines = game.Mines;
    EXPECT_EQ(std::memcmp(&now.game, &game, sizeof(TGameState)), 0);
}

TEST_F(SettingsDialog, Opening_PlacesTheDialogByTheHalvingRule)
{
    Open();
    const QRect frame = dialog->frameGeometry();
    EXPECT_EQ(frame.topLeft(), ModalDialogPosition(QRect(200, 100, 1000, 700), frame.size()));
    EXPECT_EQ(dialog->geometry().size(), QSize(502, 328));
    // The dialog's client area: 349, 236 when the frame is as thick as the main window's.
    EXPECT_EQ(ModalDialogPosition(QRect(200, 100, 1000, 700), QSize(502, 328)), QPoint(349, 236));
}

TEST_F(SettingsDialog, MissingBackground_LeavesAPlainCreamDialogWithEmptyBoxesThatStillWorks)
{
    QTemporaryDir empty;
    dialog = std::make_unique<TfrmSettings>(game, maxScale, &mainWindow, nullptr,
                                            empty.path() + QLatin1Char('/'));
    Open(true);
    EXPECT_EQ(ScreenPixel({200, 310}), Cream);
    EXPECT_EQ(ScreenPixel({100, 250}), Cream);
    for (const char *box : {"imgBeginner", "imgIntermediate", "imgExpert", "imgUltra", "imgCustom",
                            "imgTimed", "imgTrainer", "imgFair", "imgProb"})
        EXPECT_TRUE(Image(box)->Picture().isNull()) << box;
    Click(TimedLabel);
    Click(LevelBox(0));
    Click(ScaleArrow);
    const Committed now = Commit();
    EXPECT_EQ(now.game.TimedGame, 0);
    EXPECT_EQ(now.game.SizeX, 10);
    EXPECT_EQ(now.maxScale, 2);
    EXPECT_TRUE(Shows("imgTxtX", QStringLiteral("10")));
}

TEST_F(SettingsDialog, MissingOnBox_StopsLoadingThereAndLeavesTheOffBox)
{
    QFile::remove(art.filePath(QStringLiteral("CHECKBOX1")));
    game.TimedGame = 1, game.FairPlay = 0;
    Open();
    EXPECT_TRUE(Image("imgTimed")->Picture().isNull());
    EXPECT_FALSE(Image("imgFair")->Picture().isNull());
    EXPECT_EQ(ScreenPixel({100, 250}), Backdrop);
}

TEST_F(SettingsDialog, Drawing_ShowsBackgroundArrowsLegendAndButtons)
{
    Open();
    EXPECT_EQ(ScreenPixel({100, 250}), Backdrop);
    // Box pictures are keyed: the background shows around and inside the off box.
    EXPECT_EQ(ScreenPixel({8 + 15, 32 + 15}), Backdrop);
    EXPECT_EQ(ScreenPixel({8, 32}), Navy);
    for (const QPoint arrow : {ArrowX, ArrowY, ArrowMines, ArrowStepDepth, QPoint(248, 192),
                               QPoint(248, 248), QPoint(248, 272), QPoint(472, 272)}) {
        EXPECT_EQ(ScreenPixel(arrow + QPoint(8, 10)), ArrowFill) << arrow.x() << "," << arrow.y();
        EXPECT_EQ(ScreenPixel(arrow + QPoint(16, 20)), ArrowFill) << arrow.x() << "," << arrow.y();
    }
    EXPECT_EQ(ScreenPixel({280, 32}), Backdrop);  // the legend's key row
    EXPECT_EQ(ScreenPixel({280, 33}), LegendInk); // its first sample
    EXPECT_EQ(ScreenPixel({295, 48}), LegendInk);
    for (const QPoint button : {QPoint(296, 300), QPoint(400, 300)}) {
        EXPECT_EQ(ScreenPixel(button + QPoint(1, 1)), Navy);
        EXPECT_EQ(ScreenPixel(button + QPoint(96, 24)), Navy);
        EXPECT_EQ(ScreenPixel(button + QPoint(2, 2)), Cream);
    }
}

TEST_F(SettingsDialog, Layout_PutsEveryControlAtItsPlace)
{
    Open();
    const struct {
        const char *name;
        QRect place;
    } images[] = {{"imgBeginner", {8, 32, 16, 16}},         {"imgCustom", {8, 96, 16, 16}},
                  {"imgTxtX", {200, 32, 49, 21}},           {"imgX", {248, 32, 17, 21}},
                  {"imgTxtY", {200, 56, 49, 21}},           {"imgY", {248, 56, 17, 21}},
                  {"imgTxtMines", {200, 80, 49, 21}},       {"imgMines", {248, 80, 17, 21}},
                  {"imgTimed", {8, 152, 16, 16}},           {"imgTrainer", {8, 168, 16, 16}},
                  {"imgFair", {144, 152, 16, 16}},          {"imgProb", {144, 168, 16, 16}},
                  {"imgTxtScale", {144, 192, 105, 21}},     {"imgScale", {248, 192, 17, 21}},
                  {"imgTxtCalcMode", {144, 248, 105, 21}},  {"imgCalcMode", {248, 248, 17, 21}},
                  {"imgTxtDupCheck", {144, 272, 105, 21}},  {"imgDupCheck", {248, 272, 17, 21}},
                  {"imgTxtStepDepth", {368, 248, 105, 21}}, {"imgStepDepth", {472, 248, 17, 21}},
                  {"imgTxtCombCheck", {368, 272, 105, 21}}, {"imgCombCheck", {472, 272, 17, 21}},
                  {"imgLegend", {280, 32, 17, 155}},        {"imgOK", {296, 300, 97, 25}},
                  {"imgCancel", {400, 300, 97, 25}}};
    for (const auto &e : images) {
        const TImage *image = Image(e.name);
        ASSERT_NE(image, nullptr) << e.name;
        EXPECT_EQ(image->geometry(), e.place) << e.name;
    }
    const struct {
        const char *name;
        QPoint pos;
        const char *text;
        bool bold;
    } labels[] = {{"lblLevel", {8, 8}, "Level", true},
                  {"lblField", {120, 8}, "Field Parameters", true},
                  {"lblLegend", {280, 8}, "Legend", true},
                  {"lblSettings", {8, 128}, "Game Settings", true},
                  {"lblPESettings", {8, 224}, "Probability Engine Settings", true},
                  {"lblBeginner", {24, 32}, "Beginner", false},
                  {"lblUltra", {24, 80}, "Ultra", false},
                  {"lblHSize", {120, 32}, "Horizontal size", false},
                  {"lblVSize", {120, 56}, "Vertical size", false},
                  {"lblMines", {120, 80}, "Mines to put", false},
                  {"lblTimed", {24, 152}, "Timed Game", false},
                  {"lblTrainer", {24, 168}, "Trainer Mode", false},
                  {"lblFair", {160, 152}, "Fair Play", false},
                  {"lblProb", {160, 168}, "Probability Display", false},
                  {"lblMaxSS", {8, 192}, "Maximal Sector Size", false},
                  {"lblCM", {8, 248}, "Calculation Mode", false},
                  {"lblDC", {8, 272}, "Duplicate Checking", false},
                  {"lblSD", {280, 248}, "Step Depth", false},
                  {"lblCC", {280, 272}, "Comb. Checking", false},
                  {"lblLegend0", {304, 32}, "Closed sector", false},
                  {"lblLegend8", {304, 172}, "Non-marked mine (game over)", false}};
    for (const auto &e : labels) {
        const auto *label = dialog->findChild<QLabel *>(QString::fromLatin1(e.name));
        ASSERT_NE(label, nullptr) << e.name;
        EXPECT_EQ(label->pos(), e.pos) << e.name;
        EXPECT_EQ(label->text(), QString::fromLatin1(e.text)) << e.name;
        EXPECT_EQ(label->font().bold(), e.bold) << e.name;
    }
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Settings"));
}

TEST_F(SettingsDialog, EngineNotLoadedLater_MakesProbabilityDisplayInertAgain)
{
    game.ProbDisplay = 0;
    Open(true);
    Click(ProbLabel);
    EXPECT_EQ(Commit().game.ProbDisplay, 1);
    dialog->hide();
    Open(false);
    Click(ProbLabel);
    EXPECT_EQ(Commit().game.ProbDisplay, 0);
}

TEST_F(SettingsDialog, Labels_EndBeforeTheControlsBesideThem)
{
    Open();
    const struct {
        const char *name;
        int limit; // the first column of whatever stands to the right
    } labels[] = {{"lblIntermediate", 112}, {"lblHSize", 200},   {"lblVSize", 200},
                  {"lblMines", 200},        {"lblMaxSS", 144},   {"lblCM", 144},
                  {"lblDC", 144},           {"lblSD", 368},      {"lblCC", 368},
                  {"lblProb", 272},         {"lblTrainer", 144}, {"lblTimed", 144},
                  {"lblLegend1", 496},      {"lblLegend7", 496}, {"lblPESettings", 496}};
    for (const auto &e : labels) {
        const auto *label = dialog->findChild<QLabel *>(QString::fromLatin1(e.name));
        ASSERT_NE(label, nullptr) << e.name;
        const QFontMetrics metrics(label->font());
        EXPECT_LE(label->x() + metrics.horizontalAdvance(label->text()), e.limit) << e.name;
        EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text())) << e.name;
    }
}

TEST_F(SettingsDialog, DefaultPrefix_DrawsTheProgramsOwnPictures)
{
    const QImage background(QStringLiteral(":/SETTINGSBKGND"));
    ASSERT_EQ(background.size(), QSize(502, 328));
    dialog = std::make_unique<TfrmSettings>(game, maxScale, &mainWindow);
    Open();
    EXPECT_EQ(ScreenPixel({100, 250}), background.pixel(100, 250));
    EXPECT_EQ(ScreenPixel({420, 200}), background.pixel(420, 200));
    EXPECT_FALSE(Image("imgTimed")->Picture().isNull());
    EXPECT_FALSE(Image("imgX")->Picture().isNull());
    EXPECT_FALSE(Image("imgLegend")->Picture().isNull());
}

} // namespace
