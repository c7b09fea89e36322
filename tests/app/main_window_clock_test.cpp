#include "main_window_fixture.h"

namespace
{

class Clock : public MainWindowTest
{
  protected:
    void StartTimedGame()
    {
        OpenOnLevel(0);
        Game().TimedGame = 1;
        Click(Qt::LeftButton, 0, 0);
        // The offscreen platform's own activation events must not pause this game.
        Window->ApplicationEvents1Activate();
    }
};

TEST_F(Clock, Ticks_AddTheRealIntervalBetweenReadings)
{
    StartTimedGame();
    EXPECT_TRUE(Window->TimerCtl.isActive());
    EXPECT_FLOAT_EQ(Window->ElapsedTime, 0.0f);
    Now += 100;
    Window->TimerCtlTimer();
    Now += 350; // a late tick adds the whole interval
    Window->TimerCtlTimer();
    EXPECT_NEAR(Window->ElapsedTime, 0.45f, 1e-6);
}

TEST_F(Clock, ClockWrapping_StillAddsTheUnsignedDifference)
{
    Now = 0xFFFFFF00u;
    StartTimedGame();
    Now += 0x200; // wraps past zero
    Window->TimerCtlTimer();
    EXPECT_NEAR(Window->ElapsedTime, 0.512f, 1e-6);
}

TEST_F(Clock, Untimed_NeverStarts)
{
    OpenOnLevel(0);
    Game().TimedGame = 0;
    Click(Qt::LeftButton, 0, 0);
    EXPECT_FALSE(Window->TimerCtl.isActive());
}

TEST_F(Clock, Minimised_Pauses_AndRestoringResumesWithoutCountingThePause)
{
    StartTimedGame();
    Now += 1000;
    Window->TimerCtlTimer();
    Window->ApplicationEvents1Minimize();
    EXPECT_FALSE(Window->TimerCtl.isActive());
    Now += 60000; // a minute away
    Window->ApplicationEvents1Restore();
    EXPECT_TRUE(Window->TimerCtl.isActive());
    Now += 500;
    Window->TimerCtlTimer();
    EXPECT_NEAR(Window->ElapsedTime, 1.5f, 1e-6);
}

TEST_F(Clock, MinimisedAndInactive_ResumesOnlyOnTheLaterOfRestoreAndActivate)
{
    StartTimedGame();
    Window->ApplicationEvents1Minimize();
    Window->ApplicationEvents1Deactivate();
    Window->ApplicationEvents1Restore();
    EXPECT_FALSE(Window->TimerCtl.isActive());
    Window->ApplicationEvents1Activate();
    EXPECT_TRUE(Window->TimerCtl.isActive());

    Window->ApplicationEvents1Deactivate();
    Window->ApplicationEvents1Minimize();
    Window->ApplicationEvents1Activate();
    EXPECT_FALSE(Window->TimerCtl.isActive());
    Window->ApplicationEvents1Restore();
    EXPECT_TRUE(Window->TimerCtl.isActive());
}

TEST_F(Clock, StopsAtTheEndOfTheGame_WithTheTimeOfTheLastTick)
{
    StartTimedGame();
    Now += 2000;
    Window->TimerCtlTimer();
    Now += 90; // not yet ticked when the game ends
    QTimer::singleShot(0, [this] { Window->frmBest->accept(); });
    OpenAllSafe();
    EXPECT_FALSE(Window->TimerCtl.isActive());
    EXPECT_EQ(Window->sbStatus->text(), LocaleTime("Finished in 2.0 seconds"));
    // A pause after the end does not start it again.
    Window->ApplicationEvents1Minimize();
    Window->ApplicationEvents1Restore();
    EXPECT_FALSE(Window->TimerCtl.isActive());
}

} // namespace
