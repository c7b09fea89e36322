// The engine in the window: the press that asks for a run, the guards that hold while it
// runs, and a close asked for meanwhile.
#include "engine_load_cases.h"
#include "main_window_fixture.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include <dlfcn.h>
#include <functional>

namespace
{

std::function<void(int)> OnCheckpoint;
void CheckpointTrampoline(int step)
{
    if (OnCheckpoint) OnCheckpoint(step);
}

class EngineRun : public MainWindowTest
{
  protected:
    void *Handle = nullptr;

    void OpenWithEngine(const char *path)
    {
        // The same library the window loads: dlopen hands back the same instance.
        Handle = dlopen(path, RTLD_NOW);
        ASSERT_NE(Handle, nullptr);
        auto setCheckpoint =
            reinterpret_cast<void (*)(void (*)(int))>(dlsym(Handle, "TestEngineSetCheckpoint"));
        ASSERT_NE(setCheckpoint, nullptr);
        setCheckpoint(CheckpointTrampoline);
        Open(path);
        ASSERT_TRUE(Errors.isEmpty());
        ASSERT_TRUE(Window->EngineLoaded());
        Game().ProbDisplay = 1;
        Window->MaxScale = 0;
        Window->ChooseLevel(0);
        // A fixed layout that leaves several safe sectors closed: a win here would open the
        // best-times window, which waits for a player.
        Window->Rng.Seed(1);
        Click(Qt::LeftButton, 0, 0);
        int safeClosed = 0;
        for (int32_t x = 0; x < Game().SizeX; ++x)
            for (int32_t y = 0; y < Game().SizeY; ++y)
                safeClosed += State(x, y) == SECTOR_CLOSED && !Mined(x, y);
        ASSERT_GE(safeClosed, 2);
    }

    void TearDown() override
    {
        OnCheckpoint = nullptr;
        Window.reset();
        if (Handle != nullptr) dlclose(Handle);
    }

    // A closed sector the engine can be asked about.
    void ClosedSector(int32_t &c, int32_t &r) { ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r)); }
};

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

TEST_F(EngineRun, DuringARun_EveryChangeToTheGameIsRefused)
{
    OpenWithEngine(TEST_ENGINE_HALTING);
    int32_t c, r;
    ClosedSector(c, r);
    int32_t oc, orow;
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, oc, orow));
    const TGameState before = Game();
    OnCheckpoint = [&](int step) {
        if (step != 2) return;
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
        if (step == 2) closedDuringRun = Window->close();
        // The record and the library are still there while the engine runs.
        EXPECT_EQ(Game().EngineBusy, 1);
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_FALSE(closedDuringRun);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(Window->Stats->lblStatus->text(), "Halted");
    EXPECT_TRUE(QFile::exists(Folder.filePath("kelvane.ini")));
}

TEST_F(MainWindowTest, EveryLoadFailure_IsReported_AndTheGamePlaysWithoutProbabilities)
{
    for (const LoadCase &load : LoadCases) {
        Errors.clear();
        Open(load.Path);
        ASSERT_EQ(Errors.size(), 1) << load.Path;
        EXPECT_EQ(Errors[0], load.Message);
        EXPECT_EQ(Game().ProbDisplay, 0);
        Window->MaxScale = 0;
        Window->ChooseLevel(0);
        Click(Qt::LeftButton, 3, 3);
        EXPECT_EQ(Game().Active, 1);
        int32_t c, r;
        ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r));
        Click(Qt::MiddleButton, c, r); // no engine: no calculation
        EXPECT_EQ(Window->Stats->lblStatus->text(), "Idle");
        Window.reset();
    }
}

} // namespace
