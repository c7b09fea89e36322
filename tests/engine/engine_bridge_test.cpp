// The engine driver on its own: a statistics panel on a plain window, a board image and a
// record, with the test engines reporting through the real sink.
#include "engine.h"
#include "render.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
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

class EngineRun : public ::testing::Test, private EngineHost
{
  protected:
    void *Handle = nullptr;
    EngineLibrary Library;
    TGameState *State = nullptr;
    uint32_t Now = 1000;
    QWidget Host;
    std::unique_ptr<StatsPanel> Stats;
    FieldPainter Board;
    QImage Background{964, 660, QImage::Format_RGB32};
    QImage Bar{169, 17, QImage::Format_RGB32};
    QImage Shown; // the board as last presented
    std::unique_ptr<EngineDriver> Driver;
    int EventsHandled = 0;

    // The window's side of a run.
    void PresentField() override { Shown = Board.bmpField.copy(); }
    void DrawProgressBar(int32_t percent) override
    {
        ::DrawProgressBar(Bar, Background, QPoint(784, 476), percent);
    }
    void HandlePendingEvents() override { ++EventsHandled; }

    void OpenWithEngine(const char *path, int32_t combinations = 0, float probability = 0.25f,
                        int32_t fault = 0)
    {
        // The same library the driver runs: dlopen hands back the same instance.
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
        ASSERT_EQ(LoadEngineLibrary(path, Library), EngineLoad::Loaded);

        // A Beginner game under way: every sector closed, no probability yet.
        State = static_cast<TGameState *>(std::aligned_alloc(16, sizeof(TGameState)));
        std::memset(State, 0, sizeof(TGameState));
        TGameState &game = *State;
        game.SizeX = game.SizeY = 10;
        game.MaxX = game.MaxY = 9;
        game.Mines = 10;
        game.Active = game.Live = game.ProbDisplay = 1;
        game.AdvancedMode = 1;
        game.StepDepth = 25;
        game.DupCheck = 1;
        game.CheckingMode = 1;
        for (float &p : game.Prob)
            p = -1.0f;
        Background.fill(qRgb(255, 251, 240));
        Host.setFixedSize(964, 660);
        Stats = std::make_unique<StatsPanel>(&Host);
        Board.LayoutField(LayoutGeometry(10, 10, 0, 769, 601, Board.Geometry), Background,
                          QPoint(4, 32));
        Board.RedrawField(Background, QPoint(4, 32), 10, 10);
        Board.SetFontSize(Board.Geometry.LargeFontSize);
        Driver = std::make_unique<EngineDriver>(
            game, Board, *Stats, static_cast<EngineHost &>(*this), [this] { return Now; });
        Driver->Attach(Library.Engine);
        Stats->ResetEngineStats(game);
        PresentField();
    }

    void TearDown() override
    {
        OnCheckpoint = nullptr;
        Close();
    }

    void Close()
    {
        Driver.reset();
        Stats.reset();
        UnloadEngineLibrary(Library);
        std::free(State);
        State = nullptr;
        if (Handle != nullptr) dlclose(Handle);
        Handle = nullptr;
    }

    TGameState &Game() { return *State; }

    // What a middle press on a closed sector asks of the driver.
    void Ask(int32_t c, int32_t r) { Driver->ShowSectorInfo(c, r); }

    // A closed sector the engine can be asked about.
    void ClosedSector(int32_t &c, int32_t &r)
    {
        c = 3;
        r = 4;
    }

    // The centre of a sector in board-area pixels.
    QPoint At(int32_t c, int32_t r)
    {
        const FieldGeometry &g = Board.Geometry;
        return {g.FieldLeft + c * g.CellSize + g.CellSize / 2,
                g.FieldTop + r * g.CellSize + g.CellSize / 2};
    }

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
        const QString shown = Stats->lblProb->text();
        bool number = false;
        const double value = shown.toDouble(&number);
        EXPECT_TRUE(shown == "N/A" || (number && value >= 0.0 && value <= 1.0))
            << shown.toStdString();
    }

    // The run has let go of the game: the next request is taken and ends.
    void ExpectPlayable()
    {
        EXPECT_EQ(Game().EngineBusy, 0);
        EXPECT_EQ(Board.FontSize(), Board.Geometry.LargeFontSize);
        Ask(5, 6);
        EXPECT_EQ(Label(Stats->lblCell), "(5, 6)");
        EXPECT_EQ(Game().EngineBusy, 0);
        EXPECT_NE(Label(Stats->lblStatus), "Working");
    }
    int BarNavyColumns()
    {
        int n = 0;
        for (int x = 0; x < 169; ++x)
            n += Bar.pixel(x, 8) == qRgb(0, 0, 128);
        return n;
    }
};

