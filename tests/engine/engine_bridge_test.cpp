#include "main_window_fixture.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include <dlfcn.h>
#include <functional>
#include <map>

namespace {

std::function<void(int)> OnCheckpoint;
void CheckpointTrampoline(int step)
{
    if (OnCheckpoint)
        OnCheckpoint(step);
}

class EngineRun : public MainWindowTest {
protected:
    void *Handle = nullptr;

    void OpenWithEngine(const char *path, int32_t combinations = 0, float probability = 0.25f)
    {
        // The same library the window loads: dlopen hands back the same instance.
        Handle = dlopen(path, RTLD_NOW);
        ASSERT_NE(Handle, nullptr);
        auto setCheckpoint = reinterpret_cast<void (*)(void (*)(int))>(
            dlsym(Handle, "TestEngineSetCheckpoint"));
        auto setResult =
            reinterpret_cast<void (*)(int32_t, float)>(dlsym(Handle, "TestEngineSetResult"));
        ASSERT_NE(setCheckpoint, nullptr);
        setCheckpoint(CheckpointTrampoline);
        setResult(combinations, probability);
        Open(path);
        ASSERT_TRUE(Errors.isEmpty());
        ASSERT_TRUE(Window->EngineLoaded());
        Game().ProbDisplay = 1;
        Window->MaxScale = 0;
        Window->ChooseLevel(0);
        Click(Qt::LeftButton, 0, 0);
    }

    void TearDown() override
    {
        OnCheckpoint = nullptr;
        Window.reset();
        if (Handle != nullptr)
            dlclose(Handle);
    }

    // A closed sector the engine can be asked about.
    void ClosedSector(int32_t &c, int32_t &r) { ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r)); }

    QString Label(QLabel *label) { return label->text(); }
    int BarNavyColumns()
    {
        int n = 0;
        for (int x = 0; x < 169; ++x)
            n += Window->bmpBar.pixel(x, 8) == qRgb(0, 0, 128);
        return n;
    }
};

