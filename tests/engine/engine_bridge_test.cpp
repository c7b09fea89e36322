#include "main_window_fixture.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include <cmath>
#include <dlfcn.h>
#include <functional>
#include <limits>
#include <map>

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

    void OpenWithEngine(const char *path, int32_t combinations = 0, float probability = 0.25f,
                        int32_t fault = 0)
    {
        // The same library the window loads: dlopen hands back the same instance.
        Handle = dlopen(path, RTLD_NOW);
        ASSERT_NE(Handle, nullptr);
        auto setCheckpoint =
            reinterpret_cast<void (*)(void (*)(int))>(dlsym(Handle, "TestEngineSetCheckpoint"));
        auto setResult =
            reinterpret_cast<void (*)(int32_t, float)>(dlsym(Handle, "TestEngineSetResult"));
        ASSERT_NE(setCheckpoint, nullptr);
        setCheckpoint(CheckpointTrampoline);
        setResult(combinations, probability);
        if (auto setFault =
                reinterpret_cast<void (*)(int32_t)>(dlsym(Handle, "TestEngineSetFault")))
            setFault(fault);
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
        ASSERT_GE(SafeClosedSectors(), 2);
    }

    int SafeClosedSectors()
    {
        int n = 0;
        for (int32_t x = 0; x < Game().SizeX; ++x)
            for (int32_t y = 0; y < Game().SizeY; ++y)
                n += State(x, y) == SECTOR_CLOSED && !Mined(x, y);
        return n;
    }

    void TearDown() override
    {
        OnCheckpoint = nullptr;
        Window.reset();
        if (Handle != nullptr) dlclose(Handle);
    }

    // A closed sector the engine can be asked about.
    void ClosedSector(int32_t &c, int32_t &r) { ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r)); }

    QString Label(QLabel *label) { return label->text(); }

    // Every probability the field holds is in [0, 1] or "not available".
    void ExpectProbabilitiesInRange()
    {
        for (int32_t x = 0; x < Game().SizeX; ++x)
            for (int32_t y = 0; y < Game().SizeY; ++y) {
                const float p = Game().Prob[KELVANE_SECTOR_INDEX(x, y)];
                EXPECT_TRUE(std::signbit(p) || (p >= 0.0f && p <= 1.0f))
                    << "(" << x << ", " << y << "): " << p;
            }
        const QString shown = Window->Stats->lblProb->text();
        bool number = false;
        const double value = shown.toDouble(&number);
        EXPECT_TRUE(shown == "N/A" || (number && value >= 0.0 && value <= 1.0))
            << shown.toStdString();
    }

    // The game goes on: a safe sector opens.
    void ExpectPlayable()
    {
        EXPECT_EQ(Game().EngineBusy, 0);
        int32_t c, r;
        ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r));
        Click(Qt::LeftButton, c, r);
        EXPECT_EQ(State(c, r), SECTOR_OPEN);
        EXPECT_EQ(Game().Live, 1);
    }
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
        if (step == 12) Now += 10; // 0.01 seconds: too short for a rate
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_FALSE(Window->Stats->lblRate->isVisibleTo(Window.get()));
    EXPECT_EQ(Window->Stats->lblTimer->text(), "Completed in 0.010 seconds");

    OnCheckpoint = [&](int step) {
        if (step == 12) Now += 500;
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
        if (step == 3) QTest::keyClick(Window.get(), Qt::Key_Escape);
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

// Engines that break the contract: each fault reads "Error" in the panel, no value outside
// [0, 1] is ever shown, and the game plays on.
TEST_F(EngineRun, AnEngineThatBreaksTheContract_EndsInError_ShowsNoValueOutOfRange_AndPlayGoesOn)
{
    enum { DoneFirst = 1, OutsideField = 2, NoStatus = 4, DrawnOutside = 5 };
    struct Row {
        const char *What;
        const char *Engine;
        int32_t Combinations;
        float Probability;
        int32_t Fault;
        const char *Status;
        const char *Shown;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const Row rows[] = {
        {"a sound run", TEST_ENGINE_SCRIPTED, 7, 0.25f, 0, "Finished", "0.2500"},
        {"Prob above 1", TEST_ENGINE_SCRIPTED, 7, 1.5f, 0, "Error", "N/A"},
        {"Prob NaN", TEST_ENGINE_SCRIPTED, 7, nan, 0, "Error", "N/A"},
        {"Prob infinite", TEST_ENGINE_SCRIPTED, 7, infinity, 0, "Error", "N/A"},
        {"a negative count", TEST_ENGINE_SCRIPTED, -5, 0.25f, 0, "Error", "0.2500"},
        {"the status first", TEST_ENGINE_HOSTILE, 0, 0.25f, DoneFirst, "Error", nullptr},
        {"sectors outside the field highlighted", TEST_ENGINE_HOSTILE, 0, 0.5f, OutsideField,
         "Error", "0.5000"},
        {"sectors outside the field drawn", TEST_ENGINE_HOSTILE, 0, 0.5f, DrawnOutside, "Error",
         "0.5000"},
        {"no status", TEST_ENGINE_HOSTILE, 0, 0.5f, NoStatus, "Error", "0.5000"},
        {"no status and Prob NaN", TEST_ENGINE_HOSTILE, 0, nan, NoStatus, "Error", "N/A"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.What);
        OpenWithEngine(row.Engine, row.Combinations, row.Probability, row.Fault);
        int32_t c, r;
        ClosedSector(c, r);
        Now += 500; // a run long enough for a rate, were one shown
        OnCheckpoint = [&](int) { Now += 100; };
        Click(Qt::MiddleButton, c, r);
        OnCheckpoint = nullptr;
        EXPECT_EQ(Window->Stats->lblStatus->text(), row.Status);
        if (row.Shown != nullptr) {
            EXPECT_EQ(Window->Stats->lblProb->text(), row.Shown);
        }
        ExpectProbabilitiesInRange();
        if (std::string(row.Status) == "Error") {
            EXPECT_EQ(Game().RecalcNeeded, 1);
            EXPECT_EQ(Window->Stats->lblRecalc->text(), "True");
            EXPECT_FALSE(Window->Stats->lblRate->isVisibleTo(Window.get()));
        }
        ExpectPlayable();
        Window.reset();
        dlclose(Handle);
        Handle = nullptr;
    }
}

TEST_F(EngineRun, AnEngineSlowToHalt_IsWaitedFor_AndEndsHalted)
{
    OpenWithEngine(TEST_ENGINE_HOSTILE, 0, 0.25f, 3);
    int32_t c, r;
    ClosedSector(c, r);
    int last = 0;
    OnCheckpoint = [&](int step) {
        last = step;
        if (step == 3 || step == 20) QTest::keyClick(Window.get(), Qt::Key_Escape);
        EXPECT_EQ(Game().EngineBusy, 1);
    };
    Click(Qt::MiddleButton, c, r);
    EXPECT_EQ(last, 53); // asked to halt during report 3, then 50 more reports
    EXPECT_EQ(Window->Stats->lblStatus->text(), "Halted");
    EXPECT_EQ(Game().RecalcNeeded, 1);
    EXPECT_EQ(Game().HaltRequest, 0);
    ExpectProbabilitiesInRange();
    ExpectPlayable();
}

} // namespace