TEST_F(EngineRun, ScriptedEngine_EverySinkEntryReachesThePanelAndTheBoard)
{
    OpenWithEngine(TEST_ENGINE_SCRIPTED);
    int32_t c, r;
    ClosedSector(c, r);
    StatsPanel &panel = *Stats;
    const QPoint centre = At(c, r) + QPoint(-6, -6);
    std::map<int, bool> seen;

    OnCheckpoint = [&](int step) {
        seen[step] = true;
        EXPECT_EQ(Game().EngineBusy, 1);
        switch (step) {
        case 0:
            EXPECT_EQ(Label(panel.lblStatus), "Idle");
            EXPECT_EQ(Label(panel.lblCell), QString("(%1, %2)").arg(c).arg(r));
            EXPECT_FALSE(panel.lblTimer->isVisibleTo(&Host));
            break;
        case 1:
            EXPECT_EQ(Label(panel.lblAdjClosed), "5");
            EXPECT_EQ(Label(panel.lblNumbers), "4");
            EXPECT_EQ(Label(panel.lblPartial), "3");
            break;
        case 2:
            // Drawn into the board image, not yet on screen.
            EXPECT_EQ(Board.bmpField.pixel(centre), qRgb(255, 255, 128));
            EXPECT_NE(Shown.pixel(centre), qRgb(255, 255, 128));
            break;
        case 3:
            EXPECT_NE(Board.bmpField.pixel(centre), qRgb(255, 255, 128));
            EXPECT_EQ(Board.FontSize(), Board.Geometry.SmallFontSize);
            break;
        case 4:
            EXPECT_EQ(Shown, Board.bmpField); // presented first
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
            EXPECT_EQ(EventsHandled, 1); // the window's input is let in here, and only here
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
    Ask(c, r);
    EXPECT_EQ(seen.size(), 13u);
    EXPECT_EQ(Game().EngineBusy, 0);
    EXPECT_EQ(Label(panel.lblRecalc), "False");
    EXPECT_EQ(Label(panel.lblProb), "0.2500");
    EXPECT_EQ(Label(panel.lblTimer), "Completed in 0.250 seconds");
    EXPECT_TRUE(panel.lblTimer->isVisibleTo(&Host));
    EXPECT_FALSE(panel.lblRate->isVisibleTo(&Host)); // no combinations counted
    EXPECT_EQ(BarNavyColumns(), 2);
    EXPECT_EQ(Board.FontSize(), Board.Geometry.LargeFontSize);
}

TEST_F(EngineRun, Rate_IsShownOnlyForCountedRunsLongerThanTenMilliseconds)
{
    OpenWithEngine(TEST_ENGINE_SCRIPTED, 1234567);
    int32_t c, r;
    ClosedSector(c, r);
    OnCheckpoint = [&](int step) {
        if (step == 12) Now += 10; // 0.01 seconds: too short for a rate
    };
    Ask(c, r);
    EXPECT_FALSE(Stats->lblRate->isVisibleTo(&Host));
    EXPECT_EQ(Stats->lblTimer->text(), "Completed in 0.010 seconds");

    OnCheckpoint = [&](int step) {
        if (step == 12) Now += 500;
    };
    Ask(c, r);
    ASSERT_TRUE(Stats->lblRate->isVisibleTo(&Host));
    // The player's thousands separators: a point in Germany, a narrow no-break space in France.
    QString expected = QLocale::system().toString(qlonglong(2469134));
    const QByteArray testLocale = qgetenv("KELVANE_TEST_LOCALE");
    if (testLocale.startsWith("de_")) expected = "2.469.134";
    if (testLocale.startsWith("fr_")) expected = QString::fromUtf8("2\u202f469\u202f134");
    EXPECT_EQ(Stats->lblRate->text(), "Rate: " + expected + " combinations/s");
    EXPECT_EQ(Stats->lblTimer->text(), "Completed in 0.500 seconds");
}

TEST_F(EngineRun, NegativeProbability_ShowsNotAvailable)
{
    OpenWithEngine(TEST_ENGINE_SCRIPTED, 0, -1.0f);
    int32_t c, r;
    ClosedSector(c, r);
    Ask(c, r);
    EXPECT_EQ(Stats->lblProb->text(), "N/A");
}

TEST_F(EngineRun, Escape_HaltsARun_AndRecalculationIsStillNeeded)
{
    OpenWithEngine(TEST_ENGINE_HALTING);
    int32_t c, r;
    ClosedSector(c, r);
    OnCheckpoint = [&](int step) {
        if (step == 3) Driver->RequestHalt();
    };
    Ask(c, r);
    EXPECT_EQ(Stats->lblStatus->text(), "Halted");
    EXPECT_EQ(Stats->lblRecalc->text(), "True");
    EXPECT_EQ(Game().RecalcNeeded, 1);
    EXPECT_EQ(Game().HaltRequest, 0);
    EXPECT_EQ(Game().EngineBusy, 0);

    // Outside a run Escape does nothing.
    Driver->RequestHalt();
    EXPECT_EQ(Game().HaltRequest, 0);
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
        Ask(c, r);
        OnCheckpoint = nullptr;
        EXPECT_EQ(Stats->lblStatus->text(), row.Status);
        if (row.Shown != nullptr) {
            EXPECT_EQ(Stats->lblProb->text(), row.Shown);
        }
        ExpectProbabilitiesInRange();
        if (std::string(row.Status) == "Error") {
            EXPECT_EQ(Game().RecalcNeeded, 1);
            EXPECT_EQ(Stats->lblRecalc->text(), "True");
            EXPECT_FALSE(Stats->lblRate->isVisibleTo(&Host));
        }
        ExpectPlayable();
        Close();
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
        if (step == 3 || step == 20) Driver->RequestHalt();
        EXPECT_EQ(Game().EngineBusy, 1);
    };
    Ask(c, r);
    EXPECT_EQ(last, 53); // asked to halt during report 3, then 50 more reports
    EXPECT_EQ(Stats->lblStatus->text(), "Halted");
    EXPECT_EQ(Game().RecalcNeeded, 1);
    EXPECT_EQ(Game().HaltRequest, 0);
    ExpectProbabilitiesInRange();
    ExpectPlayable();
}

} // namespace