TEST_F(EngineRun, ScriptedEngine_EverySinkEntryReachesThePanelAndTheBoard)
{
    OpenWithEngine(TEST_ENGINE_SCRIPTED);
    int32_t c, r;
    ClosedSector(c, r);
    StatsPanel &panel = *Window->Stats;
    const QPoint centre = At(c, r) + QPoint(-6, -6);
    std::map<int, bool> seen;

    OnCheckpoint = [&](int step) {
        seen[step] = true;
        EXPECT_EQ(Game().EngineBusy, 1);
        switch (step) {
        case 0:
            EXPECT_EQ(Label(panel.lblStatus), "Idle");
            EXPECT_EQ(Label(panel.lblCell), QString("(%1, %2)").arg(c).arg(r));
            EXPECT_FALSE(panel.lblTimer->isVisibleTo(Window.get()));
            break;
        case 1:
            EXPECT_EQ(Label(panel.lblAdjClosed), "5");
            EXPECT_EQ(Label(panel.lblNumbers), "4");
            EXPECT_EQ(Label(panel.lblPartial), "3");
            break;
        case 2:
            // Drawn into the board image, not yet on screen.
            EXPECT_EQ(Window->Board.bmpField.pixel(centre), qRgb(255, 255, 128));
            EXPECT_NE(Window->pbImage->Shown().pixel(centre), qRgb(255, 255, 128));
            break;
        case 3:
            EXPECT_NE(Window->Board.bmpField.pixel(centre), qRgb(255, 255, 128));
            EXPECT_EQ(Window->Board.FontSize(), Window->Board.Geometry.SmallFontSize);
            break;
        case 4:
            EXPECT_EQ(Window->pbImage->Shown(), Window->Board.bmpField); // presented first
            EXPECT_EQ(Label(panel.lblAdjClosed), "5 (3)");
            break;
        case 5:
            EXPECT_EQ(Label(panel.lblAdjClosed), "5 (3) (2)");
            EXPECT_EQ(Label(panel.lblNumbers), "4 (2) (2)");
            EXPECT_EQ(Label(panel.lblPartial), "3 (1) (2)");
            break;
        case 6:
            EXPECT_EQ(Label(panel.lblTotal), "0");
            EXPECT_EQ(Label(panel.lblItems), "0 of 0");
            EXPECT_EQ(Label(panel.lblSuccessful), "0 (0)");
            break;
        case 7:
            EXPECT_EQ(Label(panel.lblTotal), "1000");
            EXPECT_EQ(BarNavyColumns(), 2);
            break;
        case 8:
            EXPECT_EQ(Label(panel.lblItems), "1 of 2");
            EXPECT_EQ(Label(panel.lblSuccessful), "3 (4)");
            EXPECT_EQ(Label(panel.lblCChecked), "500");
            EXPECT_EQ(BarNavyColumns(), 85);
            break;
        case 9:
            EXPECT_EQ(BarNavyColumns(), 169);
            break;
        case 11:
            EXPECT_EQ(Label(panel.lblStatus), "Error");
            break;
        case 12:
            EXPECT_EQ(Label(panel.lblStatus), "Finished");
            EXPECT_EQ(Game().RecalcNeeded, 0);
            Now += 250; // the run takes a quarter of a second
            break;
        }
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_EQ(seen.size(), 13u);
    EXPECT_EQ(Game().EngineBusy, 0);
    EXPECT_EQ(Label(panel.lblRecalc), "False");
    EXPECT_EQ(Label(panel.lblProb), "0.2500");
    EXPECT_EQ(Label(panel.lblTimer), "Completed in 0.250 seconds");
    EXPECT_TRUE(panel.lblTimer->isVisibleTo(Window.get()));
    EXPECT_FALSE(panel.lblRate->isVisibleTo(Window.get())); // no combinations counted
    EXPECT_EQ(BarNavyColumns(), 2);
    EXPECT_EQ(Window->Board.FontSize(), Window->Board.Geometry.LargeFontSize);
}

TEST_F(EngineRun, Rate_IsShownOnlyForCountedRunsLongerThanTenMilliseconds)
{
    OpenWithEngine(TEST_ENGINE_SCRIPTED, 1234567);
    int32_t c, r;
    ClosedSector(c, r);
    OnCheckpoint = [&](int step) {
        if (step == 12)
            Now += 10; // 0.01 seconds: too short for a rate
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_FALSE(Window->Stats->lblRate->isVisibleTo(Window.get()));
    EXPECT_EQ(Window->Stats->lblTimer->text(), "Completed in 0.010 seconds");

    OnCheckpoint = [&](int step) {
        if (step == 12)
            Now += 500;
    };
    Click(Qt::MiddleButton, c, r);
    ASSERT_TRUE(Window->Stats->lblRate->isVisibleTo(Window.get()));
    // The player's thousands separators: a point in Germany, a narrow no-break space in France.
    QString expected = QLocale::system().toString(qlonglong(2469134));
    const QByteArray testLocale = qgetenv("KELVANE_TEST_LOCALE");
    if (testLocale.startsWith("de_")) expected = "2.469.134";
    if (testLocale.startsWith("fr_")) expected = QString::fromUtf8("2\u202f469\u202f134");
    EXPECT_EQ(Window->Stats->lblRate->text(), "Rate: " + expected + " combinations/s");
    EXPECT_EQ(Window->Stats->lblTimer->text(), "Completed in 0.500 seconds");
}

TEST_F(EngineRun, NegativeProbability_ShowsNotAvailable)
{
    OpenWithEngine(TEST_ENGINE_SCRIPTED, 0, -1.0f);
    int32_t c, r;
    ClosedSector(c, r);
    Click(Qt::MiddleButton, c, r);
    EXPECT_EQ(Window->Stats->lblProb->text(), "N/A");
}

TEST_F(EngineRun, RightDoubleClick_OnAClosedSector_RunsTheEngineAfterTheMarkerPair)
{
    OpenWithEngine(TEST_ENGINE_SCRIPTED);
    int32_t c, r;
    ClosedSector(c, r);
    int runs = 0;
    OnCheckpoint = [&](int step) { runs += step == 0; };
    Click(Qt::RightButton, c, r); // first press of the pair: a marker
    EXPECT_EQ(State(c, r), SECTOR_MARKED);
    DoubleClick(Qt::RightButton, c, r); // second: the marker goes, then the engine runs
    EXPECT_EQ(State(c, r), SECTOR_CLOSED);
    EXPECT_EQ(runs, 1);
}

TEST_F(EngineRun, Escape_HaltsARun_AndRecalculationIsStillNeeded)
{
    OpenWithEngine(TEST_ENGINE_HALTING);
    int32_t c, r;
    ClosedSector(c, r);
    OnCheckpoint = [&](int step) {
        if (step == 3)
            QTest::keyClick(Window.get(), Qt::Key_Escape);
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_EQ(Window->Stats->lblStatus->text(), "Halted");
    EXPECT_EQ(Window->Stats->lblRecalc->text(), "True");
    EXPECT_EQ(Game().RecalcNeeded, 1);
    EXPECT_EQ(Game().HaltRequest, 0);
    EXPECT_EQ(Game().EngineBusy, 0);

    // Outside a run Escape does nothing.
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_EQ(Game().HaltRequest, 0);
}

TEST_F(EngineRun, DuringARun_EveryChangeToTheGameIsRefused)
{
    OpenWithEngine(TEST_ENGINE_HALTING);
    int32_t c, r;
    ClosedSector(c, r);
    int32_t oc, orow;
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, oc, orow));
    const TGameState before = Game();
    OnCheckpoint = [&](int step) {
        if (step != 2)
            return;
        Click(Qt::LeftButton, oc, orow);
        Click(Qt::RightButton, oc, orow);
        Window->NewGame();
        Window->ChooseLevel(3);
        Window->lblSettingsClick(); // would block in a modal dialog if it opened
        QTest::mouseClick(Window->Stats->lblMode, Qt::LeftButton);
        QTest::mouseClick(Window->Stats->lblDupCheck, Qt::LeftButton);
        EXPECT_EQ(Game().Level, before.Level);
        EXPECT_EQ(Game().AdvancedMode, before.AdvancedMode);
        EXPECT_EQ(Game().DupCheck, before.DupCheck);
        EXPECT_EQ(State(oc, orow), SECTOR_CLOSED);
        EXPECT_EQ(Game().Active, 1);
        // Keys too, to the window and to a focused label: only Esc acts.
        struct Press {
            QWidget *To;
            Qt::Key Key;
            Qt::KeyboardModifiers Modifiers;
        };
        const Press presses[] = {
            {Window.get(), Qt::Key_Down, Qt::NoModifier},
            {Window.get(), Qt::Key_Space, Qt::NoModifier},
            {Window.get(), Qt::Key_F, Qt::NoModifier},
            {Window.get(), Qt::Key_D, Qt::NoModifier},
            {Window.get(), Qt::Key_F2, Qt::NoModifier},
            {Window.get(), Qt::Key_Tab, Qt::NoModifier},
            {Window.get(), Qt::Key_Q, Qt::ControlModifier},
            {Window->lblNewGame, Qt::Key_Space, Qt::NoModifier},
            {Window->lblSettings, Qt::Key_Return, Qt::NoModifier},
            {Window->Stats->lblMode, Qt::Key_Space, Qt::NoModifier},
            {Window->lblLevel, Qt::Key_Tab, Qt::NoModifier},
        };
        QWidget *focus = QApplication::focusWidget();
        for (const Press &press : presses) {
            QTest::keyClick(press.To, press.Key, press.Modifiers);
            EXPECT_EQ(Game().HaltRequest, 0) << press.Key;
        }
        EXPECT_FALSE(Window->CursorShown);
        EXPECT_EQ(QApplication::focusWidget(), focus);
        EXPECT_TRUE(Window->isVisible());
        EXPECT_FALSE(Window->PopupMenu1->isVisible());
        EXPECT_EQ(Game().AdvancedMode, before.AdvancedMode);
        EXPECT_EQ(Game().Active, 1);
        EXPECT_EQ(Game().MinesLeft, before.MinesLeft);
        QTest::keyClick(Window->lblHelp, Qt::Key_Escape); // from a label, on to the window
        EXPECT_EQ(Game().HaltRequest, 1);
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_EQ(Game().Live, 1);
    EXPECT_EQ(Game().Level, 0);
    EXPECT_EQ(Window->Stats->lblStatus->text(), "Halted");
}

TEST_F(EngineRun, ClosingDuringARun_HaltsIt_ThenClosesAndSaves)
{
    OpenWithEngine(TEST_ENGINE_HALTING);
    int32_t c, r;
    ClosedSector(c, r);
    bool closedDuringRun = true;
    OnCheckpoint = [&](int step) {
        if (step == 2)
            closedDuringRun = Window->close();
        // The record and the library are still there while the engine runs.
        EXPECT_EQ(Game().EngineBusy, 1);
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_FALSE(closedDuringRun);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(Window->Stats->lblStatus->text(), "Halted");
    EXPECT_TRUE(QFile::exists(Folder.filePath("kelvane.ini")));
}

} // namespace
